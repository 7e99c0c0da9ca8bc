#include "app/PortLineSettings.h"

namespace qm {

void ApplyPortDefaults(const TScaleParams& record, PortLineSettings& line) {
  line.BaudRate = record.BaudRate;
  line.DataBits = record.DataBits;
  line.StopBits = record.StopBits;
  line.Parity = record.Parity;
}

std::string PortPanelText(TPortType port) {
  return "COM" + std::to_string(static_cast<int>(port) + 1);
}

std::string LineSettingsText(const PortLineSettings& line) {
  static constexpr const char* kParityLetters[kParityCount] = {"N", "O", "E", "M", "S"};
  static constexpr const char* kStopBitsTexts[kStopBitsCount] = {"1", "1.5", "2"};
  // The enumerations only ever hold their named values (the settings reader refuses others), so
  // the ordinals index the tables directly.
  std::string text = std::to_string(kBaudRateValues[static_cast<int>(line.BaudRate)]);
  text += "   ";
  text += std::to_string(5 + static_cast<int>(line.DataBits));
  text += '-';
  text += kParityLetters[static_cast<int>(line.Parity)];
  text += '-';
  text += kStopBitsTexts[static_cast<int>(line.StopBits)];
  return text;
}

std::string FormatAddress(unsigned address) {
  std::string text = std::to_string(address);
  if (address < 10) text.insert(text.begin(), '0');
  return text;
}

}  // namespace qm
