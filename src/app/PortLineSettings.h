// The line settings the main window keeps for the serial port: which port and how the line runs.
// The window hands them to the port object when it opens the line and takes them back from the
// port dialog; the settings store reads and writes them at start-up and close.
#pragma once

#include <string>

#include "base/LineSettings.h"
#include "base/ScaleParams.h"
#include "base/StatusTexts.h"

namespace qm {

struct PortLineSettings {
  TPortType Port = TPortType::COM2;  // the port as designed
  TBaudRate BaudRate = TBaudRate::br9600;
  TDataBits DataBits = TDataBits::dbEight;
  TParityBits Parity = TParityBits::prNone;
  TStopBits StopBits = TStopBits::sbOneStopBit;

  friend bool operator==(const PortLineSettings&, const PortLineSettings&) = default;
};

// Takes the model's line defaults (baud rate, data bits, stop bits, parity); the port stays.
// Used once at start-up, before the saved settings are read; never on a model change.
void ApplyPortDefaults(const TScaleParams& record, PortLineSettings& line);

// Status panel 3 for these settings (see StatusTexts.h for the panel texts).
std::string LineSettingsText(const PortLineSettings& line);

}  // namespace qm
