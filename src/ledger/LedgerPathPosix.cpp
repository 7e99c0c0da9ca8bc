#include <cstdlib>
#include <filesystem>

#include "ledger/Ledger.h"

namespace qm {

std::string Ledger::DefaultPath() {
  std::filesystem::path folder;
  if (const char* state = std::getenv("XDG_STATE_HOME"); state && *state) {
    folder = state;
  } else if (const char* home = std::getenv("HOME"); home && *home) {
    folder = std::filesystem::path(home) / ".local" / "state";
  }
  return (folder / "qm-interchange" / "ledger.sqlite").string();
}

}  // namespace qm
