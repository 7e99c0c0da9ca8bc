// Qt's own texts in Russian: the buttons of the message boxes ("Да", "Нет", "Отмена"), the file
// and font dialogs, the context menus of the text boxes. Every text the operator reads is
// Russian, whatever the locale of the machine, so the Russian catalogues are loaded always.
// They come with Qt (Debian: qt6-translations-l10n) from Qt's translations folder; where they
// are missing, Qt's English texts stay.
#pragma once

#include <QList>

class QCoreApplication;
class QTranslator;

namespace qm {

// Installs the catalogues in `app` (which owns them) and returns those that loaded, so that a
// caller may take them out again (tests).
QList<QTranslator*> InstallQtTranslations(QCoreApplication& app);

}  // namespace qm
