#include "ui/window/WindowDialogs.h"

namespace qm {

bool WindowDialogs::StepProgress(int position) {
  // The step is shown first either way, so the progress window stays in step with the work.
  const bool cancelled = ForwardingDialogs::StepProgress(position);
  return cancelled || (closePending_ && closePending_());
}

}  // namespace qm
