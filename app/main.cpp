// Tumbol: start-up. Loads the game window hidden, cuts its outline from the
// skin and shows it.
#include <QApplication>
#include <QElapsedTimer>
#include <QFont>
#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <fontconfig/fontconfig.h>
#include <future>
#include <optional>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "base/game_folders.h"
#include "editor/qt_form2.h"
#include "game/qt_form1.h"
#include "records/qt_form3.h"
#include "records/records_file.h"
#include "shell/qt_art.h"
#include "shell/qt_audio.h"
#include "shell/qt_board_cursor.h"
#include "shell/qt_desktop.h"
#include "shell/qt_game_fonts.h"
#include "shell/qt_shrunk_painting.h"
#include "shell/qt_splash.h"
#include "shell/qt_stall_watch.h"
#include "shell/qt_toolkit.h"

namespace tumbol {
namespace {

// Runs `then` when the event loop comes back after the watched window's
// first paint: by then the painted frame has gone to the display.
class AfterFirstPaint : public QObject {
 public:
  explicit AfterFirstPaint(std::function<void()> then) : then_(std::move(then)) {}
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && !painted_) {
      painted_ = true;
      QTimer::singleShot(0, this, then_);
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  std::function<void()> then_;
  bool painted_ = false;
};

// The folder of the running program, ending in '/', as Qt reports it once
// the application is there; empty if the system does not say.
std::string ExecutableFolder() {
  char path[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return {};
  const std::string file(path, static_cast<size_t>(n));
  return file.substr(0, file.rfind('/') + 1);
}

int Main(int argc, char** argv) {
  // Without TZ the C library looks at /etc/localtime again at every clock
  // reading; the zone is read once, as the game starts.
  if (std::getenv("TZ") == nullptr) setenv("TZ", ":/etc/localtime", 0);
  // With no session bus named, the accessibility bridge's first use has the
  // bus library fork a helper to find one; forked from a process whose other
  // threads hold locks, the helper can hang, and the interface thread waits
  // on its pipe for ever. A desktop names its bus in the environment or puts
  // it in the runtime folder: where neither is, there is none to find.
  if (std::getenv("DBUS_SESSION_BUS_ADDRESS") == nullptr) {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    const std::string bus = std::string(runtime != nullptr ? runtime : "") + "/bus";
    if (runtime == nullptr || ::access(bus.c_str(), F_OK) != 0)
      setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/tumbol-no-session-bus", 0);
  }
  // The skin decodes on another core from the start, while the application
  // connects to the display and the window is built; the window's outline
  // and face are cut there from it.
  PictureReadAhead readAhead;
  const std::string early = ExecutableFolder();
  if (!early.empty()) readAhead.Start(QString::fromStdString(early + "skins.bmp"), Form1::kSize, true);
  // Reading the font configuration is the slowest step of a Qt start; it runs
  // on the other core while the application connects to the display, which
  // asks for no font. It holds only the faces the windows use, so the first
  // text costs the same on a desktop with thousands of fonts as on a bare
  // one. Once the application is there, the same worker paints the splash's
  // face while this thread builds the windows: its caption is the first text
  // drawn, the dearest, as the font database is filled and every glyph
  // loaded and rendered for the first time.
  std::promise<void> fontsConfigured;
  std::future<void> configured = fontsConfigured.get_future();
  std::promise<qreal> appReady;  // with the pixel ratio to paint the face at
  std::promise<QImage> splashFace;
  std::thread fonts([&fontsConfigured, &splashFace, ready = appReady.get_future()]() mutable {
    UseGameFonts();
    FcInit();  // the desktop's own configuration, where the game's did not take
    fontsConfigured.set_value();
    splashFace.set_value(PaintSplashFace(ready.get()));
  });
  const std::string platform =
      ChoosePlatform(std::getenv("QT_QPA_PLATFORM"), std::getenv("DISPLAY"), std::getenv("WAYLAND_DISPLAY"));
  if (!platform.empty()) qputenv("QT_QPA_PLATFORM", QByteArray::fromStdString(platform));
  // The arguments as given: the application takes its own out of argv.
  const std::vector<char*> given(argv, argv + argc + 1);
  std::optional<QApplication> app(std::in_place, argc, argv);
  // Now Qt's picture readers may load their plugins: the board's picture.
  if (!early.empty()) readAhead.Start(QString::fromStdString(early + "skinsp.jpg"));
  configured.wait();  // before anything measures or draws text
  // On a screen too small for the windows at the scale in force (a small
  // laptop's at 125 %, or with QT_SCALE_FACTOR=2) they are drawn at the
  // largest scale at which each fits, pictures, text and outline alike. Qt
  // takes its scale only as it starts, and a second application in the same
  // process can hang on the session bus: the program starts again with it,
  // once.
  QScreen* screen = QGuiApplication::primaryScreen();
  if (screen != nullptr && !qEnvironmentVariableIsSet("TUMBOL_SCALE_FITTED")) {
    const double fit = FittingScale(screen->availableGeometry().size(), screen->devicePixelRatio(),
                                    {{Form1::kSize, false}, {Form2::kSize, true}});
    if (fit < 1) {
      qputenv("QT_SCALE_FACTOR", LoweredScaleFactor(std::getenv("QT_SCALE_FACTOR"), fit));
      qputenv("TUMBOL_SCALE_FITTED", "1");
      ::execv("/proc/self/exe", given.data());
      // Could not start again: go on at the scale in force.
    }
  }
  // Below one screen pixel per pixel Qt's painter draws at full size; the
  // filter draws every window of the program to its scale.
  ShrunkPainting shrunkPainting;
  app->installEventFilter(&shrunkPainting);
  NameGameFonts();
  {
    // The windows' Russian and Latin text needs no shaping: without it the
    // first text drawn costs about a third less.
    QFont plain = QApplication::font();
    plain.setStyleStrategy(QFont::PreferNoShaping);
    // Nor hinting, at the sizes the windows use: the glyphs look the same,
    // and FreeType's auto-hinter, which studies every face on its first use,
    // stays out of the start-up.
    plain.setHintingPreference(QFont::PreferNoHinting);
    QApplication::setFont(plain);
  }
  // Below one screen pixel per pixel the windows are painted at full size
  // and shrunk afterwards.
  appReady.set_value(screen != nullptr ? std::max<qreal>(1, screen->devicePixelRatio()) : 1);
  // The desktop pairs the window with the installed menu entry and its icon.
  QGuiApplication::setDesktopFileName(QStringLiteral("com.example.tumbol"));
  // The game's folders, worked out here once; every window gets them from here.
  std::string program = QCoreApplication::applicationDirPath().toStdString();
  if (program.empty() || program.back() != '/') program += '/';
  const GameFolders folders(program, DataFolderFor(program));
  const QString folder = QString::fromStdString(folders.program);
  // Read ahead already, unless Qt names another folder.
  const QString skinPath = folder + QStringLiteral("skins.bmp");
  readAhead.Start(skinPath, Form1::kSize);
  readAhead.Start(folder + QStringLiteral("skinsp.jpg"));
  QtToolkit toolkit;
  // The board the cursor lives on belongs to the window, made just below.
  QtBoardCursor cursor(nullptr, folder);
  SdlSoundCues sounds(folders.program);
  Form1 form(toolkit, sounds, cursor);
  cursor.Bind(form.Picture1, folder);
  toolkit.SetDialogParent(&form);
  auto* splash = new frmSplash(splashFace.get_future().share());
  splash->setAttribute(Qt::WA_DeleteOnClose);
  form.splash = splash;
  form.readAhead = &readAhead;
  // The game window asks for its neighbours; they open modal over it, and it
  // gets the keyboard back when they close.
  QObject::connect(&form, &Form1::editorWanted, &form, [&] {
    Form2 editor(toolkit, folders, &form);
    editor.exec();
    ReturnKeyboard(&form);
  });
  QObject::connect(&form, &Form1::recordsWanted, &form, [&] {
    Form3 records(toolkit, folders, form.ImageList2[5], &form);
    CentreOnScreen(&records);
    records.exec();
    ReturnKeyboard(&form);
  });
  RecordTable recordLines;  // the records table as last read
  QObject::connect(&form, &Form1::allLevelsWon, &form, [&](double totalTime) {
    CheckNewRecord(toolkit, folders, recordLines, totalTime, LocaleDecimalSeparator());
  });
  form.Form_Load(folders);
  // The window's load has read the skin already; its outline and face were
  // cut from that same picture on the reading thread.
  if (!form.skin.isNull()) form.SetShape(readAhead.TakeShape(skinPath, form.size()));
  CentreOnScreen(&form);
  // A Wayland compositor places a new window clear of those already shown
  // (mutter puts it in a corner, beside the splash) and may leave the
  // keyboard with the splash: there, the splash, its work done, goes first.
  if (QGuiApplication::platformName().startsWith(QStringLiteral("wayland")) && form.splash != nullptr) {
    AwaitOnScreen(form.splash, 250);
    form.splash->close();
    form.splash = nullptr;
  }
  QApplication::setWindowIcon(QIcon(ArtPixmap(QStringLiteral("logo.png"))));
  form.show();
  // Without a window manager nothing activates a new window; ask for it.
  form.raise();
  form.activateWindow();
  // For bench/stalls.sh: the interface thread's stalls for that many seconds
  // once the window is on screen; the start-up's last step, the event loop's
  // first turn that shows it, is timed on its own.
  std::optional<StallWatch> stallWatch;
  QElapsedTimer firstTurn;
  AfterFirstPaint shown([&] {
    if (const char* seconds = std::getenv("TUMBOL_STALL_WATCH")) {
      stallWatch.emplace(std::atof(seconds), firstTurn.nsecsElapsed() / 1e6, [&] {
        form.game().Shutdown();
        app->exit(0);
      });
      stallWatch->Probe("board in motion", [&] { return form.game().BoardInMotion(); });
      stallWatch->Probe("track loading", [&] { return form.MMControl1.Loading(); });
    }
    // For bench/startup.sh: "shown" once the window's first paint is on
    // screen, as bench/bare_window says it, then quit.
    if (!qEnvironmentVariableIsSet("TUMBOL_EXIT_WHEN_SHOWN")) return;
    std::puts("shown");
    std::fflush(stdout);
    form.game().Shutdown();
    app->exit(0);
  });
  form.installEventFilter(&shown);
  firstTurn.start();
  const int result = app->exec();
  fonts.join();
  return result;
}

}  // namespace
}  // namespace tumbol

int main(int argc, char** argv) { return tumbol::Main(argc, argv); }
