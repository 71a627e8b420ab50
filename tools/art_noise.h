#pragma once
// The generators' deterministic texture: a fixed hash of a pixel's place and
// a seed, so every run draws the same grain and writes the same bytes.
#include <algorithm>
#include <cmath>
#include <cstdint>

namespace tumbol {

inline uint32_t Hash(uint32_t x, uint32_t y, uint32_t seed) {
  uint32_t h = x * 0x8da6b343u ^ y * 0xd8163841u ^ seed * 0xcb1ab31fu;
  h ^= h >> 13;
  h *= 0x5bd1e995u;
  h ^= h >> 15;
  return h;
}

// A value in [0, 1) for the place (x, y) and seed.
inline double Rand01(int x, int y, uint32_t seed) {
  return (Hash(static_cast<uint32_t>(x), static_cast<uint32_t>(y), seed) & 0xffffff) / double(0x1000000);
}

// A colour channel: v rounded and held to 0..255.
inline int Clamp255(double v) { return std::clamp(static_cast<int>(std::lround(v)), 0, 255); }

}  // namespace tumbol
