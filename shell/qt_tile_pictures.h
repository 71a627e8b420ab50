#pragma once
// The cell pictures the game's board and the editor's board both draw.
#include <QImage>
#include <QPixmap>
#include <vector>

namespace tumbol {

// The 26 tile pictures, index = code (entry 0 unused); a missing picture is
// replaced by a plain square so the board stays playable.
std::vector<QPixmap> LoadTilePictures();
// The same as images, as the board draws them: the compiled-in pixels, not copied.
std::vector<QImage> LoadTileImages();

}  // namespace tumbol
