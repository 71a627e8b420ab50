#include "records/qt_form3.h"

#include <QImage>
#include <QTest>
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <set>

#include "records/records_file.h"
#include "tests/scripted_toolkit.h"
#include "tests/temp_folder.h"

namespace tumbol {
namespace {

// Scripted boxes, but real random numbers so the flame burns.
struct FlameToolkit : ScriptedToolkit {
  double Rnd() override { return std::uniform_real_distribution<double>(0.0, 1.0)(gen); }
  std::mt19937 gen{2026};
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
  // The window of a read-only install: the player's table is in data/.
  std::unique_ptr<Form3> Open() {
    return std::make_unique<Form3>(tk, GameFolders(dir.Slash(), dir.Slash() + "data/"), closePicture);
  }

  TempFolder dir;
  QPixmap closePicture{122, 26};
  FlameToolkit tk;
};

TEST_F(Form3Test, ListsThePlayersEntriesInFileOrderWithEmblemsForTenRanks) {
  const std::pair<const char*, const char*> shown[] = {  // name and time of each entry below, then P to the last row
      {"Игрок1", "00:42:00"}, {"Игрок2", "00:45:00"}, {"Просто строка", ""}, {"Сломано", ""},
      {"", "00:00:00"},       {"Игрок3", "00:50:00"}, {"", "01:00:00"},  // hours within a day, also far past one
  };
  std::string table = "Игрок1[:]2,91666666666667E-02\r\n  Игрок2[:]0.03125  \r\n\r\nПросто строка\r\n"
                      "Сломано[:]скоро\r\n[:]1E+300\r\nИгрок3[:]0:50:00\r\n[:]1,04166666666667\r\n";
  for (size_t rank = 8; rank <= kShownRecordRows + 1; ++rank) table += "P[:]0,5\r\n";
  std::string bytes;
  ASSERT_TRUE(Utf8ToCp1251(table, bytes));
  std::filesystem::create_directory(dir / "data");
  WriteBytes(dir / "data" / "record.txt", bytes);
  WriteBytes(dir / "record.txt", "Shipped[:]0,5\r\n");  // the player's copy is shown instead
  const auto form = Open();
  EXPECT_TRUE(tk.messages.empty());
  ASSERT_EQ(form->ListView1->topLevelItemCount(), static_cast<int>(kShownRecordRows));
  for (int i = 0; i < static_cast<int>(kShownRecordRows); ++i) {
    const QTreeWidgetItem* row = form->ListView1->topLevelItem(i);
    const auto [name, time] = i < 7 ? shown[i] : std::pair("P", "12:00:00");
    EXPECT_EQ(row->text(0).toStdString() + "|" + row->text(1).toStdString(), std::string(name) + "|" + time);
    EXPECT_EQ(row->icon(0).isNull(), i >= 10) << "rank " << i + 1;
  }
  EXPECT_NE(form->ListView1->topLevelItem(0)->icon(0).pixmap(16, 16).toImage(),  // each rank its own emblem
            form->ListView1->topLevelItem(1)->icon(0).pixmap(16, 16).toImage());
  EXPECT_EQ(form->Image2->pixmap().toImage(), closePicture.toImage());
}

TEST_F(Form3Test, FlamesBurnOverAnEmptyListUntilTheCloseButtonIsPressed) {
  const auto form = Open();  // no table: the missing file is told once
  EXPECT_EQ(tk.messages.size(), 1u);
  EXPECT_EQ(form->ListView1->topLevelItemCount(), 0);
  form->show();
  ASSERT_TRUE(QTest::qWaitFor([&] { return Burning(*form); }, 3000));
  QTest::mousePress(form->Image2, Qt::RightButton);
  EXPECT_FALSE(form->isVisible());
  for (QTimer* timer : {&form->Timer1, &form->Timer2, &form->Timer3, &form->FrameTimer})
    EXPECT_FALSE(timer->isActive());
  const Fire stopped = form->fire;
  QTest::qWait(150);
  EXPECT_EQ(std::memcmp(stopped.Heat, form->fire.Heat, sizeof stopped.Heat), 0);
}

TEST_F(Form3Test, ClosingBeforeTheFlameStartsKeepsItCold) {
  const auto form = Open();
  form->show();
  QTest::keyClick(form.get(), Qt::Key_Escape);
  EXPECT_FALSE(form->isVisible());
  QTest::qWait(250);
  EXPECT_FALSE(Burning(*form));
  EXPECT_FALSE(form->FrameTimer.isActive());
}

TEST_F(Form3Test, SparkRowMovesWithTimer1) {
  const auto form = Open();
  std::set<int> rows;
  for (int i = 0; i < 40; ++i) {
    form->Timer1_Timer();
    rows.insert(form->fire.SparkRow);
  }
  EXPECT_EQ(rows, (std::set<int>{0, 1, 2, 3}));
}

TEST_F(Form3Test, FlamesBurnAboveTheTorches) {
  const auto form = Open();
  form->show();
  // Risen to row 40: some forty frames.
  ASSERT_TRUE(QTest::qWaitFor([&] { return form->fire.Heat[12][40] != 0; }, 5000));
  const QImage left = form->Picture1->grab().toImage().convertToFormat(QImage::Format_RGB32);
  const QImage right = form->Picture2->grab().toImage().convertToFormat(QImage::Format_RGB32);
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

}  // namespace
}  // namespace tumbol
