// Texts of the status bar panels that describe the connection: the port (panel 2), the line
// settings (panel 3) and the scale address (panel 4). All ASCII, so valid Windows-1251 as is.
#pragma once

#include <cstdint>
#include <string>

#include "base/LineSettings.h"

namespace qm {

// The scale address in decimal, with a "0" in front below 10: "01" ... "09", "10" ... "255".
std::string FormatAddress(std::uint8_t address);

// "COM" and the port number counted from 1: "COM1" ... "COM8".
std::string PortPanelText(TPortType port);

// Baud rate, three blanks, data bits, "-", parity letter, "-", stop bits: "9600   8-N-1".
// The settings store may hand the port values outside the enumerations; such a value shows as
// "?" in its place instead of reading past a table.
std::string LineSettingsText(TBaudRate baud, TDataBits dataBits, TParityBits parity,
                             TStopBits stopBits);

}  // namespace qm
