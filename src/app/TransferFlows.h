// The scale transfers as the operator runs them from the main window: the questions before
// (the record number, "Подтвердите", the silent check and its "Результат проверки" question),
// the progress window, the boxes during and after, the page brought forward, the sort
// directions reset, the message editor's unwritten state cleared, the totals shown. Each
// command puts these around one operation of the session.
//
// Every command does nothing while LinkBusy is set. Finishing always hides the progress window
// and shows "Done."; the link's own failures (no answer, a port that cannot be opened) are boxes
// of the session's link failure handler (ShowLinkFailureBox).
//
// A table read that was neither cancelled nor stopped by the table changing ends with its
// completion box when it stored anything, also after the link failed later on. A write ends
// with its completion box only when every record went through. A refused write shows the
// offending row (when the rows were not rearranged meanwhile) and names it in an error box.
//
// Window thread only. Texts are Windows-1251.
#pragma once

#include <functional>
#include <string>

#include "app/TransferView.h"
#include "base/Dialogs.h"
#include "session/ScaleSession.h"

namespace qm {

// Tags of the commands that have two modes.
enum TransferTag : int { kWholeTable = 0, kCurrentRecord = 1 };

class TransferFlows {
 public:
  // Everything is borrowed and must outlive the flows.
  TransferFlows(ScaleSession& session, Dialogs& dialogs, TransferView& view)
      : session_(session), dialogs_(dialogs), view_(view) {}

  // Offers to save the totals shown before new ones are read (FileFlows::SaveBeforeTotalsRead);
  // false when writing the report failed. Empty: nothing is offered.
  void SetSaveTotalsBeforeRead(std::function<bool()> save) { saveTotals_ = std::move(save); }

  // PLU read. kCurrentRecord: asks for one number (0..MaxPluNo) and reads it into the current
  // row. kWholeTable: asks for the last number (1..MaxPluNo) and reads from the number of data
  // rows on, into the last row and then appended rows.
  void ReadPluClick(int tag);
  // PLU write of the current row (kCurrentRecord) or every row in table order (kWholeTable),
  // after a confirmation and a silent check of the PLU rows.
  void WritePLUClick(int tag);
  // The whole-table write of only the rows the scale lacks (ScaleSession::WritePluChanged),
  // after the same confirmation and check; the completion box as for the whole table, and the
  // counts sent and unchanged in the activity panel.
  void WriteChangedPluClick();
  // Message read: one number into the current row, or from the number of data rows on up to a
  // last number (into the current row first, then appended rows).
  void ReadMessageClick(int tag);
  // Message write of the current row's message or of messages 1..N, after a confirmation and a
  // silent check of the messages.
  void WriteMessagesClick(int tag);
  // Sales totals: read into the totals page (offering to save the shown ones first), erase.
  void ReadGTDClick();
  void ClearGTDClick();

 private:
  // The silent check before a write ("Testing..." then "Done." in panel 0): the PLU table
  // (checkPlu) or the messages, the current record only when `single`. True when nothing was
  // found or the operator chose to go on anyway.
  bool CheckedBeforeWrite(bool checkPlu, bool single);

  ScaleSession& session_;
  Dialogs& dialogs_;
  TransferView& view_;
  std::function<bool()> saveTotals_;
};

// What the activity panel shows after a write of changed records: "50 sent, 3950 unchanged",
// led by the number the scale disagreed with the ledger at, when it did.
std::string ChangedCountsText(const TransferReport& report);

// The box of a link failure: "Ошибка", error icon, OK. A lost link hides the progress window
// first.
void ShowLinkFailureBox(Dialogs& dialogs, const LinkFailure& failure);

}  // namespace qm
