// What the main window contributes to the settings: its position and size as Qt counts them
// (position of the frame, size without it: the same numbers the window is later given back),
// the line settings and the font values. Scale address, model and version come from the
// run-time state when the settings are written.
#pragma once

#include "app/Settings.h"

class QWidget;

namespace qm {

StoredSettings CurrentStoredSettings(const QWidget& window, const PortLineSettings& line,
                                     const TFontValues& font);

}  // namespace qm
