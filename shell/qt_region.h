#pragma once
#include <QImage>
#include <QRegion>
#include <functional>

namespace tumbol {

constexpr uint32_t kPureWhite = 0xFFFFFF;

// The region of every pixel of holder whose colour differs from
// transparentColor (red in the low byte), built once from the runs.
QRegion MakeRegionFromPicture(const QImage& holder, uint32_t transparentColor,
                              const std::function<void()>& perRow);

}  // namespace tumbol
