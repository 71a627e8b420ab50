// The animated cursor reader and writer on small made files. Arbitrary damage
// is the fuzz target's job (scripts/fuzz.sh fuzz_ani); the cases here pin each
// rule of the reader once.
#include "shell/ani_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <tuple>
#include <utility>

namespace tumbol {
namespace {

using File = std::vector<uint8_t>;

File SmallFile(int frames, std::vector<uint32_t> rates = {}, std::vector<uint32_t> seq = {}) {
  AniWriter w;
  w.SetImageSize(4, 4);
  for (int i = 0; i < frames; ++i) w.AddFrame(AniWriter::BuildCur(4, 4, 1, 2, File(64, 255)));
  w.SetRates(std::move(rates));
  w.SetSequence(std::move(seq));
  return w.Build();
}

void Put32(File& v, size_t at, uint32_t x) {
  for (int i = 0; i < 4; ++i) v[at + i] = uint8_t(x >> (8 * i));
}

size_t Find(const File& v, const char* id) {
  const auto at = std::search(v.begin(), v.end(), id, id + 4);
  EXPECT_NE(at, v.end()) << "no " << id;
  return at == v.end() ? 0 : size_t(at - v.begin());
}

// (frame, milliseconds) of each step.
std::vector<std::pair<int, int>> Steps(const AniCursor& c) {
  std::vector<std::pair<int, int>> steps;
  for (const AniStep& s : c.steps) steps.emplace_back(s.frame, s.durationMs);
  return steps;
}

TEST(AniFile, RatesSequenceAndSkippedChunks) {
  AniCursor c;
  std::string error;
  // A zero rate must not spin the timer.
  ASSERT_TRUE(ParseAni(SmallFile(2, {3, 60, 0}, {1, 0, 1}), &c, &error)) << error;
  EXPECT_EQ(Steps(c), (std::vector<std::pair<int, int>>{{1, 50}, {0, 1000}, {1, 16}}));
  // Without rate chunk every step takes the header's rate.
  ASSERT_TRUE(ParseAni(SmallFile(2), &c, &error));
  EXPECT_EQ(Steps(c), (std::vector<std::pair<int, int>>{{0, 100}, {1, 100}}));
  AniWriter big;  // sizes past 64 KiB: a 128 x 128 frame
  big.SetImageSize(128, 128);
  big.AddFrame(AniWriter::BuildCur(128, 128, 5, 6, File(128 * 128 * 4, 255)));
  ASSERT_TRUE(ParseAni(big.Build(), &c, &error)) << error;
  const AniFrame& f0 = c.frames[0];
  EXPECT_EQ(std::tie(f0.width, f0.height, f0.hotX, f0.hotY), std::make_tuple(128, 128, 5, 6));
  // A LIST INFO with an odd-sized INAM and an unknown chunk whose pad byte is
  // missing at the end of the file are skipped.
  File f = SmallFile(1);
  const uint8_t extra[] = {'L', 'I', 'S', 'T', 16, 0, 0, 0, 'I', 'N', 'F', 'O', 'I', 'N', 'A', 'M', 3, 0, 0, 0,
                           'a', 'b', 'c', 0, 'z', 'z', 'z', 'z', 1, 0, 0, 0, 7};
  f.insert(f.end(), extra, extra + sizeof extra);
  Put32(f, 4, uint32_t(f.size() - 8));
  EXPECT_TRUE(ParseAni(f, &c, &error)) << error;
}

TEST(AniFile, BuiltCursorStoresRowsBottomUpAndMasksTransparentPixels) {
  // 2 x 3 pixels numbered in their blue byte; only pixel 1 (top right) is transparent.
  const auto pixels = [](std::initializer_list<uint8_t> numbers) {
    File bgra;
    for (uint8_t i : numbers) bgra.insert(bgra.end(), {i, 0, 0, uint8_t(i == 1 ? 0 : 255)});
    return bgra;
  };
  const File cur = AniWriter::BuildCur(2, 3, 0, 0, pixels({0, 1, 2, 3, 4, 5}));
  File want = pixels({4, 5, 2, 3, 0, 1});
  want.insert(want.end(), {0, 0, 0, 0, 0, 0, 0, 0, 0x40, 0, 0, 0});  // AND mask, 4 bytes a row
  EXPECT_EQ(File(cur.begin() + 6 + 16 + 40, cur.end()), want);
}

TEST(AniFile, DamagedFilesAreRefused) {
  const File good = SmallFile(2);
  auto header = [](size_t offset, uint32_t value) {
    return [=](File& f) { Put32(f, Find(f, "anih") + offset, value); };
  };
  const size_t icon = Find(good, "icon") + 8;
  const struct {
    const char* what;
    std::function<void(File&)> damage;
  } cases[] = {
      {"empty", [](File& f) { f.clear(); }},
      {"RIFF size beyond the file", [](File& f) { Put32(f, 4, 0x7FFFFFF0); }},
      {"chunk size beyond the file", header(4, 0xFFFFFFF0)},
      {"cbSize wrong", header(8, 40)},
      {"zero frames", header(12, 0)},
      {"absurd frame count", header(12, 100000)},
      {"no steps", header(16, 0)},
      {"more steps than frames, no sequence", header(16, 3)},
      {"absurd width", header(20, 4096)},
      {"raw bitmap frames", header(40, 0)},
      {"anih missing", [](File& f) { std::memcpy(f.data() + Find(f, "anih"), "xxxx", 4); }},
      {"fewer frames than the header says", [](File& f) { std::memcpy(f.data() + Find(f, "icon"), "xxxx", 4); }},
      {"sequence names a missing frame", [](File& f) { f = SmallFile(2, {}, {0, 2}); }},
      {"rate chunk shorter than the steps", [](File& f) { f = SmallFile(2, {6}, {0, 1}); }},
      {"seq chunk shorter than the steps", [](File& f) { f = SmallFile(2, {}, {0, 1}), Put32(f, Find(f, "anih") + 16, 3); }},
      {"image bytes beyond the chunk", [=](File& f) { Put32(f, icon + 6 + 8, 0xFFFF0000); }},
      {"hotspot outside a 4 x 4 image", [=](File& f) { f[icon + 6 + 4] = 9; }},
      {"neither ICO nor CUR", [=](File& f) { f[icon + 2] = 7; }},
      {"icon chunk over one mebibyte",
       [](File& f) {
         AniWriter w;
         File cur = AniWriter::BuildCur(4, 4, 0, 0, File(64, 255));
         cur.resize(kAniMaxIconBytes + 2), w.AddFrame(cur), f = w.Build();  // a whole image, then padding
       }},
  };
  AniCursor c;
  std::string error;
  ASSERT_TRUE(ParseAni(good, &c, &error)) << error;
  for (const auto& k : cases) {
    File f = good;
    k.damage(f);
    EXPECT_FALSE(ParseAni(f, &c, &error)) << k.what;
    EXPECT_TRUE(c.frames.empty() && c.steps.empty() && !error.empty()) << k.what;
  }
}

}  // namespace
}  // namespace tumbol
