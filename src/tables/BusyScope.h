// Holds LinkBusy for a long table operation (checking, matching) and, however the operation
// ends, clears it again and shows "Done." in status panel 0.
#pragma once

#include "app/RunState.h"
#include "app/StatusView.h"

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
    status_.SetStatusText(kPanelActivity, "Done.");
    state_.LinkBusy = false;
  }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

 private:
  RunState& state_;
  StatusView& status_;
};

}  // namespace qm
