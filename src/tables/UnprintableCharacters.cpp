#include "tables/UnprintableCharacters.h"

#include <cstdio>

#include "base/Cp1251.h"
#include "base/WireCodecs.h"
#include "tables/CommaText.h"
#include "tables/MessageTable.h"
#include "tables/PluColumns.h"

namespace qm {
namespace {

// The characters of `text` the scale cannot print or takes as commands, each once.
std::string Unprintable(const std::string& text) {
  std::string found;
  for (char c : text) {
    if ((!ScaleCanPrint(c) || IsControlCharacter(c)) && found.find(c) == std::string::npos) {
      found += c;
    }
  }
  return found;
}

// The usual short name of a control character.
std::string ControlName(char c) {
  static const char* const kNames[32] = {"NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL",
                                         "BS",  "TAB", "LF",  "VT",  "FF",  "CR",  "SO",  "SI",
                                         "DLE", "DC1", "DC2", "DC3", "DC4", "NAK", "SYN", "ETB",
                                         "CAN", "EM",  "SUB", "ESC", "FS",  "GS",  "RS",  "US"};
  const auto u = static_cast<unsigned char>(c);
  return u < 32 ? kNames[u] : "DEL";
}

// The logo's code characters go through the code page when a logo is chosen (the cell starts
// with a digit other than 0): the four characters after the digit and its separator.
std::string LogoCode(const std::string& logo) {
  if (logo.empty() || logo[0] == '0' || logo.size() <= 2) return {};
  return logo.substr(2, 4);
}

}  // namespace

bool IsControlCharacter(char cp1251) {
  const auto u = static_cast<unsigned char>(cp1251);
  return u < 0x20 || u == 0x7F;
}

bool ScaleCanPrint(char cp1251) {
  return cp1251 == '*' || ToScaleCodePage(std::string_view(&cp1251, 1)) != "*";
}

std::vector<UnprintableCell> FindUnprintable(const TextGrid& pluGrid,
                                             const MessageTable* messages) {
  std::vector<UnprintableCell> cells;
  for (int row = 1; row <= pluGrid.DataRowCount(); ++row) {
    const Cells& cellsOfRow = pluGrid.Row(row);
    for (int column : {kName1, kName2, kLogo}) {
      const std::string& cell = cellsOfRow.at(static_cast<std::size_t>(column));
      std::string found = Unprintable(column == kLogo ? LogoCode(cell) : cell);
      if (!found.empty()) cells.push_back({false, row, column, std::move(found)});
    }
  }
  if (messages == nullptr) return cells;
  for (int number = 1; number <= static_cast<int>(messages->Texts().size()); ++number) {
    const std::vector<std::string> lines = FromCommaText(messages->TextOf(number));
    for (std::size_t line = 0; line < lines.size(); ++line) {
      std::string found = Unprintable(lines[line]);
      if (!found.empty()) {
        cells.push_back({true, number, static_cast<int>(line) + 1, std::move(found)});
      }
    }
  }
  return cells;
}

std::string UnprintableText(const std::string& characters) {
  static const std::string kOne = Win1251("Символа \""), kMany = Win1251("Символов \"");
  static const std::string kTail =
      Win1251("\" нет в кодовой странице весов, на этикетке будет \"*\".");
  static const std::string kControlOne = Win1251("Управляющий символ "),
                           kControlMany = Win1251("Управляющие символы ");
  static const std::string kControlOneTail = Win1251(" будет передан весам как есть."),
                           kControlManyTail = Win1251(" будут переданы весам как есть.");
  std::string signs, controls;
  int controlCount = 0;
  for (char c : characters) {
    if (!IsControlCharacter(c)) {
      signs += c;
      continue;
    }
    char code[8];
    std::snprintf(code, sizeof code, " (0x%02X)", static_cast<unsigned char>(c));
    controls += (controlCount++ ? ", " : "") + ControlName(c) + code;
  }
  std::string text;
  if (!signs.empty()) text = (signs.size() == 1 ? kOne : kMany) + signs + kTail;
  if (controlCount > 0) {
    if (!text.empty()) text += ' ';
    text += controlCount == 1 ? kControlOne + controls + kControlOneTail
                              : kControlMany + controls + kControlManyTail;
  }
  return text;
}

std::string ShownCharacters(const std::string& characters) {
  std::string shown;
  for (char c : characters) {
    if (IsControlCharacter(c)) {
      shown += "<" + ControlName(c) + ">";
    } else {
      shown += c;
    }
  }
  return shown;
}

}  // namespace qm
