#include "records/qt_form3.h"

#include <QImage>
#include <QTest>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <set>

#include "records/records_file.h"
#include "shell/scripted_toolkit.h"
#include "tests/temp_folder.h"

namespace tumbol {
namespace {

// Scripted boxes, but real random numbers so the flame burns.
class FlameToolkit : public ScriptedToolkit {
 public:
  double Rnd() override { return dist_(gen_); }

 private:
  std::mt19937 gen_{2026};
  std::uniform_real_distribution<double> dist_{0.0, 1.0};
};

// Any frame drawn leaves heat in the field.
bool Burning(const Form3& form) {
  for (const auto& column : form.fire.Heat)
    for (int32_t heat : column)
      if (heat != 0) return true;
  return false;
}

class Form3Test : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::copy_file(TUMBOL_SOURCE_DIR "/data/skinsp.jpg", dir / "skinsp.jpg");
    closePicture.fill(QColor(200, 40, 40));
  }
  void WriteRecords(const std::string& utf8) {
    std::string bytes;
    ASSERT_TRUE(Utf8ToCp1251(utf8, bytes));
    WriteBytes(dir / "record.txt", bytes);
  }
  std::unique_ptr<Form3> Open() { return std::make_unique<Form3>(tk, dir.Slash(), closePicture); }

  TempFolder dir;
  QPixmap closePicture{122, 26};
  FlameToolkit tk;
};

TEST_F(Form3Test, ListsEveryEntryInFileOrderWithEmblemsForTenRanks) {
  std::string table = "Игрок1[:]2,91666666666667E-02\r\n  Игрок2[:]0.03125  \r\n\r\nПросто строка\r\n[:]1E+300\r\n";
  for (int rank = 5; rank <= 11; ++rank) table += "P[:]0,5\r\n";
  WriteRecords(table);
  const auto form = Open();
  EXPECT_TRUE(tk.messages.empty());
  ASSERT_EQ(form->ListView1->topLevelItemCount(), 11);
  const char* rows[][2] = {{"Игрок1", "00:42:00"}, {"Игрок2", "00:45:00"}, {"Просто строка", ""}};
  for (int i = 0; i < 11; ++i) {
    const QTreeWidgetItem* row = form->ListView1->topLevelItem(i);
    const std::string name = row->text(0).toStdString(), time = row->text(1).toStdString();
    if (i < 3) {
      EXPECT_EQ(name + "|" + time, std::string(rows[i][0]) + "|" + rows[i][1]);
    } else if (i > 3) {
      EXPECT_EQ(name + "|" + time, "P|12:00:00");
    }
    EXPECT_EQ(row->icon(0).isNull(), i >= 10) << "rank " << i + 1;
  }
  // No name, and a duration far past a day still shows as a time of day.
  EXPECT_EQ(form->ListView1->topLevelItem(3)->text(0) + "|", QStringLiteral("|"));
  EXPECT_EQ(form->ListView1->topLevelItem(3)->text(1).size(), 8);
  EXPECT_NE(form->ListView1->topLevelItem(0)->icon(0).pixmap(16, 16).toImage(),  // each rank its own emblem
            form->ListView1->topLevelItem(1)->icon(0).pixmap(16, 16).toImage());
  EXPECT_EQ(form->Image2->pixmap().toImage(), closePicture.toImage());
}

TEST_F(Form3Test, MissingFileIsReportedAndTheFlamesBurnOverAnEmptyList) {
  const auto form = Open();
  EXPECT_THAT(tk.messages, ::testing::ElementsAre(::testing::FieldsAre(
                               "Файла '" + dir.Slash() + "record.txt' не существует!", 48, "Открыть")));
  EXPECT_EQ(form->ListView1->topLevelItemCount(), 0);
  form->show();
  EXPECT_TRUE(QTest::qWaitFor([&] { return Burning(*form); }, 3000));
  WriteRecords("   \r\n\r\n");  // a blank file: an empty list, no message
  EXPECT_EQ(Open()->ListView1->topLevelItemCount(), 0);
  EXPECT_EQ(tk.messages.size(), 1u);
}

TEST_F(Form3Test, PressOnCloseButtonInTheMiddleOfTheFlameStopsEverything) {
  WriteRecords("A[:]0,5\r\n");
  Form3 form(tk, dir.Slash(), closePicture);
  form.show();
  ASSERT_TRUE(QTest::qWaitFor([&] { return Burning(form); }, 3000));
  QTest::mousePress(form.Image2, Qt::RightButton);
  EXPECT_FALSE(form.isVisible());
  for (QTimer* timer : {&form.Timer1, &form.Timer2, &form.Timer3, &form.FrameTimer}) EXPECT_FALSE(timer->isActive());
  const Fire stopped = form.fire;
  QTest::qWait(150);
  EXPECT_EQ(std::memcmp(stopped.Heat, form.fire.Heat, sizeof stopped.Heat), 0);
}

TEST_F(Form3Test, ClosingBeforeTheFlameStartsKeepsItCold) {
  WriteRecords("A[:]0,5\r\n");
  Form3 form(tk, dir.Slash(), closePicture);
  form.show();
  QTest::keyClick(&form, Qt::Key_Escape);  // no Cancel button: Esc does nothing
  EXPECT_TRUE(form.isVisible());
  form.close();
  QTest::qWait(250);
  EXPECT_FALSE(Burning(form));
  EXPECT_FALSE(form.FrameTimer.isActive());
}

TEST_F(Form3Test, SparkRowMovesWithTimer1) {
  WriteRecords("A[:]0,5\r\n");
  Form3 form(tk, dir.Slash(), closePicture);
  std::set<int> rows;
  for (int i = 0; i < 40; ++i) {
    form.Timer1_Timer();
    rows.insert(form.fire.SparkRow);
  }
  EXPECT_EQ(rows, (std::set<int>{0, 1, 2, 3}));
}

TEST_F(Form3Test, FlamesBurnAboveTheTorches) {
  WriteRecords("Игрок1[:]0,03125\r\n");
  Form3 form(tk, dir.Slash(), closePicture);
  form.show();
  // Risen to row 40: some forty frames.
  ASSERT_TRUE(QTest::qWaitFor([&] { return form.fire.Heat[12][40] != 0; }, 5000));
  const QImage left = form.Picture1->grab().toImage().convertToFormat(QImage::Format_RGB32);
  const QImage right = form.Picture2->grab().toImage().convertToFormat(QImage::Format_RGB32);
  int hot = 0;
  for (int y = kFlameTop; y < kFlameTop + kFlameHeight; ++y)
    for (int x = kFlameLeft; x < kFlameLeft + kFlameWidth; ++x) {
      hot += qRed(left.pixel(x, y)) > 0;
      ASSERT_EQ(left.pixel(x, y), right.pixel(x, y));
    }
  EXPECT_GT(hot, 50);
  EXPECT_EQ(left.pixel(0, 0), qRgb(0, 0, 0));  // outside the flame
  EXPECT_EQ(left.pixel(30, 20), qRgb(0, 0, 0));
}

TEST_F(Form3Test, ShowsThePlayersCopyOfTheTableWhenThereIsOne) {
  WriteRecords("Из поставки[:]0,5\r\n");
  std::filesystem::create_directories(dir / "data");
  std::string bytes;
  ASSERT_TRUE(Utf8ToCp1251("Игрок[:]0,25\r\n", bytes));
  WriteBytes(dir / "data" / "record.txt", bytes);
  Form3 form(tk, GameFolders(dir.Slash(), dir.Slash() + "data/"), closePicture);
  ASSERT_EQ(form.ListView1->topLevelItemCount(), 1);
  EXPECT_EQ(form.ListView1->topLevelItem(0)->text(0).toStdString(), "Игрок");
}

}  // namespace
}  // namespace tumbol
