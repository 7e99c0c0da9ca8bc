// The settings store over QSettings. On Windows it is the registry key
// HKEY_CURRENT_USER\Software\RAD16 itself; elsewhere the INI file RAD16.ini in the user's
// configuration folder, whose existence stands for the key. Neither is ever created here:
// without the key the program reads and writes nothing.
//
// Nothing else is persisted either. Qt's own dialogs keep state of their own under the user's
// settings (the file dialog its history, as "QtProject"); making a store points those at a place
// where nothing can be written.
#pragma once

#include <QSettings>
#include <memory>

#include "base/SettingsStore.h"

namespace qm {

class QtSettingsStore : public SettingsStore {
 public:
  QtSettingsStore();
  ~QtSettingsStore() override;

  bool KeyExists() const override;
  std::optional<std::string> ReadText(const std::string& section,
                                      const std::string& name) const override;
  void WriteText(const std::string& section, const std::string& name,
                 const std::string& value) override;
  // Pushes written values out to the store now (they are also pushed when the object goes).
  void Flush();

  // Where the store lives on this system (the registry path or the INI file's path).
  static QString Location();

 private:
  // Opens the store; called only once the key is known to exist, so QSettings never makes it.
  QSettings& Open() const;

  mutable std::unique_ptr<QSettings> settings_;
};

}  // namespace qm
