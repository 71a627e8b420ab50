#pragma once
// The solver on a thread of its own, for the play aids: one search at a
// time, a new request stops the one before, and the answer comes back on the
// user-interface thread. The window never waits for a search.
#include <QObject>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "base/board.h"
#include "game/solver.h"

namespace tumbol {

class SolverWorker {
 public:
  // A search that stops early (unknown) once stop is raised.
  using Search = std::function<SolveResult(const Board& board, const std::atomic<bool>& stop)>;
  using Done = std::function<void(uint64_t ticket, const SolveResult& result)>;

  // done runs on the thread that made the worker; search defaults to the
  // game's solver within kPlayerLimits: decided first, then the shortest
  // win in the time left.
  explicit SolverWorker(Done done, Search search = {});
  ~SolverWorker();  // stops the search and waits for the thread

  void Start(const Board& board, uint64_t ticket);
  void Cancel();

 private:
  void Run();

  struct Job {
    Board board;
    uint64_t ticket;
  };
  Done done_;
  Search search_;
  std::unique_ptr<QObject> receiver_;  // lives on the user-interface thread
  std::mutex mutex_;
  std::condition_variable wake_;
  std::optional<Job> next_;
  std::atomic<bool> stop_{false};  // stops the running search
  bool quit_ = false;
  std::thread thread_;
};

}  // namespace tumbol
