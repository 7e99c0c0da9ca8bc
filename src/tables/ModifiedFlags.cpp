#include "tables/ModifiedFlags.h"

#include "base/StatusView.h"

namespace qm {

void ModifiedFlags::MarkModified(bool pluTable, bool messageTable) {
  if (!pluTable && !messageTable) return;
  plu_ = plu_ || pluTable;
  msg_ = msg_ || messageTable;
  Refresh();
}

void ModifiedFlags::SetTotalsModified(bool modified) {
  totals_ = modified;
  Refresh();
}

void ModifiedFlags::ClearPlu() {
  plu_ = false;
  Refresh();
}

void ModifiedFlags::ClearMessages() {
  msg_ = false;
  Refresh();
}

void ModifiedFlags::ClearTotals() {
  totals_ = false;
  Refresh();
}

void ModifiedFlags::ClearAll() {
  plu_ = msg_ = totals_ = false;
  Refresh();
}

void ModifiedFlags::Refresh() {
  if (view_) view_->SetSaveEnabled(Any());
}

}  // namespace qm
