// Line settings enumerations of the serial port. Their ordinal order is the order stored in the
// settings and shown in the port dialog, so the numbering must not change.
#pragma once

#include <cstdint>

namespace qm {

enum class TBaudRate : std::uint8_t {
  br110,
  br300,
  br600,
  br1200,
  br2400,
  br4800,
  br9600,
  br14400,
  br19200,
  br38400,
  br56000,
  br57600,
  br115200
};
inline constexpr int kBaudRateCount = 13;
// Bits per second of each TBaudRate, by ordinal.
inline constexpr int kBaudRateValues[kBaudRateCount] = {
    110, 300, 600, 1200, 2400, 4800, 9600, 14400, 19200, 38400, 56000, 57600, 115200};

enum class TStopBits : std::uint8_t { sbOneStopBit, sbOne5StopBits, sbTwoStopBits };
inline constexpr int kStopBitsCount = 3;

enum class TDataBits : std::uint8_t { dbFive, dbSix, dbSeven, dbEight };
inline constexpr int kDataBitsCount = 4;

enum class TParityBits : std::uint8_t { prNone, prOdd, prEven, prMark, prSpace };
inline constexpr int kParityCount = 5;

enum class TDtrFlowControl : std::uint8_t { dtrDisable, dtrEnable, dtrHandshake };
enum class TRtsFlowControl : std::uint8_t { rtsDisable, rtsEnable, rtsHandshake, rtsToggle };

// Ports COM1..COM8; the operator always sees these names.
enum class TPortType : std::uint8_t { COM1, COM2, COM3, COM4, COM5, COM6, COM7, COM8 };
inline constexpr int kPortCount = 8;

}  // namespace qm
