#pragma once
// The game window's outline cut out of its skin picture, as a QRegion for
// QWidget::setMask.
#include <QImage>
#include <QRegion>
#include <vector>

#include "shell/region.h"

namespace tumbol {

// The region of every pixel of holder whose colour differs from
// transparentColor (red in the low byte; kPureWhite for the skin).
// The region is built once from the runs, in Qt's own banded form.
QRegion MakeRegionFromPicture(const QImage& holder, uint32_t transparentColor);

// The outline of a window of clientSize cut from its skin: the skin is laid
// at the top left of a white holder of the window's size, so a smaller skin
// leaves the rest outside and a larger one is cut off. An all-white skin
// gives an empty region.
QRegion WindowOutline(const QImage& skin, QSize clientSize);

// What the window shows: its skin inside the outline, transparent outside;
// null for an empty outline.
QImage WindowFace(const QImage& skin, const QRegion& outline, QSize clientSize);

struct WindowShape {
  QRegion outline;
  QImage face;
};
WindowShape CutWindow(const QImage& skin, QSize clientSize);

// Hands rectangles ordered by top and then left edge, rows not overlapping
// (as MakeRegionRunsFromRows and MergeEqualRows give them), to Qt in one piece.
QRegion RegionFromRects(const std::vector<RunRect>& rects);

}  // namespace tumbol
