// Which platform the game asks Qt for, and the scale its windows fit at.
#include <gtest/gtest.h>

#include "shell/qt_desktop.h"

namespace tumbol {
namespace {

TEST(ChoosePlatformTest, TheUsersChoiceWinsAndX11ComesFirstWhereBothAreOffered) {
  const struct {
    const char *chosen, *display, *wayland, *want;
  } cases[] = {
      {nullptr, ":0", "wayland-0", "xcb;wayland"}, {"", ":0", "wayland-0", "xcb;wayland"},
      {"wayland", ":0", "wayland-0", ""},          {"xcb", ":0", "wayland-0", ""},
      {nullptr, nullptr, "wayland-0", ""},         {nullptr, ":0", nullptr, ""},
      {nullptr, ":0", "", ""},                     {nullptr, "", "wayland-0", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.chosen ? c.chosen : "(unset)") + " " + (c.display ? c.display : "(unset)") + " " +
                 (c.wayland ? c.wayland : "(unset)"));
    EXPECT_EQ(ChoosePlatform(c.chosen, c.display, c.wayland), c.want);
  }
}

// The game window (frameless) and the editor (framed) on free areas in Qt's
// pixels: 1280x1024 at a scale of 2, a 1366x768 laptop at 125 % less a
// panel, small screens at 100 % and 125 % (below one screen pixel per pixel,
// down to half of one), a netbook and an 800x600 screen.
TEST(FittingScaleTest, TheLargestScaleAtWhichEveryWindowFitsWithItsFrame) {
  const WindowSize game{{760, 614}, false}, editor{{865, 535}, true};
  EXPECT_EQ(FittingScale({640, 512}, 2, {game}), 0.83);
  EXPECT_EQ(FittingScale({640, 512}, 2, {game, editor}), 0.72);
  EXPECT_EQ(FittingScale({1093, 584}, 1.25, {game, editor}), 0.94);
  EXPECT_EQ(FittingScale({1024, 560}, 1, {game}), 0.9);
  EXPECT_EQ(FittingScale({819, 400}, 1.25, {game}), 0.64);
  EXPECT_EQ(FittingScale({1024, 600}, 1, {game, editor}), 0.97);
  EXPECT_EQ(FittingScale({800, 600}, 1, {game, editor}), 0.91);
  EXPECT_EQ(FittingScale({300, 200}, 1, {game}), 0.5);  // never below half a screen pixel
  EXPECT_EQ(FittingScale({300, 200}, 2, {game}), 0.32);
  EXPECT_EQ(FittingScale({762, 616}, 1, {game}), 1.0);
  EXPECT_EQ(FittingScale({}, 2, {game}), 1.0);  // no screen known
  const char* given[] = {nullptr, "2", "junk", "0"};
  const char* want[] = {"0.72", "1.44", "0.72", "0.72"};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(LoweredScaleFactor(given[i], 0.72), want[i]) << i;
}

}  // namespace
}  // namespace tumbol
