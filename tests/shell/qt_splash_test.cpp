#include "shell/qt_splash.h"

#include <gtest/gtest.h>

#include <QColor>
#include <future>

namespace tumbol {
namespace {

std::shared_future<QImage> FacePainted(qreal ratio) {
  // As the start-up has it: on another thread than the window's.
  return std::async(std::launch::async, [ratio] { return PaintSplashFace(ratio); }).share();
}

// However it was given its face, or none, the splash looks as when it paints
// itself; a face painted for another pixel ratio is not stretched over it.
TEST(frmSplash, LooksTheSameWhateverFaceItIsGiven) {
  const QImage own = frmSplash().grab().toImage();
  // The caption in gold and its dark shadow are on it: text was drawn.
  int gold = 0, shadow = 0;
  for (int y = 25; y < 54; ++y)
    for (int x = 112; x < 337; ++x) {
      const QColor c = own.pixelColor(x, y);
      gold += c == QColor(0xe8, 0xc6, 0x6a);
      shadow += c == QColor(0x05, 0x08, 0x12);
    }
  EXPECT_GT(gold, 200);
  EXPECT_GT(shadow, 100);
  for (const qreal ratio : {1.0, 2.0}) {
    frmSplash given(FacePainted(ratio));
    EXPECT_EQ(given.grab().toImage(), own) << "face painted at " << ratio;
  }
}

}  // namespace
}  // namespace tumbol
