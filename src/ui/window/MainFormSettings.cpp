#include "ui/window/MainFormSettings.h"

#include <QWidget>

namespace qm {

StoredSettings CurrentStoredSettings(const QWidget& window, const PortLineSettings& line,
                                     const TFontValues& font) {
  StoredSettings values;
  values.Line = line;
  values.Left = window.x();
  values.Top = window.y();
  values.Width = window.width();
  values.Height = window.height();
  values.Font = font;
  return values;
}

}  // namespace qm
