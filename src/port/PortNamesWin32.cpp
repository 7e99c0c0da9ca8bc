// Port names on Windows: COM1..COM8 are the system's own device names, opened as they are. A
// port may lead to a scale behind a network serial server instead: "COM3=rfc2217://host:4001"
// in QM_PORTS or in %APPDATA%\qm-interchange\ports.conf (only network lines are taken from
// there; a serial device keeps its own name).
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "base/Cp1251.h"
#include "port/NetPortUrl.h"
#include "port/PortNames.h"

namespace qm {

namespace {

std::string NetworkLineFor(TPortType port, const std::string& mappingText, char separator) {
  const auto mapping = ParsePortMapping(mappingText, separator);
  const auto it = mapping.find(port);
  return it != mapping.end() && IsNetPortName(it->second) ? it->second : std::string();
}

}  // namespace

std::string ResolvePortDevice(TPortType port) {
  if (const char* env = std::getenv("QM_PORTS")) {
    if (std::string line = NetworkLineFor(port, env, ';'); !line.empty()) return line;
  }
  if (const char* appData = std::getenv("APPDATA")) {
    std::ifstream file(std::string(appData) + "\\qm-interchange\\ports.conf");
    if (file) {
      std::ostringstream text;
      text << file.rdbuf();
      if (std::string line = NetworkLineFor(port, text.str(), '\n'); !line.empty()) return line;
    }
  }
  return PortName(port);
}

std::string ExplainOpenFailure(int systemCode, const std::string& device) {
  // A network line's codes are the socket's, read the same way on every platform.
  if (IsNetPortName(device)) return ExplainNetOpenFailure(systemCode, device);
  switch (systemCode) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_BAD_UNIT:
    case ERROR_DEV_NOT_EXIST:
      return Win1251("Порт ") + device +
             Win1251(" не найден: проверьте подключение адаптера и номер порта в диспетчере "
                     "устройств.");
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_BUSY:
      // Windows answers "access denied" for a port another program holds open.
      return Win1251("Порт ") + device + Win1251(" занят другой программой.");
    default:
      return std::string();  // the port's own message, with the code, says it best
  }
}

}  // namespace qm
