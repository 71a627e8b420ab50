#include <gtest/gtest.h>

#include "game/map_file.h"

namespace tumbol {
namespace {

std::string Lines(int count, const std::string& line, const char* end = "\r\n") {
  std::string text;
  for (int i = 0; i < count; ++i) text += line + end;
  return text;
}

TEST(ParseLevelMap, EmptyBoardWithoutWarning) {
  Board b;
  bool warning = false;
  ParseLevelMap(Lines(16, std::string(22, '0')), b, warning);
  EXPECT_FALSE(warning);
  EXPECT_EQ(b.Rows(), 16);
  EXPECT_EQ(b.Cols(), 22);
  EXPECT_EQ(b.CountCubes(), 0);
}

TEST(ParseLevelMap, BlankLinesSkippedAndLeadingBlanksStripped) {
  const std::string row = "123456789ABCDEFGHIJKLM";
  std::string text = "\r\n   \r\n";
  for (int i = 0; i < 16; ++i) text += "  " + row + "  \r\n\r\n";
  Board b;
  bool warning = false;
  ParseLevelMap(text, b, warning);
  EXPECT_FALSE(warning);
  EXPECT_EQ(BoardRowText(b, 16), row);
  EXPECT_EQ(b.At(1, 10), 10);
}

TEST(ParseLevelMap, LetterCodesInEitherCase) {
  Board b;
  bool warning = false;
  ParseLevelMap(Lines(16, "abcdefghijklmnopqABCDE"), b, warning);
  EXPECT_FALSE(warning);
  EXPECT_EQ(b.At(1, 1), 10);
  EXPECT_EQ(b.At(1, 17), 26);
  EXPECT_EQ(b.At(1, 18), 10);
}

TEST(ParseLevelMap, BadElementsBecomeEmptyWithWarning) {
  struct Case {
    const char* what;
    std::string text;
  };
  const std::string ok(22, '2');
  const Case cases[] = {
      {"letter R", Lines(15, ok) + "R" + std::string(21, '2') + "\r\n"},
      {"inner blank", Lines(15, ok) + "2 " + std::string(20, '2') + "\r\n"},
      {"tab", Lines(15, ok) + "\t" + std::string(21, '2') + "\r\n"},
      {"short row", Lines(15, ok) + std::string(21, '2') + "\r\n"},
      {"15 rows", Lines(15, ok)},
      {"binary", Lines(15, ok) + std::string("\x01\xff\x80", 3) + std::string(19, '2') + "\r\n"},
  };
  for (const auto& c : cases) {
    Board b;
    bool warning = false;
    ParseLevelMap(c.text, b, warning);
    EXPECT_TRUE(warning) << c.what;
    EXPECT_EQ(b.Rows(), 16) << c.what;
    EXPECT_LT(b.CountCubes(), 16 * 22) << c.what;
  }
}

TEST(ParseLevelMap, LongRowsAndExtraLinesIgnoredSilently) {
  Board b;
  bool warning = false;
  ParseLevelMap(Lines(20, std::string(30, '3')), b, warning);
  EXPECT_FALSE(warning);
  EXPECT_EQ(b.CountCubes(), 16 * 22);
}

TEST(ParseLevelMap, LfOnlyFileIsOneLine) {
  Board b;
  bool warning = false;
  ParseLevelMap(Lines(16, std::string(22, '2'), "\n"), b, warning);
  EXPECT_TRUE(warning);
  EXPECT_EQ(b.At(1, 22), 2);
  EXPECT_EQ(b.CountCubes(), 22);
}

TEST(ParseLevelMap, LoneCrEndsALine) {
  Board b;
  bool warning = false;
  ParseLevelMap(Lines(16, std::string(22, '5'), "\r"), b, warning);
  EXPECT_FALSE(warning);
  EXPECT_EQ(b.CountCubes(), 352);
}

TEST(ParseLevelMap, HugeSingleLineIsQuick) {
  Board b;
  bool warning = false;
  ParseLevelMap(std::string(8 << 20, '7'), b, warning);
  EXPECT_TRUE(warning);
  EXPECT_EQ(b.CountCubes(), 22);
}

}  // namespace
}  // namespace tumbol
