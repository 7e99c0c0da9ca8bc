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

void KeepToolkitStateOutOnThisSystem() {
  // Settings that name no file of their own (Qt's file dialog keeps its history so) go below a
  // path that cannot be a folder, so they are never written. Ours names its file and stays put.
  const QString nowhere = QStringLiteral("/dev/null/qm-interchange");
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, nowhere);
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, nowhere);
}

}  // namespace qm
