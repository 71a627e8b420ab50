#include "game/qt_solver_worker.h"

#include <QMetaObject>

namespace tumbol {

SolverWorker::SolverWorker(Done done, Search search)
    : done_(std::move(done)), search_(std::move(search)), receiver_(std::make_unique<QObject>()) {
  if (!search_) {
    search_ = [](const Board& board, const std::atomic<bool>& stop) {
      SolveLimits limits = kPlayerLimits;
      limits.stop = &stop;
      return FindWin(board, limits);
    };
  }
  thread_ = std::thread([this] { Run(); });
}

SolverWorker::~SolverWorker() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    quit_ = true;
    next_.reset();
    stop_ = true;
  }
  wake_.notify_one();
  thread_.join();
}

void SolverWorker::Start(const Board& board, uint64_t ticket) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    next_ = Job{board, ticket};
    stop_ = true;  // the running search, if any, is for an older board
  }
  wake_.notify_one();
}

void SolverWorker::Cancel() {
  std::lock_guard<std::mutex> lock(mutex_);
  next_.reset();
  stop_ = true;
}

void SolverWorker::Run() {
  for (;;) {
    Job job;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      wake_.wait(lock, [this] { return quit_ || next_.has_value(); });
      if (quit_) return;
      job = std::move(*next_);
      next_.reset();
      stop_ = false;
    }
    const SolveResult result = search_(job.board, stop_);
    // Delivered through the receiver, so nothing arrives once the worker is gone.
    QMetaObject::invokeMethod(
        receiver_.get(), [this, ticket = job.ticket, result] { done_(ticket, result); }, Qt::QueuedConnection);
  }
}

}  // namespace tumbol
