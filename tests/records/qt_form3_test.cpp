#include "records/qt_form3.h"

#include <QHeaderView>
#include <QImage>
#include <QTest>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <set>

#include "records/records_file.h"
#include "shell/scripted_toolkit.h"

namespace tumbol {
namespace {

namespace fs = std::filesystem;

// Scripted boxes, but real random numbers so the flame burns.
class FlameToolkit : public ScriptedToolkit {
 public:
  double Rnd() override { return dist_(gen_); }

 private:
  std::mt19937 gen_{2026};
  std::uniform_real_distribution<double> dist_{0.0, 1.0};
};

class Form3Test : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/tumbol_form3_XXXXXX";
    ASSERT_NE(::mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
    path_work = dir_ + "/";
    fs::copy_file(std::string(TUMBOL_SOURCE_DIR) + "/data/skinsp.jpg", path_work + "skinsp.jpg");
    closePicture = QPixmap(122, 26);
    closePicture.fill(QColor(200, 40, 40));
  }
  void TearDown() override { fs::remove_all(dir_); }

  void WriteRecords(const std::string& utf8) {
    std::string bytes;
    ASSERT_TRUE(Utf8ToCp1251(utf8, bytes));
    std::ofstream(path_work + "record.txt", std::ios::binary) << bytes;
  }
  static bool RunsUntil(const std::function<bool()>& done, int ms = 3000) {
    return QTest::qWaitFor(done, ms);
  }

  std::string dir_;
  std::string path_work;
  QPixmap closePicture;
  FlameToolkit tk;
};

TEST_F(Form3Test, ListsEveryEntryInFileOrderWithEmblemsForTenRanks) {
  WriteRecords(
      "Игрок1[:]2,91666666666667E-02\r\n"
      "  Игрок2[:]0.03125  \r\n"
      "\r\n"
      "Игрок3[:]0:50:00\r\n"
      "Игрок4[:]01:02:03\r\n"
      "Просто строка\r\n"
      "Сломано[:]вчера\r\n"
      "[:]0,5\r\n"
      "Восемь[:]1,04166666666667\r\n"
      "Девять[:]0,06\r\n"
      "Десять[:]0,07\r\n"
      "Одиннадцать[:]0,08\r\n"
      "Двенадцать[:]0,09\r\n");
  Form3 form(tk, path_work, closePicture);
  EXPECT_TRUE(tk.messages.empty());
  ASSERT_EQ(form.ListView1->topLevelItemCount(), 12);
  const char* names[] = {"Игрок1", "Игрок2", "Игрок3", "Игрок4", "Просто строка", "Сломано",
                         "", "Восемь", "Девять", "Десять", "Одиннадцать", "Двенадцать"};
  const char* times[] = {"00:42:00", "00:45:00", "00:50:00", "01:02:03", "", "",
                         "12:00:00", "01:00:00", "01:26:24", "01:40:48", "01:55:12", "02:09:36"};
  for (int i = 0; i < 12; ++i) {
    const QTreeWidgetItem* row = form.ListView1->topLevelItem(i);
    EXPECT_EQ(row->text(0).toStdString(), names[i]) << i;
    EXPECT_EQ(row->text(1).toStdString(), times[i]) << i;
    EXPECT_EQ(row->icon(0).isNull(), i >= 10) << "rank " << i + 1;
  }
  // Each rank its own emblem.
  const QImage first = form.ListView1->topLevelItem(0)->icon(0).pixmap(16, 16).toImage();
  const QImage second = form.ListView1->topLevelItem(1)->icon(0).pixmap(16, 16).toImage();
  EXPECT_NE(first, second);
}

TEST_F(Form3Test, ShowsThePlayersCopyOfTheTableWhenThereIsOne) {
  WriteRecords("Из поставки[:]0,5\r\n");
  const std::string data = dir_ + "/data/";
  fs::create_directories(data);
  std::string bytes;
  ASSERT_TRUE(Utf8ToCp1251("Игрок[:]0,25\r\n", bytes));
  std::ofstream(data + "record.txt", std::ios::binary) << bytes;
  Form3 form(tk, GameFolders(path_work, data), closePicture);
  ASSERT_EQ(form.ListView1->topLevelItemCount(), 1);
  EXPECT_EQ(form.ListView1->topLevelItem(0)->text(0).toStdString(), "Игрок");
}

TEST_F(Form3Test, GarbageTimesAreListed) {
  WriteRecords("Игрок 0[:]" + std::string(200, 'x') + "\r\nИгрок 1[:]1E+300\r\n");
  Form3 form(tk, path_work, closePicture);
  EXPECT_TRUE(tk.messages.empty());
  ASSERT_EQ(form.ListView1->topLevelItemCount(), 2);
  EXPECT_EQ(form.ListView1->topLevelItem(0)->text(1).toStdString(), "");  // not a time
  // A duration far past a day still shows as a time of day, without a crash.
  EXPECT_EQ(form.ListView1->topLevelItem(1)->text(1).size(), 8);
}

TEST_F(Form3Test, WindowLayout) {
  WriteRecords("A[:]0,5\r\n");
  Form3 form(tk, path_work, closePicture);
  EXPECT_EQ(form.windowTitle(), QStringLiteral("Рекордсмены"));
  EXPECT_EQ(form.size(), QSize(585, 402));
  EXPECT_EQ(form.ListView1->geometry(), QRect(39, 15, 508, 351));
  EXPECT_EQ(form.Picture1->geometry(), QRect(3, 83, 36, 119));
  EXPECT_EQ(form.Picture2->geometry(), QRect(548, 82, 36, 119));
  EXPECT_EQ(form.Image2->geometry(), QRect(231, 371, 122, 26));
  EXPECT_EQ(form.ListView1->columnWidth(0), 200);
  EXPECT_EQ(form.ListView1->columnWidth(1), 233);
  EXPECT_TRUE(form.ListView1->header()->isHidden());
  EXPECT_TRUE(form.ListView1->font().bold());
  EXPECT_EQ(form.ListView1->font().pixelSize(), 13);
  EXPECT_EQ(form.Image2->pixmap().toImage(), closePicture.toImage());
  EXPECT_EQ(form.fire.SparkRow, 0);
}

TEST_F(Form3Test, MissingFileIsReportedAndTheFlamesBurnOverAnEmptyList) {
  Form3 form(tk, path_work, closePicture);
  ASSERT_EQ(tk.messages.size(), 1u);
  EXPECT_EQ(tk.messages[0].text, "Файла '" + path_work + "record.txt' не существует!");
  EXPECT_EQ(tk.messages[0].style, 48);
  EXPECT_EQ(tk.messages[0].title, "Открыть");
  EXPECT_EQ(form.ListView1->topLevelItemCount(), 0);
  form.show();
  EXPECT_TRUE(RunsUntil([&] { return form.framesDrawn >= 3; }));
}

TEST_F(Form3Test, BlankFileGivesAnEmptyListWithoutMessage) {
  WriteRecords("   \r\n\r\n");
  Form3 form(tk, path_work, closePicture);
  EXPECT_TRUE(tk.messages.empty());
  EXPECT_EQ(form.ListView1->topLevelItemCount(), 0);
}

TEST_F(Form3Test, PressOnCloseButtonInTheMiddleOfTheFlameStopsEverything) {
  WriteRecords("A[:]0,5\r\n");
  Form3 form(tk, path_work, closePicture);
  form.show();
  ASSERT_TRUE(RunsUntil([&] { return form.framesDrawn >= 5; }));
  EXPECT_TRUE(form.Timer1.isActive());
  EXPECT_TRUE(form.FrameTimer.isActive());
  QTest::mousePress(form.Image2, Qt::RightButton);
  EXPECT_FALSE(form.isVisible());
  EXPECT_TRUE(form.Closing);
  EXPECT_FALSE(form.Timer1.isActive());
  EXPECT_FALSE(form.Timer2.isActive());
  EXPECT_FALSE(form.Timer3.isActive());
  EXPECT_FALSE(form.FrameTimer.isActive());
  const int frames = form.framesDrawn;
  QTest::qWait(150);
  EXPECT_EQ(form.framesDrawn, frames);
}

TEST_F(Form3Test, ClosingBeforeTheFlameStartsKeepsItCold) {
  WriteRecords("A[:]0,5\r\n");
  Form3 form(tk, path_work, closePicture);
  form.show();
  QTest::keyClick(&form, Qt::Key_Escape);  // no Cancel button: Esc does nothing
  EXPECT_TRUE(form.isVisible());
  form.close();
  QTest::qWait(250);
  EXPECT_EQ(form.framesDrawn, 0);
  EXPECT_FALSE(form.Timer3.isActive());
  EXPECT_FALSE(form.FrameTimer.isActive());
}

TEST_F(Form3Test, DestroyedWhileBurning) {
  WriteRecords("A[:]0,5\r\n");
  auto form = std::make_unique<Form3>(tk, path_work, closePicture);
  form->show();
  ASSERT_TRUE(RunsUntil([&] { return form->framesDrawn >= 2; }));
  form.reset();
  QTest::qWait(50);  // no timer of the gone window may fire
}

TEST_F(Form3Test, SparkRowMovesWithTimer1) {
  WriteRecords("A[:]0,5\r\n");
  Form3 form(tk, path_work, closePicture);
  EXPECT_EQ(form.Timer1.interval(), 1500);
  std::set<int> rows;
  for (int i = 0; i < 40; ++i) {
    form.Timer1_Timer();
    ASSERT_GE(form.fire.SparkRow, 0);
    ASSERT_LE(form.fire.SparkRow, 3);
    rows.insert(form.fire.SparkRow);
  }
  EXPECT_EQ(rows.size(), 4u);
}

TEST_F(Form3Test, FlamesBurnAboveTheTorches) {
  WriteRecords("Игрок1[:]0,03125\r\n");
  Form3 form(tk, path_work, closePicture);
  form.show();
  ASSERT_TRUE(RunsUntil([&] { return form.framesDrawn >= 60; }, 5000));
  const QImage left = form.Picture1->grab().toImage().convertToFormat(QImage::Format_RGB32);
  const QImage right = form.Picture2->grab().toImage().convertToFormat(QImage::Format_RGB32);
  const QImage torch = form.Image1.toImage().convertToFormat(QImage::Format_RGB32);
  ASSERT_FALSE(torch.isNull());
  int hot = 0;
  for (int y = kFlameTop; y < kFlameTop + kFlameHeight; ++y) {
    for (int x = kFlameLeft; x < kFlameLeft + kFlameWidth; ++x) {
      const QRgb c = left.pixel(x, y);
      if (qRed(c) > 0) ++hot;
      // Fire colours only: red never below green, green never below blue.
      ASSERT_GE(qRed(c), qGreen(c));
      ASSERT_GE(qGreen(c), qBlue(c));
      ASSERT_EQ(c, right.pixel(x, y));
    }
  }
  EXPECT_GT(hot, 50);
  // Outside the flame: black, and the torch below it.
  EXPECT_EQ(left.pixel(0, 0), qRgb(0, 0, 0));
  EXPECT_EQ(left.pixel(30, 20), qRgb(0, 0, 0));
  EXPECT_EQ(left.pixel(1 + 17, 53 + 30), torch.pixel(17, 30));
  EXPECT_EQ(right.pixel(1 + 5, 53 + 40), torch.pixel(5, 40));

  if (const char* shot = std::getenv("TUMBOL_FORM3_SHOT")) form.grab().save(QString::fromUtf8(shot));
}

TEST_F(Form3Test, SecondOpeningRereadsTheFileAndStartsCold) {
  WriteRecords("A[:]0,5\r\n");
  {
    Form3 form(tk, path_work, closePicture);
    form.show();
    ASSERT_TRUE(RunsUntil([&] { return form.framesDrawn >= 3; }));
    form.close();
  }
  WriteRecords("B[:]0,1\r\n");
  Form3 again(tk, path_work, closePicture);
  ASSERT_EQ(again.ListView1->topLevelItemCount(), 1);
  EXPECT_EQ(again.ListView1->topLevelItem(0)->text(0), QStringLiteral("B"));
  EXPECT_EQ(again.framesDrawn, 0);
  for (int c = 0; c < kFireCols; ++c)
    for (int r = 0; r < kFireRows; ++r) ASSERT_EQ(again.fire.Heat[c][r], 0);
}

}  // namespace
}  // namespace tumbol
