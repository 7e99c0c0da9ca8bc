// Which device stands for each of the ports COM1..COM8. The operator always sees "COM1".."COM8";
// the device behind each name is, by default, /dev/ttyS0../dev/ttyS7, and can be remapped
// without recompiling:
//   * a text file $XDG_CONFIG_HOME/qm-interchange/ports.conf (or ~/.config/qm-interchange/...)
//     with lines "COM2=/dev/ttyUSB0"; blank lines and lines starting with '#' are skipped;
//   * the environment variable QM_PORTS="COM2=/tmp/scale;COM3=/dev/ttyUSB1", which wins over
//     the file (for demos and tests).
// A device may also be a network serial line, "tcp://HOST:PORT" or "rfc2217://HOST:PORT"
// (NetPortUrl.h).
// Port names are matched without regard to case; blanks around names and paths are dropped.
// On Windows the names are the system's own devices; only network lines are mapped there (from
// QM_PORTS or %APPDATA%\qm-interchange\ports.conf), a serial device keeps its own name.
#pragma once

#include <map>
#include <string>
#include <string_view>

#include "base/LineSettings.h"

namespace qm {

// "COM1".."COM8".
std::string PortName(TPortType port);
// The device path opened for `port`, after the file and the environment were consulted.
std::string ResolvePortDevice(TPortType port);
// The path of the mapping file (it need not exist).
std::string PortMappingFilePath();
// Parses mapping text ("COM2=/dev/ttyUSB0" entries separated by `separator` or line ends) into
// port -> device; entries that do not name COM1..COM8 are ignored. A UTF-8 byte-order mark in
// front of the text is skipped.
std::map<TPortType, std::string> ParsePortMapping(std::string_view text, char separator);

// A sentence for the operator (Windows-1251, Russian) saying why `device` could not be opened,
// given the system's error code: missing device, no permission (and the dialout group), or in
// use; for network lines (NetPortUrl.h) what went wrong with the address or the server. Empty
// when the code has no plainer explanation than the system's number.
std::string ExplainOpenFailure(int systemCode, const std::string& device);

}  // namespace qm
