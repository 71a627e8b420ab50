// The shipped pictures as the windows rely on them: the sizes the board, the
// buttons and the records window are laid out for, and a window face whose
// outline holds every control.
#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "game/qt_form1.h"
#include "shell/qt_art.h"
#include "shell/qt_region.h"
#include "tests/game/silent_view.h"
#include "tests/scripted_toolkit.h"

// Resources live in a static library: pull them in explicitly.
static void InitArtResources() {
  Q_INIT_RESOURCE(chrome);
}

namespace tumbol {
namespace {

TEST(Art, EveryPictureHasTheSizeItsPlaceExpects) {
  InitArtResources();
  std::vector<std::pair<QString, QSize>> cases = {
      {"burst.png", {32, 32}}, {"logo.png", {55, 59}}, {"torch.bmp", {34, 51}}};
  for (int code = 1; code <= 26; ++code) cases.push_back({QString("tile%1.png").arg(code), {32, 32}});
  for (int rank = 1; rank <= 10; ++rank) cases.push_back({QString("emblem%1.png").arg(rank), {32, 32}});
  // Picture k of the buttons: button (k-1)/2, released when k is odd.
  for (int k = 1; k <= 16; ++k)
    cases.push_back({QString("button%1.png").arg(k), k == 5 || k == 6 ? QSize(122, 26)
                                                      : k >= 7 && k <= 10 ? QSize(25, 25) : QSize(114, 26)});
  for (const auto& [name, size] : cases) {
    const QImage taken = ArtImage(name);
    EXPECT_EQ(taken.size(), size) << name.toStdString();
    // Stored unpacked or not, the picture is its file's.
    EXPECT_EQ(taken, QImage(TUMBOL_SOURCE_DIR "/art/" + name).convertToFormat(taken.format())) << name.toStdString();
  }
}

TEST(Art, TheWindowFaceHoldsEveryControlAndHasNoHoles) {
  const QImage skin = QImage(TUMBOL_SOURCE_DIR "/data/skins.bmp").convertToFormat(QImage::Format_RGB32);
  ASSERT_EQ(skin.size(), QSize(760, 614));
  const QRgb white = qRgb(255, 255, 255);
  EXPECT_EQ(skin.pixel(0, 0), white);  // shaped, not a rectangle
  ScriptedToolkit tk;
  SilentView quiet;
  Form1 form(tk, quiet, quiet);
  const QRegion outline = WindowOutline(skin, skin.size());
  for (QWidget* control : form.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
    EXPECT_TRUE((QRegion(control->geometry()) - outline).isEmpty())
        << control->metaObject()->className() << " at " << control->x() << "," << control->y();
  // Filled with red from outside (a white frame around the face joins every
  // edge), any white left is enclosed: a hole through the window.
  QImage fill(skin.width() + 2, skin.height() + 2, QImage::Format_RGB32);
  fill.fill(white);
  QPainter(&fill).drawImage(1, 1, skin);
  for (std::vector<QPoint> todo = {{0, 0}}; !todo.empty();) {
    const QPoint p = todo.back();
    todo.pop_back();
    if (!fill.rect().contains(p) || fill.pixel(p) != white) continue;
    fill.setPixel(p, qRgb(255, 0, 0));
    todo.insert(todo.end(), {p + QPoint(1, 0), p - QPoint(1, 0), p + QPoint(0, 1), p - QPoint(0, 1)});
  }
  int holes = 0;
  for (int y = 0; y < fill.height(); ++y)
    for (int x = 0; x < fill.width(); ++x) holes += fill.pixel(x, y) == white;
  EXPECT_EQ(holes, 0);
  const QImage board(TUMBOL_SOURCE_DIR "/data/skinsp.jpg");
  EXPECT_GE(board.width(), form.Picture1->width());
  EXPECT_GE(board.height(), form.Picture1->height());
}

}  // namespace
}  // namespace tumbol
