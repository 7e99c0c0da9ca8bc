// Sales totals: read (command 0x85, 40-byte reply) and erase (command 0x86, acknowledgement
// only).
#include <string>

#include "transfer/GrandTotals.h"
#include "transfer/ScaleTransfers.h"
#include "transfer/TransferSupport.h"
#include "transfer/TransferTexts.h"

namespace qm {

namespace {

// What a totals command got: the command's result, or that the scale was not ready for it.
constexpr std::int32_t kNotSent = -1;

}  // namespace

void ScaleTransfers::ReadGTDClick() {
  if (c_.state.LinkBusy) return;
  LinkBusyScope busy(c_.state);
  bool wasConnected = false;
  if (!c_.link.BeginExchange(wasConnected)) return;

  auto body = [&] {
    // The totals shown are about to be replaced: offer to save them first. Saving gives LinkBusy
    // back as it found it, but take it again in case it did not.
    if (c_.saveTotalsBeforeRead) {
      const bool saved = c_.saveTotalsBeforeRead();
      c_.state.LinkBusy = true;
      // A failed save keeps the totals on the page, and so the chance to save them again.
      if (!saved) return;
    }
    c_.status.SetStatusText(kPanelActivity, kReadingGtdStatus);

    std::int32_t result = kNotSent;
    std::string data;
    if (ScaleReady(c_.link)) {
      result = c_.link.SendCommand(kCommandReadTotals, true, data, kGrandTotalsSize);
    }
    if (result == kCommandDone) {
      c_.totals = DecodeGrandTotals(data);
      c_.view.ShowTotals(c_.totals);
      c_.flags.SetTotalsModified(true);
    } else if (result == NotProgrammed) {
      ShowErrorBox(c_.dialogs, kTotalsReadErrorText);
    }
  };

  auto finish = [&] {
    c_.status.SetStatusText(kPanelActivity, kDoneStatus);
    c_.view.ShowPage(kTotalsPage);
    c_.link.EndExchange(wasConnected);
  };

  RunThenFinish(body, finish);
}

void ScaleTransfers::ClearGTDClick() {
  if (c_.state.LinkBusy) return;
  if (!AskYes(c_.dialogs, kAskClearTotals, kButtonNo)) return;

  LinkBusyScope busy(c_.state);
  bool wasConnected = false;
  if (!c_.link.BeginExchange(wasConnected)) return;
  c_.status.SetStatusText(kPanelActivity, kClearingGtdStatus);

  auto body = [&] {
    if (!ScaleReady(c_.link)) return;  // nothing erased, nothing said
    std::string data;
    const std::int32_t result = c_.link.SendCommand(kCommandClearTotals, false, data, 0);
    if (result == kCommandDone) {
      c_.totals = ClearedTotalsPage();
      c_.view.ShowTotals(c_.totals);
      c_.flags.ClearTotals();
    } else if (result == NotProgrammed) {
      ShowErrorBox(c_.dialogs, kTotalsClearErrorText);
    }
  };

  auto finish = [&] {
    c_.status.SetStatusText(kPanelActivity, kDoneStatus);
    c_.link.EndExchange(wasConnected);
  };

  RunThenFinish(body, finish);
}

}  // namespace qm
