// qmctl: the scale transfers, checks and file conversions of the window program, for scripts.
#include <iostream>

#include "ctl/Console.h"
#include "ctl/Qmctl.h"

int main(int argc, char** argv) {
  qm::ctl::InstallStopHandler();
  std::vector<std::string> args(argv + 1, argv + argc);
  return qm::ctl::RunQmctl(args, {std::cout, std::cerr, qm::ctl::StderrIsTerminal()});
}
