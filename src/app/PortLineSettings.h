// The line settings the main window keeps for the serial port: which port and how the line runs.
// The window hands them to the port object when it opens the line and takes them back from the
// port dialog; the settings store reads and writes them at start-up and close.
#pragma once

#include <string>

#include "app/LineSettings.h"
#include "app/ScaleParams.h"

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

// Status panel 2: "COM" and the port number counted from 1 ("COM2").
std::string PortPanelText(TPortType port);

// Status panel 3: baud rate, three blanks, data bits, "-", parity letter, "-", stop bits
// ("9600   8-N-1", "19200   7-E-1.5").
std::string LineSettingsText(const PortLineSettings& line);

// Status panel 4: the scale address in decimal, below 10 with a leading "0" ("01", "12", "255").
std::string FormatAddress(unsigned address);

}  // namespace qm
