// The animated cursor reader on the shipped files and on small made ones.
// Arbitrary damage is the fuzz target's job (scripts/fuzz.sh fuzz_ani); the
// cases here pin each rule of the reader once.
#include "shell/ani_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

namespace tumbol {
namespace {

std::vector<uint8_t> SmallFile(int frames, std::vector<uint32_t> rates = {}, std::vector<uint32_t> seq = {}) {
  AniWriter w;
  w.SetImageSize(4, 4);
  for (int i = 0; i < frames; ++i) w.AddFrame(AniWriter::BuildCur(4, 4, 1, 2, std::vector<uint8_t>(64, 255)));
  w.SetRates(std::move(rates));
  w.SetSequence(std::move(seq));
  return w.Build();
}

void Put32(std::vector<uint8_t>& v, size_t at, uint32_t x) {
  for (int i = 0; i < 4; ++i) v[at + i] = uint8_t(x >> (8 * i));
}

size_t Find(const std::vector<uint8_t>& v, const char* id) {
  for (size_t i = 0; i + 4 <= v.size(); ++i)
    if (std::memcmp(v.data() + i, id, 4) == 0) return i;
  ADD_FAILURE() << "no " << id;
  return 0;
}

TEST(AniFile, ReadsAFileAndRefusesAMissingOne) {
  AniCursor c;
  std::string error;
  ASSERT_TRUE(ReadAniFile(TUMBOL_SOURCE_DIR "/data/an_lr.ani", &c, &error)) << error;
  EXPECT_EQ(c.frames.size(), 8u);
  EXPECT_FALSE(ReadAniFile("/nonexistent/an_lr.ani", &c, &error));
  EXPECT_TRUE(c.frames.empty() && !error.empty());
}

TEST(AniFile, RatesSequenceAndSkippedChunks) {
  AniCursor c;
  std::string error;
  ASSERT_TRUE(ParseAni(SmallFile(2, {3, 12, 0}, {1, 0, 1}), &c, &error)) << error;
  ASSERT_EQ(c.steps.size(), 3u);
  EXPECT_EQ(c.steps[0].frame, 1);
  EXPECT_EQ(c.steps[1].frame, 0);
  EXPECT_EQ(c.steps[2].frame, 1);
  EXPECT_EQ(c.steps[0].durationMs, 50);
  EXPECT_EQ(c.steps[1].durationMs, 200);
  EXPECT_GT(c.steps[2].durationMs, 0);  // a zero rate must not spin the timer
  EXPECT_EQ(c.frames[0].hotX, 1);
  EXPECT_EQ(c.frames[0].hotY, 2);
  // Without rate chunk every step takes the header's rate.
  ASSERT_TRUE(ParseAni(SmallFile(3), &c, &error));
  for (const AniStep& s : c.steps) EXPECT_EQ(s.durationMs, 100);
  AniWriter big;  // sizes past 64 KiB: a 128 x 128 frame
  big.SetImageSize(128, 128);
  big.AddFrame(AniWriter::BuildCur(128, 128, 5, 6, std::vector<uint8_t>(128 * 128 * 4, 255)));
  ASSERT_TRUE(ParseAni(big.Build(), &c, &error)) << error;
  EXPECT_EQ(c.frames[0].width, 128);
  EXPECT_EQ(c.frames[0].hotY, 6);
  // A LIST INFO with an odd-sized INAM and an unknown chunk whose pad byte is
  // missing at the end of the file are skipped.
  std::vector<uint8_t> f = SmallFile(1);
  const uint8_t extra[] = {'L', 'I', 'S', 'T', 16, 0, 0, 0, 'I', 'N', 'F', 'O', 'I', 'N', 'A', 'M', 3, 0, 0, 0,
                           'a', 'b', 'c', 0, 'z', 'z', 'z', 'z', 1, 0, 0, 0, 7};
  f.insert(f.end(), extra, extra + sizeof extra);
  Put32(f, 4, uint32_t(f.size() - 8));
  EXPECT_TRUE(ParseAni(f, &c, &error)) << error;
}

TEST(AniFile, DamagedFilesAreRefused) {
  using File = std::vector<uint8_t>;
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
      {"no anih", [](File& f) { f.resize(12); }},
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
      {"no frames at all", [](File& f) { f = SmallFile(0); }},
      {"image bytes beyond the chunk", [=](File& f) { Put32(f, icon + 6 + 8, 0xFFFF0000); }},
      {"hotspot outside a 4 x 4 image", [=](File& f) { f[icon + 6 + 4] = 9; }},
      {"neither ICO nor CUR", [=](File& f) { f[icon + 2] = 7; }},
      {"icon chunk over one mebibyte",
       [](File& f) {
         AniWriter w;
         File big = AniWriter::BuildCur(4, 4, 0, 0, std::vector<uint8_t>(64, 255));
         big.resize(kAniMaxIconBytes + 2);
         w.AddFrame(big);
         f = w.Build();
       }},
  };
  AniCursor c;
  std::string error;
  ASSERT_TRUE(ParseAni(good, &c, &error)) << error;
  for (const auto& k : cases) {
    File f = good;
    k.damage(f);
    EXPECT_FALSE(ParseAni(f, &c, &error)) << k.what;
    EXPECT_TRUE(c.frames.empty() && c.steps.empty()) << k.what;
    EXPECT_FALSE(error.empty()) << k.what;
  }
}

}  // namespace
}  // namespace tumbol
