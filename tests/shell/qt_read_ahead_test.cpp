#include "shell/qt_read_ahead.h"

#include <gtest/gtest.h>

#include "tests/temp_folder.h"

namespace tumbol {
namespace {

TEST(PictureReadAhead, GivesWhatALoadOnTheSpotGivesStartedOrNot) {
  TempFolder dir;
  WriteBytes(dir / "broken.jpg", "\xFF\xD8\xFF not really a picture");
  const QString skin = TUMBOL_SOURCE_DIR "/data/skinsp.jpg";
  const QString broken = QString::fromStdString((dir / "broken.jpg").string());
  PictureReadAhead ahead;
  ahead.Start(skin);
  ahead.Start(skin);  // a second start is the same picture
  ahead.Start(broken);
  const QImage expected(skin);
  ASSERT_FALSE(expected.isNull());
  EXPECT_EQ(ahead.Take(skin), expected);
  EXPECT_EQ(ahead.Take(skin), expected);  // taken again: decoded on the spot
  EXPECT_TRUE(ahead.Take(broken).isNull());
  EXPECT_TRUE(ahead.Take(QString::fromStdString((dir / "never-started.bmp").string())).isNull());
}

}  // namespace
}  // namespace tumbol
