#include "tables/UnprintableCharacters.h"

#include "base/Cp1251.h"
#include "base/WireCodecs.h"
#include "tables/CommaText.h"
#include "tables/MessageTable.h"
#include "tables/PluColumns.h"

namespace qm {
namespace {

// The characters of `text` the scale cannot print, each once.
std::string Unprintable(const std::string& text) {
  std::string found;
  for (char c : text) {
    if (!ScaleCanPrint(c) && found.find(c) == std::string::npos) found += c;
  }
  return found;
}

// The logo's code characters go through the code page when a logo is chosen (the cell starts
// with a digit other than 0): the four characters after the digit and its separator.
std::string LogoCode(const std::string& logo) {
  if (logo.empty() || logo[0] == '0' || logo.size() <= 2) return {};
  return logo.substr(2, 4);
}

}  // namespace

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
  return (characters.size() == 1 ? kOne : kMany) + characters + kTail;
}

}  // namespace qm
