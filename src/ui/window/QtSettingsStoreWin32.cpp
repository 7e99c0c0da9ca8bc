// On Windows the store is the registry key HKEY_CURRENT_USER\Software\RAD16, its sections the
// sub-keys Settings and Settings\Font, every value a string (REG_SZ).
#include <QStringList>

#include "ui/window/QtSettingsStore.h"

namespace qm {

QString QtSettingsStore::Location() {
  return QStringLiteral("HKEY_CURRENT_USER\\Software\\RAD16");
}

bool SettingsKeyExistsOnThisSystem() {
  // Looking at the parent's sub-keys tells whether the key exists without creating it.
  QSettings software(QStringLiteral("HKEY_CURRENT_USER\\Software"), QSettings::NativeFormat);
  return software.childGroups().contains(QStringLiteral("RAD16"), Qt::CaseInsensitive);
}

std::unique_ptr<QSettings> OpenSettingsOnThisSystem() {
  return std::make_unique<QSettings>(QtSettingsStore::Location(), QSettings::NativeFormat);
}

void KeepToolkitStateOutOnThisSystem() {
  // Qt's file dialog keeps its history in the registry under Software\QtProject; registry
  // settings cannot be pointed elsewhere, so it stays there on this system.
}

}  // namespace qm
