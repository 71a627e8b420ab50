#include "shell/qt_desktop.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLocale>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>
#include <xcb/xcb.h>

namespace tumbol {

std::string ChoosePlatform(const char* chosen, const char* display, const char* waylandDisplay) {
  const auto given = [](const char* value) { return value != nullptr && *value != '\0'; };
  if (given(chosen) || !given(display) || !given(waylandDisplay)) return {};
  // Wayland stays the fallback should the X server not answer.
  return "xcb;wayland";
}

char LocaleDecimalSeparator() {
  const QString sep = QLocale::system().decimalPoint();
  return sep == QStringLiteral(",") ? ',' : '.';
}

namespace {

// Room for what the desktop puts round a window, in Qt's pixels: a title bar
// and borders, or the thin border some window managers keep round a window
// without a title bar.
QSize FrameOf(bool framed) { return framed ? QSize(12, 40) : QSize(2, 2); }

}  // namespace

double FittingScale(const QSize& area, double ratio, std::initializer_list<WindowSize> windows) {
  if (area.isEmpty()) return 1;
  double fit = 1;
  for (const WindowSize& w : windows) {
    const QSize outer = w.size + FrameOf(w.framed);
    fit = std::min({fit, double(area.width()) / outer.width(), double(area.height()) / outer.height()});
  }
  // Down to a hundredth, so rounding to whole pixels cannot push a window out;
  // never below half a screen pixel per pixel, where the text is unreadable.
  return std::max(std::floor(fit * 100) / 100, std::min(1.0, std::ceil(50 / ratio) / 100));
}

QByteArray LoweredScaleFactor(const char* given, double fit) {
  bool ok = false;
  const double scale = given != nullptr ? QByteArray(given).toDouble(&ok) : 1;
  return QByteArray::number((ok && scale > 0 ? scale : 1) * fit);
}

void CentreOnScreen(QWidget* window) {
  QScreen* screen = window->screen();
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  const QRect area = screen->availableGeometry();
  // A window moves by its frame's corner; before it is shown its frame is
  // not known yet, so room is left for one.
  const bool framed = !(window->windowFlags() & Qt::FramelessWindowHint);
  QSize outer = window->isVisible() ? window->frameGeometry().size() : window->size();
  if (!window->isVisible() && framed) outer += FrameOf(true);
  const QPoint at = area.center() - QPoint(outer.width() / 2, outer.height() / 2);
  window->move(std::max(area.left(), std::min(at.x(), area.right() + 1 - outer.width())),
               std::max(area.top(), std::min(at.y(), area.bottom() + 1 - outer.height())));
}

void ShowAtOnce(QWidget* window) {
  window->show();
  // An X server without a window manager maps it at once; elsewhere the
  // window system answers later, and the window paints at its expose while
  // the program goes on loading.
  if (window->windowHandle() != nullptr && window->windowHandle()->isExposed()) window->repaint();
}

void AwaitOnScreen(QWidget* window, int ms) {
  // Sleeps until the window system's answer comes, or the time is up.
  QTimer timeUp;
  timeUp.setSingleShot(true);
  timeUp.start(ms);
  while (window->windowHandle() != nullptr && !window->windowHandle()->isExposed() && timeUp.isActive())
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents | QEventLoop::WaitForMoreEvents);
  if (window->windowHandle() != nullptr && window->windowHandle()->isExposed()) window->repaint();
}

namespace {

constexpr uint32_t kMoveResizeCancel = 11;

template <typename Reply>
using XcbReply = std::unique_ptr<Reply, decltype(&std::free)>;

xcb_atom_t Atom(xcb_connection_t* c, const char* name) {
  const XcbReply<xcb_intern_atom_reply_t> reply(
      xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr), &std::free);
  return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

xcb_connection_t* X11Connection() {
  auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
  return x11 != nullptr ? x11->connection() : nullptr;
}

xcb_window_t RootOf(xcb_connection_t* c, xcb_window_t window) {
  const XcbReply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(c, xcb_query_tree(c, window), nullptr), &std::free);
  return tree ? tree->root : xcb_window_t(XCB_WINDOW_NONE);
}

}  // namespace

bool OutlineNeedsAlpha() {
  xcb_connection_t* c = X11Connection();
  if (c == nullptr) return true;
  // XWayland names its outputs so; newer ones also have an extension of
  // that name, and one run from a Wayland session has its display named.
  static const char kXWayland[] = "XWAYLAND";
  for (const QScreen* screen : QGuiApplication::screens())
    if (screen->name().startsWith(QLatin1String(kXWayland))) return true;
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  if (wayland != nullptr && *wayland != '\0') return true;
  const XcbReply<xcb_query_extension_reply_t> reply(
      xcb_query_extension_reply(c, xcb_query_extension(c, sizeof kXWayland - 1, kXWayland), nullptr), &std::free);
  return reply == nullptr || reply->present != 0;
}

void CancelSystemMove(QWindow* window) {
  xcb_connection_t* c = X11Connection();
  if (c == nullptr) return;
  const auto id = static_cast<xcb_window_t>(window->winId());
  const xcb_window_t root = RootOf(c, id);
  if (root == XCB_WINDOW_NONE) return;
  xcb_client_message_event_t message{};
  message.response_type = XCB_CLIENT_MESSAGE;
  message.format = 32;
  message.window = id;
  message.type = Atom(c, "_NET_WM_MOVERESIZE");
  message.data.data32[2] = kMoveResizeCancel;
  message.data.data32[4] = 1;  // asked for by an application
  xcb_send_event(c, 0, root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                 reinterpret_cast<const char*>(&message));
  xcb_flush(c);
}

QWidget* BlockingModal(QWidget* window) {
  QWidget* modal = QApplication::activeModalWidget();
  return modal != nullptr && modal != window && modal->isVisible() ? modal : nullptr;
}

void ReturnKeyboard(QWidget* window) {
  if (window == nullptr || !window->isVisible() || window->isMinimized() || BlockingModal(window) != nullptr)
    return;
  window->raise();
  window->activateWindow();
}

ModalGuard::ModalGuard(QWidget* window) : window_(window) {
  QCoreApplication::instance()->installNativeEventFilter(this);
}

ModalGuard::~ModalGuard() {
  if (QCoreApplication* app = QCoreApplication::instance()) app->removeNativeEventFilter(this);
}

bool ModalGuard::Blocked() {
  QWidget* modal = BlockingModal(window_);
  if (modal == nullptr) return false;
  // Hiding it may hand the focus to the game window for a moment: that is
  // no new press to answer, but the keyboard goes back to the modal window.
  if (lastShown_.isValid() && lastShown_.elapsed() < 500) {
    modal->activateWindow();
    return true;
  }
  lastShown_.start();
  // The blocking window and the modal windows it belongs to (the editor
  // under its question), outermost first, each to come up over the last.
  std::vector<QWidget*> chain;
  for (QWidget* w = modal; w != nullptr && w != window_ && w->isVisible();
       w = w->parentWidget() != nullptr ? w->parentWidget()->window() : nullptr)
    chain.insert(chain.begin(), w);
  for (QWidget* w : chain) {
    // QWidget's own hide and show: QDialog's hide would end its exec().
    w->QWidget::setVisible(false);
    w->QWidget::setVisible(true);
    w->raise();
  }
  modal->activateWindow();
  return true;
}

bool ModalGuard::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
  // Under X11 Qt passes the focus of a blocked window on to the modal one
  // and never activates the blocked window, but the desktop has raised it.
  if (eventType != "xcb_generic_event_t") return false;
  const auto* event = static_cast<const xcb_generic_event_t*>(message);
  if ((event->response_type & 0x7f) != XCB_FOCUS_IN) return false;
  const auto* focus = static_cast<const xcb_focus_in_event_t*>(message);
  if (focus->mode == XCB_NOTIFY_MODE_GRAB || focus->detail == XCB_NOTIFY_DETAIL_POINTER) return false;
  if (focus->event != window_->internalWinId()) return false;
  QTimer::singleShot(0, this, [this] { Blocked(); });
  return false;
}

}  // namespace tumbol
