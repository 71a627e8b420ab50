// Whether the player can write the program folder is the system's own
// permission check, so it is tried as a player would meet it: run as root
// (CI), the check runs in a child that has dropped to nobody.
#include "shell/game_folders.h"

#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>

#include "tests/temp_folder.h"

namespace tumbol {
namespace {

constexpr uid_t kNobody = 65534;

// Runs in the death test's child: exits 0 when the decision is as expected.
void DecideAsAPlayer(const std::string& program, const char* dataHome, const char* home,
                     const std::string& expected) {
  if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0))
    std::_Exit(2);  // cannot drop to nobody
  for (const auto& [name, value] : {std::pair("XDG_DATA_HOME", dataHome), std::pair("HOME", home)})
    value ? ::setenv(name, value, 1) : ::unsetenv(name);
  const std::string got = DataFolderFor(program);
  std::fprintf(stderr, "data folder '%s'\n", got.c_str());
  std::_Exit(got == expected ? 0 : 1);
}

TEST(GameFoldersDeathTest, DataFolderOnlyWhenThePlayerCannotWriteTheProgramFolder) {
  TempFolder dir;
  const std::string program = dir.Slash() + "program/";
  ASSERT_EQ(::chmod(dir.path.c_str(), 0755), 0);
  ASSERT_EQ(::mkdir(program.c_str(), 0755), 0);
  struct Case {
    const char* name;
    mode_t mode;
    const char *dataHome, *home;
    std::string expected;
  } const cases[] = {
      {"writable", 0777, "/xdg", "/home/p", ""},
      {"read-only", 0555, "/xdg/", "/home/p", "/xdg/tumbol/"},
      {"read-only, no XDG_DATA_HOME", 0555, nullptr, "/home/p", "/home/p/.local/share/tumbol/"},
      {"read-only, relative XDG_DATA_HOME", 0555, "data", "/home/p", "/home/p/.local/share/tumbol/"},
      {"read-only, no home at all", 0555, nullptr, nullptr, ""},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(::chmod(program.c_str(), c.mode), 0);
    EXPECT_EXIT(DecideAsAPlayer(program, c.dataHome, c.home, c.expected), ::testing::ExitedWithCode(0), "")
        << c.name;
  }
}

}  // namespace
}  // namespace tumbol
