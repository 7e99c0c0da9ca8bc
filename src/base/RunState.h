// The main window's run-time state: one instance for the whole run, used on the window thread
// only. The link, the live poll and the transfers share it.
#pragma once

#include <cstdint>

#include "base/ScaleParams.h"

namespace qm {

struct RunState {
  std::int32_t ScaleModel = kDefaultScaleModel;      // kg, a row of kScaleModels
  std::int32_t ScaleVersion = kDefaultScaleVersion;  // PLUs, a row of kScaleVersions
  TScaleParams CurrentScale = BuildScaleParams(kDefaultScaleModel, kDefaultScaleVersion);
  std::uint8_t ScaleAddress = 1;     // address byte that selects the scale
  bool SettingsKeyPresent = false;   // the settings key existed at start-up
  bool LinkBusy = false;             // an exchange or a long table operation is running
  bool DisconnectRequested = false;  // the operator cut the link during port operations
  std::int32_t ReplyTicks = 0;       // 100 ms ticks left to wait for reply bytes
  std::int32_t PollCountdown = 10;   // ticks to the next live poll
  bool PollEnabled = false;          // the live poll may run
  std::int32_t SavedWidth = 640;     // window size to apply after the saved font
  std::int32_t SavedHeight = 480;
};

}  // namespace qm
