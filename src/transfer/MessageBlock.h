// The message record on the wire: 8 lines of exactly 50 bytes, code page 866, a short line
// padded with 0x00, an absent line 50 bytes of 0x00, no line terminators (400 bytes). The write
// command puts the message number (2 bytes, little-endian) in front of it (402 bytes).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "link/Protocol.h"

namespace qm {

inline constexpr int kMessageLineSize = 50;
inline constexpr int kMessageWireLines = 8;
inline constexpr int kMessageBlockSize = kMessageLineSize * kMessageWireLines;  // 400
inline constexpr int kMessageWriteRecordSize = 2 + kMessageBlockSize;           // 402
static_assert(kMessageBlockSize == int{kMessageReplySize} &&
              kMessageWriteRecordSize == int{kMessageWriteSize});

// The data of the write command for message `number` with these Windows-1251 lines: lines
// beyond the eighth are not sent, characters beyond the fiftieth are cut, characters the scale's
// code page cannot hold become '*'.
std::string EncodeMessageRecord(std::int32_t number, const std::vector<std::string>& lines);

// The 8 lines of a read reply in Windows-1251, each without its trailing blanks and control
// characters (0x00 included); empty lines are kept, so there are always 8. A short reply reads
// as if padded with 0x00.
std::vector<std::string> DecodeMessageBlock(std::string_view reply);

}  // namespace qm
