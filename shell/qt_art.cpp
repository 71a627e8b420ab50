#include "shell/qt_art.h"

#include <QFileInfo>
#include <QImageReader>

#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

namespace tumbol {

namespace {

// A picture being decoded or decoded: whoever finds it pending waits.
struct Slot {
  bool done = false;
  QImage image;
};

class ArtCache {
 public:
  ~ArtCache() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      queue_.clear();
    }
    if (worker_.joinable()) worker_.join();
  }

  QImage Get(const QString& name) {
    std::unique_lock<std::mutex> lock(mutex_);
    auto [slot, mine] = Claim(name);
    if (mine) return Decode(lock, *slot, name);
    ready_.wait(lock, [&] { return slot->done; });
    return slot->image;
  }

  void Prefetch(const QStringList& names) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const QString& name : names) queue_.push_back(name);
    if (running_) return;
    if (worker_.joinable()) worker_.join();  // finished: it cleared running_ as it ended
    running_ = true;
    worker_ = std::thread([this] { Work(); });
  }

 private:
  // The slot of name, and whether the caller is the one to decode it.
  std::pair<std::shared_ptr<Slot>, bool> Claim(const QString& name) {
    auto found = slots_.find(name);
    if (found != slots_.end()) return {found->second, false};
    auto slot = std::make_shared<Slot>();
    slots_.emplace(name, slot);
    return {slot, true};
  }

  QImage Decode(std::unique_lock<std::mutex>& lock, Slot& slot, const QString& name) {
    lock.unlock();
    // The art's format is its name's: asked by content, Qt would first load
    // every picture plugin installed to ask each whether it reads the file.
    QImageReader reader(QStringLiteral(":/art/") + name, QFileInfo(name).suffix().toLatin1());
    reader.setAutoDetectImageFormat(false);
    const QImage image = reader.read();
    lock.lock();
    slot.image = image;
    slot.done = true;
    ready_.notify_all();
    return image;
  }

  void Work() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!queue_.empty()) {
      const QString name = queue_.front();
      queue_.pop_front();
      auto [slot, mine] = Claim(name);
      if (mine) Decode(lock, *slot, name);
    }
    running_ = false;
  }

  std::mutex mutex_;
  std::condition_variable ready_;
  std::map<QString, std::shared_ptr<Slot>> slots_;
  std::deque<QString> queue_;
  std::thread worker_;
  bool running_ = false;
};

ArtCache& Cache() {
  static ArtCache cache;
  return cache;
}

}  // namespace

QImage ArtImage(const QString& name) { return Cache().Get(name); }

QPixmap ArtPixmap(const QString& name) { return QPixmap::fromImage(ArtImage(name)); }

void PrefetchArt(const QStringList& names) { Cache().Prefetch(names); }

}  // namespace tumbol
