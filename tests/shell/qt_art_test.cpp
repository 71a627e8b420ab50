// The shipped pictures as the windows rely on them: the sizes the board, the
// buttons and the records window are laid out for, and a window face whose
// outline holds every control.
#include <QImage>
#include <gtest/gtest.h>

#include <vector>

#include "game/qt_form1.h"
#include "shell/scripted_toolkit.h"

// Resources live in a static library: pull them in explicitly.
static void InitArtResources() {
  Q_INIT_RESOURCE(tiles);
  Q_INIT_RESOURCE(chrome);
}

namespace tumbol {
namespace {

QImage Art(const QString& name) {
  InitArtResources();
  return QImage(":/art/" + name).convertToFormat(QImage::Format_ARGB32);
}

TEST(Art, EveryPictureHasTheSizeItsPlaceExpects) {
  struct Case {
    QString name;
    QSize size;
  };
  std::vector<Case> cases = {{"burst.png", {32, 32}}, {"logo.png", {55, 59}}, {"torch.bmp", {34, 51}}};
  for (int code = 1; code <= 26; ++code) cases.push_back({QString("tile%1.png").arg(code), {32, 32}});
  for (int rank = 1; rank <= 10; ++rank) cases.push_back({QString("emblem%1.png").arg(rank), {32, 32}});
  // Picture k of the buttons: button (k-1)/2, released when k is odd.
  for (int k = 1; k <= 16; ++k)
    cases.push_back({QString("button%1.png").arg(k), k == 5 || k == 6 ? QSize(122, 26)
                                                      : k >= 7 && k <= 10 ? QSize(25, 25) : QSize(114, 26)});
  for (const Case& c : cases) EXPECT_EQ(Art(c.name).size(), c.size) << c.name.toStdString();
}

class Quiet : public SoundCues, public BoardCursor {
 public:
  void PlaySoundCue(int) override {}
  void SetAnimCursor(int) override {}
  void RestoreCursor() override {}
};

TEST(Art, TheWindowFaceHoldsEveryControlAndHasNoHoles) {
  const QImage skin = QImage(TUMBOL_SOURCE_DIR "/data/skins.bmp").convertToFormat(QImage::Format_RGB32);
  ASSERT_EQ(skin.size(), QSize(760, 614));
  const QRgb white = qRgb(255, 255, 255);
  EXPECT_EQ(skin.pixel(0, 0), white);  // shaped, not a rectangle
  ScriptedToolkit tk;
  Quiet quiet;
  Form1 form(tk, quiet, quiet);
  for (QWidget* control : form.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
    const QRect r = control->geometry();
    int cut = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
      for (int x = r.left(); x <= r.right(); ++x) cut += skin.pixel(x, y) == white;
    EXPECT_EQ(cut, 0) << control->metaObject()->className() << " at " << r.x() << "," << r.y();
  }
  // Every white pixel is reached from the edge through white: an enclosed one
  // would be a hole through the window.
  const int w = skin.width(), h = skin.height();
  std::vector<char> seen(w * h, 0);
  std::vector<QPoint> todo;
  auto visit = [&](int x, int y) {
    if (x < 0 || y < 0 || x >= w || y >= h || seen[y * w + x] || skin.pixel(x, y) != white) return;
    seen[y * w + x] = 1;
    todo.emplace_back(x, y);
  };
  for (int x = 0; x < w; ++x) visit(x, 0), visit(x, h - 1);
  for (int y = 0; y < h; ++y) visit(0, y), visit(w - 1, y);
  while (!todo.empty()) {
    const QPoint p = todo.back();
    todo.pop_back();
    visit(p.x() + 1, p.y()), visit(p.x() - 1, p.y()), visit(p.x(), p.y() + 1), visit(p.x(), p.y() - 1);
  }
  int holes = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) holes += skin.pixel(x, y) == white && !seen[y * w + x];
  EXPECT_EQ(holes, 0);
  const QImage board(TUMBOL_SOURCE_DIR "/data/skinsp.jpg");
  EXPECT_GE(board.width(), form.Picture1->width());
  EXPECT_GE(board.height(), form.Picture1->height());
}

}  // namespace
}  // namespace tumbol
