#include "ui/files/MainFormFiles.h"

#include "base/Dialogs.h"
#include "base/RunState.h"
#include "base/StatusView.h"
#include "ui/tables/PluRowEditor.h"
#include "ui/tables/TablesWindow.h"

namespace qm {

MainFormFiles::MainFormFiles(TablesWindow& tables, RunState& state, StatusView& status,
                             Dialogs& dialogs, EventPump& pump, const TotalsPage& totalsShown)
    : tables_(tables), state_(state), status_(status), totalsShown_(totalsShown) {
  SessionTables& data = tables.Data();
  files_ = std::make_unique<FileFlows>(FileFlowContext{
      data.plu, data.messages, data.flags, data.files, tables.PluCmds(), tables.MsgCmds(), state,
      status, dialogs, &pump, *this});
  // Save is disabled at start; from here on the status view keeps it as the modified flags say.
  ShowSaveState();
}

MainFormFiles::~MainFormFiles() = default;

void MainFormFiles::ShowSaveState() {
  status_.SetSaveEnabled(tables_.Flags().Any());
}

// ---- Commands ----

void MainFormFiles::NewClick() {
  files_->NewClick();
  ShowSaveState();
}

void MainFormFiles::NewPluClick() {
  files_->NewPluClick();
  ShowSaveState();
}

void MainFormFiles::NewMsgClick() {
  files_->NewMsgClick();
  ShowSaveState();
}

void MainFormFiles::OpenClick() {
  files_->OpenClick();
  ShowSaveState();
}

void MainFormFiles::SaveClick() {
  if (state_.LinkBusy) return;
  files_->SaveClick();
  ShowSaveState();
}

void MainFormFiles::SaveMenuClick(int tag) {
  if (state_.LinkBusy) return;
  files_->SaveMenuClick(tag);
  ShowSaveState();
}

bool MainFormFiles::SaveOnClose() {
  const bool saved = files_->SaveOnClose();
  ShowSaveState();
  return saved;
}

// ---- FileFlowHooks ----

void MainFormFiles::ShowPluPage() {
  tables_.ShowPluPage();
}

void MainFormFiles::ShowMessagePage() {
  tables_.ShowMessagePage();
}

void MainFormFiles::ShowCurrentPluRow() {
  tables_.PluEditor().Refresh();
}

TotalsPage MainFormFiles::TotalsShown() const {
  return totalsShown_;
}

}  // namespace qm
