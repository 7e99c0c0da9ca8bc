// Program entry: the application, the main window, the about and progress windows, the saved
// font and window size, then the message loop until the main window closes.
#include <QApplication>
#include <QIcon>

#include "ui/window/MainForm.h"
#include "ui/window/QtTranslations.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("QM V-1.6 Interchange Program"));
  // The installed desktop entry's name: a Wayland desktop matches the window to its menu entry
  // and icon by it.
  const QString appId = QStringLiteral("org.qminterchange.QmInterchange");
  QGuiApplication::setDesktopFileName(appId);
  // The icon theme's when the package is installed, the built-in pictures when run from the
  // build tree.
  QIcon builtIn;
  builtIn.addFile(QStringLiteral(":/icons/qm-interchange-48.png"));
  builtIn.addFile(QStringLiteral(":/icons/qm-interchange-256.png"));
  QApplication::setWindowIcon(QIcon::fromTheme(appId, builtIn));
  qm::InstallQtTranslations(app);

  qm::TMainForm form;
  form.CreateAuxWindows();
  form.ApplySavedFont();
  form.ApplySavedSize();
  form.show();
  return QApplication::exec();
}
