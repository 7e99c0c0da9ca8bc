#include "app/FontValues.h"

namespace qm {

std::string StyleLetters(const TFontValues& font) {
  std::string letters;
  if (font.Bold) letters += 'B';
  if (font.Italic) letters += 'I';
  if (font.Underline) letters += 'U';
  if (font.StrikeOut) letters += 'S';
  return letters;
}

void ApplyStyleLetters(const std::string& letters, TFontValues& font) {
  const auto has = [&](char c) { return letters.find(c) != std::string::npos; };
  font.Bold = has('B');
  font.Italic = has('I');
  font.Underline = has('U');
  font.StrikeOut = has('S');
}

}  // namespace qm
