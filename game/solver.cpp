#include "game/solver.h"

#include <algorithm>
#include <chrono>
#include <cstring>

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

// Every settled board seen, in the order found (which is breadth-first
// order), with the push that first led to it.
class StateStore {
 public:
  explicit StateStore(size_t expected) {
    size_t cap = 1024;
    while (cap < expected * 2) cap <<= 1;
    slots_.assign(std::min(cap, size_t{1} << 22), 0);
    offsets_.push_back(0);
  }
  size_t Count() const { return parent_.size(); }
  const uint16_t* Key(uint32_t id) const { return pool_.data() + offsets_[id]; }
  size_t Length(uint32_t id) const { return offsets_[id + 1] - offsets_[id]; }
  uint32_t Parent(uint32_t id) const { return parent_[id]; }
  uint16_t Move(uint32_t id) const { return move_[id]; }
  size_t Bytes() const {
    return pool_.capacity() * 2 + offsets_.capacity() * 4 + parent_.capacity() * 4 +
           move_.capacity() * 2 + slots_.capacity() * 4 + hashes_.capacity() * 4;
  }

  // False when the key was there already.
  bool Insert(const uint16_t* key, size_t n, uint32_t parent, uint16_t move) {
    if ((Count() + 1) * 2 > slots_.size()) Grow();
    const uint64_t h = HashKey(key, n);
    const uint32_t tag = static_cast<uint32_t>(h >> 32);
    const size_t mask = slots_.size() - 1;
    for (size_t i = h & mask;; i = (i + 1) & mask) {
      const uint32_t slot = slots_[i];
      if (slot == 0) {
        slots_[i] = static_cast<uint32_t>(Count() + 1);
        hashes_.push_back(tag);
        pool_.insert(pool_.end(), key, key + n);
        offsets_.push_back(static_cast<uint32_t>(pool_.size()));
        parent_.push_back(parent);
        move_.push_back(move);
        return true;
      }
      const uint32_t id = slot - 1;
      if (hashes_[id] == tag && Length(id) == n && std::memcmp(Key(id), key, n * 2) == 0) return false;
    }
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
  std::vector<uint32_t> hashes_;
  std::vector<uint32_t> slots_;
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

bool HasUnpairableKind(const Board& board) {
  int count[kLastCube + 1] = {};
  for (int r = 1; r <= board.Rows(); ++r)
    for (int c = 1; c <= board.Cols(); ++c)
      if (IsCube(board.At(r, c))) ++count[board.At(r, c)];
  for (int k = kFirstCube; k <= kLastCube; ++k)
    if (count[k] % 2 != 0) return true;
  return false;
}

SolveResult SolveLevel(const Board& start, size_t stateLimit) {
  const auto began = std::chrono::steady_clock::now();
  SolveResult result;
  auto finish = [&](SolveOutcome outcome) {
    result.outcome = outcome;
    result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    return result;
  };

  Grid root = ToGrid(start);
  const size_t cells = root.cells.size();
  if (cells == 0 || cells > static_cast<size_t>(kMaxCells)) return finish(SolveOutcome::kUnknown);
  SettleAll(root.cells.data(), root.rows, root.cols);

  // Vanishing takes two cubes of one kind at a time, so each kind's count
  // keeps its parity for ever, through the first settling too: an odd count
  // on the loaded board decides it, and no later board can become unpairable.
  if (HasUnpairableKind(start)) {
    result.statesExplored = 1;
    return finish(SolveOutcome::kUnsolvable);
  }

  // Obstacles only; a state's cubes are laid onto a copy of it.
  std::vector<int8_t> bricks(root.cells);
  for (auto& v : bricks)
    if (IsCube(v)) v = kEmpty;

  std::vector<uint16_t> key(cells);
  std::vector<uint16_t> childKey(cells);
  std::vector<int8_t> parentGrid(cells);
  std::vector<int8_t> child(cells);

  StateStore store(4096);
  store.Insert(key.data(), Encode(root.cells.data(), 0, cells, key.data()), 0, 0);

  const int rows = root.rows;
  const int cols = root.cols;
  uint32_t goal = UINT32_MAX;
  bool limitHit = false;
  for (uint32_t id = 0; id < store.Count() && goal == UINT32_MAX && !limitHit; ++id) {
    const size_t n = store.Length(id);
    // Copied out: inserting children may move the pool.
    std::copy(store.Key(id), store.Key(id) + n, key.begin());
    std::copy(bricks.begin(), bricks.end(), parentGrid.begin());
    for (size_t i = 0; i < n; ++i) parentGrid[key[i] >> kKindBits] = static_cast<int8_t>((key[i] & 31) + kFirstCube);

    for (size_t i = 0; i < n && goal == UINT32_MAX && !limitHit; ++i) {
      const int cell = key[i] >> kKindBits;
      const int col = cell / rows;
      for (int dir = -1; dir <= 1; dir += 2) {
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
        const uint16_t move = static_cast<uint16_t>((cell << 1) | (dir > 0 ? 1 : 0));
        if (!store.Insert(childKey.data(), m, id, move)) continue;
        if (m == 0) {
          goal = static_cast<uint32_t>(store.Count() - 1);
          break;
        }
        if (store.Count() >= stateLimit) {
          limitHit = true;
          break;
        }
      }
    }
  }
  if (store.Length(0) == 0) goal = 0;
  result.statesExplored = store.Count();
  result.storeBytes = store.Bytes();
  if (goal == UINT32_MAX) return finish(limitHit ? SolveOutcome::kUnknown : SolveOutcome::kUnsolvable);

  for (uint32_t id = goal; id != 0; id = store.Parent(id)) {
    const int cell = store.Move(id) >> 1;
    result.moves.push_back({cell % rows + 1, cell / rows + 1, (store.Move(id) & 1) ? +1 : -1});
  }
  std::reverse(result.moves.begin(), result.moves.end());
  return finish(SolveOutcome::kSolved);
}

}  // namespace tumbol
