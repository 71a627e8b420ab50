// Which platform the game asks Qt for.
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

}  // namespace
}  // namespace tumbol
