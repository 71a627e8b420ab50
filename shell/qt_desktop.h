#pragma once
// How the program's windows meet the desktop: which platform Qt uses where
// a session offers both X11 and Wayland, where windows open, modal windows
// kept over the game window, and the keyboard given back when one closes.
#include <QAbstractNativeEventFilter>
#include <QElapsedTimer>
#include <QObject>
#include <QSize>
#include <initializer_list>
#include <string>

class QWidget;
class QWindow;

namespace tumbol {

// The platform list to ask Qt for, or "" to leave Qt's own choice. The
// user's QT_QPA_PLATFORM always wins; where both displays are offered, X11
// comes first, since there the game places its own windows and a modal
// window stays over the window it blocks. Arguments may be null (unset).
std::string ChoosePlatform(const char* chosen, const char* display, const char* waylandDisplay);

// The user's decimal separator, ',' or '.': the records file writes times
// with it.
char LocaleDecimalSeparator();

// A window of the program at its own size; framed: the desktop gives it a
// title bar and borders.
struct WindowSize {
  QSize size;
  bool framed;
};
// The largest scale, at most 1, at which each of windows lies inside area
// (a screen's free area, in Qt's pixels), but never below half a screen
// pixel per pixel: ratio is the screen's device pixels per Qt pixel. Below
// one, the windows need ShrunkPainting (shell/qt_shrunk_painting.h).
double FittingScale(const QSize& area, double ratio, std::initializer_list<WindowSize> windows);
// What QT_SCALE_FACTOR must say to draw at fit times the scale in force;
// given is the user's own QT_SCALE_FACTOR (null: unset).
QByteArray LoweredScaleFactor(const char* given, double fit);

// Centres window on its screen's free area, inside it with its frame (where
// the platform lets a program place its windows; Wayland leaves it to the
// compositor).
void CentreOnScreen(QWidget* window);

// Whether a window must draw with per-pixel alpha for the desktop to show
// outside its outline. An X server of its own cuts a window to its mask,
// composited or not, and an opaque window shows there faster; XWayland
// (where the compositor takes the window's pixels as they are) and Wayland
// need the alpha.
bool OutlineNeedsAlpha();

// Shows window, painted at once where the window system puts it on screen
// at once; elsewhere it paints when the window system has placed it, as the
// program lets events through while it loads.
void ShowAtOnce(QWidget* window);
// Waits until window is on screen, ms at most: a Wayland window is seen only
// once the compositor has answered, so a splash that must be seen before it
// goes waits for that answer (the load meanwhile went on).
void AwaitOnScreen(QWidget* window, int ms);

// The button came up before the window system took the drag that
// QWindow::startSystemMove handed it: the window follows the pointer no more.
void CancelSystemMove(QWindow* window);

// The modal window of the program that blocks window, or null.
QWidget* BlockingModal(QWidget* window);

// Gives window the keyboard back once a modal window over it has closed,
// also where the desktop would hand it to another program. Does nothing
// while window is hidden, minimised or still blocked.
void ReturnKeyboard(QWidget* window);

// Keeps the modal windows of the program over the game window on desktops
// that raise whatever is clicked, even a blocked window (sway, natively and
// under XWayland). A program cannot raise a window there, but a window shown
// anew comes up on top and takes the keyboard, so the blocking window is
// shown anew when the game window is activated or given the X input focus.
class ModalGuard : public QObject, public QAbstractNativeEventFilter {
 public:
  explicit ModalGuard(QWidget* window);
  ~ModalGuard() override;

  // True while a modal window blocks the game window; brings that window
  // back on top. The game window's activation handler asks this first.
  bool Blocked();

  bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

 private:
  QWidget* window_;
  QElapsedTimer lastShown_;  // when the blocking window was last shown anew
};

}  // namespace tumbol
