#include "ui/window/QtSettingsStore.h"

#include <QStringList>

#include "ui/window/QtText.h"

namespace qm {
namespace {

// "Settings\Font" is a sub-section; QSettings separates groups with "/".
QString KeyPath(const std::string& section, const std::string& name) {
  QString path = ToQString(section);
  path.replace(QLatin1Char('\\'), QLatin1Char('/'));
  return path + QLatin1Char('/') + ToQString(name);
}

}  // namespace

// The platform files supply these three.
bool SettingsKeyExistsOnThisSystem();
std::unique_ptr<QSettings> OpenSettingsOnThisSystem();
void KeepToolkitStateOutOnThisSystem();

QtSettingsStore::QtSettingsStore() {
  KeepToolkitStateOutOnThisSystem();
}
QtSettingsStore::~QtSettingsStore() = default;

bool QtSettingsStore::KeyExists() const {
  return SettingsKeyExistsOnThisSystem();
}

QSettings& QtSettingsStore::Open() const {
  if (!settings_) {
    settings_ = OpenSettingsOnThisSystem();
    // QSettings parses INI sections lazily, and a hand-written "[Settings\Font]" section can
    // hide values of "[Settings]" from the first look-ups. Parsing everything at once avoids it.
    settings_->allKeys();
  }
  return *settings_;
}

std::optional<std::string> QtSettingsStore::ReadText(const std::string& section,
                                                     const std::string& name) const {
  if (!settings_ && !KeyExists()) return std::nullopt;
  const QVariant value = Open().value(KeyPath(section, name));
  if (!value.isValid()) return std::nullopt;
  // An INI value holding an unquoted comma reads back as a list; it was one text.
  if (value.typeId() == QMetaType::QStringList) {
    return FromQString(value.toStringList().join(QLatin1Char(',')));
  }
  return FromQString(value.toString());
}

void QtSettingsStore::WriteText(const std::string& section, const std::string& name,
                                const std::string& value) {
  Open().setValue(KeyPath(section, name), ToQString(value));
}

void QtSettingsStore::Flush() {
  if (settings_) settings_->sync();
}

}  // namespace qm
