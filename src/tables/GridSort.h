// Sorting the data rows of a TextGrid by one column, as a click on a column title does.
//
// The title row (row 0) never moves. A sort moves whole rows, changes no cell and keeps the
// current row on the same data (TextGrid::ReorderDataRows). It is stable: rows whose keys are
// equal keep their previous relative order, ascending and descending alike, so sorting twice in
// the same direction changes nothing.
//
// Keys are compared in one of three ways:
//  - number: ParseDecimal ("." as decimal point);
//  - date and time: ParseDateTime ("dd.mm.yy" with an optional "hh:nn[:ss]");
//  - text: trimmed of blanks and control characters at both ends, then compared with
//    CollateCp1251 below.
// A number or date key that does not convert is equal to every other key. Such a row therefore
// never changes places with any row: it stays where it is and the rows between two such rows are
// sorted among themselves. (No ordering can make one key equal to all others and still sort the
// rest; keeping the unconvertible rows fixed is the only result that honours every "equal" pair.)
// A click never produces this case: the automatic style picks number or date only when every
// cell of the column converts.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

class StatusView;
class TextGrid;

enum SortStyle : std::uint8_t {
  kSortAuto = 0,  // decided per sort by GuessSortStyle
  kSortText = 1,
  kSortNumber = 2,
  kSortDate = 3,  // date and time
};

struct TSortOptions {
  std::uint8_t SortStyle = kSortAuto;  // 0..3, see above
  std::uint8_t SortDirection = 0;      // 0 ascending, 1 descending
  std::uint8_t SortExactLetters = 1;   // 1 compare as is; 0 upper-case both keys first
  friend bool operator==(const TSortOptions&, const TSortOptions&) = default;
};

// The options a release of a mouse button over a title starts with, before the grid's click
// handler adjusts them: automatic style, descending for the right button, ascending otherwise,
// letters compared exactly.
TSortOptions TitleClickOptions(bool rightButton);

// A title click on a column that remembers its direction (`toggle`: 0 ascending, 1 descending):
// the click sorts that way, and the next click on the same column sorts the other way.
inline void TakeRememberedDirection(int& toggle, TSortOptions& options) {
  options.SortDirection = static_cast<std::uint8_t>(toggle);
  toggle = toggle == 0 ? 1 : 0;
}

// Upper-cases a Windows-1251 text: Latin a..z and every Cyrillic lower-case letter of the set
// (а..я, ё, and the Ukrainian, Belarusian, Serbian and Macedonian letters) become their capitals.
std::string UpperCp1251(std::string_view text);

// The text collation of the grids, for Windows-1251 text. Three levels, like a locale collation:
//  1. letters alphabetically, case ignored: blanks and control characters first, then
//     punctuation and symbols (in code order), digits, Latin A..Z, then Cyrillic in alphabetical
//     order with Ё sorted as Е (Ґ Ѓ Ђ Є Ѕ І Ї Ј Ќ Љ Њ Ћ Ў Џ follow the letter they extend);
//     a text that is a prefix of another comes first;
//  2. then Е before Ё;
//  3. then lower case before upper case, as Windows orders "a" before "A".
// Texts equal on all three levels are ordered by their bytes, so only identical texts are equal.
// Returns <0, 0, >0.
int CollateCp1251(std::string_view a, std::string_view b);

// The byte string whose plain byte order is the order of CollateCp1251 (like strxfrm): sorts
// compute it once per row and then compare with memcmp.
std::string CollationKey(std::string_view text);

// 2 (number) when every data cell of the column converts to a number, else 3 (date) when every
// one converts to a date, else 1 (text). An empty cell converts to neither.
int GuessSortStyle(const TextGrid& grid, int column);

// The bare stable sort of the data rows by `column`. A style of 0 is taken as text here (only
// ClickSortColumn resolves the automatic style). Cost: one key per row, an index sort, and one
// move of each row; rows are never copied during the comparisons.
void SortRowsByColumn(TextGrid& grid, int column, const TSortOptions& options);

// The data-row order SortRowsByColumn would produce: entry i is the 0-based data row that would
// come i-th. Used to tell whether a column is already in order.
std::vector<int> SortedRowOrder(const TextGrid& grid, int column, const TSortOptions& options);

// What the window provides around a click sort.
class SortHooks {
 public:
  virtual ~SortHooks() = default;
  // A cell editor of the grid is open: the sort is refused (the edited text would end up in a
  // row that moved).
  virtual bool CellEditorOpen() const { return false; }
  // Before the sort, while the style may still be automatic (0); may change the options.
  virtual void BeginSort(int column, TSortOptions& options) {}
  virtual void EndSort(int column) {}
};

// The sort with its events: does nothing (and fires nothing) while a cell editor is open or
// when the grid has fewer than two data rows. Otherwise BeginSort, the automatic style resolved
// with GuessSortStyle, SortRowsByColumn, EndSort. Returns whether it sorted.
bool ClickSortColumn(TextGrid& grid, int column, TSortOptions options, SortHooks& hooks);

// The begin/end hooks both tables use: status panel 0 shows "Sorting..." (repainted at once)
// and then "Done.". `editorOpen`, when set, tells whether the grid's cell editor is open.
class SortStatusHooks : public SortHooks {
 public:
  explicit SortStatusHooks(StatusView* view, std::function<bool()> editorOpen = {})
      : view_(view), editorOpen_(std::move(editorOpen)) {}
  bool CellEditorOpen() const override { return editorOpen_ && editorOpen_(); }
  void BeginSort(int column, TSortOptions& options) override;
  void EndSort(int column) override;

 private:
  StatusView* view_;
  std::function<bool()> editorOpen_;
};

}  // namespace qm
