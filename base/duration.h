#pragma once
// Durations are numbers of days (1 is 24 hours), the difference of two moments.
#include <string>

namespace tumbol {

constexpr double kSecondsPerDay = 86400.0;

// "hh:mm:ss" with the hours within a day (25 hours shows 01:00:00). Rounds
// to the nearest second; a negative duration shows as 00:00:00.
std::string FormatHms(double days);

}  // namespace tumbol
