#include "base/StatusTexts.h"

namespace qm {

std::string FormatAddress(std::uint8_t address) {
  std::string text = std::to_string(address);
  if (address < 10) text.insert(0, "0");
  return text;
}

std::string PortPanelText(TPortType port) {
  return "COM" + std::to_string(static_cast<int>(port) + 1);
}

std::string LineSettingsText(TBaudRate baud, TDataBits dataBits, TParityBits parity,
                             TStopBits stopBits) {
  static constexpr const char* kParityLetters[kParityCount] = {"N", "O", "E", "M", "S"};
  static constexpr const char* kStopBitsTexts[kStopBitsCount] = {"1", "1.5", "2"};

  const int b = static_cast<int>(baud);
  const int d = static_cast<int>(dataBits);
  const int p = static_cast<int>(parity);
  const int s = static_cast<int>(stopBits);

  std::string text = b < kBaudRateCount ? std::to_string(kBaudRateValues[b]) : "?";
  text += "   ";
  text += d < kDataBitsCount ? std::to_string(d + 5) : "?";
  text += "-";
  text += p < kParityCount ? kParityLetters[p] : "?";
  text += "-";
  text += s < kStopBitsCount ? kStopBitsTexts[s] : "?";
  return text;
}

}  // namespace qm
