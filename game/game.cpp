#include "game/game.h"

#include "base/duration.h"
#include "game/map_file.h"
#include "game/rules.h"
#include "base/text_lines.h"

namespace tumbol {

namespace {
constexpr double kFallPause = 0.03;
constexpr double kVanishPause = 0.1;
constexpr double kSlidePause = 0.01;
}  // namespace

Game::Game(Toolkit& toolkit, BoardSurface& surface, SoundCues& sounds, BoardCursor& cursor,
           GameView& view)
    : toolkit_(toolkit), surface_(surface), sounds_(sounds), cursor_(cursor), view_(view) {}

void Game::LoadLevelMap() {
  std::string number;
  if (FreePlayMode) {
    number = view_.MapNumberText();
    if (number.empty()) number = "1";
  } else {
    number = std::to_string(LevelNumber);
  }
  // A map the player saved in the editor comes before the shipped one.
  const std::string name = FoundFile(Folders(), "pole" + number + ".txt");
  LoadFailed = false;
  bool warning = false;
  // A number that is no plain file name part (a path, "..") names no file.
  if (!IsPlainFileNamePart(number) || !ReadLevelFile(name, board, warning)) {
    toolkit_.MsgBox("Файла '" + name + "' не существует!", kStyleExclamation, "Открыть");
    LoadFailed = true;
    return;
  }
  SlideBuffer = Board(board.Rows(), board.Cols());
  ++boardGeneration_;
  undoHistory_.clear();
  view_.LevelReplaced();
  if (warning) {
    toolkit_.MsgBox(
        std::string("Внимание! Карта имеет неправельную структуру или несуществующие элементы.") +
            kCR + "Эти элементы будут учитываться как пространство карты.",
        kStyleInformation, "Загрузка карты");
  }
  LevelSolved = false;
}

void Game::RedrawBoard() {
  surface_.Clear();
  for (int row = 1; row <= BoardRows(); ++row) {
    for (int col = 1; col <= BoardCols(); ++col) {
      Cell& cell = board.At(row, col);
      if (cell == kVanishing) {
        sounds_.PlaySoundCue(1);
        surface_.DrawBurst(row, col);
        BoardChanged = true;
        cell = kEmpty;
      }
      if (cell > 0) surface_.DrawTile(cell, row, col);
    }
  }
  surface_.Present();
}

void Game::SlideInBoard() {
  const uint64_t generation = boardGeneration_;
  slidingIn_ = true;
  // Nested starts run to their end inside our pauses, so clearing on every
  // way out is right for them too.
  struct Done {
    bool& flag;
    ~Done() { flag = false; }
  } done{slidingIn_};
  const int rows = BoardRows();
  const int cols = BoardCols();
  for (int row = 1; row <= rows; ++row) {
    for (int col = 1; col <= cols; ++col) {
      toolkit_.DoEvents();
      if (Stale(generation)) return;
      SlideBuffer.At(row, col) = board.At(row, col);
      board.At(row, col) = kEmpty;
    }
  }
  for (int k = rows; k >= 1; --k) {
    for (int src = k; src <= rows; ++src) {
      for (int col = 1; col <= cols; ++col) {
        toolkit_.DoEvents();
        if (Stale(generation)) return;
        board.At(src - k + 1, col) = SlideBuffer.At(src, col);
      }
    }
    RedrawBoard();
    PauseFor(kSlidePause);
    if (Stale(generation)) return;
  }
}

void Game::RunSequence(void (Game::*steps)()) {
  ++sequences_;
  (this->*steps)();
  if (--sequences_ > 0) return;
  ++sequences_;
  while (startWaiting_ && !closing_) {
    startWaiting_ = false;
    PlayStart();
  }
  startWaiting_ = false;
  --sequences_;
}

void Game::SettleBoard() { RunSequence(&Game::SettleSteps); }

void Game::SettleSteps() {
  const uint64_t generation = boardGeneration_;
  // One settling per board at a time (see ActivateBoard).
  if (settlingGeneration_ == static_cast<int64_t>(generation)) return;
  settlingGeneration_ = static_cast<int64_t>(generation);
  auto finish = [&] {
    if (settlingGeneration_ == static_cast<int64_t>(generation)) settlingGeneration_ = -1;
  };
  for (;;) {
    if (GravityPass(board)) BoardChanged = true;
    if (BoardChanged) {
      PauseFor(kFallPause);
      if (Stale(generation)) return finish();
      RedrawBoard();
      BoardChanged = false;
      continue;
    }
    if (MarkPairs(board)) BoardChanged = true;
    if (BoardChanged) {
      PauseFor(kVanishPause);
      if (Stale(generation)) return finish();
      BoardChanged = false;
      RedrawBoard();
      if (BoardChanged) continue;
    }
    break;
  }
  // Still settling while the win is reported: its message boxes pause too.
  CheckLevelComplete();
  finish();
}

void Game::PushCube(int col, int row, double x, double /*y*/) {
  if (!board.Inside(row, col) || !IsCube(board.At(row, col))) return;
  Board before = board;
  if (!TryPush(board, row, col, PushDirection(col, x))) return;
  if (FreePlayMode) undoHistory_.push_back(std::move(before));
  view_.PlayerChangedBoard(false);
  sounds_.PlaySoundCue(3);
  RestoreCursor();
  RedrawBoard();
  const uint64_t generation = boardGeneration_;
  SettleBoard();
  if (!Stale(generation) && !LevelSolved) view_.BoardAtRest();
}

bool Game::HintAllowed() const {
  return FreePlayAtRest() && !LevelSolved && BoardRows() > 0;
}

bool Game::Undo() {
  if (!FreePlayAtRest() || undoHistory_.empty()) return false;
  view_.PlayerChangedBoard(true);
  board = std::move(undoHistory_.back());
  undoHistory_.pop_back();
  RestoreCursor();
  RedrawBoard();
  view_.BoardAtRest();
  return true;
}

void Game::UpdateHoverCursor(int col, int row, double x, double /*y*/) {
  if (!board.Inside(row, col) || !IsCube(board.At(row, col))) {
    RestoreCursor();
    return;
  }
  const int wanted = PushDirection(col, x) > 0 ? 1 : 2;
  if (flag_anim != wanted) {
    SetAnimCursor(wanted);
    flag_anim = static_cast<uint8_t>(wanted);
  }
}

void Game::SetAnimCursor(int kind) {
  if (flag_anim != 0) RestoreCursor();
  cursor_.SetAnimCursor(kind);
}

void Game::RestoreCursor() {
  flag_anim = 0;
  cursor_.RestoreCursor();
}

void Game::Picture1_MouseDown(double x, double y) {
  const int col = CellFromPoint(x);
  const int row = CellFromPoint(y);
  // A push during a slide-in would be heard and then silently undone by the
  // next frames, which copy the level's rows over the board again; one during
  // a settling (a level start's, an activation's) would land on cubes still
  // falling. A push is made on a board at rest.
  if (BoardBusy || BoardInMotion()) return;
  BoardBusy = true;
  PushCube(col, row, x, y);
  BoardBusy = false;
}

void Game::Picture1_MouseMove(double x, double y) {
  const int col = CellFromPoint(x);
  const int row = CellFromPoint(y);
  if (LastPointerCol > 0) UpdateHoverCursor(col, row, x, y);
  LastPointerCol = static_cast<int16_t>(col);
  view_.SetCoordsText(std::to_string(col) + "/" + std::to_string(row));
  ReleaseButtonImage();
}

void Game::Picture1_MouseUp() { ReleaseButtonImage(); }

void Game::CheckLevelComplete() {
  // A board without cells is no level at all, let alone a won one.
  if (BoardRows() == 0 || BoardCols() == 0) return;
  if (board.HasCube()) return;
  undoHistory_.clear();
  sounds_.PlaySoundCue(2);
  const double levelTime = toolkit_.Now() - LevelStartTime;
  LevelTimeText = FormatHms(levelTime);
  if (FreePlayMode) {
    toolkit_.MsgBox(std::string("Победа!!!") + kCR + "Ваше время: " + LevelTimeText,
                    kStyleInformation, "Поздравляем");
    LevelSolved = true;
    return;
  }
  TotalGameTime += levelTime;
  toolkit_.MsgBox("Вы прошли " + std::to_string(LevelNumber) + "- уровень." + kCR +
                      "Ваше время: " + LevelTimeText + kCR + "Играем дальше.",
                  kStyleInformation, "Поздравляем");
  if (LevelNumber < kLastLevel) {
    ++LevelNumber;
    view_.EnableTimer2();
    LevelSolved = true;
    return;
  }
  toolkit_.MsgBox(std::string("ВЫ ПРОШЛИ ВСЕ УРОВНИ, ПОЗДРАВЛЯЕМ!") + kCR + "Ваше время: " +
                      LevelTimeText + kCR + "Общее время: " + FormatHms(TotalGameTime),
                  kStyleInformation, "ПОБЕДИТЕЛЬ");
  if (checkNewRecord) checkNewRecord(TotalGameTime);
  LevelSolved = true;
}

void Game::StartLevel() {
  // A timer or press that was already queued when the window closed.
  if (closing_) return;
  LoadLevelMap();
  if (LevelSolved) return;
  if (LoadFailed) {
    LevelStartTime = toolkit_.Now();  // the board stays; its time starts again
    return;
  }
  startWaiting_ = true;
  if (sequences_ == 0) RunSequence(&Game::PlayStart);
}

void Game::PlayStart() {
  startWaiting_ = false;
  const uint64_t generation = boardGeneration_;
  SlideInBoard();
  if (Stale(generation)) return;
  RedrawBoard();
  SettleBoard();
  if (Stale(generation)) return;
  LevelStartTime = toolkit_.Now();
  if (!LevelSolved) view_.BoardAtRest();
}

void Game::ToggleGameMode() {
  FreePlayMode = !FreePlayMode;
  undoHistory_.clear();
  view_.ShowModeControls(FreePlayMode);
}

void Game::ShowLives() { view_.SetLivesText("Жизни - " + std::to_string(Lives)); }

void Game::ReleaseButtonImage() {
  if (!PressedButton) return;
  view_.SetButtonPressed(PressedButtonIndex, false);
  PressedButton = false;
}

void Game::Image1_MouseDown(int index) {
  PressedButton = true;
  PressedButtonIndex = static_cast<int16_t>(index);
  view_.SetButtonPressed(index, true);
  switch (index) {
    case 0: StartLevel(); break;
    case 1: view_.OpenEditor(); break;
    case 2:
    case 3: view_.RequestClose(); break;
    case 4: view_.Minimise(); break;
    case 5: PressPlayButton(); break;
    case 6: view_.OpenRecords(); break;
    case 7: PressRestartButton(); break;
    default: break;
  }
}

void Game::Image1_MouseUp() { ReleaseButtonImage(); }

void Game::PressPlayButton() {
  if (!FreePlayMode) {
    if (toolkit_.MsgBox("Вы действительно хотите закончить игру?", kStyleQuestion, "Выйти") ==
        kResultYes)
      ToggleGameMode();
    return;
  }
  LevelNumber = 1;
  TotalGameTime = 0;  // a new game counts its own time, not the last game's
  ToggleGameMode();
  StartLevel();
  Lives = kStartLives;
  ShowLives();
}

void Game::PressRestartButton() {
  if (FreePlayMode) return;
  if (Lives > 0) {
    if (toolkit_.MsgBox("Переиграть?", kStyleQuestion, "Рестарт") != kResultYes) return;
    --Lives;
    ShowLives();
    StartLevel();
    return;
  }
  if (toolkit_.MsgBox("Начать с 1-го уровня?", kStyleQuestion, "Рестарт") != kResultYes) return;
  LevelNumber = 1;
  Lives = kStartLives;
  TotalGameTime = 0;
  ShowLives();
  StartLevel();
}

void Game::Timer2_Timer() { StartLevel(); }

void Game::ActivateBoard() {
  if (LevelSolved || closing_ || BoardInMotion()) return;
  RedrawBoard();
  const uint64_t generation = boardGeneration_;
  SettleBoard();
  if (!Stale(generation) && !LevelSolved) view_.BoardAtRest();
}

bool Game::BoardInMotion() const {
  return slidingIn_ || startWaiting_ || settlingGeneration_ == static_cast<int64_t>(boardGeneration_);
}

void Game::Shutdown() {
  closing_ = true;
  ++boardGeneration_;
}

}  // namespace tumbol
