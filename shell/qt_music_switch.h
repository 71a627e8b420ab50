#pragma once
// Image3: the music switch of the game window, two 21 x 21 pictures at the
// same place of which exactly one is shown. Image3(1) (music on) is shown at
// start; a press on either picture goes to MusicPlayer::Image3_MouseDown.
#include <array>

#include "shell/music.h"
#include "shell/qt_press_label.h"

namespace tumbol {

// Makes Image3(0) and Image3(1) on `window` and ties them to `music`: the
// player's switch changes show and hide them, and its repaint repaints `window`.
std::array<PressLabel*, 2> MakeMusicSwitch(MusicPlayer& music, QWidget* window);

}  // namespace tumbol
