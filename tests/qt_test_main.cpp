#include <QApplication>
#include <gtest/gtest.h>

// Widget tests need a QApplication. Unless told otherwise they draw
// offscreen and play sound into SDL's silent driver, so they run the same
// on a machine without a display or a sound card.
int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  if (qEnvironmentVariableIsEmpty("SDL_AUDIODRIVER")) qputenv("SDL_AUDIODRIVER", "dummy");
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
