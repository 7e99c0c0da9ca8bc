#include "ui/transfer/MainFormTransfers.h"

#include <QApplication>
#include <QTabWidget>
#include <exception>

#include "app/TransferFlows.h"
#include "base/Cp1251.h"
#include "base/Dialogs.h"
#include "session/ScaleSession.h"
#include "transfer/GrandTotals.h"
#include "ui/tables/MessageEditor.h"
#include "ui/tables/PluRowEditor.h"
#include "ui/tables/TSortGrid.h"
#include "ui/tables/TablesWindow.h"
#include "ui/transfer/TotalsView.h"
#include "ui/transfer/TransferInputGuard.h"

namespace qm {

MainFormTransfers::MainFormTransfers(QWidget* window, const MainPages& pages, TablesWindow& tables,
                                     ScaleSession& session, Dialogs& dialogs)
    : window_(window),
      pages_(pages),
      tables_(tables),
      dialogs_(dialogs),
      totals_(session.Totals()),
      totalsView_(std::make_unique<TotalsView>(pages.TotalsPage)),
      hold_(std::make_unique<WindowTransferHold>(window)),
      session_(session) {
  session_.SetExchangeHold(hold_.get());
  flows_ = std::make_unique<TransferFlows>(session_, dialogs_, *this);
  totalsView_->Show(totals_);
}

MainFormTransfers::~MainFormTransfers() {
  session_.SetExchangeHold(nullptr);
}

void MainFormTransfers::SetSaveTotalsBeforeRead(std::function<bool()> save) {
  flows_->SetSaveTotalsBeforeRead(std::move(save));
}

void MainFormTransfers::LetThroughDuringTransfers(QAction* action) {
  hold_->LetThrough(action);
}

// ---- TransferView ----

void MainFormTransfers::ShowPage(int page) {
  QTabWidget* pages = pages_.PageControl;
  if (pages->currentIndex() != page) {
    pages->setCurrentIndex(page);  // the page change shows the current record
  } else {
    tables_.PageControlChange(page);
  }
}

namespace {

// Moves the focus to `grid`. The editors settle their pending edits when the focus leaves them;
// the window tells them so only while it is active, so an inactive window asks `exit` directly.
template <typename Exit>
void FocusGridSettling(QWidget& window, QWidget* grid, Exit exit) {
  QWidget* leaving = window.focusWidget();
  const bool active = window.isActiveWindow();
  grid->setFocus(Qt::OtherFocusReason);
  if (!active && leaving && leaving != grid) exit(leaving, grid);
}

}  // namespace

void MainFormTransfers::SettlePluEditor() {
  PluRowEditor& editor = tables_.PluEditor();
  FocusGridSettling(*window_, tables_.PLUSortGrid, [&](QWidget* leaving, QWidget* grid) {
    editor.PLURowEditExit(leaving, grid, true);
  });
}

void MainFormTransfers::SettleMessageEditor() {
  MessageEditor& editor = tables_.MsgEditor();
  FocusGridSettling(*window_, tables_.MsgSortGrid, [&](QWidget* leaving, QWidget* grid) {
    editor.MsgRichEditExit(leaving, grid);
  });
}

void MainFormTransfers::ClearMessageDirty() {
  tables_.MsgEditor().ClearMessageDirty();
}

void MainFormTransfers::ResetPluSortDirections() {
  tables_.PluCmds().ResetSortToggles();
}

void MainFormTransfers::ResetMessageSortDirections() {
  tables_.MsgCmds().ResetSortToggles();
}

void MainFormTransfers::ShowTotals(const TotalsPage& page) {
  totals_ = page;
  totalsView_->Show(totals_);
}

}  // namespace qm
