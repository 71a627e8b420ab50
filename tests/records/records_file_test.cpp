#include "records/records_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>

#include "shell/scripted_toolkit.h"
#include "shell/data_file.h"

namespace tumbol {
namespace {

namespace fs = std::filesystem;

// Remembers the input boxes' titles as well.
class RecordsToolkit : public ScriptedToolkit {
 public:
  std::string InputBox(const std::string& prompt, const std::string& title,
                       const std::string& defaultText) override {
    inputTitles.push_back(title);
    inputDefaults.push_back(defaultText);
    return ScriptedToolkit::InputBox(prompt, title, defaultText);
  }
  std::vector<std::string> inputTitles;
  std::vector<std::string> inputDefaults;
};

class RecordsFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/tumbol_records_XXXXXX";
    ASSERT_NE(::mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
    path_work = dir_ + "/";
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string FilePath() const { return path_work + "record.txt"; }
  // Writes UTF-8 text to the file in Windows-1251.
  void WriteFile(const std::string& utf8) {
    std::string bytes;
    ASSERT_TRUE(Utf8ToCp1251(utf8, bytes));
    WriteBytes(bytes);
  }
  void WriteBytes(const std::string& bytes) {
    std::ofstream out(FilePath(), std::ios::binary);
    out << bytes;
  }
  std::string FileBytes() const {
    std::string contents;
    EXPECT_TRUE(ReadDataFile(FilePath(), contents));
    return contents;
  }
  std::string FileUtf8() const { return Cp1251ToUtf8(FileBytes()); }

  static double Minutes(double m) { return m / 1440.0; }

  std::string dir_;
  std::string path_work;
  RecordsToolkit tk;
  std::vector<std::string> lines;
};

// --- time texts -----------------------------------------------------------

TEST(TimeText, WritesTheDefaultTextOfADouble) {
  EXPECT_EQ(DurationToTimeText(45.0 / 1440, ','), "0,03125");
  EXPECT_EQ(DurationToTimeText(45.0 / 1440, '.'), "0.03125");
  EXPECT_EQ(DurationToTimeText(42.0 / 1440, ','), "2,91666666666667E-02");
  EXPECT_EQ(DurationToTimeText(5.0 / 1440, ','), "3,47222222222222E-03");
  EXPECT_EQ(DurationToTimeText(1.0, ','), "1");
  EXPECT_EQ(DurationToTimeText(2.5, ','), "2,5");
  EXPECT_EQ(DurationToTimeText(0.0, ','), "0");
  EXPECT_EQ(DurationToTimeText(36.0 / 1440, ','), "0,025");
  EXPECT_EQ(DurationToTimeText(120.0 / 1440, ','), "8,33333333333333E-02");
  EXPECT_EQ(DurationToTimeText(-0.5, ','), "-0,5");
}

TEST(TimeText, ExponentFormStartsBeyondFifteenDecimals) {
  // Fifteen decimals still plain, sixteen not.
  EXPECT_EQ(DurationToTimeText(0.123456789012345, ','), "0,123456789012345");
  EXPECT_EQ(DurationToTimeText(0.0123456789012345, ','), "1,23456789012345E-02");
  EXPECT_EQ(DurationToTimeText(1e-15, '.'), "0.000000000000001");
  EXPECT_EQ(DurationToTimeText(1e-16, '.'), "1E-16");
  EXPECT_EQ(DurationToTimeText(1.25e-16, ','), "1,25E-16");
  // Rounding to fifteen digits drops the noise of binary fractions.
  EXPECT_EQ(DurationToTimeText(0.1 + 0.2, '.'), "0.3");
  EXPECT_EQ(DurationToTimeText(123456789012345.0, '.'), "123456789012345");
  EXPECT_EQ(DurationToTimeText(1e15, '.'), "1E+15");
  EXPECT_EQ(DurationToTimeText(1e-100, '.'), "1E-100");
}

TEST(TimeText, ReadsDaysWithEitherSeparatorAndExponent) {
  double d = -1;
  ASSERT_TRUE(TimeTextToDuration("0,03125", d));
  EXPECT_DOUBLE_EQ(d, 0.03125);
  ASSERT_TRUE(TimeTextToDuration("0.03125", d));
  EXPECT_DOUBLE_EQ(d, 0.03125);
  ASSERT_TRUE(TimeTextToDuration("2,91666666666667E-02", d));
  EXPECT_NEAR(d, 42.0 / 1440, 1e-15);
  ASSERT_TRUE(TimeTextToDuration("2.91666666666667e-2", d));
  EXPECT_NEAR(d, 42.0 / 1440, 1e-15);
  ASSERT_TRUE(TimeTextToDuration("1", d));
  EXPECT_DOUBLE_EQ(d, 1.0);
  ASSERT_TRUE(TimeTextToDuration(" 0,5 ", d));
  EXPECT_DOUBLE_EQ(d, 0.5);
  ASSERT_TRUE(TimeTextToDuration(",5", d));
  EXPECT_DOUBLE_EQ(d, 0.5);
  ASSERT_TRUE(TimeTextToDuration("1E+01", d));
  EXPECT_DOUBLE_EQ(d, 10.0);
}

TEST(TimeText, ReadsTimesOfDay) {
  double d = -1;
  ASSERT_TRUE(TimeTextToDuration("0:50:00", d));
  EXPECT_NEAR(d, 50.0 / 1440, 1e-12);
  ASSERT_TRUE(TimeTextToDuration("00:50:00", d));
  EXPECT_NEAR(d, 50.0 / 1440, 1e-12);
  ASSERT_TRUE(TimeTextToDuration("23:59:59", d));
  EXPECT_NEAR(d, 86399.0 / 86400, 1e-12);
  ASSERT_TRUE(TimeTextToDuration("1:02:03", d));
  EXPECT_NEAR(d, 3723.0 / 86400, 1e-12);
}

TEST(TimeText, RejectsGarbageAndLeavesTheValue) {
  for (const char* bad : {"", " ", "abc", "1,2,3", "1.2.3", "E5", "1E", "1E+", "--1", "0,5x",
                          "nan", "inf", "1e999", "24:00:00", "0:60:00", "0:00:60", "123:00:00",
                          "0:5:00", "0:05", "0:05:00:00", ":05:00", "a:bc:de", "1 2"}) {
    double d = 7.0;
    EXPECT_FALSE(TimeTextToDuration(bad, d)) << bad;
    EXPECT_EQ(d, 7.0) << bad;
  }
}

TEST(TimeText, WrittenTextReadsBackUnderBothSeparators) {
  for (double minutes : {0.5, 5.0, 42.0, 45.0, 59.75, 300.0, 1500.0}) {
    for (char sep : {',', '.'}) {
      double d = 0;
      const std::string text = DurationToTimeText(minutes / 1440, sep);
      ASSERT_TRUE(TimeTextToDuration(text, d)) << text;
      EXPECT_NEAR(d, minutes / 1440, 1e-14) << text;
    }
  }
}

TEST(TimeText, LargestDurationsStillReadBack) {
  // Rounded to fifteen digits these would lie beyond the double range.
  const double largest = std::numeric_limits<double>::max();
  for (double days : {largest, -largest, std::nextafter(largest, 0.0), 1.7976931348623e308}) {
    for (char sep : {',', '.'}) {
      const std::string text = DurationToTimeText(days, sep);
      double back = 0;
      ASSERT_TRUE(TimeTextToDuration(text, back)) << text;
      EXPECT_NEAR(back / days, 1.0, 1e-14) << text;
      EXPECT_EQ(DurationToTimeText(back, sep), text);
    }
  }
  EXPECT_EQ(DurationToTimeText(-largest, ','), "-1,79769313486231E+308");
}

TEST(TimeText, ShownTimeOfAnEntry) {
  EXPECT_EQ(ShownRecordTime("Игрок1[:]2,91666666666667E-02"), "00:42:00");
  EXPECT_EQ(ShownRecordTime("Игрок3[:]0:50:00"), "00:50:00");
  EXPECT_EQ(ShownRecordTime("Без времени"), "");
  EXPECT_EQ(ShownRecordTime("Сломано[:]скоро"), "");
  EXPECT_EQ(ShownRecordTime("[:]1,04166666666667"), "01:00:00");  // hours within a day
}

TEST(RecordEntry, SplitsAtTheFirstSeparator) {
  std::string name, time;
  EXPECT_TRUE(SplitRecord("А[:]Б[:]1", name, time));
  EXPECT_EQ(name, "А");
  EXPECT_EQ(time, "Б[:]1");
  EXPECT_TRUE(SplitRecord("[:]", name, time));
  EXPECT_EQ(name, "");
  EXPECT_EQ(time, "");
  EXPECT_FALSE(SplitRecord("Имя[:", name, time));
  EXPECT_EQ(name, "Имя[:");
  EXPECT_EQ(time, "");
}

// --- code page --------------------------------------------------------------

TEST(CodePage, RoundTripOfEveryByte) {
  std::string all;
  for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
  std::string back;
  ASSERT_TRUE(Utf8ToCp1251(Cp1251ToUtf8(all), back));
  EXPECT_EQ(back, all);
}

TEST(CodePage, CyrillicLettersMapToTheirBytes) {
  EXPECT_EQ(Cp1251ToUtf8("\xC0\xE1\xFF\xA8\xB8"), "АбяЁё");
  std::string bytes;
  ASSERT_TRUE(Utf8ToCp1251("Мастер Кубов №1", bytes));
  EXPECT_EQ(bytes, "\xCC\xE0\xF1\xF2\xE5\xF0 \xCA\xF3\xE1\xEE\xE2 \xB9" "1");
}

TEST(CodePage, RefusesWhatItCannotHold) {
  std::string out = "untouched";
  EXPECT_FALSE(Utf8ToCp1251("日本", out));
  EXPECT_FALSE(Utf8ToCp1251("Игрок 😀", out));
  EXPECT_FALSE(Utf8ToCp1251("\xFF\xFE bad utf-8", out));
  EXPECT_FALSE(Utf8ToCp1251("cut \xD0", out));
  EXPECT_EQ(out, "untouched");
}

// --- reading ----------------------------------------------------------------

TEST_F(RecordsFileTest, ReadsEntriesStrippedAndSkipsBlankLines) {
  WriteFile("  Игрок1[:]0,03  \r\n\r\n   \r\nИгрок2[:]0,04\rИгрок3[:]0:50:00");
  lines = {"old"};
  LoadRecords(tk, path_work, lines);
  EXPECT_EQ(lines, (std::vector<std::string>{"Игрок1[:]0,03", "Игрок2[:]0,04", "Игрок3[:]0:50:00"}));
  EXPECT_TRUE(tk.messages.empty());
}

TEST_F(RecordsFileTest, LoneLineFeedsStayInsideOneEntry) {
  WriteFile("А[:]0,01\nБ[:]0,02\nВ[:]0,03\n");
  LoadRecords(tk, path_work, lines);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0], "А[:]0,01\nБ[:]0,02\nВ[:]0,03\n");
}

TEST_F(RecordsFileTest, MissingOrEmptyFileKeepsTheOldTable) {
  lines = {"Старый[:]0,1"};
  LoadRecords(tk, path_work, lines);
  ASSERT_EQ(tk.messages.size(), 1u);
  EXPECT_EQ(tk.messages[0].text, "Файла '" + FilePath() + "' не существует!");
  EXPECT_EQ(tk.messages[0].style, 48);
  EXPECT_EQ(tk.messages[0].title, "Открыть");
  EXPECT_EQ(lines, std::vector<std::string>{"Старый[:]0,1"});

  WriteBytes("");  // 0 bytes counts as missing
  LoadRecords(tk, path_work, lines);
  EXPECT_EQ(tk.messages.size(), 2u);

  WriteBytes("   \r\n\r\n  ");  // all blank: no message, table kept
  LoadRecords(tk, path_work, lines);
  EXPECT_EQ(tk.messages.size(), 2u);
  EXPECT_EQ(lines, std::vector<std::string>{"Старый[:]0,1"});

  WriteBytes(std::string(kMaxRecordsFileBytes + 1, '\r'));  // no table, whatever it holds
  LoadRecords(tk, path_work, lines);
  EXPECT_EQ(tk.messages.size(), 3u);
}

// --- the new-record check -------------------------------------------------

TEST_F(RecordsFileTest, SlowerThanEveryEntryChangesNothing) {
  const std::string bytes = "  \xC0[:]0,01\r\n\r\n\xC1[:]0:20:00\r\nno time\n";
  WriteBytes(bytes);
  EXPECT_FALSE(CheckNewRecord(tk, path_work, lines, Minutes(30), ','));
  EXPECT_TRUE(tk.prompts.empty());
  EXPECT_TRUE(tk.messages.empty());
  EXPECT_EQ(FileBytes(), bytes);
}

TEST_F(RecordsFileTest, FasterThanTheFirstReplacesIt) {
  WriteFile("Игрок1[:]2,91666666666667E-02\r\nИгрок2[:]0,03125\r\nИгрок3[:]0:50:00\r\n");
  tk.inputs = {"Чемпион"};
  EXPECT_TRUE(CheckNewRecord(tk, path_work, lines, Minutes(40), ','));
  ASSERT_EQ(tk.prompts.size(), 1u);
  EXPECT_EQ(tk.prompts[0], "Установлен новый рекорд!\r\nВведите свое имя:");
  EXPECT_EQ(tk.inputTitles[0], "Таблица рекордов");
  EXPECT_EQ(tk.inputDefaults[0], "");
  EXPECT_EQ(FileUtf8(),
            "Чемпион[:]2,77777777777778E-02\r\nИгрок2[:]0,03125\r\nИгрок3[:]0:50:00\r\n");
  EXPECT_EQ(lines[0], "Чемпион[:]2,77777777777778E-02");
}

// Installed read-only: the first record writes the shipped table, with the
// record in its place, into the player's data folder, made then; the next
// game reads that copy. The shipped file is never touched.
TEST_F(RecordsFileTest, ReadOnlyInstallKeepsRecordsInTheDataFolder) {
  WriteFile("A[:]0,01\r\nB[:]0,03\r\nC[:]0,05\r\n");
  const std::string shipped = FileBytes();
  const GameFolders folders(path_work, dir_ + "/home/.local/share/tumbol/");
  tk.inputs = {"Первый", "Второй"};
  EXPECT_TRUE(CheckNewRecord(tk, folders, lines, 0.04, ','));
  EXPECT_TRUE(CheckNewRecord(tk, folders, lines, 0.02, ','));
  EXPECT_EQ(FileBytes(), shipped);
  std::string copy;
  ASSERT_TRUE(ReadDataFile(folders.data + "record.txt", copy));
  EXPECT_EQ(Cp1251ToUtf8(copy), "A[:]0,01\r\nВторой[:]0,02\r\nПервый[:]0,04\r\n");
}

TEST_F(RecordsFileTest, TieKeepsRankAndTheNextSlowerIsReplaced) {
  WriteFile("A[:]0,025\r\nB[:]0,03125\r\nC[:]0:50:00\r\nD[:]0,05\r\n");
  tk.inputs = {"New"};
  EXPECT_TRUE(CheckNewRecord(tk, path_work, lines, 0.03125, '.'));
  EXPECT_EQ(FileBytes(), "A[:]0,025\r\nB[:]0,03125\r\nNew[:]0.03125\r\nD[:]0,05\r\n");
}

TEST_F(RecordsFileTest, TieWithTheLastSetsNoRecord) {
  WriteFile("A[:]0,025\r\nB[:]0,03125\r\n");
  EXPECT_FALSE(CheckNewRecord(tk, path_work, lines, 0.03125, ','));
  EXPECT_TRUE(tk.prompts.empty());
}

TEST_F(RecordsFileTest, EntriesWithoutSeparatorAreSkippedAndWrittenBack) {
  WriteFile("  Заголовок таблицы  \r\n\r\nA[:]0,01\r\nпросто строка\r\nB[:]0,05\r\n");
  tk.inputs = {"  Пробелы  "};
  EXPECT_TRUE(CheckNewRecord(tk, path_work, lines, 0.02, ','));
  EXPECT_EQ(FileUtf8(),
            "Заголовок таблицы\r\nA[:]0,01\r\nпросто строка\r\n  Пробелы  [:]0,02\r\n");
  // The next read strips the blanks the name was typed with.
  std::vector<std::string> again;
  LoadRecords(tk, path_work, again);
  EXPECT_EQ(again[3], "Пробелы  [:]0,02");
}

TEST_F(RecordsFileTest, TableWithoutSeparatorsNeverTakesARecord) {
  WriteFile("раз\r\nдва\r\n");
  EXPECT_FALSE(CheckNewRecord(tk, path_work, lines, 0.0, ','));
  EXPECT_TRUE(tk.prompts.empty());
}

TEST_F(RecordsFileTest, UnreadableTimeIsReplacedFirst) {
  WriteFile("A[:]0,01\r\nB[:]когда-то\r\nC[:]0,5\r\n");
  tk.inputs = {"X"};
  EXPECT_TRUE(CheckNewRecord(tk, path_work, lines, 0.3, ','));
  EXPECT_EQ(FileUtf8(), "A[:]0,01\r\nX[:]0,3\r\nC[:]0,5\r\n");
}

TEST_F(RecordsFileTest, AsksAgainUntilANameIsGiven) {
  WriteFile("A[:]0,5\r\n");
  tk.inputs = {"", "", "", "Вася"};  // Cancel and empty OK give the same ""
  EXPECT_TRUE(CheckNewRecord(tk, path_work, lines, 0.1, ','));
  EXPECT_EQ(tk.prompts.size(), 4u);
  ASSERT_EQ(tk.messages.size(), 3u);
  for (const auto& m : tk.messages) {
    EXPECT_EQ(m.text, "Введите имя!");
    EXPECT_EQ(m.style, 64);
    EXPECT_EQ(m.title, "Таблица рекордов");
  }
  EXPECT_EQ(FileUtf8(), "Вася[:]0,1\r\n");
}

TEST_F(RecordsFileTest, RefusesNamesTheTableCannotHold) {
  WriteFile("A[:]0,5\r\n");
  tk.inputs = {"a[:]b", "Ли 李", "две\rстроки", "Ли"};
  EXPECT_TRUE(CheckNewRecord(tk, path_work, lines, 0.1, ','));
  EXPECT_EQ(tk.prompts.size(), 4u);
  ASSERT_EQ(tk.messages.size(), 3u);
  EXPECT_NE(tk.messages[0].text.find("[:]"), std::string::npos);
  for (const auto& m : tk.messages) {
    EXPECT_NE(m.text, "Введите имя!");
    EXPECT_EQ(m.style, 64);
    EXPECT_EQ(m.title, "Таблица рекордов");
  }
  EXPECT_EQ(FileUtf8(), "Ли[:]0,1\r\n");
}

TEST_F(RecordsFileTest, MissingFileUsesTheTableReadEarlier) {
  lines = {"A[:]0,5"};
  tk.inputs = {"B"};
  EXPECT_TRUE(CheckNewRecord(tk, path_work, lines, 0.1, ','));
  ASSERT_EQ(tk.messages.size(), 1u);
  EXPECT_EQ(tk.messages[0].title, "Открыть");
  EXPECT_EQ(FileBytes(), "B[:]0,1\r\n");
}

TEST_F(RecordsFileTest, NothingEverReadMeansNoRecord) {
  EXPECT_FALSE(CheckNewRecord(tk, path_work, lines, 0.0, ','));
  EXPECT_TRUE(tk.prompts.empty());
  EXPECT_EQ(tk.messages.size(), 1u);
  EXPECT_FALSE(fs::exists(FilePath()));
}

TEST_F(RecordsFileTest, ByteUndefinedInTheCodePageSurvivesARewrite) {
  WriteBytes("\x98odd[:]0,5\r\nA[:]0,9\r\n");
  tk.inputs = {"B"};
  EXPECT_TRUE(CheckNewRecord(tk, path_work, lines, 0.7, ','));
  EXPECT_EQ(FileBytes(), "\x98odd[:]0,5\r\nB[:]0,7\r\n");
}

TEST_F(RecordsFileTest, ThousandEntries) {
  std::string text;
  for (int i = 1; i <= 1000; ++i) text += "P" + std::to_string(i) + "[:]" + std::to_string(i) + "\r\n";
  WriteFile(text);
  tk.inputs = {"Z"};
  EXPECT_TRUE(CheckNewRecord(tk, path_work, lines, 999.5, ','));
  ASSERT_EQ(lines.size(), 1000u);
  EXPECT_EQ(lines[998], "P999[:]999");
  EXPECT_EQ(lines[999], "Z[:]999,5");
  std::vector<std::string> again;
  LoadRecords(tk, path_work, again);
  EXPECT_EQ(again, lines);
}

TEST_F(RecordsFileTest, FailedWriteKeepsTheTableAndTells) {
  WriteFile("Игрок[:]0,5\r\nB[:]0,9\r\n");
  const std::string before = FileBytes();
  g_fileFaults.syncError = EIO;
  tk.inputs = {"Быстрый"};
  EXPECT_FALSE(CheckNewRecord(tk, path_work, lines, 0.1, ','));
  g_fileFaults = FileFaults();
  ASSERT_EQ(tk.messages.size(), 1u);
  EXPECT_EQ(tk.messages[0].style, kStyleExclamation);
  EXPECT_EQ(tk.messages[0].title, "Таблица рекордов");
  EXPECT_EQ(tk.messages[0].text, "Не удалось записать файл '" + FilePath() +
                                     "': Input/output error.\rТаблица рекордов осталась прежней.");
  EXPECT_EQ(FileBytes(), before);
  EXPECT_EQ(lines, (std::vector<std::string>{"Игрок[:]0,5", "B[:]0,9"}));
}

}  // namespace
}  // namespace tumbol
