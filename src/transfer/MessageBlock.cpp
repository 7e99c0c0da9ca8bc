#include "transfer/MessageBlock.h"

#include "base/WireCodecs.h"

namespace qm {

std::string EncodeMessageRecord(std::int32_t number, const std::vector<std::string>& lines) {
  std::string data = IntToLeBytes(number, 2);
  data.reserve(kMessageWriteRecordSize);
  for (std::size_t slot = 0; slot < kMessageWireLines; ++slot) {
    if (slot < lines.size()) {
      data += FitField(ToScaleCodePage(lines[slot]), kMessageLineSize);
    } else {
      data.append(kMessageLineSize, '\0');
    }
  }
  return data;
}

std::vector<std::string> DecodeMessageBlock(std::string_view reply) {
  std::vector<std::string> lines;
  lines.reserve(kMessageWireLines);
  for (std::size_t slot = 0; slot < kMessageWireLines; ++slot) {
    const std::size_t from = slot * kMessageLineSize;
    const std::string_view bytes =
        from < reply.size() ? reply.substr(from, kMessageLineSize) : std::string_view();
    std::string line = FromScaleCodePage(bytes);
    while (!line.empty() && static_cast<unsigned char>(line.back()) <= 0x20) line.pop_back();
    lines.push_back(std::move(line));
  }
  return lines;
}

}  // namespace qm
