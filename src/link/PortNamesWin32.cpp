// Port names on Windows: COM1..COM8 are the system's own device names, opened as they are.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "base/Cp1251.h"
#include "link/PortNames.h"

namespace qm {

std::string ResolvePortDevice(TPortType port) {
  return PortName(port);
}

std::string ExplainOpenFailure(int systemCode, const std::string& device) {
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
