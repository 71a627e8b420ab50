#include "shell/qt_music_switch.h"

#include <QPixmap>

#include "shell/qt_art.h"

namespace tumbol {

std::array<PressLabel*, 2> MakeMusicSwitch(MusicPlayer& music, QWidget* window) {
  std::array<PressLabel*, 2> image3{};
  const char* const pictures[2] = {"music_off.png", "music_on.png"};
  for (int i = 0; i < 2; ++i) {
    image3[i] = new PressLabel(i, PressLabel::Acts::kAtOnce, window);
    QObject::connect(image3[i], &PressLabel::pressed, image3[i], [&music](int index) { music.Image3_MouseDown(index); });
    image3[i]->setGeometry(458, 551, 21, 21);
    image3[i]->setPixmap(ArtPixmap(QString::fromLatin1(pictures[i])));
    image3[i]->setToolTip(QStringLiteral("Музыка"));
  }
  image3[0]->setVisible(!music.SwitchShowsOn());
  image3[1]->setVisible(music.SwitchShowsOn());
  music.onSwitchChanged = [image3](bool showsOn) {
    image3[1]->setVisible(showsOn);
    image3[0]->setVisible(!showsOn);
  };
  music.onRepaint = [window] { window->repaint(); };
  return image3;
}

}  // namespace tumbol
