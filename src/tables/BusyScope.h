// Holds LinkBusy for a long table operation (checking, matching) and, however the operation
// ends, clears it again and shows "Done." in status panel 0.
#pragma once

#include "base/RunState.h"
#include "base/StatusView.h"

namespace qm {

class BusyScope {
 public:
  // Sets LinkBusy and shows `activity` in panel 0 with an immediate repaint, since the
  // operation does not let the window run until it asks something.
  BusyScope(RunState& state, StatusView& status, const char* activity)
      : state_(state), status_(status) {
    state_.LinkBusy = true;
    status_.SetStatusText(kPanelActivity, activity, true);
  }
  ~BusyScope() {
    ShowDone();
    state_.LinkBusy = false;
  }
  // "Done." in panel 0 now, while the operation still holds LinkBusy (once per operation).
  void ShowDone() {
    if (done_) return;
    done_ = true;
    status_.SetStatusText(kPanelActivity, "Done.");
  }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

 private:
  RunState& state_;
  StatusView& status_;
  bool done_ = false;
};

}  // namespace qm
