// A SettingsStore for tests: values in memory, every read and write recorded in order as
// "Section/Name". Without the key, reads find nothing.
#pragma once

#include <initializer_list>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/SettingsStore.h"

namespace qmtest {

class MemorySettingsStore : public qm::SettingsStore {
 public:
  explicit MemorySettingsStore(bool keyExists) : keyExists_(keyExists) {}

  void Set(const std::string& section, const std::string& name, std::string value) {
    values_[{section, name}] = std::move(value);
  }
  // Several values of one section, set in the order given.
  void Set(const std::string& section,
           std::initializer_list<std::pair<std::string, std::string>> values) {
    for (const auto& [name, value] : values) Set(section, name, value);
  }
  std::optional<std::string> Get(const std::string& section, const std::string& name) const {
    auto it = values_.find({section, name});
    if (it == values_.end()) return std::nullopt;
    return it->second;
  }

  bool KeyExists() const override { return keyExists_; }
  std::optional<std::string> ReadText(const std::string& section,
                                      const std::string& name) const override {
    reads.push_back(section + "/" + name);
    if (!keyExists_) return std::nullopt;
    return Get(section, name);
  }
  void WriteText(const std::string& section, const std::string& name,
                 const std::string& value) override {
    writes.push_back(section + "/" + name);
    values_[{section, name}] = value;
  }

  mutable std::vector<std::string> reads;
  std::vector<std::string> writes;

 private:
  bool keyExists_;
  std::map<std::pair<std::string, std::string>, std::string> values_;
};

}  // namespace qmtest
