#include "ui/window/QtFont.h"

#include <cmath>

#include "ui/window/QtText.h"

namespace qm {

QFont ToQFont(const TFontValues& v) {
  QFont font(ToQString(v.Name));
  if (v.Height != 0) font.setPixelSize(std::abs(v.Height));
  if (v.Size > 0) font.setPointSize(v.Size);
  if (v.Pitch == FontPitch::Fixed) {
    font.setFixedPitch(true);
    font.setStyleHint(QFont::Monospace);
  } else if (v.Pitch == FontPitch::Variable) {
    font.setFixedPitch(false);
  }
  font.setBold(v.Bold);
  font.setItalic(v.Italic);
  font.setUnderline(v.Underline);
  font.setStrikeOut(v.StrikeOut);
  return font;
}

void TakeQFont(const QFont& font, TFontValues& v, double dotsPerInch) {
  v.Name = FromQString(font.family());
  if (font.pointSizeF() > 0) {
    v.Size = static_cast<std::int32_t>(std::lround(font.pointSizeF()));
    v.Height = -static_cast<std::int32_t>(std::lround(font.pointSizeF() * dotsPerInch / 72.0));
  } else if (font.pixelSize() > 0) {
    v.Height = -font.pixelSize();
    v.Size = static_cast<std::int32_t>(std::lround(font.pixelSize() * 72.0 / dotsPerInch));
  }
  if (font.fixedPitch()) {
    v.Pitch = FontPitch::Fixed;
  } else if (v.Pitch == FontPitch::Fixed) {
    v.Pitch = FontPitch::Variable;
  }
  v.Bold = font.bold();
  v.Italic = font.italic();
  v.Underline = font.underline();
  v.StrikeOut = font.strikeOut();
}

QColor ToQColor(std::int32_t color) {
  if (color < 0) return {};
  const auto bgr = static_cast<std::uint32_t>(color);
  return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                static_cast<int>((bgr >> 16) & 0xFF));
}

std::int32_t FromQColor(const QColor& color) {
  if (!color.isValid()) return TFontValues{}.Color;
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(color.red()) |
                                   (static_cast<std::uint32_t>(color.green()) << 8) |
                                   (static_cast<std::uint32_t>(color.blue()) << 16));
}

}  // namespace qm
