// The records table: time texts, the code page, reading record.txt and the
// new-record rule. Arbitrary bytes and round trips of any duration are the
// fuzz target's job (scripts/fuzz.sh fuzz_records); the time shown for an
// entry is tested through the records window (qt_form3_test).
#include "records/records_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <limits>

#include "base/data_file.h"
#include "tests/file_faults.h"
#include "tests/scripted_toolkit.h"
#include "tests/temp_folder.h"

namespace tumbol {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::FieldsAre;

TEST(TimeText, WritesTheDefaultTextOfADouble) {
  const struct {
    double days;
    char sep;
    const char* text;
  } cases[] = {
      {45.0 / 1440, ',', "0,03125"}, {42.0 / 1440, ',', "2,91666666666667E-02"}, {1.0, ',', "1"}, {0.0, ',', "0"},
      {-0.5, ',', "-0,5"},
      // Fifteen decimals still plain, sixteen not.
      {0.123456789012345, ',', "0,123456789012345"}, {0.0123456789012345, ',', "1,23456789012345E-02"},
      {1e-15, '.', "0.000000000000001"}, {1e-16, '.', "1E-16"}, {1.25e-16, ',', "1,25E-16"},
      {0.1 + 0.2, '.', "0.3"},  // rounding to fifteen digits drops the binary noise
      {123456789012345.0, '.', "123456789012345"}, {1e15, '.', "1E+15"}, {1e-100, '.', "1E-100"},
      // Rounded to fifteen digits this would lie beyond the double range, and never read back.
      {-std::numeric_limits<double>::max(), ',', "-1,79769313486231E+308"},
  };
  for (const auto& c : cases) EXPECT_EQ(DurationToTimeText(c.days, c.sep), c.text);
}

TEST(TimeText, ReadsDaysWithEitherSeparatorAndTimesOfDay) {
  const struct {
    const char* text;
    double days;
  } cases[] = {
      {"2.91666666666667e-2", 42.0 / 1440}, {" 0,5 ", 0.5},           {",5", 0.5},                    {"-0,5", -0.5},
      {"1E+01", 10.0},                      {"0:50:00", 50.0 / 1440}, {"23:59:59", 86399.0 / 86400},
  };
  for (const auto& c : cases) {
    double d = -1;
    ASSERT_TRUE(TimeTextToDuration(c.text, d)) << c.text;
    EXPECT_NEAR(d, c.days, 1e-12) << c.text;
  }
  for (const char* bad : {"", " ", "abc", "1,2,3", "1.2.3", "E5", "1E", "1E+", "--1", "0,5x",
                          "nan", "inf", "1e999", "24:00:00", "0:60:00", "0:00:60", "123:00:00",
                          "0:5:00", "0:05", "0:05:00:00", ":05:00", "a:bc:de", "1 2"}) {
    double d = 7.0;
    EXPECT_FALSE(TimeTextToDuration(bad, d)) << bad;
    EXPECT_EQ(d, 7.0) << bad;
  }
}

// Byte 0x98, which Windows-1251 leaves undefined, travels as U+0098, so any
// line of the file survives a rewrite.
TEST(CodePage, CyrillicLettersMapToTheirBytesAndTheRestIsRefused) {
  EXPECT_EQ(Cp1251ToUtf8("\xC0\xE1\x98\xFF\xA8\xB8"), "Аб\u0098яЁё");
  std::string bytes;
  ASSERT_TRUE(Utf8ToCp1251("Мастер\u0098 Кубов №1\u0098", bytes));
  EXPECT_EQ(bytes, "\xCC\xE0\xF1\xF2\xE5\xF0\x98 \xCA\xF3\xE1\xEE\xE2 \xB9" "1\x98");
  std::string out = "untouched";
  for (const char* bad : {"日本", "Игрок 😀", "bad \x98 utf-8", "cut \xD0"}) EXPECT_FALSE(Utf8ToCp1251(bad, out)) << bad;
  EXPECT_EQ(out, "untouched");
}

// Remembers the input boxes' titles and default texts as well.
class RecordsToolkit : public ScriptedToolkit {
 public:
  std::string InputBox(const std::string& prompt, const std::string& title, const std::string& defaultText) override {
    inputTitles.push_back(title + "|" + defaultText);
    return ScriptedToolkit::InputBox(prompt, title, defaultText);
  }
  std::vector<std::string> inputTitles;
};

class RecordsFileTest : public ::testing::Test {
 protected:
  void WriteFile(const std::string& utf8) {
    std::string bytes;
    ASSERT_TRUE(Utf8ToCp1251(utf8, bytes));
    WriteBytes(file, bytes);
  }

  TempFolder dir;
  const std::string path_work = dir.Slash();
  const fs::path file = dir / "record.txt";
  RecordsToolkit tk;
  RecordTable lines;
};

// A file that cannot be read keeps the table read earlier, and the next
// record is set in it; with no table ever read there is none to set.
TEST_F(RecordsFileTest, MissingEmptyBlankOrHugeFileKeepsTheTableReadEarlier) {
  EXPECT_FALSE(CheckNewRecord(tk, path_work, lines, 0.0, ','));
  EXPECT_TRUE(tk.prompts.empty());
  EXPECT_THAT(tk.messages, ElementsAre(FieldsAre("Файла '" + file.string() + "' не существует!", 48, "Открыть")));
  const struct {
    const char* what;
    std::string contents;
    size_t messages;
  } cases[] = {{"empty counts as missing", "", 1},
               {"too big is no table", std::string(kMaxDataFileBytes + 1, '\r'), 1},
               {"blank lines only", "   \r\n\r\n  ", 0}};
  lines = {"A[:]0,5"};
  for (const auto& c : cases) {
    tk.messages.clear();
    WriteBytes(file, c.contents);
    LoadRecords(tk, path_work, lines);
    EXPECT_EQ(tk.messages.size(), c.messages) << c.what;
    EXPECT_EQ(lines.Text(), "A[:]0,5\r\n") << c.what;
  }
  fs::remove(file);
  tk.inputs = {"B", "C"};
  EXPECT_TRUE(CheckNewRecord(tk, path_work, lines, 0.1, ','));
  EXPECT_EQ(ReadBytes(file), "B[:]0,1\r\n");
  std::string longTable;  // a table is a table however long
  while (longTable.size() <= 2 << 20) longTable += "B[:]0,1\r\n";
  WriteBytes(file, longTable);
  EXPECT_TRUE(CheckNewRecord(tk, path_work, lines, 0.05, ','));
  EXPECT_EQ(ReadBytes(file), "C[:]0,05\r\n" + longTable.substr(9));
}

TEST_F(RecordsFileTest, ANewRecordTakesThePlaceOfTheFirstSlowerEntry) {
  const struct {
    const char* what;
    const char* table;
    double time;
    char sep;
    const char* after;  // null: no record, the file unchanged
  } cases[] = {
      {"slower than every entry", "  А[:]0,01\r\n\r\nБ[:]0:20:00\r\nno time\n", 30.0 / 1440, ',', nullptr},
      {"faster than the first", "И1[:]2,91666666666667E-02\r\nИ2[:]0,03125\r\nИ3[:]0:50:00\r\n", 40.0 / 1440, ',',
       "X[:]2,77777777777778E-02\r\nИ2[:]0,03125\r\nИ3[:]0:50:00\r\n"},
      {"a tie keeps its rank", "A[:]0,025\r\nB[:]0,03125\r\nC[:]0:50:00\r\nD[:]0,05\r\n", 0.03125, '.',
       "A[:]0,025\r\nB[:]0,03125\r\nX[:]0.03125\r\nD[:]0,05\r\n"},
      {"entries without separator are kept, a lone CR or LF ends one",
       "  Заголовок  \r\n\r\nA[:]0,01\rстрока\r\nB\nC[:]0,05\n", 0.02, ',',
       "Заголовок\r\nA[:]0,01\r\nстрока\r\nB\r\nX[:]0,02\r\n"},
      {"an unreadable time is slower than any", "A[:]0,01\r\nB[:]когда-то\r\nC[:]0,5\r\n", 0.3, ',',
       "A[:]0,01\r\nX[:]0,3\r\nC[:]0,5\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    WriteFile(c.table);
    const std::string before = ReadBytes(file);
    tk.prompts.clear();
    tk.inputs = {"X"};
    EXPECT_EQ(CheckNewRecord(tk, path_work, lines, c.time, c.sep), c.after != nullptr);
    EXPECT_EQ(tk.prompts.size(), c.after ? 1u : 0u);
    if (c.after) {
      EXPECT_EQ(Cp1251ToUtf8(ReadBytes(file)), c.after);
      EXPECT_EQ(lines.Text(), c.after);  // the table in memory is the one written
    } else {
      EXPECT_EQ(ReadBytes(file), before);
    }
  }
  EXPECT_TRUE(tk.messages.empty());
  EXPECT_EQ(tk.prompts[0], "Установлен новый рекорд!\r\nВведите свое имя:");
  EXPECT_EQ(tk.inputTitles[0], "Таблица рекордов|");
}

TEST_F(RecordsFileTest, AsksAgainUntilANameIsGivenThatTheTableCanHold) {
  WriteFile("A[:]0,5\r\n");
  tk.inputs = {"", "a[:]b", "Ли 李", "две\rстроки", "  Ли  "};  // Cancel and an empty OK give the same ""
  EXPECT_TRUE(CheckNewRecord(tk, path_work, lines, 0.1, ','));
  const auto told = [](const char* text) {
    return FieldsAre(::testing::HasSubstr(text), kStyleInformation, "Таблица рекордов");
  };
  EXPECT_THAT(tk.messages, ElementsAre(told("Введите имя!"), told("\"[:]\""), told("нельзя записать"),
                                       told("нельзя записать")));
  EXPECT_EQ(Cp1251ToUtf8(ReadBytes(file)), "  Ли  [:]0,1\r\n");  // the name as typed
}

TEST_F(RecordsFileTest, FailedWriteKeepsTheTableAndTells) {
  WriteFile("Игрок[:]0,5\r\nB[:]0,9\r\n");
  const std::string before = ReadBytes(file);
  g_fileFaults.syncError = EIO;
  tk.inputs = {"Быстрый"};
  EXPECT_FALSE(CheckNewRecord(tk, path_work, lines, 0.1, ','));
  g_fileFaults = FileFaults();
  EXPECT_THAT(tk.messages, ElementsAre(FieldsAre("Не удалось записать файл '" + file.string() +
                                                     "': " + FileErrorReason(EIO) + ".\rТаблица рекордов осталась прежней.",
                                                 kStyleExclamation, "Таблица рекордов")));
  EXPECT_EQ(ReadBytes(file), before);
  EXPECT_EQ(lines.Text(), "Игрок[:]0,5\r\nB[:]0,9\r\n");
  EXPECT_EQ(lines[1], "B[:]0,9");
}

// Installed read-only: a record writes the shipped table, with the record in
// its place, into the player's data folder, made then; the shipped file stays.
TEST_F(RecordsFileTest, ReadOnlyInstallKeepsRecordsInTheDataFolder) {
  WriteBytes(file, "A[:]0,01\r\nB[:]0,03\r\n");
  const GameFolders folders(path_work, dir.Slash() + "home/.local/share/tumbol/");
  tk.inputs = {"Первый"};
  EXPECT_TRUE(CheckNewRecord(tk, folders, lines, 0.02, ','));
  EXPECT_EQ(ReadBytes(file), "A[:]0,01\r\nB[:]0,03\r\n");
  EXPECT_EQ(Cp1251ToUtf8(ReadBytes(folders.data + "record.txt")), "A[:]0,01\r\nПервый[:]0,02\r\n");
}

}  // namespace
}  // namespace tumbol
