#include "game/game.h"

#include <algorithm>

#include "base/duration.h"
#include "base/file_exists.h"
#include "base/map_file.h"
#include "game/rules.h"

namespace tumbol {

Game::Game(Toolkit& toolkit, BoardSurface& surface, SoundCues& sounds, BoardCursor& cursor,
           GameView& view)
    : toolkit_(toolkit), surface_(surface), sounds_(sounds), cursor_(cursor), view_(view) {}

void Game::LoadLevelMap() {
  std::string number;
  if (freePlayMode_) {
    number = view_.MapNumberText();
    if (number.empty()) number = "1";
  } else {
    number = std::to_string(levelNumber_);
  }
  loadFailed_ = false;
  const std::string file = MapFileName(number);
  // A map the player saved in the editor comes before the shipped one.
  const std::string name = FoundFile(Folders(), file);
  bool warning = false;
  Board loaded;
  if (file.empty() || !ReadLevelFile(name, loaded, warning)) {
    file.empty() ? RefuseMapNumber(toolkit_, number, "Открыть") : ShowMissingFile(toolkit_, name);
    loadFailed_ = true;
    return;
  }
  StopFrames();  // they showed the old board
  // The level loaded again is a restart, which free play's undo can take back.
  if (loaded == level_.start())
    level_.Restart();
  else
    level_ = Level(loaded);
  aids_.LevelReplaced();
  PlaceCellCursor(1, 1);
  if (warning) {
    toolkit_.MsgBox(MapWarningText(), kStyleInformation, "Загрузка карты");
  }
  levelSolved_ = false;
}

void Game::PutBoard(const Board& board) {
  StopFrames();
  level_ = Level(board);
  aids_.LevelReplaced();
  PlaceCellCursor(1, 1);
  levelSolved_ = false;
}

void Game::RedrawBoard() { DrawFrame(board(), surface_); }

void Game::Play(std::vector<Frame> frames, AfterFrames after) {
  frames_.assign(std::make_move_iterator(frames.begin()), std::make_move_iterator(frames.end()));
  after_ = after;
  inMotion_ = true;
  if (flag_anim_ != 0) RestoreCursor();  // the pointer may rest on a cube that now moves
  if (frames_.empty()) return FinishFrames();
  view_.NextFrameIn(frames_.front().pause, true);
}

void Game::ShowNextFrame() {
  if (frames_.empty()) return;
  const Frame frame = std::move(frames_.front());
  frames_.pop_front();
  const int vanished = DrawFrame(frame.cells, surface_);
  for (int i = 0; i < vanished; ++i) sounds_.PlaySoundCue(1);
  if (frames_.empty()) return FinishFrames();
  view_.NextFrameIn(frames_.front().pause, false);
}

void Game::FinishFrames() {
  // Still in motion while a win is reported; its message boxes are modal,
  // so nothing reaches the game until they are answered.
  CheckLevelComplete();
  inMotion_ = false;
  if (after_ == AfterFrames::kLevelStart) levelStartTime_ = toolkit_.Now();
  if (!levelSolved_) aids_.BoardAtRest(board());
}

void Game::StopFrames() {
  frames_.clear();
  inMotion_ = false;
}

void Game::SettleBoard() { Play(level_.Settle(), AfterFrames::kRest); }

void Game::PushCube(int row, int col, int dir) {
  // A push is made on a board at rest, not on cubes still shown falling or
  // on a level still sliding in.
  if (BoardInMotion() || closing_) return;
  std::optional<PushFrames> push = level_.Push(row, col, dir);
  if (!push) return;
  aids_.BoardChanging(false);
  sounds_.PlaySoundCue(3);
  RestoreCursor();
  PlaceCellCursor(push->row, push->col);
  DrawFrame(push->pushed, surface_);
  Play(std::move(push->frames), AfterFrames::kRest);
}

void Game::HintRequested() {
  if (HintAllowed())
    aids_.HintRequested(board());
  else if (aids_.Lost())
    view_.PointAtLostSign();  // no hints in a game, but a lost board answers there too
}

bool Game::HintAllowed() const {
  return FreePlayAtRest() && !levelSolved_ && board().Rows() > 0;
}

bool Game::Undo() {
  if (!FreePlayAtRest() || !level_.Undo()) return false;
  ShowBoardAtRest();
  return true;
}

bool Game::Redo() {
  if (!FreePlayAtRest() || !level_.Redo()) return false;
  ShowBoardAtRest();
  return true;
}

void Game::ShowBoardAtRest() {
  aids_.BoardChanging(true);
  RestoreCursor();
  RedrawBoard();
  // Like the end of a settling: a board won again is a win again.
  levelSolved_ = false;
  Play({}, AfterFrames::kRest);
}

void Game::UpdateHoverCursor(int col, int row, double x, double /*y*/) {
  // While frames play, the level already holds where the cubes come to
  // rest, not what is on screen, and a press would be dropped anyway.
  if (BoardInMotion() || !board().Inside(row, col) || !IsCube(board().At(row, col))) {
    RestoreCursor();
    return;
  }
  const int wanted = PushDirection(col, x) > 0 ? 1 : 2;
  if (flag_anim_ != wanted) {
    SetAnimCursor(wanted);
    flag_anim_ = static_cast<uint8_t>(wanted);
  }
}

void Game::SetAnimCursor(int kind) {
  if (flag_anim_ != 0) RestoreCursor();
  cursor_.SetAnimCursor(kind);
}

void Game::RestoreCursor() {
  flag_anim_ = 0;
  cursor_.RestoreCursor();
}

void Game::Picture1_MouseDown(double x, double y) {
  const int col = CellFromPoint(x);
  const int row = CellFromPoint(y);
  if (cellCursorShown_) {
    cellCursorShown_ = false;
    view_.HideCellCursor();
  }
  PushCube(row, col, PushDirection(col, x));
}

void Game::Picture1_MouseMove(double x, double y) {
  const int col = CellFromPoint(x);
  const int row = CellFromPoint(y);
  if (lastPointerCol_ > 0) UpdateHoverCursor(col, row, x, y);
  lastPointerCol_ = static_cast<int16_t>(col);
  view_.SetCoordsText(std::to_string(col) + "/" + std::to_string(row));
}

void Game::MoveCellCursor(int rows, int cols) {
  if (!cellCursorShown_) {
    // Shown where it stands first: the player sees it before it moves.
    cellCursorShown_ = true;
    return PlaceCellCursor(cellCursorRow_, cellCursorCol_);
  }
  PlaceCellCursor(cellCursorRow_ + rows, cellCursorCol_ + cols);
}

void Game::CellCursorHome() {
  cellCursorShown_ = true;
  PlaceCellCursor(1, 1);
}

void Game::PushAtCellCursor(int dir) {
  if (!cellCursorShown_) return MoveCellCursor(0, 0);  // an unseen cube is not pushed
  PushCube(cellCursorRow_, cellCursorCol_, dir);
}

void Game::PlaceCellCursor(int row, int col) {
  cellCursorRow_ = std::clamp(row, 1, std::max(1, board().Rows()));
  cellCursorCol_ = std::clamp(col, 1, std::max(1, board().Cols()));
  if (cellCursorShown_) view_.ShowCellCursor(cellCursorRow_, cellCursorCol_);
}

void Game::CheckLevelComplete() {
  if (level_.Status() == LevelStatus::kWon) LevelWon();
}

void Game::LevelWon() {
  sounds_.PlaySoundCue(2);
  const double levelTime = toolkit_.Now() - levelStartTime_;
  const std::string levelTimeText = FormatHms(levelTime);
  if (freePlayMode_) {
    toolkit_.MsgBox(std::string("Победа!!!") + kCR + "Ваше время: " + levelTimeText,
                    kStyleInformation, "Поздравляем");
    levelSolved_ = true;
    return;
  }
  totalGameTime_ += levelTime;
  toolkit_.MsgBox("Вы прошли " + std::to_string(levelNumber_) + "- уровень." + kCR +
                      "Ваше время: " + levelTimeText + kCR + "Играем дальше.",
                  kStyleInformation, "Поздравляем");
  if (levelNumber_ < kLastLevel) {
    ++levelNumber_;
    view_.EnableTimer2();
    levelSolved_ = true;
    return;
  }
  toolkit_.MsgBox(std::string("ВЫ ПРОШЛИ ВСЕ УРОВНИ, ПОЗДРАВЛЯЕМ!") + kCR + "Ваше время: " +
                      levelTimeText + kCR + "Общее время: " + FormatHms(totalGameTime_),
                  kStyleInformation, "ПОБЕДИТЕЛЬ");
  view_.AllLevelsWon(totalGameTime_);
  levelSolved_ = true;
}

void Game::StartLevel() {
  // A timer or press that was already queued when the window closed.
  if (closing_) return;
  LoadLevelMap();
  if (levelSolved_) return;
  if (loadFailed_) {
    levelStartTime_ = toolkit_.Now();  // the board stays; its time starts again
    return;
  }
  std::vector<Frame> frames = SlideInFrames(board());
  for (Frame& frame : level_.Settle()) frames.push_back(std::move(frame));
  Play(std::move(frames), AfterFrames::kLevelStart);
}

void Game::ToggleGameMode() {
  freePlayMode_ = !freePlayMode_;
  level_.ForgetHistory();
  view_.ShowModeControls(freePlayMode_);
}

void Game::ShowLives() { view_.SetLivesText("Жизни - " + std::to_string(lives_)); }

void Game::PressPlayButton() {
  if (!freePlayMode_) {
    if (toolkit_.MsgBox("Вы действительно хотите закончить игру?", kStyleQuestion, "Выйти") ==
        kResultYes)
      ToggleGameMode();
    return;
  }
  levelNumber_ = 1;
  totalGameTime_ = 0;  // a new game counts its own time, not the last game's
  ToggleGameMode();
  StartLevel();
  lives_ = kStartLives;
  ShowLives();
}

void Game::PressRestartButton() {
  if (freePlayMode_) return;
  if (lives_ > 0) {
    if (toolkit_.MsgBox("Переиграть?", kStyleQuestion, "Рестарт") != kResultYes) return;
    --lives_;
    ShowLives();
    StartLevel();
    return;
  }
  if (toolkit_.MsgBox("Начать с 1-го уровня?", kStyleQuestion, "Рестарт") != kResultYes) return;
  levelNumber_ = 1;
  lives_ = kStartLives;
  totalGameTime_ = 0;
  ShowLives();
  StartLevel();
}

void Game::StartLevelClock() { levelStartTime_ = toolkit_.Now(); }

void Game::Timer2_Timer() { StartLevel(); }

void Game::ActivateBoard() {
  if (levelSolved_ || closing_ || BoardInMotion()) return;
  RedrawBoard();
  SettleBoard();
}

void Game::Shutdown() {
  closing_ = true;
  StopFrames();
}

}  // namespace tumbol
