// The program font as the settings keep it: the values of a Windows font description, held as
// plain numbers and text so that they survive a round trip through the settings even where the
// window system has no use for some of them (character set, system colours).
#pragma once

#include <cstdint>
#include <string>

namespace qm {

enum class FontPitch : std::int32_t { Default = 0, Variable = 1, Fixed = 2 };

struct TFontValues {
  std::int32_t CharSet = 1;            // DEFAULT_CHARSET
  std::int32_t Color = -16777208;      // the system's window-text colour (0x80000008)
  std::int32_t Height = -11;           // pixels; negative = character height without leading
  std::string Name = "MS Sans Serif";  // face name, Windows-1251
  FontPitch Pitch = FontPitch::Default;
  std::int32_t Size = 8;  // points; decides the size when both are given
  bool Bold = false;
  bool Italic = false;
  bool Underline = false;
  bool StrikeOut = false;

  friend bool operator==(const TFontValues&, const TFontValues&) = default;
};

// The style letters "B", "I", "U", "S" of the set styles, in that order ("" when none).
std::string StyleLetters(const TFontValues& font);

// Clears the style, then sets each style whose letter the text contains anywhere (in any order;
// other characters are ignored, so "X" gives no style).
void ApplyStyleLetters(const std::string& letters, TFontValues& font);

}  // namespace qm
