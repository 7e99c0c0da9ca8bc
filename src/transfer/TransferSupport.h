// Pieces the transfer commands share: the watch on the table a transfer fills, the finish that
// runs however the loop ended, the readiness test and the message boxes.
#pragma once

#include <cstdint>
#include <exception>
#include <optional>
#include <string>
#include <utility>

#include "base/Dialogs.h"
#include "base/WireCodecs.h"
#include "link/ScaleLink.h"
#include "tables/TextGrid.h"
#include "transfer/ScaleTransfers.h"

namespace qm {

// Notices when the rows of a grid are inserted, removed, reordered or replaced by anyone but the
// transfer itself while the transfer runs (events run inside the link's waits). Row indices
// the transfer decided on are stale from then on. Cell edits and moves of the current cell do
// not count. The grid must outlive the watch.
class GridWatch : public GridObserver {
 public:
  explicit GridWatch(TextGrid& grid) : grid_(grid) { grid_.AddObserver(this); }
  ~GridWatch() override { grid_.RemoveObserver(this); }
  GridWatch(const GridWatch&) = delete;
  GridWatch& operator=(const GridWatch&) = delete;

  bool Changed() const { return changed_; }

  // Runs a change the transfer makes itself (appending a row) without counting it.
  template <typename F>
  void Own(F&& change) {
    own_ = true;
    try {
      std::forward<F>(change)();
    } catch (...) {
      own_ = false;
      throw;
    }
    own_ = false;
  }

  void RowsAboutToBeInserted(int, int) override { Mark(); }
  void RowsAboutToBeRemoved(int, int) override { Mark(); }
  void AboutToReorder() override { Mark(); }
  void AboutToReset() override { Mark(); }

 private:
  void Mark() {
    if (!own_) changed_ = true;
  }
  TextGrid& grid_;
  bool own_ = false;
  bool changed_ = false;
};

// Runs `body`, then `finish`, also when `body` throws; the exception then goes on after the
// finish has run.
template <typename Body, typename Finish>
void RunThenFinish(Body&& body, Finish&& finish) {
  std::exception_ptr failure;
  try {
    body();
  } catch (...) {
    failure = std::current_exception();
  }
  finish();
  if (failure) std::rethrow_exception(failure);
}

// SelectScale, going on only on the ready status 0x80: a wrong echo, a failure and the status
// 0xDD with a number all count as not ready.
bool ScaleReady(ScaleLink& link);

// Message boxes of the transfers.
void ShowErrorBox(Dialogs& dialogs, const std::string& text);
void ShowDoneBox(Dialogs& dialogs, const std::string& text);
// "Подтвердите", Yes/No, question icon; true only for Yes.
bool AskYes(Dialogs& dialogs, const std::string& question,
            DialogButton defaultButton = kButtonNone);
// The question after a silent check that found something; true only for Yes (No is default).
bool AskGoOnDespiteFindings(Dialogs& dialogs, int errors, int warnings);

// The silent check before a write ("Testing..." then "Done." in panel 0): the PLU table
// (checkPlu) or the messages, the current record only when `single`. True when nothing was
// found or the operator chose to go on anyway.
bool CheckedBeforeWrite(const TransferContext& c, bool checkPlu, bool single);

// How a table read has gone so far: whether a record was stored, and whether it stopped like
// Cancel (the operator's Cancel, or the table restructured meanwhile), which leaves out the
// completion box.
struct ReadOutcome {
  bool stored = false;
  bool cancelled = false;
};

// The request of a table read: the command, the width of the record number (little-endian bytes)
// and the size of the reply.
struct ReadRequest {
  std::uint8_t command;
  int numberBytes;
  int replySize;
};

// The loop of a table read over the numbers first..last. Each record received goes to
// store(reply, isFirst), unless the table was restructured during the wait. A number the scale
// has not programmed is passed over in a whole-table read; a single read shows absentText(k) and
// stops. `outcome` is kept up to date as the loop runs, so the finish sees it also after an
// exception.
template <typename Store, typename AbsentText>
void ReadRecords(const TransferContext& c, const GridWatch& watch, bool single, std::int32_t first,
                 std::int32_t last, const ReadRequest& request, Store&& store,
                 AbsentText&& absentText, ReadOutcome& outcome) {
  bool firstPending = true;
  for (std::int32_t k = first; k <= last; ++k) {
    if (!ScaleReady(c.link)) break;
    std::string data = IntToLeBytes(k, request.numberBytes);
    const std::int32_t result = c.link.SendCommand(request.command, true, data, request.replySize);
    if (result == kCommandDone) {
      if (watch.Changed()) {  // the rows were rearranged during the wait: stop unfinished
        outcome.cancelled = true;
        break;
      }
      store(data, firstPending);
      firstPending = false;
      outcome.stored = true;
    } else if (result == NotProgrammed) {
      if (single) {
        ShowErrorBox(c.dialogs, absentText(k));
        break;
      }
    } else if (result == NoAnswer) {
      break;
    }
    if (!single && c.dialogs.StepProgress(k)) {
      outcome.cancelled = true;
      break;
    }
    if (watch.Changed()) {
      outcome.cancelled = true;
      break;
    }
    if (!c.link.IsOpen()) break;
  }
}

// The loop of a table write over the items first..last (rows or message numbers). encode(n)
// gives the record to send, or nothing when the item cannot be sent (it has told the operator
// why); refused(n, result) tells the operator of a refusal or an odd answer. `success` is true
// while the writes go through and false once anything stops the loop; it is kept up to date as
// the loop runs, so the finish sees it also after an exception.
template <typename Encode, typename Refused>
void WriteRecords(const TransferContext& c, const GridWatch& watch, bool single, int first,
                  int last, std::uint8_t command, Encode&& encode, Refused&& refused,
                  bool& success) {
  for (int n = first; n <= last; ++n) {
    // The table was rearranged while events ran: item n is no longer the one meant.
    if (watch.Changed() || !c.link.IsOpen()) {
      success = false;
      break;
    }
    std::optional<std::string> record = encode(n);
    if (!record) {
      success = false;
      break;
    }
    // Not known to be written until the scale acknowledged it; an exception from the port
    // during this exchange must not leave the previous record's success standing.
    success = false;
    if (!ScaleReady(c.link)) break;
    const std::int32_t result = c.link.SendCommand(command, false, *record, 0);
    if (result == kCommandDone) {
      success = true;
    } else if (result == NoAnswer) {
      success = false;
      break;
    } else {
      // Refused, or answered with a byte that says nothing about the record: either way it is
      // not known to be stored, so the operator is shown the item and the write stops.
      refused(n, result);
      success = false;
      break;
    }
    if (!single && c.dialogs.StepProgress(n)) {
      success = false;
      break;
    }
  }
}

// The end of a table read, after the table's page is shown: the progress window hidden, "Done.",
// the table's count in `countPanel`, the completion box for a whole-table read that stored
// something and was not cancelled, and the link given back.
void FinishTableRead(const TransferContext& c, bool wasConnected, bool single,
                     const ReadOutcome& outcome, int countPanel, const std::string& countText,
                     const std::string& doneText);

// The end of a table write: the progress window hidden, "Done.", the completion box when it went
// through, and the link given back.
void FinishTableWrite(const TransferContext& c, bool wasConnected, bool success,
                      const std::string& doneText);

// The byte a write was answered with instead of the acknowledgement, 0..255 (SendCommand gives
// kAnswerZeroByte for 0x00).
int AnswerByte(std::int32_t result);

}  // namespace qm
