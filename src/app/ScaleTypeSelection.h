// The scale-type menu command: choosing a model by the tag of its menu entry.
#pragma once

#include "base/RunState.h"
#include "base/StatusView.h"

namespace qm {

// The tag is the index of the model in kScaleModels (0, 1, 2: 6, 15, 30 kg); the model is always
// taken in the 4000-PLU version. Rebuilds CurrentScale and shows its name in status panel 1. Nothing in the tables, the port settings or
// the scale address changes. Returns false (and changes nothing) for any other tag.
bool ScaleTypeMenuClick(RunState& state, StatusView& status, int tag);

}  // namespace qm
