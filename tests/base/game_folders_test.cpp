// Whether the player can write the program folder is the system's own
// permission check, so it is tried as a player would meet it: run as root
// (CI), the check runs in a child that has dropped to nobody.
#include "base/game_folders.h"

#include <grp.h>
#include <pwd.h>
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
void Decide(const std::string& program, bool asNobody, const char* dataHome, const char* home,
            const std::string& expected) {
  if (asNobody && ::geteuid() == 0 &&
      (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0))
    std::_Exit(2);  // cannot drop to nobody
  for (const auto& [name, value] : {std::pair("XDG_DATA_HOME", dataHome), std::pair("HOME", home)})
    value ? ::setenv(name, value, 1) : ::unsetenv(name);
  const std::string got = DataFolderFor(program);
  std::fprintf(stderr, "data folder '%s'\n", got.c_str());
  std::_Exit(got == expected ? 0 : 1);
}

// The player is nobody when the test runs as root, else whoever runs it.
TEST(GameFoldersDeathTest, DataFolderUnlessTheProgramFolderIsThePlayersOwn) {
  TempFolder dir;
  const std::string program = dir.Slash() + "program/";
  ASSERT_EQ(::chmod(dir.path.c_str(), 0755), 0);
  ASSERT_EQ(::mkdir(program.c_str(), 0755), 0);
  const bool root = ::geteuid() == 0;
  const std::string userHome = ::getpwuid(root ? kNobody : ::geteuid())->pw_dir;
  struct Case {
    const char* name;
    std::string program;
    mode_t mode;
    bool players, asNobody;
    const char *dataHome, *home;
    std::string expected;
  } const cases[] = {
      {"writable", program, 0777, true, true, "/xdg", "/home/p", ""},
      {"writable, someone else's", program, 0777, false, true, "/xdg", "/home/p", root ? "/xdg/tumbol/" : ""},
      {"read-only", program, 0555, true, true, "/xdg/", "/home/p", "/xdg/tumbol/"},
      {"read-only, no XDG_DATA_HOME", program, 0555, true, true, nullptr, "/home/p", "/home/p/.local/share/tumbol/"},
      {"read-only, relative XDG_DATA_HOME", program, 0555, true, true, "data", "/home/p",
       "/home/p/.local/share/tumbol/"},
      {"read-only, no HOME", program, 0555, true, true, nullptr, nullptr, userHome + "/.local/share/tumbol/"},
      {"installed under /usr, run by its owner", "/usr/lib/", 0, true, false, "/xdg", "/home/p", "/xdg/tumbol/"},
  };
  for (const Case& c : cases) {
    if (c.mode != 0) {
      ASSERT_EQ(::chmod(program.c_str(), c.mode), 0);
      ASSERT_TRUE(!root || ::chown(program.c_str(), c.players ? kNobody : 0, 0) == 0);
    }
    EXPECT_EXIT(Decide(c.program, c.asNobody, c.dataHome, c.home, c.expected), ::testing::ExitedWithCode(0), "")
        << c.name;
  }
}

}  // namespace
}  // namespace tumbol
