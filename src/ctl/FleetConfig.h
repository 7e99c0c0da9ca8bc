// The list of scales a fleet run works on, `scales.conf`: one scale a line,
//
//   # name   port                 address  [model [version]]
//   deli     COM3                 1        15 4000
//   bakery   /dev/ttyUSB0         1
//   fish     /dev/ttyUSB1         2        6  200
//   meat     /dev/ttyUSB1         3
//
// Fields are separated by blanks or tabs. The name (letters, digits, '_', '-', '.'; any UTF-8
// letter) names the scale in the report and in output file names, so it must be unique. The
// port is written as qmctl's --port takes it; scales whose ports lead to the same line share
// it. The model and the version (rows of the model table, ScaleParams.h) default to the command
// line's --model and --version. Blank lines are skipped; '#' at the start of a field begins a
// comment that runs to the end of the line.
//
// The whole file is read before anything runs: every bad line is named by its number, and one
// bad line means nothing runs at all.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm::ctl {

struct FleetScale {
  int line = 0;  // in the file, from 1
  std::string name;
  std::string port;  // as written
  int address = 0;
  std::optional<int> model, version;
};

struct FleetConfigError {
  int line = 0;  // 0: the file as a whole
  std::string text;
};

struct FleetConfig {
  std::vector<FleetScale> scales;        // in file order
  std::vector<FleetConfigError> errors;  // in file order; empty when the file is whole
};

// The line a port (as written in the file) leads to: two ports are one line when their lines are
// equal.
using LineOfPort = std::function<std::string(const std::string& port)>;

// Reads the text of scales.conf (UTF-8, a byte-order mark in front skipped; CR LF line ends are
// taken as well). Checks what the file alone can tell: the shape of each line, the names (valid
// UTF-8), the numbers and repeated entries (one address on one line, by `lineOf`; without it, by
// the port as written). Whether a port name or an address is right for its model is the command
// line's business.
FleetConfig ParseFleetConfig(std::string_view text, const LineOfPort& lineOf = {});

}  // namespace qm::ctl
