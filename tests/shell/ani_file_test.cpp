#include "shell/ani_file.h"

#include <gtest/gtest.h>

#include <cstring>

namespace tumbol {
namespace {

std::vector<uint8_t> Pixels(int side, uint8_t alpha) {
  std::vector<uint8_t> px(size_t(side) * side * 4, 0);
  for (size_t i = 3; i < px.size(); i += 4) px[i] = alpha;
  return px;
}

std::vector<uint8_t> SmallFile(int frames, std::vector<uint32_t> rates = {}, std::vector<uint32_t> seq = {}) {
  AniWriter w;
  w.SetImageSize(4, 4);
  for (int i = 0; i < frames; ++i) w.AddFrame(AniWriter::BuildCur(4, 4, 1, 2, Pixels(4, 255)));
  w.SetRates(std::move(rates));
  w.SetSequence(std::move(seq));
  return w.Build();
}

void Put32(std::vector<uint8_t>* v, size_t at, uint32_t x) {
  for (int i = 0; i < 4; ++i) (*v)[at + i] = uint8_t(x >> (8 * i));
}

size_t Find(const std::vector<uint8_t>& v, const char* id) {
  for (size_t i = 0; i + 4 <= v.size(); ++i)
    if (std::memcmp(v.data() + i, id, 4) == 0) return i;
  ADD_FAILURE() << "no " << id;
  return 0;
}

bool Parses(const std::vector<uint8_t>& data, std::string* why = nullptr) {
  AniCursor c;
  std::string error;
  bool ok = ParseAni(data, &c, &error);
  if (why) *why = error;
  if (!ok) {
    EXPECT_TRUE(c.frames.empty() && c.steps.empty());
    EXPECT_FALSE(error.empty());
  }
  return ok;
}

TEST(AniFile, ShippedCursorsHaveEightCentredFramesAtTenPerSecond) {
  for (const char* name : {"an_lr.ani", "an_rl.ani"}) {
    AniCursor c;
    std::string error;
    ASSERT_TRUE(ReadAniFile(std::string(TUMBOL_SOURCE_DIR) + "/data/" + name, &c, &error)) << name << error;
    ASSERT_EQ(c.frames.size(), 8u);
    ASSERT_EQ(c.steps.size(), 8u);
    for (size_t i = 0; i < 8; ++i) {
      EXPECT_TRUE(c.frames[i].isCursor);
      EXPECT_EQ(c.frames[i].width, 32);
      EXPECT_EQ(c.frames[i].height, 32);
      EXPECT_EQ(c.frames[i].hotX, 16);
      EXPECT_EQ(c.frames[i].hotY, 16);
      EXPECT_EQ(c.steps[i].frame, int(i));
      EXPECT_EQ(c.steps[i].durationMs, 100);
    }
  }
}

TEST(AniFile, RatesAndSequenceGiveTheSteps) {
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
}

TEST(AniFile, InfoListAndUnknownChunksAreSkippedOddChunksPadded) {
  std::vector<uint8_t> f = SmallFile(1);
  // Append LIST INFO with an odd-sized INAM and an unknown chunk, then fix the RIFF size.
  const uint8_t extra[] = {'L', 'I', 'S', 'T', 16, 0, 0, 0, 'I', 'N', 'F', 'O', 'I', 'N', 'A', 'M', 3, 0, 0, 0,
                           'a', 'b', 'c', 0, 'z', 'z', 'z', 'z', 1, 0, 0, 0, 7};
  f.insert(f.end(), extra, extra + sizeof extra);
  Put32(&f, 4, uint32_t(f.size() - 8));
  std::string why;
  EXPECT_TRUE(Parses(f, &why)) << why;  // the last chunk's pad byte is missing: tolerated
}

TEST(AniFile, DamagedFilesAreRefused) {
  std::vector<uint8_t> good = SmallFile(2);
  ASSERT_TRUE(Parses(good));

  EXPECT_FALSE(Parses({}));
  EXPECT_FALSE(Parses(std::vector<uint8_t>(good.begin(), good.begin() + 12)));  // no anih

  std::vector<uint8_t> f = good;
  Put32(&f, 4, 0x7FFFFFF0);  // RIFF size beyond the file
  EXPECT_FALSE(Parses(f));

  f = good;
  Put32(&f, Find(f, "anih") + 4, 0xFFFFFFF0);  // chunk size beyond the file
  EXPECT_FALSE(Parses(f));

  f = good;
  Put32(&f, Find(f, "anih") + 8, 40);  // cbSize wrong
  EXPECT_FALSE(Parses(f));

  f = good;
  Put32(&f, Find(f, "anih") + 12, 0);  // zero frames
  EXPECT_FALSE(Parses(f));

  f = good;
  Put32(&f, Find(f, "anih") + 12, 100000);  // absurd frame count
  EXPECT_FALSE(Parses(f));

  f = good;
  Put32(&f, Find(f, "anih") + 16, 0);  // no steps
  EXPECT_FALSE(Parses(f));

  f = good;
  Put32(&f, Find(f, "anih") + 16, 3);  // more steps than frames, no sequence
  EXPECT_FALSE(Parses(f));

  f = good;
  Put32(&f, Find(f, "anih") + 20, 4096);  // absurd width
  EXPECT_FALSE(Parses(f));

  f = good;
  std::memcpy(f.data() + Find(f, "anih"), "xxxx", 4);  // missing anih
  EXPECT_FALSE(Parses(f));

  f = good;
  std::memcpy(f.data() + Find(f, "icon"), "xxxx", 4);  // fewer frames than the header says
  EXPECT_FALSE(Parses(f));

  EXPECT_FALSE(Parses(SmallFile(2, {}, {0, 2})));  // sequence names a missing frame
  EXPECT_FALSE(Parses(SmallFile(0)));

  f = good;
  size_t icon = Find(f, "icon") + 8;
  Put32(&f, icon + 6 + 8, 0xFFFF0000);  // image bytes beyond the chunk
  EXPECT_FALSE(Parses(f));

  f = good;
  f[icon + 6 + 4] = 9;  // hotspot outside a 4 x 4 image
  EXPECT_FALSE(Parses(f));

  f = good;
  f[icon + 2] = 7;  // neither ICO nor CUR
  EXPECT_FALSE(Parses(f));
}

TEST(AniFile, IconChunkOverOneMebibyteIsRefused) {
  AniWriter w;
  std::vector<uint8_t> big = AniWriter::BuildCur(4, 4, 0, 0, Pixels(4, 255));
  big.resize(kAniMaxIconBytes + 2);
  w.AddFrame(big);
  EXPECT_FALSE(Parses(w.Build()));
}

TEST(AniFile, EveryTruncationIsRefusedOrWhole) {
  std::vector<uint8_t> good = SmallFile(2, {6, 6, 6}, {0, 1, 0});
  for (size_t n = 0; n < good.size(); ++n) {
    std::vector<uint8_t> cut(good.begin(), good.begin() + n);
    // The RIFF size still claims the whole file: every cut must be refused.
    EXPECT_FALSE(Parses(cut)) << "cut at " << n;
    // With the RIFF size mended to the cut, inner sizes still overrun.
    if (n >= 8) {
      Put32(&cut, 4, uint32_t(n - 8));
      AniCursor c;
      std::string error;
      if (ParseAni(cut, &c, &error)) {
        EXPECT_EQ(c.frames.size(), 2u) << "cut at " << n;
      }
    }
  }
}

TEST(AniFile, EveryOverwrittenByteIsRefusedOrSound) {
  std::vector<uint8_t> good = SmallFile(2, {6, 6, 6}, {0, 1, 0});
  for (size_t n = 0; n < good.size(); ++n) {
    for (uint8_t value : {uint8_t(0x00), uint8_t(0x7F), uint8_t(0xFF)}) {
      std::vector<uint8_t> f = good;
      f[n] = value;
      AniCursor c;
      std::string error;
      if (!ParseAni(f, &c, &error)) continue;
      // Whatever is accepted must be self-consistent.
      for (const AniStep& s : c.steps) {
        ASSERT_LT(size_t(s.frame), c.frames.size()) << "byte " << n;
        ASSERT_GT(s.durationMs, 0);
      }
    }
  }
}

TEST(AniFile, MissingFileIsRefused) {
  AniCursor c;
  std::string error;
  EXPECT_FALSE(ReadAniFile("/nonexistent/an_lr.ani", &c, &error));
  EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace tumbol
