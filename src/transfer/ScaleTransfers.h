// The data transfers between the tables and the scale: PLU records (read one or a whole table,
// write the current row or the whole table), messages (likewise) and the sales totals (read,
// erase). Each is one command of the main window, run on the window thread over the link.
//
// Every command does nothing while LinkBusy is set, and otherwise holds it from before its first
// exchange until it has finished, however it ends (a refusal, a lost link, Cancel, an exception
// from the port). Finishing always hides the progress window, shows "Done." and gives the link
// back (the live poll resumes, or a link the command opened is closed again).
//
// Robustness while the link waits (events run then, the window may be closed, the Connect
// button cut the line): after every exchange the command checks that the link is still open and
// that the table it works on was not restructured (rows inserted, removed, reordered, replaced)
// by anyone but itself. A closed link ends the loop as a lost link does; a restructured table
// ends it like Cancel (no completion box), and a record that arrived after the change is not
// stored, because the row it was meant for is no longer known. Rows already stored are kept.
//
// Write answers: 0xAA is success; 0xEE a refusal; any other byte, 0x00 included, is a failed
// write that names the byte. Both stop the write with the offending row selected and no
// completion box.
//
// Texts are Windows-1251.
#pragma once

#include <functional>

#include "base/Dialogs.h"
#include "base/RunState.h"
#include "base/StatusView.h"
#include "link/ScaleLink.h"
#include "tables/MessageTable.h"
#include "tables/ModifiedFlags.h"
#include "tables/TextGrid.h"
#include "tables/TotalsPage.h"
#include "transfer/TransferView.h"

namespace qm {

// Commands of the protocol.
inline constexpr std::uint8_t kCommandReadPlu = 0x81;
inline constexpr std::uint8_t kCommandWritePlu = 0x82;
inline constexpr std::uint8_t kCommandReadMessage = 0x83;
inline constexpr std::uint8_t kCommandWriteMessage = 0x84;
inline constexpr std::uint8_t kCommandReadTotals = 0x85;
inline constexpr std::uint8_t kCommandClearTotals = 0x86;

// Tags of the commands that have two modes.
enum TransferTag : int { kWholeTable = 0, kCurrentRecord = 1 };

// The parts of the main window the transfers work on. None is owned; all must outlive the
// ScaleTransfers object.
struct TransferContext {
  ScaleLink& link;
  RunState& state;     // LinkBusy, CurrentScale
  StatusView& status;  // panels 0, 5, 6
  Dialogs& dialogs;
  TextGrid& plu;           // the PLU table
  MessageTable& messages;  // the message list and texts
  ModifiedFlags& flags;    // PluTableModified, MessageTableModified, TotalsModified, Save button
  TotalsPage& totals;      // the totals page the window shows
  TransferView& view;
  // Offers to save the totals shown before new ones are read (DataFiles::SaveBeforeTotalsRead);
  // false when writing the report failed. Empty: nothing is offered.
  std::function<bool()> saveTotalsBeforeRead;
};

class ScaleTransfers {
 public:
  explicit ScaleTransfers(TransferContext context) : c_(context) {}

  // PLU read. kCurrentRecord: asks for one number (0..MaxPluNo) and reads it into the current
  // row. kWholeTable: asks for the last number (1..MaxPluNo) and reads from the number of data
  // rows on, into the last row and then appended rows.
  void ReadPluClick(int tag);
  // PLU write of the current row (kCurrentRecord) or every row in table order (kWholeTable),
  // after a confirmation and a silent check of the PLU rows.
  void WritePLUClick(int tag);
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
  TransferContext c_;
};

}  // namespace qm
