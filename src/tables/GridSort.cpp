#include "tables/GridSort.h"

#include <algorithm>
#include <array>
#include <numeric>
#include <optional>
#include <utility>

#include "base/NumberText.h"
#include "base/StatusView.h"
#include "tables/TextGrid.h"

namespace qm {
namespace {

// Per-byte weights of the three collation levels, and the upper-case map.
struct CollationTables {
  std::array<std::uint8_t, 256> primary{};
  std::array<std::uint8_t, 256> secondary{};
  std::array<std::uint8_t, 256> tertiary{};
  std::array<std::uint8_t, 256> upper{};

  CollationTables() {
    // Letters as (capital, small) pairs in alphabetical order; Ё shares the weight of Е.
    static constexpr std::pair<std::uint8_t, std::uint8_t> kCyrillic[] = {
        {0xC0, 0xE0}, {0xC1, 0xE1}, {0xC2, 0xE2}, {0xC3, 0xE3}, {0xA5, 0xB4},  // А Б В Г Ґ
        {0x81, 0x83}, {0xC4, 0xE4}, {0x80, 0x90}, {0xC5, 0xE5}, {0xAA, 0xBA},  // Ѓ Д Ђ Е Є
        {0xC6, 0xE6}, {0xC7, 0xE7}, {0xBD, 0xBE}, {0xC8, 0xE8}, {0xB2, 0xB3},  // Ж З Ѕ И І
        {0xAF, 0xBF}, {0xC9, 0xE9}, {0xA3, 0xBC}, {0xCA, 0xEA}, {0x8D, 0x9D},  // Ї Й Ј К Ќ
        {0xCB, 0xEB}, {0x8A, 0x9A}, {0xCC, 0xEC}, {0xCD, 0xED}, {0x8C, 0x9C},  // Л Љ М Н Њ
        {0xCE, 0xEE}, {0xCF, 0xEF}, {0xD0, 0xF0}, {0xD1, 0xF1}, {0xD2, 0xF2},  // О П Р С Т
        {0x8E, 0x9E}, {0xD3, 0xF3}, {0xA1, 0xA2}, {0xD4, 0xF4}, {0xD5, 0xF5},  // Ћ У Ў Ф Х
        {0xD6, 0xF6}, {0xD7, 0xF7}, {0x8F, 0x9F}, {0xD8, 0xF8}, {0xD9, 0xF9},  // Ц Ч Џ Ш Щ
        {0xDA, 0xFA}, {0xDB, 0xFB}, {0xDC, 0xFC}, {0xDD, 0xFD}, {0xDE, 0xFE},  // Ъ Ы Ь Э Ю
        {0xDF, 0xFF},                                                          // Я
    };
    constexpr std::uint8_t kYoCapital = 0xA8, kYoSmall = 0xB8;

    std::array<bool, 256> letter{};
    for (int c = 'A'; c <= 'Z'; ++c) letter[c] = letter[c + 32] = true;
    for (auto [cap, small] : kCyrillic) letter[cap] = letter[small] = true;
    letter[kYoCapital] = letter[kYoSmall] = true;
    auto isDigit = [](int c) { return c >= '0' && c <= '9'; };
    auto isBlank = [](int c) { return c <= 0x20 || c == 0xA0; };

    for (int c = 0; c < 256; ++c) {
      upper[c] = static_cast<std::uint8_t>(c);
      secondary[c] = 1;
      tertiary[c] = 1;
    }
    std::uint8_t w = 1;
    for (int c = 0; c < 256; ++c)
      if (isBlank(c)) primary[c] = w;
    for (int c = 0; c < 256; ++c)
      if (!isBlank(c) && !isDigit(c) && !letter[c]) primary[c] = ++w;
    for (int c = '0'; c <= '9'; ++c) primary[c] = ++w;
    auto addLetter = [&](std::uint8_t cap, std::uint8_t small) {
      primary[cap] = primary[small] = ++w;
      upper[small] = cap;
      tertiary[cap] = 2;
    };
    for (int c = 'A'; c <= 'Z'; ++c) addLetter(static_cast<std::uint8_t>(c), c + 32);
    for (auto [cap, small] : kCyrillic) {
      addLetter(cap, small);
      if (cap == 0xC5) {  // Е: Ё sorts with it, after it on the second level
        primary[kYoCapital] = primary[kYoSmall] = w;
        secondary[kYoCapital] = secondary[kYoSmall] = 2;
        upper[kYoSmall] = kYoCapital;
        tertiary[kYoCapital] = 2;
      }
    }
  }
};

const CollationTables& Tables() {
  static const CollationTables kTables;
  return kTables;
}

std::optional<double> NumericKey(std::string_view cell, int style) {
  return style == kSortNumber ? ParseDecimal(cell) : ParseDateTime(cell);
}

// Stable-sorts `order` by number or date keys. A key that does not convert is equal to every
// key, so no row may pass it: the runs between such rows are sorted separately.
void SortNumeric(const TextGrid& grid, int column, int style, bool descending,
                 std::vector<int>& order) {
  const int n = static_cast<int>(order.size());
  std::vector<std::optional<double>> keys(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) keys[i] = NumericKey(grid.Cell(column, i + 1), style);
  auto less = [&](int a, int b) { return descending ? *keys[b] < *keys[a] : *keys[a] < *keys[b]; };
  int start = 0;
  for (int i = 0; i <= n; ++i) {
    if (i == n || !keys[i]) {
      std::stable_sort(order.begin() + start, order.begin() + i, less);
      start = i + 1;
    }
  }
}

void SortText(const TextGrid& grid, int column, bool exactLetters, bool descending,
              std::vector<int>& order) {
  const int n = static_cast<int>(order.size());
  std::vector<std::string> keys(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    std::string_view cell = TrimBlanks(grid.Cell(column, i + 1));
    keys[i] = exactLetters ? CollationKey(cell) : CollationKey(UpperCp1251(cell));
  }
  auto less = [&](int a, int b) { return descending ? keys[b] < keys[a] : keys[a] < keys[b]; };
  std::stable_sort(order.begin(), order.end(), less);
}

}  // namespace

TSortOptions TitleClickOptions(bool rightButton) {
  TSortOptions options;
  options.SortStyle = kSortAuto;
  options.SortDirection = rightButton ? 1 : 0;
  options.SortExactLetters = 1;
  return options;
}

std::string UpperCp1251(std::string_view text) {
  const CollationTables& t = Tables();
  std::string out(text);
  for (char& c : out) c = static_cast<char>(t.upper[static_cast<std::uint8_t>(c)]);
  return out;
}

std::string CollationKey(std::string_view text) {
  const CollationTables& t = Tables();
  std::string key;
  key.reserve(text.size() * 4 + 3);
  for (char c : text) key.push_back(static_cast<char>(t.primary[static_cast<std::uint8_t>(c)]));
  key.push_back('\0');
  for (char c : text) key.push_back(static_cast<char>(t.secondary[static_cast<std::uint8_t>(c)]));
  key.push_back('\0');
  for (char c : text) key.push_back(static_cast<char>(t.tertiary[static_cast<std::uint8_t>(c)]));
  key.push_back('\0');
  key.append(text);
  return key;
}

int CollateCp1251(std::string_view a, std::string_view b) {
  return CollationKey(a).compare(CollationKey(b));
}

int GuessSortStyle(const TextGrid& grid, int column) {
  bool number = true;
  bool date = true;
  for (int r = 1; r < grid.RowCount() && (number || date); ++r) {
    const std::string& cell = grid.Cell(column, r);
    if (number && !ParseDecimal(cell)) number = false;
    if (date && !ParseShortDate(cell)) date = false;
  }
  if (number) return kSortNumber;
  if (date) return kSortDate;
  return kSortText;
}

std::vector<int> SortedRowOrder(const TextGrid& grid, int column, const TSortOptions& options) {
  std::vector<int> order(static_cast<std::size_t>(grid.DataRowCount()));
  std::iota(order.begin(), order.end(), 0);
  const bool descending = options.SortDirection != 0;
  if (options.SortStyle == kSortNumber || options.SortStyle == kSortDate) {
    SortNumeric(grid, column, options.SortStyle, descending, order);
  } else {
    SortText(grid, column, options.SortExactLetters != 0, descending, order);
  }
  return order;
}

void SortRowsByColumn(TextGrid& grid, int column, const TSortOptions& options) {
  std::vector<int> order = SortedRowOrder(grid, column, options);
  bool unchanged = true;
  for (std::size_t i = 0; i < order.size() && unchanged; ++i)
    unchanged = order[i] == static_cast<int>(i);
  if (!unchanged) grid.ReorderDataRows(order);
}

bool ClickSortColumn(TextGrid& grid, int column, TSortOptions options, SortHooks& hooks) {
  if (hooks.CellEditorOpen() || grid.DataRowCount() < 2) return false;
  hooks.BeginSort(column, options);
  if (options.SortStyle == kSortAuto)
    options.SortStyle = static_cast<std::uint8_t>(GuessSortStyle(grid, column));
  SortRowsByColumn(grid, column, options);
  hooks.EndSort(column);
  return true;
}

void SortStatusHooks::BeginSort(int, TSortOptions&) {
  if (view_) view_->SetStatusText(kPanelActivity, "Sorting...", true);
}

void SortStatusHooks::EndSort(int) {
  if (view_) view_->SetStatusText(kPanelActivity, "Done.");
}

}  // namespace qm
