#include "game/game.h"

#include "base/duration.h"
#include "base/map_file.h"
#include "base/text_lines.h"
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
  // A map the player saved in the editor comes before the shipped one.
  const std::string name = FoundFile(Folders(), "pole" + number + ".txt");
  loadFailed_ = false;
  bool warning = false;
  // A number that is no plain file name part (a path, "..") names no file.
  if (!IsPlainFileNamePart(number) || !ReadLevelFile(name, board_, warning)) {
    toolkit_.MsgBox("Файла '" + name + "' не существует!", kStyleExclamation, "Открыть");
    loadFailed_ = true;
    return;
  }
  StopFrames();  // they showed the old board
  undoHistory_.clear();
  aids_.LevelReplaced();
  if (warning) {
    toolkit_.MsgBox(MapWarningText(), kStyleInformation, "Загрузка карты");
  }
  levelSolved_ = false;
}

void Game::PutBoard(const Board& board) {
  StopFrames();
  board_ = board;
  undoHistory_.clear();
  aids_.LevelReplaced();
  levelSolved_ = false;
}

void Game::RedrawBoard() { DrawFrame(board_, surface_); }

void Game::Play(std::vector<Frame> frames, AfterFrames after) {
  frames_.assign(std::make_move_iterator(frames.begin()), std::make_move_iterator(frames.end()));
  after_ = after;
  inMotion_ = true;
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
  if (!levelSolved_) aids_.BoardAtRest(board_);
}

void Game::StopFrames() {
  frames_.clear();
  inMotion_ = false;
}

void Game::SettleBoard() { Play(SettleFrames(board_), AfterFrames::kRest); }

void Game::PushCube(int col, int row, double x, double /*y*/) {
  if (!board_.Inside(row, col) || !IsCube(board_.At(row, col))) return;
  Board before = board_;
  if (!TryPush(board_, row, col, PushDirection(col, x))) return;
  if (freePlayMode_) undoHistory_.push_back(std::move(before));
  aids_.BoardChanging(false);
  sounds_.PlaySoundCue(3);
  RestoreCursor();
  RedrawBoard();
  SettleBoard();
}

void Game::HintRequested() {
  if (HintAllowed())
    aids_.HintRequested(board_);
  else if (aids_.Lost())
    view_.PointAtLostSign();  // no hints in a game, but a lost board answers there too
}

bool Game::HintAllowed() const {
  return FreePlayAtRest() && !levelSolved_ && board_.Rows() > 0;
}

bool Game::Undo() {
  if (!FreePlayAtRest() || undoHistory_.empty()) return false;
  aids_.BoardChanging(true);
  board_ = std::move(undoHistory_.back());
  undoHistory_.pop_back();
  RestoreCursor();
  RedrawBoard();
  aids_.BoardAtRest(board_);
  return true;
}

void Game::UpdateHoverCursor(int col, int row, double x, double /*y*/) {
  if (!board_.Inside(row, col) || !IsCube(board_.At(row, col))) {
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
  // A push is made on a board at rest, not on cubes still shown falling or
  // on a level still sliding in.
  if (BoardInMotion()) return;
  PushCube(col, row, x, y);
}

void Game::Picture1_MouseMove(double x, double y) {
  const int col = CellFromPoint(x);
  const int row = CellFromPoint(y);
  if (lastPointerCol_ > 0) UpdateHoverCursor(col, row, x, y);
  lastPointerCol_ = static_cast<int16_t>(col);
  view_.SetCoordsText(std::to_string(col) + "/" + std::to_string(row));
}

void Game::CheckLevelComplete() {
  // A board_ without cells is no level at all, let alone a won one.
  if (board_.Rows() == 0 || board_.Cols() == 0) return;
  if (board_.HasCube()) return;
  undoHistory_.clear();
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
    levelStartTime_ = toolkit_.Now();  // the board_ stays; its time starts again
    return;
  }
  std::vector<Frame> frames = SlideInFrames(board_);
  for (Frame& frame : SettleFrames(board_)) frames.push_back(std::move(frame));
  Play(std::move(frames), AfterFrames::kLevelStart);
}

void Game::ToggleGameMode() {
  freePlayMode_ = !freePlayMode_;
  undoHistory_.clear();
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
