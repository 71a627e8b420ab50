// Feeds arbitrary bytes to the animated cursor reader: it must refuse a bad
// file cleanly and, when it accepts one, hand back only consistent frames.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "shell/ani_file.h"

using namespace tumbol;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<uint8_t> bytes(data, data + size);
  AniCursor cursor;
  cursor.steps.push_back({5, 5});  // must not survive the read
  std::string error = "stale";
  if (!ParseAni(bytes, &cursor, &error)) {
    if (error.empty() || error == "stale" || !cursor.frames.empty() || !cursor.steps.empty()) abort();
    return 0;
  }
  if (!error.empty()) abort();
  if (cursor.frames.empty() || cursor.frames.size() > static_cast<size_t>(kAniMaxFrames)) abort();
  if (cursor.steps.empty() || cursor.steps.size() > static_cast<size_t>(kAniMaxSteps)) abort();
  for (const AniFrame& f : cursor.frames) {
    if (f.bytes.size() < 22 || f.bytes.size() > kAniMaxIconBytes) abort();
    if (f.width < 1 || f.width > 256 || f.height < 1 || f.height > 256) abort();
    if (f.hotX < 0 || f.hotX >= f.width || f.hotY < 0 || f.hotY >= f.height) abort();
  }
  for (const AniStep& s : cursor.steps) {
    if (s.frame < 0 || s.frame >= static_cast<int>(cursor.frames.size())) abort();
    if (s.durationMs <= 0 || s.durationMs > 60 * 1000) abort();
  }
  // The error pointer is optional.
  AniCursor again;
  if (!ParseAni(bytes, &again, nullptr) || again.steps.size() != cursor.steps.size()) abort();
  return 0;
}
