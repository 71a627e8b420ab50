#include "game/play_aids.h"

namespace tumbol {

void PlayAids::Search(const Board& board) {
  board_ = board;
  known_.reset();
  searching_ = true;
  view_.StartSearch(board_, ++ticket_);
}

void PlayAids::ShowLost(bool lost) {
  lost_ = lost;
  view_.ShowLostSign(lost, pushes_ == 0);
}

void PlayAids::BoardChanging(bool undo) {
  if (!undo)
    ++pushes_;
  else if (pushes_ > 0)
    --pushes_;
  ++ticket_;
  searching_ = false;
  hintWanted_ = false;
  known_.reset();
  view_.CancelSearch();
  view_.HideHint();
  if (undo && lost_) ShowLost(false);
}

void PlayAids::LevelReplaced() {
  BoardChanging(true);
  pushes_ = 0;
}

void PlayAids::BoardAtRest(const Board& board) {
  if (board == board_ && (searching_ || known_)) return;  // asked already
  board_ = board;
  if (!lost_) Search(board);
}

void PlayAids::HintRequested(const Board& board) {
  if (lost_) return view_.PointAtLostSign();
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
  if (result.outcome == SolveOutcome::kUnsolvable) {
    ShowLost(true);
    if (hint) view_.PointAtLostSign();
    return;
  }
  if (hint && result.outcome == SolveOutcome::kSolved && !result.moves.empty())
    view_.ShowHint(result.moves.front());
}

}  // namespace tumbol
