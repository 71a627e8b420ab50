#include "base/duration.h"

#include <cmath>
#include <cstdio>

namespace tumbol {

std::string FormatHms(double days) {
  if (!(days > 0.0)) days = 0.0;  // also catches NaN
  const double seconds = std::round(std::fmod(days, 1.0) * kSecondsPerDay);
  const long total = static_cast<long>(seconds) % 86400;
  char text[16];
  std::snprintf(text, sizeof text, "%02ld:%02ld:%02ld", total / 3600, (total / 60) % 60, total % 60);
  return text;
}

}  // namespace tumbol
