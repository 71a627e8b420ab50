#include "game/solver.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <functional>
#include <memory>
#include <unordered_map>
#include <unordered_set>

namespace tumbol {
namespace {

// A board as one column-major array of codes (a column's cells lie
// together, top first), the form the search works on.
struct Grid {
  int rows = 0;
  int cols = 0;
  std::vector<int8_t> cells;
  int8_t& at(int row, int col) { return cells[static_cast<size_t>(col) * rows + row]; }  // 0-based
};

// Every cube of columns lo..hi falls as far as it can: in each column the
// cubes of a stretch between obstacles pile up at its bottom in their order.
// Repeating single gravity passes until nothing moves ends in this board.
void Fall(int8_t* g, int rows, int lo, int hi) {
  for (int c = lo; c <= hi; ++c) {
    int8_t* col = g + c * rows;
    int dest = rows - 1;
    for (int r = rows - 1; r >= 0; --r) {
      const int8_t v = col[r];
      if (v == kEmpty) continue;
      if (!IsCube(v)) {
        dest = r - 1;
        continue;
      }
      if (dest != r) {
        col[dest] = v;
        col[r] = kEmpty;
      }
      --dest;
    }
  }
}

// Pairs equal neighbours in the order of MarkPairs (columns left to right,
// rows bottom to top, partner looked for left, right, above, below) and
// empties them. Only columns lo..hi changed since the board last had no two
// equal cubes touching, so every pair has a cube there and the scan can keep
// to lo-1..hi+1: the cubes it skips have no equal neighbour and are skipped by
// the full scan too. Returns false when nothing vanished, else the columns
// that lost cubes in lo, hi.
bool Vanish(int8_t* g, int rows, int cols, int& lo, int& hi) {
  const int from = lo > 0 ? lo - 1 : 0;
  const int to = hi + 1 < cols ? hi + 1 : cols - 1;
  int vanishedLo = cols;
  int vanishedHi = -1;
  for (int c = from; c <= to; ++c) {
    for (int r = rows - 1; r >= 0; --r) {
      const int i = c * rows + r;
      const int8_t v = g[i];
      if (!IsCube(v)) continue;
      int partner = -1;
      if (c > 0 && g[i - rows] == v)
        partner = i - rows;
      else if (c + 1 < cols && g[i + rows] == v)
        partner = i + rows;
      else if (r > 0 && g[i - 1] == v)
        partner = i - 1;
      else if (r + 1 < rows && g[i + 1] == v)
        partner = i + 1;
      if (partner < 0) continue;
      g[partner] = kVanishing;
      g[i] = kVanishing;
      vanishedLo = std::min({vanishedLo, c, partner / rows});
      vanishedHi = std::max({vanishedHi, c, partner / rows});
    }
  }
  if (vanishedHi < 0) return false;
  for (int i = vanishedLo * rows; i < (vanishedHi + 1) * rows; ++i)
    if (g[i] == kVanishing) g[i] = kEmpty;
  lo = vanishedLo;
  hi = vanishedHi;
  return true;
}

// Settles a board in which only columns lo..hi changed since it was last at
// rest. Widens lo..hi to every column the settling touched.
void Settle(int8_t* g, int rows, int cols, int& lo, int& hi) {
  int dirtyLo = lo;
  int dirtyHi = hi;
  do {
    Fall(g, rows, dirtyLo, dirtyHi);
    lo = std::min(lo, dirtyLo);
    hi = std::max(hi, dirtyHi);
  } while (Vanish(g, rows, cols, dirtyLo, dirtyHi));
}

// A push of the cube on cell from to the empty cell beside it, to, on a
// board at rest, and the settling after it; lo..hi as for Settle. Only the
// pushed cube and the pile it stood under move at first: the cube falls as
// far as it can, the pile one cell. Any pair has one of them in it, as the
// board held none, so when none of them touches its own kind nothing
// vanishes and the board is at rest; else it settles as any other.
void PushAndSettle(int8_t* g, int rows, int cols, int from, int to, int& lo, int& hi) {
  const int8_t cube = g[from];
  g[from] = kEmpty;
  int landed = to;
  while ((landed + 1) % rows != 0 && g[landed + 1] == kEmpty) ++landed;
  g[landed] = cube;
  int top = from;  // the pile's top cube ends on top
  while (top % rows != 0 && IsCube(g[top - 1])) {
    g[top] = g[top - 1];
    --top;
  }
  g[top] = kEmpty;
  auto touchesItsKind = [&](int x) {
    const int8_t v = g[x];
    const int r = x % rows;
    return (x >= rows && g[x - rows] == v) || (x + rows < rows * cols && g[x + rows] == v) ||
           (r > 0 && g[x - 1] == v) || (r + 1 < rows && g[x + 1] == v);
  };
  bool pairs = touchesItsKind(landed);
  for (int x = from; x > top && !pairs; --x) pairs = touchesItsKind(x);
  if (!pairs) return;
  int dirtyLo = lo;
  int dirtyHi = hi;
  while (Vanish(g, rows, cols, dirtyLo, dirtyHi)) {
    Fall(g, rows, dirtyLo, dirtyHi);
    lo = std::min(lo, dirtyLo);
    hi = std::max(hi, dirtyHi);
  }
}

// A board never settled may hold touching pairs anywhere.
void SettleAll(int8_t* g, int rows, int cols) {
  int lo = 0;
  int hi = cols - 1;
  Settle(g, rows, cols, lo, hi);
}

// A state key: one uint16 a cube, cell index * 32 + kind, in the grid's
// (column-major) order, so the cubes of a run of columns are one stretch.
constexpr int kKindBits = 5;
constexpr int kKindMask = (1 << kKindBits) - 1;
constexpr int kMaxCells = (1 << (16 - kKindBits)) - 1;

uint64_t HashKey(const uint16_t* key, size_t n) {
  uint64_t h = 0x9E3779B97F4A7C15ull ^ n;
  size_t i = 0;
  for (; i + 4 <= n; i += 4) {
    uint64_t w;
    std::memcpy(&w, key + i, 8);
    h = (h ^ w) * 0xFF51AFD7ED558CCDull;
    h ^= h >> 32;
  }
  for (; i < n; ++i) h = (h ^ key[i]) * 0xC4CEB9FE1A85EC53ull;
  return h ^ (h >> 29);
}

// Every settled board kept, with the push that reached it by the fewest
// pushes known so far. Keys sit end to end in blocks of a pool, none split
// between two: a full block stays where it is, so the pool grows without the
// copy a single array makes, which holds the old and the new at once (twice
// the memory, for a moment, past the budget). The table holds 32-bit ids,
// so a board costs its key plus about 24 bytes.
class StateStore {
 public:
  StateStore() : slots_(1024, 0) {}
  size_t Count() const { return parent_.size(); }
  const uint16_t* Key(uint32_t id) const { return blocks_[offsets_[id] >> kBlockBits].get() + (offsets_[id] & kBlockMask); }
  size_t Length(uint32_t id) const { return lengths_[id]; }
  uint32_t Parent(uint32_t id) const { return parent_[id]; }
  uint16_t Move(uint32_t id) const { return move_[id]; }
  uint16_t Depth(uint32_t id) const { return depth_[id]; }
  uint16_t Bound(uint32_t id) const { return bound_[id]; }
  void Relink(uint32_t id, uint32_t parent, uint16_t move, uint16_t depth) {
    parent_[id] = parent;
    move_[id] = move;
    depth_[id] = depth;
  }
  size_t Bytes() const {
    return blocks_.size() * kBlock * 2 + offsets_.capacity() * 4 + lengths_.capacity() * 2 + parent_.capacity() * 4 +
           move_.capacity() * 2 + depth_.capacity() * 2 + bound_.capacity() * 2 + slots_.capacity() * 4 +
           tags_.capacity() * 4;
  }

  // What Bytes would peak at while one more key of n cubes is added: an
  // array that grows holds its old and new buffers at once, for a moment.
  size_t PeakIfAdded(size_t n) const {
    size_t more = 0;
    auto grows = [&more](const auto& v) {
      if (v.size() == v.capacity()) more += 2 * std::max<size_t>(v.capacity(), 1) * sizeof(v[0]);
    };
    grows(offsets_);
    grows(lengths_);
    grows(parent_);
    grows(move_);
    grows(depth_);
    grows(bound_);
    grows(tags_);
    if ((Count() + 1) * 2 > slots_.size()) more += slots_.size() * 2 * sizeof(slots_[0]);
    if (blocks_.empty() || used_ + n > kBlock) more += kBlock * 2;
    return Bytes() + more;
  }

  static constexpr uint32_t kNone = UINT32_MAX;

  uint32_t Find(const uint16_t* key, size_t n, uint64_t h) const {
    const uint32_t tag = static_cast<uint32_t>(h >> 32);
    const size_t mask = slots_.size() - 1;
    for (size_t i = h & mask;; i = (i + 1) & mask) {
      const uint32_t slot = slots_[i];
      if (slot == 0) return kNone;
      const uint32_t id = slot - 1;
      if (tags_[id] == tag && Length(id) == n && std::memcmp(Key(id), key, n * 2) == 0) return id;
    }
  }

  void Prefetch(uint64_t h) const { __builtin_prefetch(&slots_[h & (slots_.size() - 1)]); }

  // The key must not be there yet.
  uint32_t Add(const uint16_t* key, size_t n, uint64_t h, uint32_t parent, uint16_t move, uint16_t depth,
               uint16_t bound) {
    if ((Count() + 1) * 2 > slots_.size()) Grow();
    const size_t mask = slots_.size() - 1;
    size_t i = h & mask;
    while (slots_[i] != 0) i = (i + 1) & mask;
    const auto id = static_cast<uint32_t>(Count());
    slots_[i] = id + 1;
    tags_.push_back(static_cast<uint32_t>(h >> 32));
    if (blocks_.empty() || used_ + n > kBlock) {
      blocks_.emplace_back(new uint16_t[kBlock]);
      used_ = 0;
    }
    std::copy(key, key + n, blocks_.back().get() + used_);
    offsets_.push_back(static_cast<uint32_t>(((blocks_.size() - 1) << kBlockBits) | used_));
    lengths_.push_back(static_cast<uint16_t>(n));
    used_ += n;
    parent_.push_back(parent);
    move_.push_back(move);
    depth_.push_back(depth);
    bound_.push_back(bound);
    return id;
  }

 private:
  void Grow() {
    std::vector<uint32_t> bigger(slots_.size() * 2, 0);
    const size_t mask = bigger.size() - 1;
    for (uint32_t id = 0; id < Count(); ++id) {
      size_t i = HashKey(Key(id), Length(id)) & mask;
      while (bigger[i] != 0) i = (i + 1) & mask;
      bigger[i] = id + 1;
    }
    slots_.swap(bigger);
  }

  static constexpr int kBlockBits = 18;  // keys of a block: 512 kB
  static constexpr size_t kBlock = size_t{1} << kBlockBits;
  static constexpr uint32_t kBlockMask = kBlock - 1;

  std::vector<std::unique_ptr<uint16_t[]>> blocks_;
  size_t used_ = 0;                // of the last block
  std::vector<uint32_t> offsets_;  // by id: block << kBlockBits | start
  std::vector<uint16_t> lengths_;
  std::vector<uint32_t> parent_;
  std::vector<uint16_t> move_;
  std::vector<uint16_t> depth_;
  std::vector<uint16_t> bound_;
  std::vector<uint32_t> tags_;
  std::vector<uint32_t> slots_;
};

constexpr uint16_t kNever = 254;    // a pair cost: these two cells can never touch
constexpr uint16_t kDead = 0xFFFF;  // a bound: the board can never be cleared
constexpr int kMaxBound = 0xFF00;   // bounds are cut here (a smaller bound is still a bound)

// Where a cube can ever get to, and how many pushes it takes. A cube moves
// only sideways (a push, one column) and down (a fall, free), never up, and
// never into a brick. So every cell a cube will ever stand on is reached from
// its cell by steps left, right and down through cells that are not bricks,
// and it was pushed at least as often as the fewest sideways steps of such a
// path. The paths ignore whether a push has the support and the empty target
// it needs, so they cover every real walk and more: what they rule out is
// ruled out for certain, and what they count is never more than the real
// number of pushes.
class Reach {
 public:
  Reach(const std::vector<int8_t>& bricks, int rows)
      : bricks_(bricks), rows_(rows), cells_(static_cast<int>(bricks.size())),
        steps_(static_cast<size_t>(cells_) * cells_, kUnknown),
        cost_(static_cast<size_t>(cells_) * cells_, kUnknown) {}

  // The fewest pushes that two cubes standing on cells a and b need, between
  // them, before they touch; kNever when no two cells they can reach touch.
  uint16_t PairCost(int a, int b) {
    uint8_t& known = cost_[static_cast<size_t>(a) * cells_ + b];
    if (known != kUnknown) return known;
    const uint8_t* fromA = Steps(a);
    const uint8_t* fromB = Steps(b);
    int best = kNever;
    for (int x = 0; x < cells_; ++x) {
      if (fromA[x] >= best) continue;
      const int r = x % rows_;
      const int near[4] = {x - rows_, x + rows_, r > 0 ? x - 1 : -1, r + 1 < rows_ ? x + 1 : -1};
      for (int y : near)
        if (y >= 0 && y < cells_ && fromB[y] != kUnknown) best = std::min(best, fromA[x] + fromB[y]);
    }
    known = static_cast<uint8_t>(best);
    cost_[static_cast<size_t>(b) * cells_ + a] = known;
    return known;
  }

  int Cells() const { return cells_; }
  int Rows() const { return rows_; }
  size_t Bytes() const { return steps_.capacity() + cost_.capacity(); }
  bool Brick(int cell) const { return bricks_[cell] != kEmpty; }

 private:
  static constexpr uint8_t kUnknown = 255;

  // Fewest sideways steps from cell from to every cell (kUnknown: never),
  // worked out the first time it is asked for.
  const uint8_t* Steps(int from) {
    uint8_t* d = steps_.data() + static_cast<size_t>(from) * cells_;
    if (d[from] == 0) return d;
    std::deque<int> queue{from};
    d[from] = 0;
    while (!queue.empty()) {
      const int x = queue.front();
      queue.pop_front();
      const int r = x % rows_;
      if (r + 1 < rows_ && bricks_[x + 1] == kEmpty && d[x + 1] > d[x]) {
        d[x + 1] = d[x];
        queue.push_front(x + 1);
      }
      for (int y : {x - rows_, x + rows_})
        if (y >= 0 && y < cells_ && bricks_[y] == kEmpty && d[y] > d[x] + 1) {
          d[y] = static_cast<uint8_t>(d[x] + 1);
          queue.push_back(y);
        }
    }
    return d;
  }

  const std::vector<int8_t>& bricks_;
  int rows_;
  int cells_;
  std::vector<uint8_t> steps_;
  std::vector<uint8_t> cost_;
};

// Cubes that keep their order. In a row whose cells all stand on bricks and
// that ends in a brick (or the board's edge) on both sides, a trough, a cube
// can never fall and never leave sideways, and no cube ever moves up: once
// in, it stays until it vanishes, and two cubes there never pass each other.
// The same holds in a column walled on both sides with a brick under it, a
// shaft. Two cubes of such a line meet only once every cube between them
// has gone. A cube from outside touches a cube of the line only by standing
// on it or by coming in beside it, and only if its kind has a cube outside
// that can ever get there (the steps of Reach, which ignore other cubes, so
// "can't" is certain). So a line can be cleared only if its word of kinds
// reduces to nothing by taking out a letter whose kind has such a cube
// outside, or two equal letters with nothing left between them. Cubes that
// come in later only stand between others: they never let two letters meet
// that could not meet without them. A cube from outside that takes a letter
// vanishes with it, so a kind whose letters need more takers from outside
// than it has cubes outside that can get there cannot be cleared either.
//
// Where a cube comes in counts too. A cube from outside gets into a row only
// from above one of its cells, and into a shaft only at its top. One that
// can get in only at the row's first cell, its far left, lands on the first
// cube of the row or before it, so it takes a letter only once every letter
// before that one has gone; one that can get in only at the last cell (the
// far right of a row, the top of a shaft) only once every letter after it
// has gone.
// A letter taken from the last cell splits the word: what lies after it went
// first, alone, and what lies before can meet nothing beyond it. So the
// letters taken at the first cell all come before those taken at the last,
// and the word reduces as on a stack that is empty at each of them.
class Lines {
 public:
  explicit Lines(const Reach& reach) : reach_(reach), lineOf_(reach.Cells(), -1) {
    const int rows = reach.Rows();
    const int cells = reach.Cells();
    auto blocked = [&](int row, int col) {
      return row < 0 || col < 0 || row >= rows || col * rows >= cells || reach.Brick(col * rows + row);
    };
    const int cols = cells / rows;
    // Troughs of two cells or more: in a shorter one order says nothing.
    for (int r = 0; r < rows; ++r)
      for (int c = 0; c < cols;) {
        if (blocked(r, c) || !blocked(r + 1, c)) {
          ++c;
          continue;
        }
        const int from = c;
        while (c < cols && !blocked(r, c) && blocked(r + 1, c)) ++c;
        if (c - from >= 2 && blocked(r, from - 1) && blocked(r, c)) {
          Line line;
          for (int x = from; x < c; ++x) {
            line.cells.push_back(x * rows + r);
            if (!blocked(r - 1, x)) {
              line.touch.push_back(x * rows + r - 1);
              line.touchAt.push_back(x - from);
            }
          }
          Add(line);
        }
      }
    // Shafts two cells high or more, bottom first.
    for (int c = 0; c < cols; ++c)
      for (int r = rows - 1; r >= 0;) {
        auto walled = [&](int row) { return !blocked(row, c) && blocked(row, c - 1) && blocked(row, c + 1); };
        if (!walled(r) || !blocked(r + 1, c)) {
          --r;
          continue;
        }
        Line line;
        while (r >= 0 && walled(r)) line.cells.push_back(c * rows + r--);
        if (!blocked(r, c)) {
          line.touch.push_back(c * rows + r);
          line.touchAt.push_back(static_cast<int>(line.cells.size()) - 1);
        }
        if (line.cells.size() >= 2) Add(line);
      }
    // What a cube on each cell is to each line: a cube outside that can get
    // there, and whether only at its first or last cell.
    for (size_t l = 0; l < lines_.size(); ++l) {
      Line& line = lines_[l];
      line.from.assign(static_cast<size_t>(cells), kNoTaker);
      for (int x = 0; x < cells; ++x)
        if (lineOf_[x] != static_cast<int>(l) && line.reachable[x])
          line.from[x] = !line.notFirst[x] ? kFirstOnly : !line.notLast[x] ? kLastOnly : kAnywhere;
    }
  }

  // kindAt: the kind of the cube on each cell, -1 where none.
  bool Clearable(const int8_t* kindAt, const uint16_t* key, size_t n, int kindBits) {
    SetParent(key, n, kindBits);
    return ClearableAfter(kindAt, nullptr, 0, nullptr, 0, kindBits);
  }

  // The board whose children are looked at next: the cubes in each line and
  // the takers from outside of each, kept so that a child counts only the
  // cubes it changed.
  void SetParent(const uint16_t* key, size_t n, int kindBits) {
    parentIn_.assign(lines_.size(), 0);
    parentTakers_.assign(lines_.size() * kTakerSlots, 0);
    for (size_t i = 0; i < n; ++i) {
      const int cell = key[i] >> kindBits;
      if (lineOf_[cell] >= 0) ++parentIn_[static_cast<size_t>(lineOf_[cell])];
      for (size_t l = 0; l < lines_.size(); ++l)
        AddTaker(lines_[l].from[cell], key[i] & ((1 << kindBits) - 1), 1, parentTakers_.data() + l * kTakerSlots);
    }
  }

  // Whether a board is clearable that differs from the one of SetParent in
  // its cubes gone (there, not here) and came (here, not there); kindAt is
  // this board's. Without gone (a board of its own, not a child), every
  // line is looked at.
  bool ClearableAfter(const int8_t* kindAt, const uint16_t* gone, size_t goneCount, const uint16_t* came,
                      size_t cameCount, int kindBits) {
    const int kindMask = (1 << kindBits) - 1;
    for (size_t l = 0; l < lines_.size(); ++l) {
      int in = parentIn_[l];
      for (size_t i = 0; i < goneCount; ++i) in -= lineOf_[gone[i] >> kindBits] == static_cast<int>(l);
      for (size_t i = 0; i < cameCount; ++i) in += lineOf_[came[i] >> kindBits] == static_cast<int>(l);
      if (in < 2) continue;
      const Line& line = lines_[l];
      int takers[kTakerSlots];
      std::copy(parentTakers_.begin() + static_cast<long>(l * kTakerSlots),
                parentTakers_.begin() + static_cast<long>((l + 1) * kTakerSlots), takers);
      for (size_t i = 0; i < goneCount; ++i) AddTaker(line.from[gone[i] >> kindBits], gone[i] & kindMask, -1, takers);
      for (size_t i = 0; i < cameCount; ++i) AddTaker(line.from[came[i] >> kindBits], came[i] & kindMask, 1, takers);
      // Most pushes leave a line's cubes and takers as they were (gone and
      // came hold every cube of the columns the push touched, moved or
      // not): then the verdict is the parent's, a board kept and so not
      // cut, and a test left out never cuts a board that can be won.
      if (gone != nullptr && std::equal(takers, takers + kTakerSlots, parentTakers_.begin() + static_cast<long>(l * kTakerSlots)) &&
          SameInLine(static_cast<int>(l), gone, goneCount, came, cameCount, kindBits))
        continue;
      if (!LineClearable(line, kindAt, takers)) return false;
    }
    return true;
  }

  size_t Count() const { return lines_.size(); }
  // The answers kept, about: a node of a hash table is its entry and two words.
  size_t Bytes() const {
    constexpr size_t kNode = sizeof(Packed) + 3 * sizeof(void*);
    return (verdicts_.size() + seen_.size()) * kNode +
           (verdicts_.bucket_count() + seen_.bucket_count()) * sizeof(void*);
  }

 private:
  struct Line {
    std::vector<int> cells;       // in order along the line
    std::vector<int> touch;       // beside it, where a cube from outside stands on one of its cubes
    std::vector<int> touchAt;     // the cell of the line under each of those
    std::vector<bool> reachable;  // cells from which a cube can get into the line or onto it
    std::vector<bool> notFirst;   // cells from which a cube can get in elsewhere than at its first cell
    std::vector<bool> notLast;    // or elsewhere than at its last
    std::vector<uint8_t> from;    // by cell, what a cube there is to the line (kNoTaker...)
  };

  static constexpr uint8_t kNoTaker = 0;  // in the line, or can never get to it
  static constexpr uint8_t kAnywhere = 1;
  static constexpr uint8_t kFirstOnly = 2;
  static constexpr uint8_t kLastOnly = 3;
  // Takers by kind: all of them, then those at the first cell only, then at the last only.
  static constexpr size_t kTakerSlots = 3 * 32;

  // Whether the cubes of line l among gone and among came (both in key
  // order) are the same.
  bool SameInLine(int l, const uint16_t* gone, size_t goneCount, const uint16_t* came, size_t cameCount,
                  int kindBits) const {
    size_t i = 0;
    size_t j = 0;
    for (;;) {
      while (i < goneCount && lineOf_[gone[i] >> kindBits] != l) ++i;
      while (j < cameCount && lineOf_[came[j] >> kindBits] != l) ++j;
      if (i == goneCount || j == cameCount) return i == goneCount && j == cameCount;
      if (gone[i++] != came[j++]) return false;
    }
  }

  static void AddTaker(uint8_t from, int kind, int sign, int* takers) {
    if (from == kNoTaker) return;
    takers[kind] += sign;
    if (from == kFirstOnly) takers[32 + kind] += sign;
    if (from == kLastOnly) takers[64 + kind] += sign;
  }

  // The cells from which a cube can get to one of the cells todo.
  std::vector<bool> Reaching(std::vector<int> todo) const {
    std::vector<bool> reaching(static_cast<size_t>(reach_.Cells()), false);
    const int rows = reach_.Rows();
    for (int x : todo) reaching[x] = true;
    // Backwards along the steps of Reach: from the left, the right, above.
    while (!todo.empty()) {
      const int y = todo.back();
      todo.pop_back();
      const int from[3] = {y - rows, y + rows, y % rows > 0 ? y - 1 : -1};
      for (int x : from)
        if (x >= 0 && x < reach_.Cells() && !reach_.Brick(x) && !reaching[x]) {
          reaching[x] = true;
          todo.push_back(x);
        }
    }
    return reaching;
  }

  void Add(Line& line) {
    std::vector<int> todo(line.cells);
    todo.insert(todo.end(), line.touch.begin(), line.touch.end());
    line.reachable = Reaching(todo);
    // A cube gets into the line from outside only through the cells above it.
    std::vector<int> notFirst;
    std::vector<int> notLast;
    const int last = static_cast<int>(line.cells.size()) - 1;
    for (size_t t = 0; t < line.touch.size(); ++t) {
      if (line.touchAt[t] != 0) notFirst.push_back(line.touch[t]);
      if (line.touchAt[t] != last) notLast.push_back(line.touch[t]);
    }
    line.notFirst = Reaching(notFirst);
    line.notLast = Reaching(notLast);
    for (int x : line.cells) lineOf_[x] = static_cast<int>(lines_.size());
    lines_.push_back(std::move(line));
  }

  bool LineClearable(const Line& line, const int8_t* kindAt, const int* takers) {
    uint32_t present = 0;
    int word[32];
    int length = 0;
    int letters[32] = {};
    for (int x : line.cells)
      if (kindAt[x] >= 0) {
        word[length++] = kindAt[x];
        present |= 1u << kindAt[x];
        ++letters[kindAt[x]];
      }
    // Cubes outside that can get here, by kind. Each that takes a letter
    // away vanishes with it, so it takes one letter at most.
    int outside[32] = {};
    int first[32] = {};  // of those, the ones that get in at the first cell only
    int last[32] = {};   // at the last only
    uint32_t ends = 0;   // kinds with cubes of either
    for (uint32_t left = present; left != 0; left &= left - 1) {
      const int kind = __builtin_ctz(left);
      outside[kind] = takers[kind];
      first[kind] = takers[32 + kind];
      last[kind] = takers[64 + kind];
      if (first[kind] + last[kind] > 0) ends |= 1u << kind;
    }
    uint32_t helped = 0;
    uint32_t scarce = 0;  // kinds with more letters than cubes outside to take them
    for (int k = 0; k < 32; ++k) {
      if (outside[k] > 0) helped |= 1u << k;
      if (letters[k] > outside[k] && outside[k] > 0) scarce |= 1u << k;
    }
    if (ends == 0 && (present & ~helped) == 0 && scarce == 0) return true;  // every letter can go alone
    // The same word with the same takers comes back on board after board.
    // Takers past the letters of their kind change nothing: counted up to
    // those.
    Packed whole;
    for (int j = 0; j < length; ++j) whole.Put(static_cast<unsigned>(word[j]), 5);
    for (int k = 0; k < 32; ++k)
      if (present >> k & 1) {
        whole.Put(static_cast<unsigned>(std::min(outside[k] - first[k] - last[k], letters[k])), 6);
        whole.Put(static_cast<unsigned>(std::min(first[k], letters[k])), 6);
        whole.Put(static_cast<unsigned>(std::min(last[k], letters[k])), 6);
      }
    const auto known = verdicts_.find(whole);
    if (known != verdicts_.end()) return known->second;
    const bool ok = WordClearable(word, length, outside, first, last, helped, scarce, ends);
    if (verdicts_.size() >= kJointAnswers) verdicts_.clear();
    verdicts_.emplace(whole, ok);
    return ok;
  }

  bool WordClearable(const int* word, int length, int* outside, const int* first, const int* last, uint32_t helped,
                     uint32_t scarce, uint32_t ends) {
    if (scarce == 0) {
      if (FewestTaken(word, length, helped, -1) >= kNoWay) return false;
    } else {
      for (int k = 0; k < 32; ++k)
        if ((scarce >> k & 1) && FewestTaken(word, length, helped, k) > outside[k]) return false;
    }
    // Each scarce kind alone can spare its takers, the others taking freely;
    // with two or more scarce kinds, all of them at once may not, nor
    // cubes that get in at one end only.
    if (ends != 0) {
      for (int k = 0; k < 32; ++k) outside[k] -= first[k] + last[k];
      return JointClearable(word, length, outside, first, last);
    }
    if ((scarce & (scarce - 1)) != 0) return JointClearable(word, length, outside, nullptr, nullptr);
    return true;
  }

  // Whether some letters, at most outside[k] of each kind k, and first[k]
  // and last[k] more from the ends (see above), can be taken so that the rest
  // pair off. Taking them first loses nothing (a letter gone only ever brings
  // others together), and what is left pairs off exactly when cancelling
  // equal neighbours ends in nothing, which does not hang on the order of
  // the cancelling: as on a stack, left to right. So the search walks the
  // word once for each choice of letters taken, with the stack and the takers
  // left as its state. A kind with takers from anywhere for all its letters
  // counts as unlimited. Past kJointStates states it gives up and says yes,
  // which cuts nothing.
  bool JointClearable(const int* word, int length, const int* outside, const int* first, const int* last) {
    word_ = word;
    length_ = length;
    int letters[32] = {};
    for (int j = 0; j < length; ++j) ++letters[word[j]];
    scarce_ = 0;
    ends_ = 0;
    for (int k = 0; k < 32; ++k) {
      budget_[k] = outside[k] >= letters[k] && outside[k] > 0 ? length : outside[k];
      if (budget_[k] < length && budget_[k] > 0) scarce_ |= 1u << k;
      first_[k] = first != nullptr ? std::min(first[k], letters[k]) : 0;
      last_[k] = last != nullptr ? std::min(last[k], letters[k]) : 0;
      if (first_[k] + last_[k] > 0) ends_ |= 1u << k;
    }
    depth_ = 0;
    afterLast_ = false;
    states_ = 0;
    seen_.clear();
    return Joint(0) || states_ > kJointStates;
  }

  static constexpr int kJointStates = 4096;
  static constexpr size_t kJointAnswers = 1 << 14;

  // A state of the search, or a word with the takers of each of its kinds,
  // as bits: exact, so that two never share an entry. A line has 32 cells
  // at most: 5 bits a letter and 3 times 6 a kind fit.
  struct Packed {
    uint64_t w[10] = {};
    int bits = 0;
    void Put(unsigned v, int n) {
      w[bits / 64] |= static_cast<uint64_t>(v) << (bits % 64);
      if (bits % 64 + n > 64) w[bits / 64 + 1] |= static_cast<uint64_t>(v) >> (64 - bits % 64);
      bits += n;
    }
    // Words past the bits put are zero: only those in use are looked at.
    int Words() const { return (bits + 63) / 64; }
    bool operator==(const Packed& o) const {
      return bits == o.bits && std::memcmp(w, o.w, static_cast<size_t>(Words()) * sizeof w[0]) == 0;
    }
  };
  struct PackedHash {
    size_t operator()(const Packed& p) const {
      uint64_t h = static_cast<uint64_t>(p.bits);
      for (int i = 0; i < p.Words(); ++i) h = (h ^ p.w[i]) * 0x9E3779B97F4A7C15ull;
      return static_cast<size_t>(h ^ (h >> 31));
    }
  };

  // Position i, whether a letter was taken at the last cell, the takers left
  // of each scarce kind and at the ends, and the stack.
  Packed Pack(int i) const {
    Packed p;
    p.Put(static_cast<unsigned>(i + 1), 6);
    p.Put(afterLast_ ? 1 : 0, 1);
    for (int k = 0; k < 32; ++k) {
      if (scarce_ >> k & 1) p.Put(static_cast<unsigned>(budget_[k]), 6);
      if (ends_ >> k & 1) {
        p.Put(static_cast<unsigned>(first_[k]), 6);
        p.Put(static_cast<unsigned>(last_[k]), 6);
      }
    }
    for (int j = 0; j < depth_; ++j) p.Put(static_cast<unsigned>(stack_[j]), 5);
    return p;
  }

  bool Joint(int i) {
    if (i == length_) return depth_ == 0;
    if (depth_ > length_ - i || states_ > kJointStates) return false;
    if (!seen_.insert(Pack(i)).second) return false;  // failed before
    ++states_;
    const int k = word_[i];
    bool ok;
    if (depth_ > 0 && stack_[depth_ - 1] == k) {
      --depth_;
      ok = Joint(i + 1);
      stack_[depth_++] = static_cast<char>(k);
    } else {
      stack_[depth_++] = static_cast<char>(k);
      ok = Joint(i + 1);
      --depth_;
    }
    if (!ok && budget_[k] > 0) {
      --budget_[k];
      ok = Joint(i + 1);
      ++budget_[k];
    }
    // From the first cell: every letter before gone, and none taken at the
    // last cell yet (that one waits for this one to go).
    if (!ok && depth_ == 0 && !afterLast_ && first_[k] > 0) {
      --first_[k];
      ok = Joint(i + 1);
      ++first_[k];
    }
    // From the last cell: what lies before has gone alone, and what lies
    // after goes alone before it.
    if (!ok && depth_ == 0 && last_[k] > 0) {
      --last_[k];
      const bool was = afterLast_;
      afterLast_ = true;
      ok = Joint(i + 1);
      afterLast_ = was;
      ++last_[k];
    }
    return ok;
  }

  static constexpr int kNoWay = 1 << 20;

  // The fewest letters of kind k that cubes from outside must take for the
  // word to go (kNoWay: it cannot): a letter goes with a cube from outside
  // (a kind in helped), or with an equal letter once all between are gone.
  static int FewestTaken(const int* word, int length, uint32_t helped, int k) {
    // next[i]: the next letter equal to letter i. cost[i][j]: for letters i..j-1.
    int next[32];
    for (int i = length - 1; i >= 0; --i) {
      next[i] = length;
      for (int m = i + 1; m < length; ++m)
        if (word[m] == word[i]) {
          next[i] = m;
          break;
        }
    }
    int cost[33][33];
    cost[length][length] = 0;
    for (int i = length - 1; i >= 0; --i) {
      cost[i][i] = 0;
      const bool taken = (helped >> word[i] & 1) != 0;
      for (int j = i + 1; j <= length; ++j) {
        int c = taken ? (word[i] == k) + cost[i + 1][j] : kNoWay;
        for (int m = next[i]; m < j; m = next[m]) c = std::min(c, cost[i + 1][m] + cost[m + 1][j]);
        cost[i][j] = std::min(c, kNoWay);
      }
    }
    return cost[0][length];
  }

  const int* word_ = nullptr;
  int length_ = 0;
  uint32_t scarce_ = 0;
  uint32_t ends_ = 0;
  int budget_[32] = {};
  int first_[32] = {};
  int last_[32] = {};
  bool afterLast_ = false;
  char stack_[32] = {};
  int depth_ = 0;
  int states_ = 0;
  std::unordered_set<Packed, PackedHash> seen_;
  std::unordered_map<Packed, bool, PackedHash> verdicts_;  // by word and takers

  const Reach& reach_;
  std::vector<int> lineOf_;
  std::vector<Line> lines_;
  std::vector<int> parentIn_;      // by line
  std::vector<int> parentTakers_;  // by line, kTakerSlots each
};

// The kinds' shares of the bound (see BoundCalc) already worked out, by the
// cells of the kind's cubes: a share hangs on those cells alone, and the same
// few cubes of a kind stand the same way on board after board, in one search
// and the next. The cells themselves are compared, so a hit is the share
// itself; a miss takes over its slot.
class ShareCache {
 public:
  static constexpr size_t kMaxCubes = 24;  // kinds of more cubes are not kept
  static constexpr size_t kMinCubes = 6;   // nor of fewer: worked out as fast as looked up

  // The share of cubes on cells[0..m) in a bound exact or not, or -1.
  int Find(bool exact, const int* cells, size_t m) const {
    if (m > kMaxCubes || m < kMinCubes || entries_.empty()) return -1;
    const Entry& e = entries_[Slot(exact, cells, m)];
    if (e.count != m || e.exact != exact) return -1;
    for (size_t i = 0; i < m; ++i)
      if (e.cells[i] != cells[i]) return -1;
    return e.share;
  }

  size_t Bytes() const { return entries_.capacity() * sizeof(Entry); }

  void Put(bool exact, const int* cells, size_t m, int share) {
    if (m > kMaxCubes || m < kMinCubes) return;
    if (entries_.empty()) entries_.resize(kSlots);  // only once a kind is big enough to be kept
    Entry& e = entries_[Slot(exact, cells, m)];
    e.count = static_cast<uint8_t>(m);
    e.exact = exact;
    e.share = share;
    for (size_t i = 0; i < m; ++i) e.cells[i] = static_cast<uint16_t>(cells[i]);
  }

 private:
  static constexpr size_t kSlots = 1 << 15;

  struct Entry {
    uint16_t cells[kMaxCubes] = {};
    uint8_t count = 0;  // 0: empty (a kind with no cubes is never looked up)
    bool exact = false;
    int share = 0;
  };

  static size_t Slot(bool exact, const int* cells, size_t m) {
    uint64_t h = exact ? 0x9E3779B97F4A7C15ull : 0xC2B2AE3D27D4EB4Full;
    for (size_t i = 0; i < m; ++i) h = (h ^ static_cast<uint64_t>(cells[i])) * 0xFF51AFD7ED558CCDull;
    return static_cast<size_t>(h ^ (h >> 29)) & (kSlots - 1);
  }

  std::vector<Entry> entries_;
};

// A lower bound on the pushes that still clear a board, or kDead.
//
// Cubes vanish two at a time, each with a partner of its kind that it touches
// at that moment, so a won game pairs off every kind's cubes. Whatever the
// pairing, each pair needs at least its PairCost in pushes of its own two
// cubes, and a push moves one cube only; so the cheapest pairing of each kind,
// summed over the kinds, never exceeds the pushes left. A chain does not beat
// it: falls and vanishing are free but move no cube sideways. A kind with no
// pairing at all (an odd count, or cubes walled off from every partner) makes
// the board dead, which no later board can mend. For a kind of many cubes
// the pairings are not enumerated: it is dead when the cubes that can meet
// one another fall into a group of odd size (a pairing stays inside such
// groups), and it adds nothing to the bound.
//
// The bound is also consistent: one push is one sideways step of one cube,
// so the cube's path costs from its new cell are at most one less than from
// its old one; a fall is free (costs only grow); and a pair that vanishes
// touched after at most that one push. So no push lowers the bound by more
// than one. So the first time A* takes a board off the queue, its depth is its
// fewest pushes, and running out of boards proves the level lost.
//
// When any win will do (consistent or not does not matter then), a kind of
// many cubes adds half the sum of each cube's cheapest partner: a guide
// towards boards whose cubes stand near their twins.
class BoundCalc {
 public:
  BoundCalc(Reach& reach, Lines& lines, ShareCache& shares, bool exact)
      : reach_(reach), lines_(lines), shares_(shares), exact_(exact), kindAt_(reach.Cells(), -1) {}

  static constexpr int kKinds = kLastCube - kFirstCube + 1;
  static constexpr uint32_t kAllKinds = (1u << kKinds) - 1;

  // The bound of a board, or kDead. cost holds each kind's share of the
  // bound for a board that differs from this one only in the cubes of the
  // kinds in redo; those shares are worked out afresh and written back, the
  // others taken as they are (a kind's share hangs on its own cubes only).
  // With every kind in redo, cost need hold nothing yet.
  uint16_t operator()(const uint16_t* key, size_t n, int* cost, uint32_t redo) {
    const int total = KindCosts(key, n, cost, redo);
    if (total == kNever) return kDead;
    if (lines_.Count() > 0) {
      for (size_t i = 0; i < n; ++i) kindAt_[key[i] >> kKindBits] = static_cast<int8_t>(key[i] & kKindMask);
      const bool clearable = lines_.Clearable(kindAt_.data(), key, n, kKindBits);
      for (size_t i = 0; i < n; ++i) kindAt_[key[i] >> kKindBits] = -1;
      if (!clearable) return kDead;
    }
    return static_cast<uint16_t>(std::min(total, kMaxBound));
  }

  // The board whose children are bounded next (see Child), kept in place
  // until then; worked out at the first child, as most are boards seen before.
  void SetParent(const uint16_t* key, size_t n) {
    parentKey_ = key;
    parentLength_ = n;
    parentReady_ = false;
  }

  // As operator(), for a board that differs from the one of SetParent only
  // in its cubes gone (there, not here) and came (here, not there).
  uint16_t Child(const uint16_t* key, size_t n, int* cost, uint32_t redo, const uint16_t* gone, size_t goneCount,
                 const uint16_t* came, size_t cameCount) {
    const int total = KindCosts(key, n, cost, redo);
    if (total == kNever) return kDead;
    if (lines_.Count() > 0) {
      if (!parentReady_) {
        if (kindAtSet_) std::fill(kindAt_.begin(), kindAt_.end(), -1);
        for (size_t i = 0; i < parentLength_; ++i)
          kindAt_[parentKey_[i] >> kKindBits] = static_cast<int8_t>(parentKey_[i] & kKindMask);
        lines_.SetParent(parentKey_, parentLength_, kKindBits);
        parentReady_ = kindAtSet_ = true;
      }
      for (size_t i = 0; i < goneCount; ++i) kindAt_[gone[i] >> kKindBits] = -1;
      for (size_t i = 0; i < cameCount; ++i) kindAt_[came[i] >> kKindBits] = static_cast<int8_t>(came[i] & kKindMask);
      const bool clearable = lines_.ClearableAfter(kindAt_.data(), gone, goneCount, came, cameCount, kKindBits);
      for (size_t i = 0; i < cameCount; ++i) kindAt_[came[i] >> kKindBits] = -1;
      for (size_t i = 0; i < goneCount; ++i) kindAt_[gone[i] >> kKindBits] = static_cast<int8_t>(gone[i] & kKindMask);
      if (!clearable) return kDead;
    }
    return static_cast<uint16_t>(std::min(total, kMaxBound));
  }

  // The kinds' shares alone, summed, as above; kNever when a kind can not be
  // paired off.
  int KindCosts(const uint16_t* key, size_t n, int* cost, uint32_t redo) {
    // One pass: each kind's cells at a stride of n, counted only for the
    // kinds in redo (the others' all land on their first slot).
    int count[kKinds] = {};
    if (byKind_.size() < kKinds * n) byKind_.resize(kKinds * n);
    for (size_t i = 0; i < n; ++i) {
      const int k = key[i] & kKindMask;
      byKind_[k * n + static_cast<size_t>(count[k])] = key[i] >> kKindBits;
      count[k] += redo >> k & 1;
    }
    size_t start[kKinds];
    for (int k = 0; k < kKinds; ++k) start[k] = k * n;
    int total = 0;
    for (int k = 0; k < kKinds; ++k) {
      if (redo >> k & 1) {
        cost[k] = 0;
        if (count[k] == 0) continue;
        if (count[k] % 2 != 0) return kNever;
        const int* cells = byKind_.data() + start[k];
        cost[k] = shares_.Find(exact_, cells, static_cast<size_t>(count[k]));
        if (cost[k] < 0) {
          cells_.assign(cells, cells + count[k]);
          cost[k] = cells_.size() > kMaxPairedGroup ? ManyCubes() : Pairing(0, 0);
          shares_.Put(exact_, cells, cells_.size(), cost[k]);
        }
        if (cost[k] >= kNever) return kNever;
      }
      total += cost[k];
    }
    return total;
  }

 private:
  // Past this a kind's pairings are too many to enumerate.
  static constexpr size_t kMaxPairedGroup = 10;

  // The cheapest pairing of cells_ from position i on, whose cubes in used
  // are taken; kNever when none exists.
  int Pairing(size_t i, unsigned used) {
    while (i < cells_.size() && (used >> i) & 1) ++i;
    if (i == cells_.size()) return 0;
    int best = kNever;
    for (size_t j = i + 1; j < cells_.size(); ++j) {
      if ((used >> j) & 1) continue;
      const int pair = reach_.PairCost(cells_[i], cells_[j]);
      if (pair >= best) continue;
      best = std::min(best, pair + Pairing(i + 1, used | 1u << i | 1u << j));
    }
    return best;
  }

  // kNever when the cubes that can meet fall into a group of odd size; else
  // 0, or the guide when any win will do.
  int ManyCubes() {
    const size_t m = cells_.size();
    group_.resize(m);
    for (size_t i = 0; i < m; ++i) group_[i] = static_cast<int>(i);
    auto find = [this](int i) {
      while (group_[i] != i) i = group_[i] = group_[group_[i]];
      return i;
    };
    nearest_.assign(m, kNever);
    for (size_t i = 0; i < m; ++i)
      for (size_t j = i + 1; j < m; ++j) {
        const int cost = reach_.PairCost(cells_[i], cells_[j]);
        if (cost >= kNever) continue;
        nearest_[i] = std::min(nearest_[i], cost);
        nearest_[j] = std::min(nearest_[j], cost);
        group_[find(static_cast<int>(i))] = find(static_cast<int>(j));
      }
    int guide = 0;
    for (size_t i = 0; i < m; ++i) {
      if (nearest_[i] >= kNever) return kNever;
      guide += nearest_[i];
    }
    size_.assign(m, 0);
    for (size_t i = 0; i < m; ++i) ++size_[find(static_cast<int>(i))];
    for (int s : size_)
      if (s % 2 != 0) return kNever;
    return exact_ ? 0 : guide / 2;
  }

  Reach& reach_;
  Lines& lines_;
  ShareCache& shares_;
  bool exact_;
  std::vector<int8_t> kindAt_;
  const uint16_t* parentKey_ = nullptr;
  size_t parentLength_ = 0;
  bool parentReady_ = false;  // kindAt_ and the lines hold the parent
  bool kindAtSet_ = false;    // kindAt_ holds some parent
  std::vector<int> cells_;
  std::vector<int> byKind_;
  std::vector<int> group_;
  std::vector<int> nearest_;
  std::vector<int> size_;
};

Grid ToGrid(const Board& board) {
  Grid g;
  g.rows = board.Rows();
  g.cols = board.Cols();
  g.cells.resize(static_cast<size_t>(g.rows) * g.cols);
  for (int r = 0; r < g.rows; ++r)
    for (int c = 0; c < g.cols; ++c) {
      const Cell v = board.At(r + 1, c + 1);
      // Codes beyond the tile set never occur in a parsed map; kept as an
      // obstacle so they cannot be mistaken for a cube.
      g.at(r, c) = static_cast<int8_t>(v >= 0 && v <= kLastCode ? v : kBrick);
    }
  return g;
}

// Writes the keys of the cubes in cells [from, to) to key; returns the count.
size_t Encode(const int8_t* g, size_t from, size_t to, uint16_t* key) {
  size_t n = 0;
  for (size_t i = from; i < to; ++i)
    if (IsCube(g[i])) key[n++] = static_cast<uint16_t>((i << kKindBits) | (g[i] - kFirstCube));
  return n;
}

}  // namespace

void SettleFast(Board& board) {
  Grid g = ToGrid(board);
  SettleAll(g.cells.data(), g.rows, g.cols);
  for (int r = 0; r < g.rows; ++r)
    for (int c = 0; c < g.cols; ++c)
      // Only cubes move, and only into empty cells.
      if (IsCube(board.At(r + 1, c + 1)) || board.At(r + 1, c + 1) == kEmpty) board.At(r + 1, c + 1) = g.at(r, c);
}

namespace {

// Mirror images. A board whose bricks are the same seen in a mirror plays
// the same mirrored, with one exception: where a cube has two equal
// neighbours, the pairing prefers the left one, and the mirror the other. A
// board with at most two cubes of each kind (and so every board after it)
// has no such cube: every cube touches at most one equal cube, each touching
// pair vanishes whatever the order, and the board and its mirror image need
// the same pushes, mirrored. The search keeps such a board under the smaller
// of its two keys.
constexpr uint16_t kFlipped = 0x8000;  // in a stored move: the board is kept mirrored

bool MirrorSymmetric(const std::vector<int8_t>& bricks, int rows, int cols) {
  for (int c = 0; c < cols / 2; ++c)
    for (int r = 0; r < rows; ++r)
      if ((bricks[c * rows + r] == kEmpty) != (bricks[(cols - 1 - c) * rows + r] == kEmpty)) return false;
  return true;
}

int MirrorCell(int cell, int rows, int cols) { return (cols - 1 - cell / rows) * rows + cell % rows; }

// Writes the key of the mirror image of key to out, when every kind has at
// most two cubes; false otherwise.
bool MirrorKey(const uint16_t* key, size_t n, int rows, int cols, uint16_t* out) {
  int count[1 << kKindBits] = {};
  for (size_t i = 0; i < n; ++i)
    if (++count[key[i] & kKindMask] > 2) return false;
  // Columns come out in the reverse order, each column's cubes in theirs.
  // A cube of column c moves by (cols - 1 - 2c) columns, in the key's units.
  size_t written = 0;
  for (size_t end = n; end > 0;) {
    const int col = (key[end - 1] >> kKindBits) / rows;
    const auto first = static_cast<uint16_t>((col * rows) << kKindBits);
    const int shift = (cols - 1 - 2 * col) * rows * (1 << kKindBits);  // negative to the right of centre
    size_t begin = end;
    while (begin > 0 && key[begin - 1] >= first) --begin;
    for (size_t i = begin; i < end; ++i) out[written++] = static_cast<uint16_t>(key[i] + shift);
    end = begin;
  }
  return true;
}


// What every search of one call may still spend.
struct Budget {
  size_t states = 0;  // boards kept, all searches together
  size_t bytes = 0;   // 0: no limit
  bool timed = false;
  std::chrono::steady_clock::time_point deadline;
  const std::atomic<bool>* stop = nullptr;
};

// Boards waiting to be expanded, smallest priority first; within one, the
// last added first, which dives towards a win instead of widening.
class OpenQueue {
 public:
  void Push(uint32_t id, size_t priority) {
    if (buckets_.size() <= priority) buckets_.resize(priority + 1);
    auto& bucket = buckets_[priority];
    queued_ -= bucket.capacity();
    bucket.push_back(id);
    queued_ += bucket.capacity();
    first_ = std::min(first_, priority);  // only a guide that is not consistent goes back
  }
  // release: a bucket passed is never used again (a consistent priority).
  bool Pop(uint32_t& id, size_t& priority, bool release) {
    while (first_ < buckets_.size() && buckets_[first_].empty()) {
      if (release) {
        queued_ -= buckets_[first_].capacity();
        std::vector<uint32_t>().swap(buckets_[first_]);
      }
      ++first_;
    }
    if (first_ >= buckets_.size()) return false;
    id = buckets_[first_].back();
    buckets_[first_].pop_back();
    priority = first_;
    return true;
  }
  size_t Bytes() const { return queued_ * 4 + buckets_.capacity() * sizeof(buckets_[0]); }

 private:
  std::vector<std::vector<uint32_t>> buckets_;
  size_t first_ = 0;
  size_t queued_ = 0;  // the buckets' capacities, summed as they change
};

// In the greedy searches a cube left weighs more than the bound or the
// pushes made, about, ever do between two vanishings.
constexpr int kGreedyWeight = 1000;

// kGreedyWin puts the cubes left first and, among boards of as many cubes,
// takes the lowest bound: it wins at once on many crowded boards where the
// steady search wanders.
enum class Goal { kShortest, kAnyWin, kGreedyWin };

// The order the searches of a timed decision take turns in, and each one's
// share of the time left when it starts. The greedy search wins within a
// tenth of a second on the boards it wins at once; the steady one wins most
// boards it wins at all in under half a second, a few small ones only after
// that. A turn with a jitter is a run of short greedy searches, each with its
// own random tie-breaks (see Search): a greedy search that took a wrong turn
// early spends the rest of its time among the boards behind it, and a fresh
// start in another order often walks straight to a win; on crowded boards
// that wins where neither of the others does.
constexpr struct {
  Goal goal;
  double share;
  int jitter;
} kDecideTurns[] = {{Goal::kGreedyWin, 0.15, 0}, {Goal::kAnyWin, 0.6, 0}, {Goal::kGreedyWin, 1, 8}};

// The boards each restart of a jittered turn may keep: a count, not a time,
// so that which restarts win does not hang on the machine's speed.
constexpr size_t kRestartBoards = 5000;

// One search over the settled boards of root, whose cubes are all of one
// group (see Prepare). For kShortest it is A*, which appends the fewest
// pushes to moves; given upper, it keeps only boards that could still win in
// fewer pushes and says kUnsolvable when there are none (a known win of upper
// pushes is then the shortest). For kAnyWin it is best-first, the boards
// nearest to a win by the bound and the cubes left first, and appends the
// first win it meets. Both keep every board seen, so running out of boards is
// a proof; both stop with kUnknown when the budget runs out. Given a
// jitter, each board's priority gains a number below it drawn from the seed
// and the board's id: another order among boards of nearly the same promise,
// in a search that still keeps every board, so running out is still a proof.
SolveOutcome Search(const Grid& root, const std::vector<int8_t>& bricks, Reach& reach, Lines& lines,
                    ShareCache& shares, Goal goal,
                    size_t upper, Budget& budget, SolveResult& result, std::vector<SolverMove>& moves,
                    uint64_t seed = 0, int jitter = 0) {
  const size_t cells = root.cells.size();
  const bool shortest = goal == Goal::kShortest;
  BoundCalc bound(reach, lines, shares, shortest);

  std::vector<uint16_t> key(cells);
  std::vector<int8_t> parentGrid(cells);
  std::vector<int8_t> child(cells);
  struct Pending {
    size_t head, tail, m;  // the parent's cubes [head, tail) replaced; the child's count
    uint32_t moved;
    uint16_t move;
    const uint16_t* key;  // as kept: the board as pushed or its mirror image
    uint64_t h;
  };
  constexpr size_t kBatch = 8;
  Pending batch[kBatch];
  std::vector<uint16_t> batchKeys(kBatch * 2 * cells);
  std::vector<uint16_t> pushes;

  StateStore store;
  const size_t rootLength = Encode(root.cells.data(), 0, cells, key.data());
  int parentCost[BoundCalc::kKinds];  // the kinds' shares of the bound of the board expanded
  int childCost[BoundCalc::kKinds];
  const uint16_t rootBound = bound(key.data(), rootLength, parentCost, BoundCalc::kAllKinds);
  if (rootBound == kDead || (upper > 0 && rootBound >= upper)) return SolveOutcome::kUnsolvable;
  store.Add(key.data(), rootLength, HashKey(key.data(), rootLength), 0, 0, 0, rootBound);

  // Open boards by priority: depth + bound for the shortest. For any win the
  // bound plus the cubes left, which favours boards where pairs have just
  // vanished over those where cubes merely stand nearer; or, greedy, the
  // cubes left first (see Goal), which clears pairs wherever it can: it wins
  // at once on many crowded boards where the steady one wanders, and loses
  // its way on others.
  OpenQueue open;
  auto enqueue = [&](uint32_t id, uint16_t depth, uint16_t bnd, size_t m) {
    size_t priority = depth + bnd;
    if (goal == Goal::kAnyWin) priority = bnd + m;
    if (goal == Goal::kGreedyWin) priority = bnd + kGreedyWeight * m;
    if (jitter > 0) {
      uint64_t z = (id + 1) * 0x9E3779B97F4A7C15ull ^ seed;
      z = (z ^ (z >> 31)) * 0xBF58476D1CE4E5B9ull;
      priority += static_cast<size_t>((z >> 40) % static_cast<uint64_t>(jitter));
    }
    open.Push(id, priority);
  };
  enqueue(0, 0, rootBound, rootLength);
  // The caches the bound keeps (shared by the searches of one call) count too.
  auto caches = [&] { return reach.Bytes() + lines.Bytes() + shares.Bytes(); };
  auto bytes = [&] { return store.Bytes() + open.Bytes() + caches(); };

  const int rows = root.rows;
  const int cols = root.cols;
  const bool mirrored = MirrorSymmetric(bricks, rows, cols);
  uint32_t won = rootLength == 0 ? 0 : StateStore::kNone;
  bool outOfBudget = false;
  size_t expanded = 0;
  while (won == StateStore::kNone && !outOfBudget) {
    uint32_t id = 0;
    size_t f = 0;
    if (!open.Pop(id, f, shortest)) break;
    const uint16_t depth = store.Depth(id);
    if (shortest && depth + store.Bound(id) != f) continue;  // reached again by fewer pushes since
    if (store.Length(id) == 0) {
      won = id;
      break;
    }
    if ((++expanded & 63) == 0) {
      if (budget.stop != nullptr && budget.stop->load(std::memory_order_relaxed)) {
        result.stopped = true;
        break;
      }
      if ((budget.timed && std::chrono::steady_clock::now() > budget.deadline) ||
          (budget.bytes > 0 && bytes() > budget.bytes)) {
        outOfBudget = true;
        break;
      }
    }
    const size_t n = store.Length(id);
    // Copied out: the children are made from it.
    std::copy(store.Key(id), store.Key(id) + n, key.begin());
    std::copy(bricks.begin(), bricks.end(), parentGrid.begin());
    for (size_t i = 0; i < n; ++i)
      parentGrid[key[i] >> kKindBits] = static_cast<int8_t>((key[i] & kKindMask) + kFirstCube);
    // Kept whole, so not dead: each child works out afresh only the kinds it moved.
    bound.KindCosts(key.data(), n, parentCost, BoundCalc::kAllKinds);
    bound.SetParent(key.data(), n);

    // The pushes that can be made, then their boards a few at a time: keys
    // and hashes first, their slots in the store fetched ahead, then each
    // looked up and kept in turn, in the same order as one by one.
    pushes.clear();
    for (size_t i = 0; i < n; ++i) {
      const int cell = key[i] >> kKindBits;
      const int col = cell / rows;
      for (int dir = -1; dir <= 1; dir += 2)
        if (col + dir >= 0 && col + dir < cols && parentGrid[cell + dir * rows] == kEmpty)
          pushes.push_back(static_cast<uint16_t>((cell << 1) | (dir > 0 ? 1 : 0)));
    }
    for (size_t from = 0; from < pushes.size() && won == StateStore::kNone && !outOfBudget; from += kBatch) {
      const size_t count = std::min(kBatch, pushes.size() - from);
      for (size_t b = 0; b < count; ++b) {
        Pending& c = batch[b];
        const int cell = pushes[from + b] >> 1;
        const int dir = (pushes[from + b] & 1) != 0 ? 1 : -1;
        const int col = cell / rows;
        std::memcpy(child.data(), parentGrid.data(), cells);
        int lo = std::min(col, col + dir);
        int hi = std::max(col, col + dir);
        PushAndSettle(child.data(), rows, cols, cell, cell + dir * rows, lo, hi);
        uint16_t* stored = batchKeys.data() + b * 2 * cells;
        uint16_t* pushed = stored + cells;
        // Columns outside lo..hi are as in the parent: reuse its key there.
        const uint16_t loKey = static_cast<uint16_t>((lo * rows) << kKindBits);
        const uint16_t hiKey = static_cast<uint16_t>(((hi + 1) * rows) << kKindBits);
        c.head = std::lower_bound(key.begin(), key.begin() + n, loKey) - key.begin();
        c.tail = std::lower_bound(key.begin() + c.head, key.begin() + n, hiKey) - key.begin();
        std::copy(key.begin(), key.begin() + c.head, pushed);
        size_t m = c.head + Encode(child.data(), lo * rows, (hi + 1) * rows, pushed + c.head);
        m = std::copy(key.begin() + c.tail, key.begin() + n, pushed + m) - pushed;
        c.m = m;
        // The kinds with a cube that may have moved or vanished: the cubes of
        // lo..hi after settling are those before, less the ones that vanished.
        c.moved = 0;
        for (size_t j = c.head; j < c.tail; ++j) c.moved |= 1u << (key[j] & kKindMask);
        c.move = pushes[from + b];
        c.key = pushed;
        if (mirrored && MirrorKey(pushed, m, rows, cols, stored) &&
            std::lexicographical_compare(stored, stored + m, pushed, pushed + m)) {
          c.key = stored;
          c.move |= kFlipped;
        }
        c.h = HashKey(c.key, m);
        store.Prefetch(c.h);
      }
      for (size_t b = 0; b < count && won == StateStore::kNone; ++b) {
        const Pending& c = batch[b];
        const uint16_t* pushed = batchKeys.data() + b * 2 * cells + cells;
        const size_t m = c.m;
        const auto childDepth = static_cast<uint16_t>(depth + 1);
        uint32_t seen = store.Find(c.key, m, c.h);
        if (seen != StateStore::kNone) {
          // Any win will do: the first way to a board is as good as another.
          if (!shortest || store.Depth(seen) <= childDepth) continue;
          store.Relink(seen, id, c.move, childDepth);
          enqueue(seen, childDepth, store.Bound(seen), m);
          continue;
        }
        // The board as pushed, not its mirror image: that is the one the
        // kinds' shares were kept for (both have the same bound).
        std::copy(parentCost, parentCost + BoundCalc::kKinds, childCost);
        const uint16_t childBound = bound.Child(pushed, m, childCost, c.moved, key.data() + c.head, c.tail - c.head,
                                                pushed + c.head, m - c.head - (n - c.tail));
        if (childBound == kDead || (upper > 0 && childDepth + childBound >= upper)) continue;
        // Checked at each board kept, growth included: a board of many
        // cubes has hundreds of children, and the arrays grow by doubling.
        if (result.statesExplored + store.Count() >= budget.states ||
            (budget.bytes > 0 && store.PeakIfAdded(m) + open.Bytes() + caches() > budget.bytes)) {
          outOfBudget = true;
          break;
        }
        seen = store.Add(c.key, m, c.h, id, c.move, childDepth, childBound);
        // Nothing left on the queue can win in fewer pushes than f.
        if (m == 0 && (!shortest || childDepth == f))
          won = seen;
        else
          enqueue(seen, childDepth, childBound, m);
      }
    }
  }
  result.statesExplored += store.Count();
  result.storeBytes = std::max(result.storeBytes, bytes());
  if (won == StateStore::kNone)
    return outOfBudget || result.stopped ? SolveOutcome::kUnknown : SolveOutcome::kUnsolvable;

  // Each stored move was made on its parent as kept; the boards actually
  // played are those kept, mirrored wherever an odd number of the moves on
  // the way had their result kept mirrored.
  std::vector<uint16_t> path;
  for (uint32_t id = won; id != 0; id = store.Parent(id)) path.push_back(store.Move(id));
  bool flip = false;
  for (auto it = path.rbegin(); it != path.rend(); ++it) {
    int cell = (*it & ~kFlipped) >> 1;
    bool right = (*it & 1) != 0;
    if (flip) {
      cell = MirrorCell(cell, rows, cols);
      right = !right;
    }
    moves.push_back({cell % rows + 1, cell / rows + 1, right ? +1 : -1});
    flip ^= (*it & kFlipped) != 0;
  }
  return SolveOutcome::kSolved;
}

// A board split into the groups of cubes that can never act on one another,
// each on the bare bricks, ready for the searches.
struct Prepared {
  bool fits = false;
  Grid root;
  std::vector<int8_t> bricks;  // obstacles only; a state's cubes are laid onto a copy of it
  std::unique_ptr<Reach> reach;
  std::unique_ptr<Lines> lines;
  ShareCache shares;
  std::vector<Grid> groups;
};

void Prepare(const Board& start, Prepared& p) {
  p.root = ToGrid(start);
  const size_t cells = p.root.cells.size();
  if (cells == 0 || cells > static_cast<size_t>(kMaxCells)) return;
  p.fits = true;
  SettleAll(p.root.cells.data(), p.root.rows, p.root.cols);
  p.bricks = p.root.cells;
  for (auto& v : p.bricks)
    if (IsCube(v)) v = kEmpty;
  p.reach = std::make_unique<Reach>(p.bricks, p.root.rows);
  p.lines = std::make_unique<Lines>(*p.reach);

  // Cubes meet, block, carry or fall onto one another only by standing side
  // by side or one on the other. Two cubes that can never stand in touching
  // cells (PairCost says never) never act on each other, and neither do the
  // groups that such pairs split the cubes into: each group plays as if alone
  // on the board, the fewest pushes of the whole is the sum of the groups',
  // and the whole is won when each group is. Solving them one by one turns a
  // product of boards into a sum.
  std::vector<int> cubes;
  for (size_t i = 0; i < cells; ++i)
    if (IsCube(p.root.cells[i])) cubes.push_back(static_cast<int>(i));
  std::vector<int> group(cubes.size());
  for (size_t i = 0; i < cubes.size(); ++i) group[i] = static_cast<int>(i);
  std::function<int(int)> find = [&](int i) { return group[i] == i ? i : group[i] = find(group[i]); };
  for (size_t i = 0; i < cubes.size(); ++i)
    for (size_t j = i + 1; j < cubes.size(); ++j)
      if (find(static_cast<int>(i)) != find(static_cast<int>(j)) && p.reach->PairCost(cubes[i], cubes[j]) != kNever)
        group[find(static_cast<int>(i))] = find(static_cast<int>(j));
  std::vector<bool> done(cubes.size(), false);
  for (size_t i = 0; i < cubes.size(); ++i) {
    if (done[i]) continue;
    Grid part = p.root;
    part.cells = p.bricks;
    for (size_t j = 0; j < cubes.size(); ++j)
      if (find(static_cast<int>(j)) == find(static_cast<int>(i))) {
        part.cells[cubes[j]] = p.root.cells[cubes[j]];
        done[j] = true;
      }
    p.groups.push_back(std::move(part));
  }
}

Budget MakeBudget(const SolveLimits& limits, std::chrono::steady_clock::time_point began) {
  Budget b;
  b.states = limits.states;
  b.bytes = limits.bytes;
  b.stop = limits.stop;
  b.timed = limits.seconds > 0;
  if (b.timed)
    b.deadline = began + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                             std::chrono::duration<double>(limits.seconds));
  return b;
}

SolveResult Finish(SolveResult& result, SolveOutcome outcome, std::chrono::steady_clock::time_point began) {
  result.outcome = outcome;
  result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
  if (outcome != SolveOutcome::kSolved) {
    result.moves.clear();
    result.shortest = false;
  }
  return result;
}

// Any win of one group, or a proof that it has none. Given a deadline, a
// greedy search, the steady best-first one and then restarts of the greedy
// one each have a share of the time left (kDecideTurns): each decides boards
// the others do not within a second, and any, run to the end, proves a loss.
SolveOutcome Decide(Prepared& p, const Grid& group, Budget& budget, SolveResult& result,
                    std::vector<SolverMove>& moves) {
  if (!budget.timed)
    return Search(group, p.bricks, *p.reach, *p.lines, p.shares, Goal::kAnyWin, 0, budget, result, moves);
  SolveOutcome outcome = SolveOutcome::kUnknown;
  using Clock = std::chrono::steady_clock;
  for (const auto& turn : kDecideTurns) {
    const auto now = Clock::now();
    Budget share = budget;
    if (share.deadline > now)
      share.deadline = now + std::chrono::duration_cast<Clock::duration>((budget.deadline - now) * turn.share);
    for (uint64_t seed = 1;; ++seed) {
      if (turn.jitter > 0) share.states = std::min(budget.states, result.statesExplored + kRestartBoards);
      outcome = Search(group, p.bricks, *p.reach, *p.lines, p.shares, turn.goal, 0, share, result, moves, seed,
                       turn.jitter);
      if (outcome != SolveOutcome::kUnknown || result.stopped) return outcome;
      // Out of time, or of the boards the caller grants.
      if (turn.jitter == 0 || Clock::now() >= share.deadline || result.statesExplored >= budget.states) break;
    }
  }
  return outcome;
}

// Every group decided (decideFirst) and then, with the budget left, each
// group's win made the shortest (shortestAfter): A* below the pushes of the
// win in hand. Without decideFirst, A* alone, which keeps looking until it has
// the shortest.
SolveResult Run(const Board& start, const SolveLimits& limits, bool decideFirst, bool shortestAfter) {
  const auto began = std::chrono::steady_clock::now();
  SolveResult result;
  Prepared p;
  Prepare(start, p);
  if (!p.fits) return Finish(result, SolveOutcome::kUnknown, began);
  Budget budget = MakeBudget(limits, began);
  std::vector<std::vector<SolverMove>> wins(p.groups.size());
  for (size_t g = 0; g < p.groups.size(); ++g) {
    const SolveOutcome outcome = decideFirst ? Decide(p, p.groups[g], budget, result, wins[g])
                                             : Search(p.groups[g], p.bricks, *p.reach, *p.lines, p.shares,
                                                      Goal::kShortest, 0, budget, result, wins[g]);
    if (outcome != SolveOutcome::kSolved) return Finish(result, outcome, began);
  }
  result.shortest = !decideFirst;
  if (decideFirst && shortestAfter) {
    result.shortest = true;
    for (size_t g = 0; g < p.groups.size(); ++g) {
      std::vector<SolverMove> shorter;
      const SolveOutcome better = Search(p.groups[g], p.bricks, *p.reach, *p.lines, p.shares, Goal::kShortest,
                                         wins[g].size(), budget, result, shorter);
      if (better == SolveOutcome::kSolved) wins[g].swap(shorter);
      // Out of budget: the win in hand may not be the shortest.
      if (better == SolveOutcome::kUnknown) result.shortest = false;
    }
    result.stopped = false;  // the answer stands: a win
  }
  for (const auto& win : wins) result.moves.insert(result.moves.end(), win.begin(), win.end());
  return Finish(result, SolveOutcome::kSolved, began);
}

}  // namespace

SolveResult SolveLevel(const Board& start, size_t stateLimit, const std::atomic<bool>* stop) {
  SolveLimits limits;
  limits.states = stateLimit;
  limits.stop = stop;
  return Run(start, limits, false, true);
}

SolveResult DecideLevel(const Board& start, const SolveLimits& limits) { return Run(start, limits, true, false); }

SolveResult FindWin(const Board& start, const SolveLimits& limits) { return Run(start, limits, true, true); }

}  // namespace tumbol
