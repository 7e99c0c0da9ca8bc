// What the virtual scale remembers and how it answers one command: PLU records, messages, the
// sales totals and the live display, all kept as raw wire bytes. Nothing here decodes a field
// beyond the record numbers it needs to file a record under, so a fault in the program's own
// encoders shows up as wrong bytes instead of being mirrored back.
//
// Not thread-safe; VirtualScale guards it with its mutex.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

namespace qmsim {

using Bytes = std::vector<std::uint8_t>;

// Command bytes and the bytes of the exchange around them.
inline constexpr std::uint8_t kStatusReady = 0x80;
inline constexpr std::uint8_t kStatusNumber = 0xDD;  // followed by a 4-byte little-endian number
inline constexpr std::uint8_t kAck = 0xAA;
inline constexpr std::uint8_t kRefusal = 0xEE;
inline constexpr std::uint8_t kCmdReadPlu = 0x81;
inline constexpr std::uint8_t kCmdWritePlu = 0x82;
inline constexpr std::uint8_t kCmdReadMessage = 0x83;
inline constexpr std::uint8_t kCmdWriteMessage = 0x84;
inline constexpr std::uint8_t kCmdReadTotals = 0x85;
inline constexpr std::uint8_t kCmdClearTotals = 0x86;
inline constexpr std::uint8_t kCmdDisplay = 0x89;

// Record sizes in bytes.
inline constexpr std::size_t kPluRecordSize = 100;  // as read
inline constexpr std::size_t kPluWriteSize = 83;    // as written: everything up to the message no.
inline constexpr std::size_t kMessageSize = 400;    // 8 lines of 50 bytes
inline constexpr std::size_t kMessageWriteSize = 402;  // 2-byte number + the 400 bytes
inline constexpr std::size_t kTotalsSize = 40;
inline constexpr std::size_t kDisplaySize = 15;

// Bytes the program sends after a command byte; nullopt for a byte that is no command.
std::optional<std::size_t> CommandDataLength(std::uint8_t command);

// The live display. Weight in grams (its sign is flag bit 7), prices in kopecks.
struct Display {
  std::uint8_t flags = 0;
  std::uint16_t weight = 0;
  std::int32_t unitPrice = 0;
  std::int32_t totalPrice = 0;
  std::int32_t pluNo = 0;
  friend bool operator==(const Display&, const Display&) = default;
};

// The 15 display bytes as the scale sends them.
Bytes EncodeDisplay(const Display& d);

struct Answer {
  std::uint8_t ack = kAck;  // kAck or kRefusal
  Bytes reply;              // empty unless ack is kAck and the command has a reply
};

class ScaleData {
 public:
  using Clock = std::chrono::steady_clock;

  // PLU records are 100 bytes; shorter input is padded with 0x00, longer is cut.
  void SetPlu(std::int32_t number, Bytes record);
  std::optional<Bytes> Plu(std::int32_t number) const;
  void ErasePlu(std::int32_t number);
  std::vector<std::int32_t> PluNumbers() const;

  // Messages are the 400-byte block (8 lines of 50 bytes), padded or cut the same way.
  void SetMessage(std::int32_t number, Bytes block);
  std::optional<Bytes> Message(std::int32_t number) const;
  void EraseMessage(std::int32_t number);
  std::vector<std::int32_t> MessageNumbers() const;

  void SetTotals(Bytes totals);  // 40 bytes, padded or cut
  const Bytes& Totals() const { return totals_; }

  // The display as last set. When the weight moves, the weight and total price follow a slow
  // triangle (0 to 2.5 kg and back over 50 s, in 10 g steps) counted from the moment motion
  // was switched on; the other fields stay as set.
  void SetDisplay(const Display& d) { display_ = d; }
  void SetWeightMoving(bool moving, Clock::time_point now);
  bool WeightMoving() const { return moving_; }
  Display DisplayAt(Clock::time_point now) const;

  // Answers one command whose data has the length CommandDataLength gives. Writes store what
  // they received; a PLU write keeps the sales tail (bytes 83..99) of the record it replaces,
  // or zeroes it for a new PLU, since the program never sends those bytes. Reads of absent
  // records and unknown commands are refused.
  Answer Execute(std::uint8_t command, const Bytes& data, Clock::time_point now);

 private:
  std::map<std::int32_t, Bytes> plus_;
  std::map<std::int32_t, Bytes> messages_;
  Bytes totals_ = Bytes(kTotalsSize, 0);
  Display display_;
  bool moving_ = false;
  Clock::time_point motionStart_{};
};

}  // namespace qmsim
