// Tumbol: start-up. Loads the game window hidden, cuts its outline from the
// skin and shows it.
#include <QApplication>
#include <QFont>
#include <QIcon>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <cstdlib>
#include <fontconfig/fontconfig.h>
#include <optional>
#include <thread>

#include "base/file_exists.h"
#include "base/game_folders.h"
#include "editor/qt_form2.h"
#include "game/qt_form1.h"
#include "records/qt_form3.h"
#include "records/records_file.h"
#include "shell/qt_audio.h"
#include "shell/qt_board_cursor.h"
#include "shell/qt_desktop.h"
#include "shell/qt_region.h"
#include "shell/qt_splash.h"
#include "shell/qt_toolkit.h"

namespace tumbol {
namespace {

int Main(int argc, char** argv) {
  // Reading the font configuration is the slowest step of a Qt start; it runs
  // on the other core while the application connects to the display.
  std::thread fonts([] { FcInit(); });
  const std::string platform =
      ChoosePlatform(std::getenv("QT_QPA_PLATFORM"), std::getenv("DISPLAY"), std::getenv("WAYLAND_DISPLAY"));
  if (!platform.empty()) qputenv("QT_QPA_PLATFORM", QByteArray::fromStdString(platform));
  std::optional<QApplication> app(std::in_place, argc, argv);
  // On a screen too small for the windows at the scale in force (a small
  // laptop's at 125 %, or with QT_SCALE_FACTOR=2) they are drawn at the
  // largest scale at which each fits, pictures, text and outline alike. Qt
  // takes its scale only as it starts: the application starts again with it.
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    const double fit = FittingScale(screen->availableGeometry().size(), screen->devicePixelRatio(),
                                    {{Form1::kSize, false}, {Form2::kSize, true}});
    if (fit < 1) {
      app.reset();
      qputenv("QT_SCALE_FACTOR", LoweredScaleFactor(std::getenv("QT_SCALE_FACTOR"), fit));
      app.emplace(argc, argv);
    }
  }
  // The desktop pairs the window with the installed menu entry and its icon.
  QGuiApplication::setDesktopFileName(QStringLiteral("com.example.tumbol"));
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/art/logo.png")));
  fonts.join();
  QFont::insertSubstitution(QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif"));
  QFont::insertSubstitution(QStringLiteral("Courier New CYR"), QStringLiteral("Liberation Mono"));
  // The game's folders, worked out here once; every window gets them from here.
  std::string program = QCoreApplication::applicationDirPath().toStdString();
  if (program.empty() || program.back() != '/') program += '/';
  const GameFolders folders(program, DataFolderFor(program));
  const QString folder = QString::fromStdString(folders.program);
  // The skins decode on the other core while the window is built.
  PictureReadAhead readAhead;
  readAhead.Start(folder + QStringLiteral("skins.bmp"));
  readAhead.Start(folder + QStringLiteral("skinsp.jpg"));
  QtToolkit toolkit;
  // The board the cursor lives on belongs to the window, made just below.
  QtBoardCursor cursor(nullptr, folder);
  SdlSoundCues sounds(folders.program);
  Form1 form(toolkit, sounds, cursor);
  cursor.Bind(form.Picture1, folder);
  toolkit.SetDialogParent(&form);
  auto* splash = new frmSplash;
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
  // The window's load has read the skin already; its outline comes from that
  // same picture.
  const QString skinPath = folder + QStringLiteral("skins.bmp");
  const QImage skin = form.skin.toImage();
  if (FileExists(skinPath.toStdString()) && !skin.isNull())
    form.SetOutline(WindowOutline(skin, form.size()));
  CentreOnScreen(&form);
  // A Wayland compositor places a new window clear of those already shown
  // (mutter puts it in a corner, beside the splash) and may leave the
  // keyboard with the splash: there, the splash, its work done, goes first.
  if (QGuiApplication::platformName().startsWith(QStringLiteral("wayland")) && form.splash != nullptr) {
    form.splash->close();
    form.splash = nullptr;
  }
  form.show();
  // Without a window manager nothing activates a new window; ask for it.
  form.raise();
  form.activateWindow();
  if (qEnvironmentVariableIsSet("TUMBOL_EXIT_WHEN_SHOWN")) {
    QTimer::singleShot(0, &*app, [&] {
      std::puts("shown");
      std::fflush(stdout);
      form.game().Shutdown();
      app->exit(0);
    });
  }
  return app->exec();
}

}  // namespace
}  // namespace tumbol

int main(int argc, char** argv) { return tumbol::Main(argc, argv); }
