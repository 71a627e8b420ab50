// Tumbol: start-up. Loads the game window hidden, cuts its outline from the
// skin and shows it.
#include <QApplication>
#include <QFont>
#include <QIcon>
#include <QPainter>
#include <QTimer>
#include <cstdlib>
#include <fontconfig/fontconfig.h>
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
  QApplication app(argc, argv);
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
  form.show();
  // Without a window manager nothing activates a new window; ask for it.
  form.raise();
  form.activateWindow();
  if (qEnvironmentVariableIsSet("TUMBOL_EXIT_WHEN_SHOWN")) {
    QTimer::singleShot(0, &app, [&] {
      std::puts("shown");
      std::fflush(stdout);
      form.game().Shutdown();
      app.exit(0);
    });
  }
  return app.exec();
}

}  // namespace
}  // namespace tumbol

int main(int argc, char** argv) { return tumbol::Main(argc, argv); }
