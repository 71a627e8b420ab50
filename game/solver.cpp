#include "game/solver.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <functional>

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
// pushes known so far. Keys sit end to end in one pool; the table holds
// 32-bit ids, so a board costs its key plus about 24 bytes.
class StateStore {
 public:
  StateStore() : slots_(1024, 0) { offsets_.push_back(0); }
  size_t Count() const { return parent_.size(); }
  const uint16_t* Key(uint32_t id) const { return pool_.data() + offsets_[id]; }
  size_t Length(uint32_t id) const { return offsets_[id + 1] - offsets_[id]; }
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
    return pool_.capacity() * 2 + offsets_.capacity() * 4 + parent_.capacity() * 4 + move_.capacity() * 2 +
           depth_.capacity() * 2 + bound_.capacity() * 2 + slots_.capacity() * 4 + tags_.capacity() * 4;
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
    pool_.insert(pool_.end(), key, key + n);
    offsets_.push_back(static_cast<uint32_t>(pool_.size()));
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

  std::vector<uint16_t> pool_;
  std::vector<uint32_t> offsets_;
  std::vector<uint32_t> parent_;
  std::vector<uint16_t> move_;
  std::vector<uint16_t> depth_;
  std::vector<uint16_t> bound_;
  std::vector<uint32_t> tags_;
  std::vector<uint32_t> slots_;
};

constexpr uint16_t kNever = 254;    // a pair cost: these two cells can never touch
constexpr uint16_t kDead = 0xFFFF;  // a bound: the board can never be cleared

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

// A lower bound on the pushes that still clear a board, or kDead.
//
// Cubes vanish two at a time, each with a partner of its kind that it touches
// at that moment, so a won game pairs off every kind's cubes. Whatever the
// pairing, each pair needs at least its PairCost in pushes of its own two
// cubes, and a push moves one cube only; so the cheapest pairing of each kind,
// summed over the kinds, never exceeds the pushes left. A chain does not beat
// it: falls and vanishing are free but move no cube sideways. A kind with no
// pairing at all (an odd count, or cubes walled off from every partner) makes
// the board dead, which no later board can mend.
//
// The bound is also consistent: one push is one sideways step of one cube,
// so the cube's path costs from its new cell are at most one less than from
// its old one; a fall is free (costs only grow); and a pair that vanishes
// touched after at most that one push. So no push lowers the bound by more
// than one. So the first time A* takes a board off the queue, its depth is its
// fewest pushes, and running out of boards proves the level lost.
class BoundCalc {
 public:
  explicit BoundCalc(Reach& reach) : reach_(reach) {}

  uint16_t operator()(const uint16_t* key, size_t n) {
    int count[kKinds] = {};
    for (size_t i = 0; i < n; ++i) ++count[key[i] & kKindMask];
    int total = 0;
    for (int k = 0; k < kKinds; ++k) {
      if (count[k] == 0) continue;
      if (count[k] % 2 != 0) return kDead;
      cells_.clear();
      for (size_t i = 0; i < n; ++i)
        if ((key[i] & kKindMask) == k) cells_.push_back(key[i] >> kKindBits);
      const int cost = Pairing(0, 0);
      if (cost >= kNever) return kDead;
      total += cost;
    }
    return static_cast<uint16_t>(total);
  }

 private:
  static constexpr int kKinds = kLastCube - kFirstCube + 1;
  // Larger groups are rare; past this their pairings are not enumerated and
  // count as free, which keeps the bound a bound.
  static constexpr size_t kMaxPairedGroup = 10;

  // The cheapest pairing of cells_ from position i on, whose cubes in used
  // are taken; kNever when none exists.
  int Pairing(size_t i, unsigned used) {
    if (cells_.size() > kMaxPairedGroup) return 0;
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

  Reach& reach_;
  std::vector<int> cells_;
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
  size_t written = 0;
  for (size_t end = n; end > 0;) {
    const int col = (key[end - 1] >> kKindBits) / rows;
    size_t begin = end;
    while (begin > 0 && (key[begin - 1] >> kKindBits) / rows == col) --begin;
    for (size_t i = begin; i < end; ++i)
      out[written++] = static_cast<uint16_t>((MirrorCell(key[i] >> kKindBits, rows, cols) << kKindBits) |
                                             (key[i] & kKindMask));
    end = begin;
  }
  return true;
}

// A* over the settled boards of root, whose cubes are all of one group (see
// SolveLevel). Appends the shortest solution's pushes to result.moves and
// adds the boards it kept to result.statesExplored; stops before keeping
// more than stateLimit in all.
SolveOutcome Search(const Grid& root, const std::vector<int8_t>& bricks, Reach& reach, size_t stateLimit,
                    const std::atomic<bool>* stop, SolveResult& result) {
  const size_t cells = root.cells.size();
  BoundCalc bound(reach);

  std::vector<uint16_t> key(cells);
  std::vector<uint16_t> childKey(cells);
  std::vector<uint16_t> mirrorKey(cells);
  std::vector<int8_t> parentGrid(cells);
  std::vector<int8_t> child(cells);

  StateStore store;
  const size_t rootLength = Encode(root.cells.data(), 0, cells, key.data());
  const uint16_t rootBound = bound(key.data(), rootLength);
  if (rootBound == kDead) return SolveOutcome::kUnsolvable;
  store.Add(key.data(), rootLength, HashKey(key.data(), rootLength), 0, 0, 0, rootBound);

  // Open boards by depth + bound; within one, the last added first, which
  // dives towards a win instead of widening.
  std::vector<std::vector<uint32_t>> open(rootBound + 1);
  open[rootBound].push_back(0);
  auto enqueue = [&open](uint32_t id, size_t f) {
    if (open.size() <= f) open.resize(f + 1);
    open[f].push_back(id);
  };

  const int rows = root.rows;
  const int cols = root.cols;
  const bool mirrored = MirrorSymmetric(bricks, rows, cols);
  uint32_t goal = rootLength == 0 ? 0 : StateStore::kNone;
  bool limitHit = false;
  size_t expanded = 0;
  for (size_t f = rootBound; f < open.size() && goal == StateStore::kNone && !limitHit;) {
    if (open[f].empty()) {
      std::vector<uint32_t>().swap(open[f]);
      ++f;
      continue;
    }
    const uint32_t id = open[f].back();
    open[f].pop_back();
    const uint16_t depth = store.Depth(id);
    if (depth + store.Bound(id) != f) continue;  // reached again by fewer pushes since
    if (store.Length(id) == 0) {
      goal = id;
      break;
    }
    if (stop != nullptr && (++expanded & 255) == 0 && stop->load(std::memory_order_relaxed)) {
      result.stopped = true;
      break;
    }
    const size_t n = store.Length(id);
    // Copied out: adding children may move the pool.
    std::copy(store.Key(id), store.Key(id) + n, key.begin());
    std::copy(bricks.begin(), bricks.end(), parentGrid.begin());
    for (size_t i = 0; i < n; ++i)
      parentGrid[key[i] >> kKindBits] = static_cast<int8_t>((key[i] & kKindMask) + kFirstCube);

    for (size_t i = 0; i < n && goal == StateStore::kNone && !limitHit; ++i) {
      const int cell = key[i] >> kKindBits;
      const int col = cell / rows;
      for (int dir = -1; dir <= 1 && goal == StateStore::kNone; dir += 2) {
        const int target = cell + dir * rows;
        if (col + dir < 0 || col + dir >= cols || parentGrid[target] != kEmpty) continue;
        std::memcpy(child.data(), parentGrid.data(), cells);
        child[target] = child[cell];
        child[cell] = kEmpty;
        int lo = std::min(col, col + dir);
        int hi = std::max(col, col + dir);
        Settle(child.data(), rows, cols, lo, hi);
        // Columns outside lo..hi are as in the parent: reuse its key there.
        const uint16_t loKey = static_cast<uint16_t>((lo * rows) << kKindBits);
        const uint16_t hiKey = static_cast<uint16_t>(((hi + 1) * rows) << kKindBits);
        const size_t head = std::lower_bound(key.begin(), key.begin() + n, loKey) - key.begin();
        const size_t tail = std::lower_bound(key.begin() + head, key.begin() + n, hiKey) - key.begin();
        std::copy(key.begin(), key.begin() + head, childKey.begin());
        size_t m = head + Encode(child.data(), lo * rows, (hi + 1) * rows, childKey.data() + head);
        m = std::copy(key.begin() + tail, key.begin() + n, childKey.begin() + m) - childKey.begin();

        uint16_t move = static_cast<uint16_t>((cell << 1) | (dir > 0 ? 1 : 0));
        if (mirrored && MirrorKey(childKey.data(), m, rows, cols, mirrorKey.data()) &&
            std::lexicographical_compare(mirrorKey.begin(), mirrorKey.begin() + m, childKey.begin(),
                                         childKey.begin() + m)) {
          childKey.swap(mirrorKey);
          move |= kFlipped;
        }
        const auto childDepth = static_cast<uint16_t>(depth + 1);
        const uint64_t h = HashKey(childKey.data(), m);
        uint32_t seen = store.Find(childKey.data(), m, h);
        if (seen != StateStore::kNone) {
          if (store.Depth(seen) <= childDepth) continue;
          store.Relink(seen, id, move, childDepth);
          enqueue(seen, childDepth + store.Bound(seen));
          continue;
        }
        const uint16_t childBound = bound(childKey.data(), m);
        if (childBound == kDead) continue;
        if (result.statesExplored + store.Count() >= stateLimit) {
          limitHit = true;
          break;
        }
        seen = store.Add(childKey.data(), m, h, id, move, childDepth, childBound);
        // Nothing left on the queue can win in fewer pushes than f.
        if (m == 0 && childDepth == f)
          goal = seen;
        else
          enqueue(seen, childDepth + childBound);
      }
    }
  }
  result.statesExplored += store.Count();
  size_t queued = 0;
  for (const auto& bucket : open) queued += bucket.capacity();
  result.storeBytes = std::max(result.storeBytes, store.Bytes() + queued * 4);
  if (goal == StateStore::kNone) return limitHit || result.stopped ? SolveOutcome::kUnknown : SolveOutcome::kUnsolvable;

  // Each stored move was made on its parent as kept; the boards actually
  // played are those kept, mirrored wherever an odd number of the moves on
  // the way had their result kept mirrored.
  std::vector<uint16_t> path;
  for (uint32_t id = goal; id != 0; id = store.Parent(id)) path.push_back(store.Move(id));
  bool flip = false;
  for (auto it = path.rbegin(); it != path.rend(); ++it) {
    int cell = (*it & ~kFlipped) >> 1;
    bool right = (*it & 1) != 0;
    if (flip) {
      cell = MirrorCell(cell, rows, cols);
      right = !right;
    }
    result.moves.push_back({cell % rows + 1, cell / rows + 1, right ? +1 : -1});
    flip ^= (*it & kFlipped) != 0;
  }
  return SolveOutcome::kSolved;
}


}  // namespace

SolveResult SolveLevel(const Board& start, size_t stateLimit, const std::atomic<bool>* stop) {
  const auto began = std::chrono::steady_clock::now();
  SolveResult result;
  auto finish = [&](SolveOutcome outcome) {
    result.outcome = outcome;
    result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    if (outcome != SolveOutcome::kSolved) result.moves.clear();
    return result;
  };

  Grid root = ToGrid(start);
  const size_t cells = root.cells.size();
  if (cells == 0 || cells > static_cast<size_t>(kMaxCells)) return finish(SolveOutcome::kUnknown);
  SettleAll(root.cells.data(), root.rows, root.cols);

  // Obstacles only; a state's cubes are laid onto a copy of it.
  std::vector<int8_t> bricks(root.cells);
  for (auto& v : bricks)
    if (IsCube(v)) v = kEmpty;
  Reach reach(bricks, root.rows);

  // Cubes meet, block, carry or fall onto one another only by standing side
  // by side or one on the other. Two cubes that can never stand in touching
  // cells (PairCost says never) never act on each other, and neither do the
  // groups that such pairs split the cubes into: each group plays as if alone
  // on the board, and the fewest pushes of the whole is the sum of the
  // groups'. Solving them one by one turns a product of boards into a sum.
  std::vector<int> cubes;
  for (size_t i = 0; i < cells; ++i)
    if (IsCube(root.cells[i])) cubes.push_back(static_cast<int>(i));
  std::vector<int> group(cubes.size());
  for (size_t i = 0; i < cubes.size(); ++i) group[i] = static_cast<int>(i);
  std::function<int(int)> find = [&](int i) { return group[i] == i ? i : group[i] = find(group[i]); };
  for (size_t i = 0; i < cubes.size(); ++i)
    for (size_t j = i + 1; j < cubes.size(); ++j)
      if (find(static_cast<int>(i)) != find(static_cast<int>(j)) && reach.PairCost(cubes[i], cubes[j]) != kNever)
        group[find(static_cast<int>(i))] = find(static_cast<int>(j));

  std::vector<bool> done(cubes.size(), false);
  for (size_t i = 0; i < cubes.size() || i == 0; ++i) {
    if (i < cubes.size() && done[i]) continue;
    Grid part = root;
    part.cells = bricks;
    for (size_t j = 0; j < cubes.size(); ++j)
      if (find(static_cast<int>(j)) == find(static_cast<int>(i))) {
        part.cells[cubes[j]] = root.cells[cubes[j]];
        done[j] = true;
      }
    const SolveOutcome outcome = Search(part, bricks, reach, stateLimit, stop, result);
    if (outcome != SolveOutcome::kSolved) return finish(outcome);
    if (cubes.empty()) break;
  }
  return finish(SolveOutcome::kSolved);
}

}  // namespace tumbol
