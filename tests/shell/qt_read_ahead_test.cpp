#include "shell/qt_read_ahead.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

namespace tumbol {
namespace {

TEST(PictureReadAhead, GivesWhatALoadOnTheSpotGivesStartedOrNot) {
  QTemporaryDir dir;
  const QString skin = QString(TUMBOL_SOURCE_DIR) + "/data/skinsp.jpg";
  const QString broken = dir.path() + "/broken.jpg";
  QFile f(broken);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("\xFF\xD8\xFF not really a picture");
  f.close();

  PictureReadAhead ahead;
  ahead.Start(skin);
  ahead.Start(skin);  // a second start is the same picture
  ahead.Start(broken);
  ahead.Start(dir.path() + "/missing.jpg");
  const QImage expected(skin);
  ASSERT_FALSE(expected.isNull());
  EXPECT_EQ(ahead.Take(skin), expected);
  EXPECT_EQ(ahead.Take(skin), expected);  // taken again: decoded on the spot
  EXPECT_TRUE(ahead.Take(broken).isNull());
  EXPECT_TRUE(ahead.Take(dir.path() + "/missing.jpg").isNull());
  EXPECT_TRUE(ahead.Take(dir.path() + "/never-started.bmp").isNull());
}

}  // namespace
}  // namespace tumbol
