// The floor for start-up: a bare Qt window of the game window's size that
// prints "shown" and quits after its first paint. bench/startup.sh times the
// game against it.
#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <cstdio>

namespace {

class BareWindow : public QWidget {
 public:
  BareWindow() : QWidget(nullptr, Qt::FramelessWindowHint) { setFixedSize(760, 614); }

 protected:
  void paintEvent(QPaintEvent*) override {
    if (reported_) return;
    reported_ = true;
    // As the game says it: when the event loop comes back after the first
    // paint, which has gone to the display by then.
    QTimer::singleShot(0, qApp, [] {
      std::puts("shown");
      std::fflush(stdout);
      QCoreApplication::quit();
    });
  }

 private:
  bool reported_ = false;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  BareWindow window;
  window.show();
  return app.exec();
}
