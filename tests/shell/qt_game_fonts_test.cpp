#include "shell/qt_game_fonts.h"

#include <fontconfig/fontconfig.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

namespace tumbol {
namespace {

TEST(GameFontFolders, EachFaceFromTheFirstFolderThatHoldsItAndNoneWhenOneIsMissing) {
  char scratch[] = "/tmp/tumbol-fonts-XXXXXX";
  ASSERT_NE(::mkdtemp(scratch), nullptr);
  const std::string a = std::string(scratch) + "/a", b = std::string(scratch) + "/b";
  ASSERT_EQ(::mkdir(a.c_str(), 0700), 0);
  ASSERT_EQ(::mkdir(b.c_str(), 0700), 0);
  for (const std::string& file : {a + "/LiberationSerif-Regular.ttf", a + "/LiberationSans-Regular.ttf",
                                  b + "/LiberationSerif-Regular.ttf", b + "/LiberationMono-Regular.ttf",
                                  b + "/DejaVuSans.ttf"})
    std::ofstream(file) << "face";
  EXPECT_EQ(GameFontFolders({a, b}), (std::vector<std::string>{a, b}));
  EXPECT_EQ(GameFontFolders({b, a}), (std::vector<std::string>{b, a}));
  EXPECT_EQ(GameFontFolders({"/nowhere", b, a, b}), (std::vector<std::string>{b, a}));
  EXPECT_TRUE(GameFontFolders({b}).empty());  // no Liberation Sans
  EXPECT_TRUE(GameFontFolders({a}).empty());
  EXPECT_TRUE(GameFontFolders({}).empty());
  std::system(("rm -rf " + std::string(scratch)).c_str());
}

// What each family the windows ask for becomes, with the installed faces.
TEST(GameFontConfig, ResolvesTheFamiliesTheWindowsAskForToTheGameFacesOnly) {
  const std::vector<std::string> folders =
      GameFontFolders({"/usr/share/fonts/truetype/liberation2", "/usr/share/fonts/truetype/dejavu"});
  if (folders.empty()) GTEST_SKIP() << "the Liberation and DejaVu faces are not installed";
  FcConfig* config = FcConfigCreate();
  const std::string xml = GameFontConfig(folders, {});
  ASSERT_TRUE(FcConfigParseAndLoadFromMemory(config, reinterpret_cast<const FcChar8*>(xml.c_str()), FcTrue))
      << xml;
  ASSERT_TRUE(FcConfigBuildFonts(config));
  const FcFontSet* fonts = FcConfigGetFonts(config, FcSetSystem);
  ASSERT_NE(fonts, nullptr);
  EXPECT_LE(fonts->nfont, 12);  // the faces the windows use, not every font of those folders
  const struct {
    const char* asked;
    const char* face;
  } cases[] = {{"Sans Serif", "DejaVu Sans"},     {"sans-serif", "DejaVu Sans"},
               {"Sans", "DejaVu Sans"},           {"serif", "DejaVu Serif"},
               {"monospace", "DejaVu Sans Mono"}, {"Liberation Serif", "Liberation Serif"},
               {"Liberation Mono", "Liberation Mono"}, {"Liberation Sans", "Liberation Sans"}};
  for (const auto& c : cases) {
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(c.asked));
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result;
    FcPattern* match = FcFontMatch(config, pattern, &result);
    FcChar8* family = nullptr;
    ASSERT_NE(match, nullptr) << c.asked;
    ASSERT_EQ(FcPatternGetString(match, FC_FAMILY, 0, &family), FcResultMatch) << c.asked;
    EXPECT_STREQ(reinterpret_cast<const char*>(family), c.face) << c.asked;
    FcPatternDestroy(match);
    FcPatternDestroy(pattern);
  }
  FcConfigDestroy(config);
}

}  // namespace
}  // namespace tumbol
