#include "ui/window/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace qm {

QList<QTranslator*> InstallQtTranslations(QCoreApplication& app) {
  QList<QTranslator*> installed;
  const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
  const QLocale russian(QLocale::Russian, QLocale::Russia);
  // qtbase holds the widgets' texts; "qt" is the catalogue that names it (and others) on
  // installations that ship only that one.
  for (const char* catalogue : {"qtbase", "qt"}) {
    auto* translator = new QTranslator(&app);
    if (translator->load(russian, QString::fromLatin1(catalogue), QStringLiteral("_"), folder) &&
        QCoreApplication::installTranslator(translator)) {
      installed << translator;
      break;
    }
    delete translator;
  }
  return installed;
}

}  // namespace qm
