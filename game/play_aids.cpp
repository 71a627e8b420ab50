#include "game/play_aids.h"

namespace tumbol {

void PlayAids::Search(const Board& board) {
  board_ = board;
  known_.reset();
  searching_ = true;
  view_.StartSearch(board_, ++ticket_);
}

void PlayAids::BoardAtRest(const Board& board) {
  // A changed board may be winnable again (after an undo): the sign only
  // comes back when the search proves the level lost.
  view_.ShowLostSign(false);
  hintWanted_ = false;
  Search(board);
}

void PlayAids::LevelReplaced() {
  view_.ShowLostSign(false);
  hintWanted_ = false;
  searching_ = false;
  known_.reset();
  ++ticket_;
  view_.CancelSearch();
}

void PlayAids::HintRequested(const Board& board) {
  if (board == board_ && searching_) {
    hintWanted_ = true;  // the answer on its way will show it
    return;
  }
  if (board == board_ && known_) return Answer(*known_, true);
  hintWanted_ = true;
  Search(board);
}

void PlayAids::SearchDone(uint64_t ticket, const SolveResult& result) {
  if (ticket != ticket_ || !searching_) return;
  searching_ = false;
  known_ = result;
  Answer(result, hintWanted_);
  hintWanted_ = false;
}

void PlayAids::Answer(const SolveResult& result, bool hint) {
  // Only a proof counts: a search that gave up says nothing.
  if (result.outcome == SolveOutcome::kUnsolvable) return view_.ShowLostSign(true);
  if (hint && result.outcome == SolveOutcome::kSolved && !result.moves.empty())
    view_.ShowHint(result.moves.front());
}

}  // namespace tumbol
