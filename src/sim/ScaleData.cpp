#include "sim/ScaleData.h"

#include <algorithm>
#include <cmath>
#include <ctime>

namespace qmsim {
namespace {

Bytes Fit(Bytes b, std::size_t n) {
  b.resize(n, 0);
  return b;
}

std::int32_t Le32(const Bytes& b, std::size_t at) {
  std::uint32_t v = 0;
  for (std::size_t i = 0; i < 4; ++i) v |= std::uint32_t{b[at + i]} << (8 * i);
  return static_cast<std::int32_t>(v);
}

void PutLe(Bytes& b, std::size_t at, std::int64_t v, std::size_t width) {
  for (std::size_t i = 0; i < width; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::uint8_t Bcd(int v) {
  return static_cast<std::uint8_t>((v / 10) * 16 + v % 10);
}

template <class Map>
std::vector<std::int32_t> Keys(const Map& m) {
  std::vector<std::int32_t> out;
  for (const auto& [k, v] : m) out.push_back(k);
  return out;
}

}  // namespace

std::optional<std::size_t> CommandDataLength(std::uint8_t command) {
  switch (command) {
    case kCmdReadPlu:
      return 4;
    case kCmdWritePlu:
      return kPluWriteSize;
    case kCmdReadMessage:
      return 2;
    case kCmdWriteMessage:
      return kMessageWriteSize;
    case kCmdReadTotals:
    case kCmdClearTotals:
    case kCmdDisplay:
      return 0;
    default:
      return std::nullopt;
  }
}

Bytes EncodeDisplay(const Display& d) {
  Bytes b(kDisplaySize, 0);
  b[0] = d.flags;
  PutLe(b, 1, d.weight, 2);
  PutLe(b, 3, d.unitPrice, 4);
  PutLe(b, 7, d.totalPrice, 4);
  PutLe(b, 11, d.pluNo, 4);
  return b;
}

void ScaleData::SetPlu(std::int32_t number, Bytes record) {
  plus_[number] = Fit(std::move(record), kPluRecordSize);
}

std::optional<Bytes> ScaleData::Plu(std::int32_t number) const {
  auto it = plus_.find(number);
  if (it == plus_.end()) return std::nullopt;
  return it->second;
}

void ScaleData::ErasePlu(std::int32_t number) {
  plus_.erase(number);
}
std::vector<std::int32_t> ScaleData::PluNumbers() const {
  return Keys(plus_);
}

void ScaleData::SetMessage(std::int32_t number, Bytes block) {
  messages_[number] = Fit(std::move(block), kMessageSize);
}

std::optional<Bytes> ScaleData::Message(std::int32_t number) const {
  auto it = messages_.find(number);
  if (it == messages_.end()) return std::nullopt;
  return it->second;
}

void ScaleData::EraseMessage(std::int32_t number) {
  messages_.erase(number);
}
std::vector<std::int32_t> ScaleData::MessageNumbers() const {
  return Keys(messages_);
}

void ScaleData::SetTotals(Bytes totals) {
  totals_ = Fit(std::move(totals), kTotalsSize);
}

void ScaleData::SetWeightMoving(bool moving, Clock::time_point now) {
  if (moving && !moving_) motionStart_ = now;
  moving_ = moving;
}

Display ScaleData::DisplayAt(Clock::time_point now) const {
  Display d = display_;
  if (!moving_) return d;
  // 10 g every 100 ms: up to 2500 g in 25 s, then back down.
  auto steps =
      std::chrono::duration_cast<std::chrono::milliseconds>(now - motionStart_).count() / 100 % 500;
  long grams = 10 * (steps <= 250 ? steps : 500 - steps);
  d.weight = static_cast<std::uint16_t>(grams);
  d.flags = static_cast<std::uint8_t>(d.flags &
                                      ~0x81);  // a moving load is neither negative nor overloaded
  d.totalPrice = static_cast<std::int32_t>(std::lround(double(d.unitPrice) * grams / 1000.0));
  return d;
}

Answer ScaleData::Execute(std::uint8_t command, const Bytes& data, Clock::time_point now) {
  Answer a;
  switch (command) {
    case kCmdReadPlu: {
      auto it = plus_.find(Le32(data, 0));
      if (it == plus_.end()) return {kRefusal, {}};
      a.reply = it->second;
      break;
    }
    case kCmdWritePlu: {
      std::int32_t n = Le32(data, 0);
      Bytes& rec = plus_[n];
      rec.resize(kPluRecordSize, 0);  // a new PLU starts with no sales
      std::copy(data.begin(), data.begin() + kPluWriteSize, rec.begin());
      break;
    }
    case kCmdReadMessage: {
      auto it = messages_.find(data[0] | (data[1] << 8));
      if (it == messages_.end()) return {kRefusal, {}};
      a.reply = it->second;
      break;
    }
    case kCmdWriteMessage:
      messages_[data[0] | (data[1] << 8)] = Bytes(data.begin() + 2, data.end());
      break;
    case kCmdReadTotals:
      a.reply = totals_;
      break;
    case kCmdClearTotals: {
      // The counters restart at zero and the totals now start from this moment (time stored
      // seconds, minutes, hours; date day, month, year). Free places are no sales figure and
      // stay.
      std::fill(totals_.begin(), totals_.begin() + 30, 0);
      std::time_t t = std::time(nullptr);
      std::tm tm{};
      localtime_r(&t, &tm);
      totals_[30] = Bcd(tm.tm_sec % 60);
      totals_[31] = Bcd(tm.tm_min);
      totals_[32] = Bcd(tm.tm_hour);
      totals_[33] = Bcd(tm.tm_mday);
      totals_[34] = Bcd(tm.tm_mon + 1);
      totals_[35] = Bcd(tm.tm_year % 100);
      break;
    }
    case kCmdDisplay:
      a.reply = EncodeDisplay(DisplayAt(now));
      break;
    default:
      return {kRefusal, {}};
  }
  return a;
}

}  // namespace qmsim
