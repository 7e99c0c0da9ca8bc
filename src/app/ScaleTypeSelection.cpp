#include "app/ScaleTypeSelection.h"

namespace qm {

bool ScaleTypeMenuClick(RunState& state, StatusView& status, int tag) {
  if (tag < 0 || tag >= kScaleModelCount) return false;
  state.ScaleModel = kScaleModels[tag].kg;
  state.ScaleVersion = kScaleTypeMenuVersion;
  state.CurrentScale = BuildScaleParams(state.ScaleModel, state.ScaleVersion);
  status.SetStatusText(kPanelModel, state.CurrentScale.ModelName);
  return true;
}

}  // namespace qm
