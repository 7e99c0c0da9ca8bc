// The program's settings: what is read from the settings store at start-up and written back at
// close, under the sections "Settings" and "Settings\Font" with the value names below (the
// misspelt "Form Heiht" is the stored name and stays). Every value is text; numbers are signed
// decimal. The store's key is never created here: without it nothing is read or written.
#pragma once

#include <cstdint>

#include "app/FontValues.h"
#include "app/PortLineSettings.h"
#include "base/RunState.h"
#include "base/SettingsStore.h"
#include "base/StatusView.h"

namespace qm {

inline constexpr const char* kSettingsSection = "Settings";
inline constexpr const char* kFontSection = "Settings\\Font";

// Everything the settings hold.
struct StoredSettings {
  PortLineSettings Line;  // port, baud rate, parity, stop bits; data bits are never stored
  std::uint8_t ScaleAddress = 1;
  std::int32_t ScaleModel = kDefaultScaleModel;
  std::int32_t ScaleVersion = kDefaultScaleVersion;
  std::int32_t Left = 0;  // window position, as the window system counts it
  std::int32_t Top = 0;
  std::int32_t Width = 640;  // window size to apply after the saved font
  std::int32_t Height = 480;
  TFontValues Font;

  friend bool operator==(const StoredSettings&, const StoredSettings&) = default;
};

// Reads every value in the fixed order: "Communication Port", "Baud Rate", "Parity", "Stop Bits",
// "Scale Address", "Scale Model", "Scale Version", "Left Position", "Top Position", "Form Width",
// "Form Heiht", then "CharSet", "Color", "Height", "Name", "Pitch", "Size", "Style".
// A missing or non-numeric value gives its default: the fixed defaults for the port, line,
// scale and size values; the incoming Left, Top and Font values (the window's current ones) for
// the rest. Numbers are not range-tested, except that an enumeration outside its table (port
// above COM8, baud index above 12, parity above 4, stop bits above 2, pitch above 2, or any of
// them negative) counts as missing, so the settings always name a real port and line setting.
// Only the low 8 bits of "Scale Address" count. A font "Size" of 0 names no size: the font keeps
// its incoming size and height, and takes the stored face, style and the rest.
void ReadSettings(const SettingsStore& store, StoredSettings& values);

// Writes every value in the same order, numbers as signed decimal, "Style" as its letters.
void WriteSettings(SettingsStore& store, const StoredSettings& values);

// Start-up, after the window is prepared: notes whether the key exists. When it does, reads the
// settings into `values` (whose Left, Top and Font must hold the window's current ones), takes
// address, model, version and saved size into `state`, rebuilds CurrentScale and shows status
// panels 1 to 4. When it does not, nothing is read and the panels keep their texts.
void LoadSettingsAtStartUp(const SettingsStore& store, RunState& state, StoredSettings& values,
                           StatusView& status);

// Close: when the key existed at start-up, writes `values` with address, model and version taken
// from `state`. Otherwise writes nothing, so the key is still absent afterwards.
void SaveSettingsAtClose(SettingsStore& store, const RunState& state, StoredSettings values);

// Status panels 1 to 4: model name, port, line settings and address.
void ShowConnectionPanels(StatusView& status, const RunState& state, const PortLineSettings& line);

}  // namespace qm
