// Pieces the transfer commands share: the watch on the table a transfer fills, the finish that
// runs however the loop ended, the readiness test and the message boxes.
#pragma once

#include <exception>
#include <string>
#include <utility>

#include "app/Dialogs.h"
#include "link/ScaleLink.h"
#include "tables/TextGrid.h"

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

// The byte a write was answered with instead of the acknowledgement, 0..255 (SendCommand gives
// kAnswerZeroByte for 0x00).
int AnswerByte(std::int32_t result);

}  // namespace qm
