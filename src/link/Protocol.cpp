#include "link/Protocol.h"

#include "base/Cp1251.h"
#include "base/NumberText.h"
#include "base/WireCodecs.h"

namespace qm {

const std::string kOverloadText = Win1251("Перегр.");

namespace {

constexpr std::uint8_t kFlagOverload = 0x01;
constexpr std::uint8_t kFlagT = 0x04;
constexpr std::uint8_t kFlagZ = 0x08;
constexpr std::uint8_t kFlagS = 0x40;
constexpr std::uint8_t kFlagNegative = 0x80;
constexpr std::size_t kWeightFieldWidth = 8;

}  // namespace

std::string ComposeWeightPanel(std::string_view letters, std::string_view weightText) {
  std::string panel(letters);
  if (weightText.size() < kWeightFieldWidth)
    panel.append(kWeightFieldWidth - weightText.size(), ' ');
  panel += weightText;
  return panel;
}

DisplayTexts DecodeDisplay(std::string_view reply) {
  std::string bytes(reply.substr(0, kDisplayReplySize));
  bytes.resize(kDisplayReplySize, '\0');
  const std::string_view b(bytes);
  const std::uint8_t flags = static_cast<std::uint8_t>(b[0]);

  std::string letters;
  letters += (flags & kFlagT) ? 't' : ' ';
  letters += (flags & kFlagS) ? 's' : ' ';
  letters += (flags & kFlagZ) ? 'z' : ' ';

  std::string weight;
  if (flags & kFlagOverload) {
    weight = kOverloadText;
  } else {
    std::int32_t grams = LeBytesToInt(b.substr(1, 2));  // zero-extended: 0..65535
    if (flags & kFlagNegative) grams = -grams;
    weight = FormatSignedOrZero(grams / 1000.0, 3, "0.000");
  }

  DisplayTexts texts;
  texts.weight = ComposeWeightPanel(letters, weight);
  texts.unitPrice = FormatSignedOrZero(LeBytesToInt(b.substr(3, 4)) / 100.0, 2, "0.0");
  texts.totalPrice = FormatSignedOrZero(LeBytesToInt(b.substr(7, 4)) / 100.0, 2, "0.0");
  texts.pluNo = std::to_string(LeBytesToInt(b.substr(11, 4)));
  return texts;
}

}  // namespace qm
