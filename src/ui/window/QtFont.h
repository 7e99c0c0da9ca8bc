// The settings' font values as a QFont and back. Character set and colour have no place in a
// QFont; they stay in the values and are written back as they were read. The colour has its own
// pair of conversions below.
#pragma once

#include <QColor>
#include <QFont>

#include "app/FontValues.h"

namespace qm {

// Face name, pixel height, then point size (the size decides when both are given), pitch and
// styles.
QFont ToQFont(const TFontValues& values);

// Takes face, size, height (negative: character height in pixels at `dotsPerInch`), pitch and
// styles from `font` into `values`, keeping character set and colour.
void TakeQFont(const QFont& font, TFontValues& values, double dotsPerInch = 96.0);

// The settings' colour number (0x00BBGGRR; negative numbers name a system colour) as a QColor.
// A system colour gives an invalid QColor: the window keeps the desktop's own text colour.
QColor ToQColor(std::int32_t color);
// Back: an invalid QColor gives the system's window-text colour.
std::int32_t FromQColor(const QColor& color);

}  // namespace qm
