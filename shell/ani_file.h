#pragma once
// Animated cursor files (.ani): a RIFF 'ACON' container of CUR/ICO frames.
// The reader checks every size against the bytes actually present, so a
// damaged file is refused instead of read past its end.

#include <cstdint>
#include <string>
#include <vector>

namespace tumbol {

struct AniFrame {
  std::vector<uint8_t> bytes;  // a complete CUR or ICO file
  bool isCursor = false;       // CUR (type 2) rather than ICO (type 1)
  int width = 0;
  int height = 0;
  // From the CUR directory entry; an ICO frame has none, so its centre is used.
  int hotX = 0;
  int hotY = 0;
};

struct AniStep {
  int frame = 0;       // index into AniCursor::frames
  int durationMs = 0;  // how long the frame stays up
};

struct AniCursor {
  std::vector<AniFrame> frames;
  std::vector<AniStep> steps;  // played in order, then from the start again
};

constexpr int kAniMaxFrames = 256;
constexpr int kAniMaxSteps = 1024;
constexpr size_t kAniMaxIconBytes = 1u << 20;
constexpr int kAniMaxImageSide = 256;

// Parses an .ani file's bytes. On failure returns false, leaves `out` empty
// and says why in `error`.
bool ParseAni(const std::vector<uint8_t>& data, AniCursor* out, std::string* error);

// Builds the files the reader takes; the cursor generator and the tests use it.
class AniWriter {
 public:
  // A 32-bit CUR file with one image; `bgra` holds width*height pixels,
  // top row first, 4 bytes each (B, G, R, A).
  static std::vector<uint8_t> BuildCur(int width, int height, int hotX, int hotY,
                                       const std::vector<uint8_t>& bgra);

  void AddFrame(std::vector<uint8_t> curBytes) { frames_.push_back(std::move(curBytes)); }
  void SetDisplayRate(uint32_t jiffies) { dispRate_ = jiffies; }
  void SetRates(std::vector<uint32_t> rates) { rates_ = std::move(rates); }
  void SetSequence(std::vector<uint32_t> seq) { seq_ = std::move(seq); }
  void SetImageSize(uint32_t width, uint32_t height) { width_ = width; height_ = height; }
  // The whole RIFF file. nSteps is the sequence length, else the frame count.
  std::vector<uint8_t> Build() const;

 private:
  std::vector<std::vector<uint8_t>> frames_;
  std::vector<uint32_t> rates_;
  std::vector<uint32_t> seq_;
  uint32_t dispRate_ = 6;
  uint32_t width_ = 32;
  uint32_t height_ = 32;
};

}  // namespace tumbol
