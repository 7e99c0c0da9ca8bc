// Program entry: the application, the main window, the about and progress windows, the saved
// font and window size, then the message loop until the main window closes.
#include <QApplication>

#include "ui/window/MainForm.h"
#include "ui/window/QtTranslations.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("QM V-1.6 Interchange Program"));
  qm::InstallQtTranslations(app);

  qm::TMainForm form;
  form.CreateAuxWindows();
  form.ApplySavedFont();
  form.ApplySavedSize();
  form.show();
  return QApplication::exec();
}
