#include "app/ScaleTypeSelection.h"

namespace qm {

bool ScaleTypeMenuClick(RunState& state, StatusView& status, int tag) {
  if (tag < 0 || tag >= 3) return false;
  state.ScaleModel = kScaleTypeMenuModels[tag];
  state.ScaleVersion = kScaleTypeMenuVersion;
  state.CurrentScale = BuildScaleParams(state.ScaleModel, state.ScaleVersion);
  status.SetStatusText(kPanelModel, state.CurrentScale.ModelName);
  return true;
}

}  // namespace qm
