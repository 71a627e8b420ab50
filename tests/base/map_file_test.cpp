// The level map reader. Arbitrary bytes are the fuzz target's job
// (scripts/fuzz.sh fuzz_map_file); the cases here pin each rule once.
#include <gtest/gtest.h>

#include "base/map_file.h"

namespace tumbol {
namespace {

std::string Lines(int count, const std::string& line, const char* end = "\r\n") {
  std::string text;
  for (int i = 0; i < count; ++i) text += line + end;
  return text;
}

TEST(ParseLevelMap, BlankLinesSkippedLeadingBlanksStrippedLettersInEitherCase) {
  const std::string row = "123456789ABCDEFGHIJKLM";
  std::string text = "\r\n   \r\n";
  for (int i = 0; i < 15; ++i) text += "  " + row + "  \r\n\r\n";
  Board b;
  bool warning = false;
  ParseLevelMap(text + "abcdefghijklmnopqABCDE\r\n", b, warning);
  EXPECT_FALSE(warning);
  EXPECT_EQ(b.Rows(), 16);
  EXPECT_EQ(b.Cols(), 22);
  EXPECT_EQ(BoardRowText(b, 1), row);
  EXPECT_EQ(b.At(1, 10), 10);
  EXPECT_EQ(BoardRowText(b, 16), "ABCDEFGHIJKLMNOPQABCDE");
}

TEST(ParseLevelMap, BadElementsBecomeEmptyWithWarning) {
  const std::string ok(22, '2');
  const struct {
    const char* what;
    std::string lastLine;  // row 16 of the file, after 15 good rows
    std::string row16;     // row 16 as read
  } cases[] = {
      {"letter R", "R" + std::string(21, '2') + "\r\n", "0" + std::string(21, '2')},
      {"inner blank", "2 " + std::string(20, '2') + "\r\n", "20" + std::string(20, '2')},
      {"tab", "\t" + std::string(21, '2') + "\r\n", "0" + std::string(21, '2')},
      {"short row: column 22", std::string(21, '2') + "\r\n", std::string(21, '2') + "0"},
      {"15 rows: row 16", "", std::string(22, '0')},
      {"binary", std::string("\x01\xff\x80", 3) + std::string(19, '2') + "\r\n", "000" + std::string(19, '2')},
  };
  for (const auto& c : cases) {
    Board b;
    bool warning = false;
    ParseLevelMap(Lines(15, ok) + c.lastLine, b, warning);
    EXPECT_TRUE(warning) << c.what;
    EXPECT_EQ(BoardRowText(b, 16), c.row16) << c.what;
    EXPECT_EQ(BoardRowText(b, 15), ok) << c.what;
  }
}

// CR LF, a lone CR and a lone LF each end a line, mixed too; longer rows
// and more lines are cut without a warning.
TEST(ParseLevelMap, LineEnds) {
  const std::string row(22, '5');
  for (const std::string& text : {Lines(20, std::string(30, '5')), Lines(16, row, "\r"), Lines(16, row, "\n"),
                                  Lines(8, row, "\n\r") + Lines(4, row, "\r") + Lines(4, row, "\n")}) {
    Board b;
    bool warning = false;
    ParseLevelMap(text, b, warning);
    EXPECT_FALSE(warning) << text;
    EXPECT_EQ(b.CountCubes(), 16 * 22) << text;
  }
}

}  // namespace
}  // namespace tumbol
