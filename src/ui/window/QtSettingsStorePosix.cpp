// Without a registry the store is an INI file in the user's configuration folder
// ($XDG_CONFIG_HOME or ~/.config); the file's existence stands for the registry key.
#include <QFileInfo>
#include <QStandardPaths>

#include "ui/window/QtSettingsStore.h"

namespace qm {

QString QtSettingsStore::Location() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
         QStringLiteral("/RAD16.ini");
}

bool SettingsKeyExistsOnThisSystem() {
  return QFileInfo(QtSettingsStore::Location()).isFile();
}

std::unique_ptr<QSettings> OpenSettingsOnThisSystem() {
  return std::make_unique<QSettings>(QtSettingsStore::Location(), QSettings::IniFormat);
}

}  // namespace qm
