// The scale-type menu command: choosing a model by the tag of its menu entry.
#pragma once

#include "base/RunState.h"
#include "base/StatusView.h"

namespace qm {

// Tag 0, 1 or 2 selects the 6, 15 or 30 kg model, always in the 4000-PLU version, rebuilds
// CurrentScale and shows its name in status panel 1. Nothing in the tables, the port settings or
// the scale address changes. Returns false (and changes nothing) for any other tag.
bool ScaleTypeMenuClick(RunState& state, StatusView& status, int tag);

}  // namespace qm
