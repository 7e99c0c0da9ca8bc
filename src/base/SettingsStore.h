// The per-user settings store: a key holding sections of named text values. On Windows it is the
// registry key HKEY_CURRENT_USER\Software\RAD16; elsewhere an INI file whose existence stands for
// the key. Numbers are stored as decimal text. Section and value names are Windows-1251/ASCII.
#pragma once

#include <optional>
#include <string>

namespace qm {

class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  // Whether the key exists. The program never creates it.
  virtual bool KeyExists() const = 0;
  // A value under a section ("Settings", "Settings\\Font"), or nothing when missing.
  virtual std::optional<std::string> ReadText(const std::string& section,
                                              const std::string& name) const = 0;
  virtual void WriteText(const std::string& section, const std::string& name,
                         const std::string& value) = 0;
};

}  // namespace qm
