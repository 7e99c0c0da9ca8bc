#include <cstdlib>
#include <filesystem>

#include "ledger/Ledger.h"

namespace qm {

std::string Ledger::DefaultPath() {
  std::filesystem::path folder;
  if (const char* local = std::getenv("LOCALAPPDATA"); local && *local) folder = local;
  return (folder / "qm-interchange" / "ledger.sqlite").string();
}

}  // namespace qm
