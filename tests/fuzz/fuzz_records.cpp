// Feeds arbitrary bytes to the record table's text readers and checks the
// round trips the table relies on: Windows-1251 bytes through UTF-8 and
// back, and a duration through its text and back.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

#include "records/records_file.h"

using namespace tumbol;

namespace {

bool IsHms(const std::string& text) {
  if (text.size() != 8 || text[2] != ':' || text[5] != ':') return false;
  for (const size_t i : {0u, 1u, 3u, 4u, 6u, 7u})
    if (text[i] < '0' || text[i] > '9') return false;
  return text.compare(0, 2, "24") < 0 && text[3] < '6' && text[6] < '6';
}

void CheckDurationText(double days, char sep) {
  if (!std::isfinite(days)) return;
  const std::string text = DurationToTimeText(days, sep);
  if (text.empty() || text.size() > 32) abort();
  if (text.find(sep == ',' ? '.' : ',') != std::string::npos) abort();
  double back = 12345.0;
  if (!TimeTextToDuration(text, back)) abort();
  // Fifteen significant digits: equal to within a few units in the 15th
  // digit, or within the smallest step for subnormal values.
  const double tolerance = std::fabs(days) * 1e-14 + std::numeric_limits<double>::denorm_min();
  if (!(std::fabs(back - days) <= tolerance)) abort();
  // The text of what was read back is the same text (subnormal values carry
  // fewer digits than the text, so only normal ones).
  if (std::fabs(days) >= std::numeric_limits<double>::min() && DurationToTimeText(back, sep) != text)
    abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);

  // Time texts: a success gives a finite value; a failure leaves days alone.
  double days = -777.0;
  const bool read = TimeTextToDuration(input, days);
  if (read ? !std::isfinite(days) : days != -777.0) abort();

  // Entries: the parts put back together give the entry.
  std::string name = "x", timeText = "y";
  const bool split = SplitRecord(input, name, timeText);
  if (split ? name.find(kRecordSeparator) != std::string::npos || name + kRecordSeparator + timeText != input
            : input.find(kRecordSeparator) != std::string::npos || name != input || !timeText.empty())
    abort();
  const std::string shown = ShownRecordTime(input);
  if (!shown.empty() && !IsHms(shown)) abort();

  // Any file line survives a read and a rewrite.
  const std::string utf8 = Cp1251ToUtf8(input);
  std::string bytes = "stale";
  if (!Utf8ToCp1251(utf8, bytes) || bytes != input) abort();
  // Text the table accepts comes back as the same text.
  std::string fromText = "stale";
  const bool converted = Utf8ToCp1251(input, fromText);
  if (converted ? Cp1251ToUtf8(fromText) != input : fromText != "stale") abort();

  // Durations from the input's bytes, in both separators.
  if (size >= sizeof(double)) {
    double raw;
    std::memcpy(&raw, data, sizeof raw);
    CheckDurationText(raw, ',');
    CheckDurationText(raw, '.');
  }
  if (size >= 4) {
    // Ordinary game lengths: whole seconds and hundredths as days.
    uint32_t n;
    std::memcpy(&n, data, sizeof n);
    CheckDurationText(n / 86400.0, ',');
    CheckDurationText(n / 8640000.0, '.');
    CheckDurationText(-static_cast<double>(n) / 3.0, ',');
  }
  return 0;
}
