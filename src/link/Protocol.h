// The scale's protocol in one place: the command bytes, the status and answer bytes, the sizes of
// the replies and records, and the codec of the live display's reply. Pure values and functions
// over bytes; the link (ScaleLink) puts them on the line.
//
// The wire has no framing: every exchange is
//   program -> address byte;  scale -> the same byte (echo), then a status byte:
//     0x80 ready, or 0xDD followed by a 4-byte little-endian number (the scale is not ready);
//     an echo without a status means the scale is busy and the address is sent again;
//   program -> command byte and its data;  scale -> 0xAA then the reply of the command's length,
//     or another byte instead of 0xAA (0xEE: refused, e.g. no such record).
//
// Texts are Windows-1251.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace qm {

// --- commands ------------------------------------------------------------------------------
inline constexpr std::uint8_t kCommandReadPlu = 0x81;       // 4-byte number; reply 100 bytes
inline constexpr std::uint8_t kCommandWritePlu = 0x82;      // 83-byte record
inline constexpr std::uint8_t kCommandReadMessage = 0x83;   // 2-byte number; reply 400 bytes
inline constexpr std::uint8_t kCommandWriteMessage = 0x84;  // 402-byte record
inline constexpr std::uint8_t kCommandReadTotals = 0x85;    // reply 40 bytes
inline constexpr std::uint8_t kCommandClearTotals = 0x86;   // no reply
inline constexpr std::uint8_t kCommandDisplay = 0x89;       // reply 15 bytes

// --- status and answer bytes -----------------------------------------------------------------
inline constexpr std::uint8_t kStatusReady = 0x80;
inline constexpr std::uint8_t kStatusNumber = 0xDD;  // not ready; 4 bytes follow
inline constexpr std::uint8_t kAcknowledge = 0xAA;
// Sent instead of the acknowledgement when the scale refuses a command (e.g. no such record).
inline constexpr std::uint8_t kRefusal = 0xEE;

// --- sizes -----------------------------------------------------------------------------------
inline constexpr std::uint32_t kPluReplySize = 100;
inline constexpr std::uint32_t kPluWriteSize = 83;
inline constexpr std::uint32_t kMessageReplySize = 400;
inline constexpr std::uint32_t kMessageWriteSize = 402;  // 2-byte number and the message
inline constexpr std::uint32_t kTotalsReplySize = 40;
inline constexpr std::uint32_t kDisplayReplySize = 15;
// The longest answer the scale sends after its acknowledgement (a message): the most that an
// earlier exchange can leave on the line ahead of the next echo.
inline constexpr std::uint32_t kLongestReply = kMessageReplySize;

// --- the live display (reply of 0x89) ----------------------------------------------------------
//   [0]      flags: bit 0 overload, bit 2 "t", bit 6 "s", bit 3 "z", bit 7 weight negative
//   [1..2]   weight, unsigned 16-bit little-endian, grams (the sign is flag bit 7)
//   [3..6]   unit price, signed 32-bit little-endian, kopecks
//   [7..10]  total price, signed 32-bit little-endian, kopecks
//   [11..14] PLU number, signed 32-bit little-endian

extern const std::string kOverloadText;  // "Перегр."

// The texts of the four display panels (Windows-1251).
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

}  // namespace qm
