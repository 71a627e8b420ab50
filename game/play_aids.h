#pragma once
// Aids beyond the rules, from the solver: whether the board at rest can
// still be won (the lost sign, in both modes) and the next push of a
// shortest win (the hint, in free play). The search runs elsewhere, on a
// worker the window owns; this keeps which board an answer belongs to, so an
// answer for a board that has since changed is never shown.
#include <cstdint>
#include <optional>

#include "base/board.h"
#include "game/solver.h"

namespace tumbol {

// What the aids ask of the window.
class AidsView {
 public:
  virtual ~AidsView() = default;
  // Searches board in the background and answers through SearchDone with
  // the same ticket; a new request drops the one before.
  virtual void StartSearch(const Board& board, uint64_t ticket) = 0;
  virtual void CancelSearch() = 0;
  // asLoaded: the level could not be won from its start, rather than lost
  // by a push since.
  virtual void ShowLostSign(bool shown, bool asLoaded) = 0;
  // The hint stays until HideHint (or until it has been seen long enough).
  virtual void ShowHint(const SolverMove& move) = 0;
  virtual void HideHint() = 0;
  // A hint was asked for on a lost board: the sign is the answer.
  virtual void PointAtLostSign() = 0;
};

class PlayAids {
 public:
  explicit PlayAids(AidsView& view) : view_(view) {}

  // The player's push or undo is changing the board: every answer asked
  // for the board before is void at once, and the hint goes. A push keeps
  // the lost sign (no push wins a lost board back); an undo may, so it goes.
  void BoardChanging(bool undo);
  // A new level: all of that, and the sign goes.
  void LevelReplaced();
  // The board came to rest: is it still winnable?
  void BoardAtRest(const Board& board);
  // The player asks for a hint on the board as it stands (at rest).
  void HintRequested(const Board& board);
  // The worker's answer.
  void SearchDone(uint64_t ticket, const SolveResult& result);
  bool Lost() const { return lost_; }
  bool Searching() const { return searching_; }

 private:
  void Search(const Board& board);
  void Answer(const SolveResult& result, bool hint);
  void ShowLost(bool lost);

  AidsView& view_;
  uint64_t ticket_ = 0;
  Board board_;                        // the board asked about last
  bool searching_ = false;
  bool hintWanted_ = false;
  bool lost_ = false;                  // the sign is showing
  int pushes_ = 0;                     // since the level's start, less the undone
  std::optional<SolveResult> known_;   // the answer for board_, once it came
};

}  // namespace tumbol
