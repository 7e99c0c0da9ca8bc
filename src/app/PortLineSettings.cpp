#include "app/PortLineSettings.h"

namespace qm {

void ApplyPortDefaults(const TScaleParams& record, PortLineSettings& line) {
  line.BaudRate = record.BaudRate;
  line.DataBits = record.DataBits;
  line.StopBits = record.StopBits;
  line.Parity = record.Parity;
}

std::string LineSettingsText(const PortLineSettings& line) {
  return LineSettingsText(line.BaudRate, line.DataBits, line.Parity, line.StopBits);
}

}  // namespace qm
