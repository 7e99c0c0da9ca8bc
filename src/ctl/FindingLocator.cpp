#include "ctl/FindingLocator.h"

#include "base/Cp1251.h"
#include "tables/PluColumns.h"

namespace qm::ctl {

void FindingLocator::ShowPluPage() {
  dialogs_.SetFindingPrefix(file_ + ": ");
}

void FindingLocator::SelectPluCell(int column, int row) {
  dialogs_.SetFindingPrefix(file_ + ": row " + std::to_string(row) + " (" +
                            Utf8(PluColumnTitles().at(static_cast<std::size_t>(column))) + "): ");
}

void FindingLocator::ShowMessagePage() {
  dialogs_.SetFindingPrefix(file_ + ": ");
}

bool FindingLocator::SelectMessage(int number) {
  dialogs_.SetFindingPrefix(file_ + ": message " + std::to_string(number) + ": ");
  return true;
}

}  // namespace qm::ctl
