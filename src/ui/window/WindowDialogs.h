// The dialogs of the main window as every panel sees them: one object, owned by the window, that
// passes each call on to the dialogs in use at that moment - the window's own Qt dialogs, or
// those a test put in their place. Panels keep a reference to it for the whole run.
//
// Once the operator has asked to close the window during a transfer, the progress window
// reports Cancel at every step, whichever dialogs are in use and even when the request came
// before the progress window showed, so that a table transfer ends early and the close goes on.
//
// Window thread only.
#pragma once

#include <functional>

#include "base/Dialogs.h"

namespace qm {

class WindowDialogs final : public ForwardingDialogs {
 public:
  // `own` is used until Replace; `closePending` says that a close waits for a transfer to end.
  WindowDialogs(Dialogs& own, std::function<bool()> closePending)
      : ForwardingDialogs(own), own_(own), closePending_(std::move(closePending)) {}

  // Puts `dialogs` (not owned) in place of the window's own; nullptr returns to them.
  void Replace(Dialogs* dialogs) { Retarget(dialogs ? *dialogs : own_); }

  bool StepProgress(int position) override;

 private:
  Dialogs& own_;
  std::function<bool()> closePending_;
};

}  // namespace qm
