#include "port/PortNames.h"

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "base/Cp1251.h"
#include "port/NetPortUrl.h"

namespace qm {

namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r')) {
    s.remove_prefix(1);
  }
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) {
    s.remove_suffix(1);
  }
  return s;
}

bool ParsePortName(std::string_view name, TPortType& port) {
  if (name.size() != 4) return false;
  auto upper = [](char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; };
  if (upper(name[0]) != 'C' || upper(name[1]) != 'O' || upper(name[2]) != 'M') return false;
  if (name[3] < '1' || name[3] > '0' + kPortCount) return false;
  port = static_cast<TPortType>(name[3] - '1');
  return true;
}

}  // namespace

std::string PortName(TPortType port) {
  return "COM" + std::to_string(static_cast<int>(port) + 1);
}

std::map<TPortType, std::string> ParsePortMapping(std::string_view text, char separator) {
  std::map<TPortType, std::string> result;
  // Editors on Windows put a byte-order mark in front of UTF-8 text; it is no part of the first
  // entry's name.
  constexpr std::string_view kBom = "\xEF\xBB\xBF";
  if (text.substr(0, kBom.size()) == kBom) text.remove_prefix(kBom.size());
  while (!text.empty()) {
    std::size_t end = text.find_first_of(std::string{separator, '\n'});
    std::string_view entry = Trim(text.substr(0, end));
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (entry.empty() || entry.front() == '#') continue;
    std::size_t eq = entry.find('=');
    if (eq == std::string_view::npos) continue;
    TPortType port;
    std::string_view device = Trim(entry.substr(eq + 1));
    if (!ParsePortName(Trim(entry.substr(0, eq)), port) || device.empty()) continue;
    result[port] = std::string(device);
  }
  return result;
}

std::string PortMappingFilePath() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  std::string base;
  if (xdg && *xdg) {
    base = xdg;
  } else {
    const char* home = std::getenv("HOME");
    base = std::string(home ? home : "") + "/.config";
  }
  return base + "/qm-interchange/ports.conf";
}

// Windows opens the names themselves and explains its own codes: PortNamesWin32.cpp.
#ifndef _WIN32
std::string ResolvePortDevice(TPortType port) {
  if (const char* env = std::getenv("QM_PORTS")) {
    auto mapping = ParsePortMapping(env, ';');
    if (auto it = mapping.find(port); it != mapping.end()) return it->second;
  }
  std::ifstream file(PortMappingFilePath());
  if (file) {
    std::ostringstream text;
    text << file.rdbuf();
    auto mapping = ParsePortMapping(text.str(), '\n');
    if (auto it = mapping.find(port); it != mapping.end()) return it->second;
  }
  return "/dev/ttyS" + std::to_string(static_cast<int>(port));
}

std::string ExplainOpenFailure(int systemCode, const std::string& path) {
  if (IsNetPortName(path)) return ExplainNetOpenFailure(systemCode, path);
  // The path is the file system's UTF-8; the sentence is Windows-1251.
  const std::string device = Win1251(path);
  switch (systemCode) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
      return Win1251("Устройство ") + device +
             Win1251(" не найдено: проверьте подключение адаптера и настройку портов.");
    case EACCES:
    case EPERM:
      return Win1251("Нет прав на доступ к устройству ") + device +
             Win1251(
                 ": пользователь должен входить в группу dialout (после включения в группу "
                 "нужно войти в систему заново).");
    case EBUSY:
    case EWOULDBLOCK:
      return Win1251("Устройство ") + device + Win1251(" занято другой программой.");
    default:
      return std::string();
  }
}

#endif  // _WIN32

}  // namespace qm
