// The five data file layouts, as whole byte strings (Windows-1251, every line ended by CR LF).
//
//   1  CSV file with the PLU table      "Товары" + S; the 14 column titles; one record per row
//   2  CSV file with the message table  "Сообщения" + S; titles; one record per message, in
//                                       number order: number, name, then one field per line
//   3  native PLU file (".plw")         nine lines per row: PluNo, Name1, Name2, price in
//                                       kopecks, ShelfLife, tare in grams, ItemCode, GroupCode,
//                                       MessageNo; no header, Logo and sales are not kept
//   4  native message file (".msw")     one line per message text (comma text, number order);
//                                       then the number column and the name column of the grid,
//                                       each as comma text with its title first, in display order
//   5  sales totals report (".txt")     eleven lines, written only
//
// Writers produce the complete file. Readers parse a complete file into new table contents and
// never touch a table, so a caller replaces its table only when the whole file was good.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/NumberText.h"
#include "tables/TextGrid.h"
#include "tables/TotalsPage.h"

namespace qm {

class EventPump;
class MessageTable;

// Lines 1 of layouts 1 and 2 begin with these markers (Windows-1251).
const std::string& PluFileMarker();      // "Товары"
const std::string& MessageFileMarker();  // "Сообщения"

// Native PLU rows are read and written in steps of this many rows, the window handling its
// queued events between steps so that it keeps painting during a long table.
inline constexpr int kRowsPerEventStep = 16;

// The number of rows a table holds for the files. The grid always keeps one data row; a table
// that holds nothing (after loading a file without records) is that one row with every cell
// empty, and counts as no rows: it is written as a file without records.
int StoredRowCount(const TextGrid& grid);

// ---- Writing ----

// A byte of a cell that the layout cannot carry and that was written as a blank: a line break
// or a NUL in every layout (they would cut the row or make the file unreadable), 0x1A in a
// ".plw" file (it ends the file there) and 0x7F in a CSV file (it reads back as a blank). Every
// other byte comes back as it went in.
struct ReplacedByte {
  int row = 0;     // PLU: the table row; messages: the message number
  int column = 0;  // PLU: the column; messages: 0 the number, 1 the name, 2.. the text lines
  unsigned char byte = 0;
  bool operator==(const ReplacedByte&) const = default;
};

// Layout 1: the marker line, the title row and every data row, 14 fields each. `replaced` (may
// be null) receives the bytes written as blanks, in file order; so do the writers below.
std::string WritePluCsv(const TextGrid& plu, char separator,
                        std::vector<ReplacedByte>* replaced = nullptr);

// Layout 3. `pump` (may be null) handles queued events after every kRowsPerEventStep rows.
std::string WritePluNative(const TextGrid& plu, EventPump* pump,
                           std::vector<ReplacedByte>* replaced = nullptr);

// Layout 2. The records come out in number order whatever order the grid shows: each grid row's
// number (a cell that is not a whole number, or a number below 1, counts as 1) takes the row's
// name and that number's text. A text whose number no row shows is still written, as a record
// with its number and an empty name, so no text is lost. The file has a record for every number
// up to the highest, so the loaders keep numbers within kMaxMessageNumber.
std::string WriteMessageCsv(const MessageTable& messages, char separator,
                            std::vector<ReplacedByte>* replaced = nullptr);

// Layout 4.
std::string WriteMessageNative(const MessageTable& messages,
                               std::vector<ReplacedByte>* replaced = nullptr);

// A moment of local time, for the first line of the report.
struct ReportMoment {
  Date date;
  int hour = 0;
  int minute = 0;
  int second = 0;
};

// Layout 5, written at `at`.
std::string WriteTotalsReport(const TotalsPage& page, const ReportMoment& at);

// ---- Reading ----

// True when the bytes cannot be a text file of ours: they hold a NUL byte, which no layout
// writes and no text editor produces. Such a file is refused as a whole rather than loaded as
// cells cut at odd places.
bool HoldsBinaryBytes(std::string_view bytes);

enum class DataFileKind { PluTable, MessageTable };

// A character of a UTF-8 data file that Windows-1251 cannot hold. The cell holds '?' in its
// place, as it would for a character typed in the window.
struct UnmappedCharacter {
  int row = 0;     // the table row it went to, from 1 (the file's data lines in order)
  int column = 0;  // the PLU column; for messages 0 the number, 1 the name, 2.. the text lines
  char32_t codePoint = 0;
  bool operator==(const UnmappedCharacter&) const = default;
};

// A data file (layout 1 or 2) as read: rows ready for the grid (14 cells for the PLU table, 2
// for the message table; the grid keeps its own titles) and, for messages, the texts in file
// order as comma text.
struct DataFileContent {
  DataFileKind kind = DataFileKind::PluTable;
  char separator = ',';
  bool utf8 = false;  // the file was UTF-8 and its cells were converted
  std::vector<Cells> rows;
  std::vector<std::string> texts;
  std::vector<UnmappedCharacter> unmapped;  // in file order
};

// Layouts 1 and 2, told apart by the first characters of the text (exact and case-sensitive);
// the separator is the character right behind the marker. Files saved by spreadsheets load too:
//   - the marker may stand in double quotes, the separator right behind the closing quote;
//   - the text may be UTF-8, recognised by a byte-order mark or by a marker in UTF-8; it must
//     then be well-formed UTF-8 throughout and have a separator below 0x80, and every cell is
//     converted to Windows-1251 (see UnmappedCharacter);
//   - a spreadsheet makes every line as wide as the widest, so when the marker line is padded
//     with further separators, the empty fields at the end of a message record are padding and
//     not text lines (a message's own empty last lines cannot be told from it).
// Nothing when the text begins with neither marker, holds binary bytes, ends before its
// column-title line, or breaks one of the rules above, or when a quoted cell holds a line break
// (the loader reads line by line, so the cell's rest would become a row of its own and every
// finding and cell after it would be off by a row). When the fault has a line, `fault` (may be
// null) receives it.
struct DataFileFault {
  enum class Kind : std::uint8_t {
    None,
    InvalidUtf8,       // a UTF-8 text that is not well-formed: the line of the first bad byte
    LineBreakInQuotes  // the line whose quoted cell is still open at its end
  };
  Kind kind = Kind::None;
  int line = 0;  // from 1, counted as the loader splits lines
};
std::optional<DataFileContent> ParseDataFile(std::string_view bytes,
                                             DataFileFault* fault = nullptr);

// The title of a data file column for the operator: the PLU column's title, or for messages
// "№", "Название" and "Строка k" (Windows-1251).
std::string DataFileColumnTitle(DataFileKind kind, int column);

// Layout 3. A 0x1A byte ends the file; a lone CR is dropped; a row cut short at the end of the
// file gets empty values. Every row is normalised from kopecks and grams. `pump` (may be null)
// handles queued events after every kRowsPerEventStep rows. Nothing when the file holds binary
// bytes (before the 0x1A).
std::optional<std::vector<Cells>> ParsePluNative(std::string_view bytes, EventPump* pump);

// A message table read from a file whose number cells name a message beyond any scale's: the
// first data row (from 1) whose number cell is a whole number above kMaxMessageNumber, and that
// number. Such a table is refused as a whole (a cell that is no number at all counts as 1 and
// is left to the check).
struct MessageNumberBeyondLimit {
  int row = 0;
  std::int64_t number = 0;
};
std::optional<MessageNumberBeyondLimit> FindMessageNumberBeyondLimit(
    const std::vector<Cells>& rows);

// Layout 4: the grid rows in the file's display order (an empty number or name is stored as a
// single space, as is the number of a row beyond the last number given) and the texts in number
// order. Nothing when the file holds binary bytes or fewer than the two column lines.
struct MessageFileContent {
  std::vector<Cells> rows;
  std::vector<std::string> texts;
};
std::optional<MessageFileContent> ParseMessageNative(std::string_view bytes);

}  // namespace qm
