#include "ui/window/QtText.h"

#include <QList>

#include "base/Cp1251.h"

namespace qm {

QString ToQString(std::string_view cp1251) {
  QString text;
  text.reserve(static_cast<qsizetype>(cp1251.size()));
  for (char c : cp1251) {
    // Every Windows-1251 code point lies in the basic plane: one UTF-16 unit each.
    text += QChar(static_cast<char16_t>(Cp1251ToCodePoint(static_cast<std::uint8_t>(c))));
  }
  return text;
}

std::string FromQString(const QString& text) {
  std::string out;
  out.reserve(static_cast<std::size_t>(text.size()));
  for (char32_t cp : text.toUcs4()) out += static_cast<char>(CodePointToCp1251(cp));
  return out;
}

}  // namespace qm
