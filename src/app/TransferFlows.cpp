#include "app/TransferFlows.h"

#include <optional>
#include <string>

#include "base/AskNumber.h"
#include "base/Captions.h"
#include "base/Cp1251.h"
#include "base/NumberText.h"
#include "link/LinkExchange.h"
#include "tables/PluColumns.h"
#include "tables/Validation.h"
#include "transfer/TransferTexts.h"

namespace qm {

namespace {

void ShowErrorBox(Dialogs& dialogs, const std::string& text) {
  dialogs.ShowMessage({text, kErrorCaption, DialogIcon::Error, kButtonOk, kButtonOk});
}

void ShowDoneBox(Dialogs& dialogs, const std::string& text) {
  dialogs.ShowMessage({text, kDoneCaption, DialogIcon::Information, kButtonOk, kButtonOk});
}

// "Подтвердите", Yes/No, question icon; true only for Yes.
bool AskYes(Dialogs& dialogs, const std::string& question,
            DialogButton defaultButton = kButtonNone) {
  return dialogs.ShowMessage({question, kConfirmCaption, DialogIcon::Question,
                              kButtonYes | kButtonNo, defaultButton}) == kButtonYes;
}

// The progress window of a whole-table transfer; a single record shows none.
class ProgressObserver : public TransferObserver {
 public:
  ProgressObserver(Dialogs& dialogs, bool single, const std::string& title,
                   const std::string& label)
      : dialogs_(dialogs), single_(single), title_(title), label_(label) {}
  void Started(int first, int last) override {
    if (!single_) dialogs_.ShowProgress(title_, label_, last, first);
  }
  bool Step(int position) override { return !single_ && dialogs_.StepProgress(position); }

 protected:
  Dialogs& dialogs_;
  bool single_;

 private:
  const std::string& title_;
  const std::string& label_;
};

// A table read: the page brought forward, the completion box of a whole-table read that stored
// something and was not stopped early, an unprogrammed single record named in a box.
class ReadObserver : public ProgressObserver {
 public:
  ReadObserver(Dialogs& dialogs, bool single, const std::string& title, const std::string& done,
               std::function<void()> showPage)
      : ProgressObserver(dialogs, single, title, kReadCountLabel),
        done_(done),
        showPage_(std::move(showPage)) {}
  void Stopped(const TransferReport& report, bool) override {
    ShowErrorBox(dialogs_, report.message);
  }
  void Finishing(const TransferReport&) override {
    showPage_();
    dialogs_.HideProgress();
  }
  void Finished(const TransferReport& report) override {
    if (!single_ && !report.Stopped() && report.stored > 0) ShowDoneBox(dialogs_, done_);
  }
  std::function<void()> firstRecord;
  void FirstRecordArriving() override {
    if (firstRecord) firstRecord();
  }

 private:
  const std::string& done_;
  std::function<void()> showPage_;
};

// A table write: the offending item shown and named, the completion box when all went through.
class WriteObserver : public ProgressObserver {
 public:
  WriteObserver(Dialogs& dialogs, bool single, const std::string& title, const std::string& done,
                std::function<void(const TransferReport&, bool)> showItem)
      : ProgressObserver(dialogs, single, title, kWrittenCountLabel),
        done_(done),
        showItem_(std::move(showItem)) {}
  void Stopped(const TransferReport& report, bool rowStillValid) override {
    dialogs_.HideProgress();
    showItem_(report, rowStillValid);
    ShowErrorBox(dialogs_, report.message);
  }
  void Finishing(const TransferReport&) override { dialogs_.HideProgress(); }
  void Finished(const TransferReport& report) override {
    // A write of changed records that found nothing to send leaves the table on the scale too.
    if (report.status == TransferStatus::Done && (report.stored > 0 || report.unchanged > 0)) {
      if (afterDone) afterDone(report);
      ShowDoneBox(dialogs_, done_);
    }
  }
  std::function<void(const TransferReport&)> afterDone;

 private:
  const std::string& done_;
  std::function<void(const TransferReport&, bool)> showItem_;
};

// The totals commands: the page shown, a refusal named in a box.
class TotalsObserver : public TransferObserver {
 public:
  TotalsObserver(Dialogs& dialogs, TransferView& view) : dialogs_(dialogs), view_(view) {}
  void TotalsChanged(const TotalsPage& page) override { view_.ShowTotals(page); }
  void Stopped(const TransferReport& report, bool) override {
    ShowErrorBox(dialogs_, report.message);
  }
  bool BeforeTotalsRead() override { return !saveFirst || saveFirst(); }
  void Finished(const TransferReport&) override {
    if (showPage) view_.ShowPage(kTotalsPage);
  }
  std::function<bool()> saveFirst;
  bool showPage = false;

 private:
  Dialogs& dialogs_;
  TransferView& view_;
};

// A write the ledger of what the scale holds stopped before anything was sent.
void ShowLedgerFailure(Dialogs& dialogs, const TransferReport& report) {
  if (report.status != TransferStatus::LedgerFailed) return;
  ShowErrorBox(dialogs, Win1251("Ничего не записано: журнал записей весов недоступен (" +
                                report.ledgerError + ")."));
}

}  // namespace

std::string ChangedCountsText(const TransferReport& report) {
  std::string text = std::to_string(report.stored) + " sent, " +
                     std::to_string(report.unchanged) + " unchanged";
  if (report.ledgerDisagrees) {
    text = "PLU " + std::to_string(*report.ledgerDisagrees) + " differs on the scale: " + text;
  }
  return text;
}

namespace {

// The PLU write of both commands: `changed` sends only the rows the scale lacks.
void RunPluWrite(ScaleSession& session, Dialogs& dialogs, TransferView& view, bool single,
                 bool changed) {
  TextGrid& grid = session.Plu();
  WriteObserver observer(dialogs, single, kWritePluTableTitle,
                         single ? kPluRowWrittenText : kPluTableWrittenText,
                         [&](const TransferReport& report, bool rowStillValid) {
                           view.ShowPage(kPluPage);
                           if (rowStillValid && report.failedRow)
                             grid.MoveToCell(grid.CurrentColumn(), *report.failedRow);
                         });
  const int first = single ? grid.CurrentRow() : 1;
  const int last = single ? first : grid.RowCount() - 1;
  if (changed) {
    observer.afterDone = [&](const TransferReport& report) {
      session.Status().SetStatusText(kPanelActivity, ChangedCountsText(report));
    };
    ShowLedgerFailure(dialogs, session.WritePluChanged(first, last, {}, observer));
  } else {
    ShowLedgerFailure(dialogs, session.WritePlu(first, last, observer));
  }
}

}  // namespace

void ShowLinkFailureBox(Dialogs& dialogs, const LinkFailure& failure) {
  if (failure.kind == LinkFailure::Kind::NoAnswer) dialogs.HideProgress();
  MessageBoxRequest box;
  box.text = failure.text;
  box.caption = kErrorCaption;
  box.icon = DialogIcon::Error;
  box.buttons = kButtonOk;
  dialogs.ShowMessage(box);
}

bool TransferFlows::CheckedBeforeWrite(bool checkPlu, bool single) {
  StatusView& status = session_.Status();
  status.SetStatusText(kPanelActivity, kTestingStatus, true);
  ValidationOptions options;
  options.checkPlu = checkPlu;
  options.checkMessages = !checkPlu;
  options.silent = true;
  options.currentOnly = single;
  const ValidationResult check = ValidateData(options, session_.Plu(), session_.Messages(),
                                              session_.State().CurrentScale, nullptr, nullptr);
  status.SetStatusText(kPanelActivity, kDoneStatus);
  if (check.errors == 0 && check.warnings == 0) return true;
  return dialogs_.ShowMessage({CheckResultQuestion(check.errors, check.warnings),
                               kCheckResultCaption, DialogIcon::Error, kButtonYes | kButtonNo,
                               kButtonNo}) == kButtonYes;
}

void TransferFlows::ReadPluClick(int tag) {
  RunState& state = session_.State();
  if (state.LinkBusy) return;
  const bool single = tag == kCurrentRecord;
  TextGrid& grid = session_.Plu();
  const std::int32_t maxPlu = state.CurrentScale.MaxPluNo;

  std::optional<std::int32_t> number;
  if (single) {
    const std::int32_t shown = ParseInt(grid.Cell(kPluNo, grid.CurrentRow())).value_or(1);
    number = AskNumber(dialogs_, kAskPluNoPrompt, kBadPluNoError, 0, maxPlu, std::to_string(shown));
  } else {
    number =
        AskNumber(dialogs_, kAskLastPluNoPrompt, kBadPluNoError, 1, maxPlu, std::to_string(maxPlu));
  }
  if (!number) return;

  ReadObserver observer(dialogs_, single, kReadPluTableTitle, kPluTableReadText, [&] {
    // Save was enabled by MarkModified when the first record was stored.
    if (!single) view_.ResetPluSortDirections();
    view_.ShowPage(kPluPage);
  });
  if (single) {
    session_.ReadOnePlu(*number, grid.CurrentRow(), observer);
  } else {
    session_.ReadPluTable(*number, observer);
  }
}

void TransferFlows::WritePLUClick(int tag) {
  if (session_.State().LinkBusy) return;
  const bool single = tag == kCurrentRecord;

  if (!AskYes(dialogs_, single ? kAskWritePluRow : kAskWritePluTable)) return;
  view_.SettlePluEditor();

  // LinkBusy from the check on, as the transfer holds it.
  LinkBusyScope busy(session_.State());
  if (!CheckedBeforeWrite(true, single)) return;
  RunPluWrite(session_, dialogs_, view_, single, false);
}

void TransferFlows::WriteChangedPluClick() {
  if (session_.State().LinkBusy) return;
  if (!AskYes(dialogs_, kAskWritePluTable)) return;
  view_.SettlePluEditor();
  LinkBusyScope busy(session_.State());
  if (!CheckedBeforeWrite(true, false)) return;
  RunPluWrite(session_, dialogs_, view_, false, true);
}

void TransferFlows::ReadMessageClick(int tag) {
  RunState& state = session_.State();
  if (state.LinkBusy) return;
  const bool single = tag == kCurrentRecord;
  MessageTable& table = session_.Messages();
  const std::int32_t maxMessages = state.CurrentScale.MaxMessages;

  const std::optional<std::int32_t> number = single
                                  ? AskNumber(dialogs_, kAskMessageNoPrompt, kBadMessageNoError, 1,
                                              maxMessages, std::to_string(table.CurrentNumber()))
                                  : AskNumber(dialogs_, kAskLastMessageNoPrompt, kBadMessageNoError,
                                              1, maxMessages, std::to_string(maxMessages));
  if (!number) return;

  ReadObserver observer(dialogs_, single, kReadMsgTableTitle, kMsgTableReadText, [&] {
    // Save was enabled by MarkModified when the first message was stored.
    if (!single) view_.ResetMessageSortDirections();
    view_.ShowPage(kMessagePage);
  });
  // The message editor's keystrokes are replaced by the message read.
  observer.firstRecord = [&] { view_.ClearMessageDirty(); };
  if (single) {
    session_.ReadOneMessage(*number, table.Grid().CurrentRow(), observer);
  } else {
    session_.ReadMessageTable(*number, observer);
  }
}

void TransferFlows::WriteMessagesClick(int tag) {
  if (session_.State().LinkBusy) return;
  const bool single = tag == kCurrentRecord;
  MessageTable& table = session_.Messages();
  TextGrid& grid = table.Grid();

  if (!AskYes(dialogs_, single ? kAskWriteMessage : kAskWriteMessages)) return;
  view_.SettleMessageEditor();

  LinkBusyScope busy(session_.State());
  if (!CheckedBeforeWrite(false, single)) return;

  WriteObserver observer(dialogs_, single, kWriteMsgTableTitle,
                         single ? kMessageWrittenText : kMessagesWrittenText,
                         [&](const TransferReport& report, bool rowStillValid) {
                           view_.ShowPage(kMessagePage);
                           if (!rowStillValid) return;
                           if (const std::optional<int> row = table.FindRow(report.failedNumber.value_or(-1))) {
                             grid.MoveToCell(kMsgName, *row);
                           }
                         });
  const int first = single ? table.CurrentNumber() : 1;
  const int last = single ? first : grid.RowCount() - 1;
  ShowLedgerFailure(dialogs_, session_.WriteMessages(first, last, observer));
}

void TransferFlows::ReadGTDClick() {
  if (session_.State().LinkBusy) return;
  TotalsObserver observer(dialogs_, view_);
  observer.saveFirst = saveTotals_;
  observer.showPage = true;
  session_.ReadTotals(observer);
}

void TransferFlows::ClearGTDClick() {
  if (session_.State().LinkBusy) return;
  if (!AskYes(dialogs_, kAskClearTotals, kButtonNo)) return;
  TotalsObserver observer(dialogs_, view_);
  session_.ClearTotals(observer);
}

}  // namespace qm
