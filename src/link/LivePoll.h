// The live display: while the link is open and idle, the 100 ms timer polls the scale about once
// a second (command 0x89) and shows its weight with three indicator letters, unit price, total
// price and PLU number in the four display panels.
//
// Reply of 0x89, 15 bytes:
//   [0]      flags: bit 0 overload, bit 2 "t", bit 6 "s", bit 3 "z", bit 7 weight negative
//   [1..2]   weight, unsigned 16-bit little-endian, grams (the sign is flag bit 7)
//   [3..6]   unit price, signed 32-bit little-endian, kopecks
//   [7..10]  total price, signed 32-bit little-endian, kopecks
//   [11..14] PLU number, signed 32-bit little-endian
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/RunState.h"
#include "base/StatusView.h"
#include "link/ComPort.h"
#include "link/ScaleLink.h"

namespace qm {

inline constexpr std::uint8_t kCommandDisplay = 0x89;
inline constexpr std::uint32_t kDisplayReplyLength = 15;
inline constexpr std::int32_t kPollPeriodTicks = 10;

extern const std::string kOverloadText;  // "Перегр."

// The texts of the four panels (Windows-1251).
struct DisplayTexts {
  std::string pluNo;
  std::string weight;      // letters, fill blanks, weight in kg
  std::string unitPrice;   // roubles
  std::string totalPrice;  // roubles
  friend bool operator==(const DisplayTexts&, const DisplayTexts&) = default;
};

// Decodes a 0x89 reply. Bytes missing from a short reply count as 0x00; bytes past 15 are
// ignored.
DisplayTexts DecodeDisplay(std::string_view reply);

// The weight panel: the three indicator letters, blanks that bring a weight text shorter than
// 8 characters up to 8, then the weight text.
std::string ComposeWeightPanel(std::string_view letters, std::string_view weightText);

class LivePoll {
 public:
  // Everything is borrowed and must outlive the poll.
  LivePoll(ScaleLink& link, TComPort& port, RunState& state, StatusView& status);

  // The main window's 100 ms timer tick: counts the link's reply time-out down, and every
  // tenth tick, when the poll is enabled, the port open and idle and LinkBusy clear, reads the
  // scale's display into the panels. A poll that fails leaves the panels as they are.
  void TimerTick();

 private:
  ScaleLink& link_;
  TComPort& port_;
  RunState& state_;
  StatusView& status_;
};

}  // namespace qm
