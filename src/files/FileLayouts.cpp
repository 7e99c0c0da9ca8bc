#include "files/FileLayouts.h"

#include <algorithm>
#include <cstdio>

#include "base/Cp1251.h"
#include "base/EventPump.h"
#include "files/CsvText.h"
#include "files/Utf8Text.h"
#include "tables/CommaText.h"
#include "tables/MessageTable.h"
#include "tables/PluColumns.h"
#include "tables/PluTable.h"

namespace qm {
namespace {

// The nine values of a native PLU record are the first nine columns of the table.
constexpr int kNativePluLines = 9;
constexpr char kEndOfFile = '\x1A';

void AppendLine(std::string& out, std::string_view line) {
  out += line;
  out += kLineEnd;
}

// Price or tare cell in minor units (kopecks, grams): the table's value times `scale`, rounded;
// an unreadable cell counts as 0.
std::string MinorUnits(const std::string& cell, double scale) {
  return std::to_string(RoundHalfAway(ParseDecimal(cell).value_or(0.0) * scale));
}

// The text up to its first line break.
std::string_view FirstLine(std::string_view text) {
  return text.substr(0, std::min(text.find('\r'), text.find('\n')));
}

std::string TwoDigits(int value) {
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, "%02d", value);
  return buffer;
}

std::string OrSingleSpace(std::string text) {
  return text.empty() ? std::string(" ") : text;
}

// The bytes each layout cannot carry in a cell (see ReplacedByte). NUL is written out as a
// character of its own, so the sets are views with an explicit length.
constexpr std::string_view kCsvBreaks("\0\r\n\x7F", 4);
constexpr std::string_view kPlwBreaks("\0\r\n\x1A", 4);
constexpr std::string_view kMswBreaks("\0\r\n", 3);

// The cell as the layout can carry it: every byte of `breaks` becomes a blank and is recorded.
// Ordinary cells are returned as they stand.
std::string Carried(std::string_view cell, std::string_view breaks, int row, int column,
                    std::vector<ReplacedByte>* replaced) {
  std::string out(cell);
  for (char& c : out) {
    if (breaks.find(c) == std::string_view::npos) continue;
    if (replaced) replaced->push_back({row, column, static_cast<unsigned char>(c)});
    c = ' ';
  }
  return out;
}

bool HoldsAny(std::string_view text, std::string_view bytes) {
  return text.find_first_of(bytes) != std::string_view::npos;
}

}  // namespace

const std::string& PluFileMarker() {
  static const std::string marker = Win1251("Товары");
  return marker;
}

const std::string& MessageFileMarker() {
  static const std::string marker = Win1251("Сообщения");
  return marker;
}

int StoredRowCount(const TextGrid& grid) {
  if (grid.DataRowCount() == 1) {
    const Cells& row = grid.Row(1);
    if (std::all_of(row.begin(), row.end(), [](const std::string& c) { return c.empty(); }))
      return 0;
  }
  return grid.DataRowCount();
}

// ---- Writing ----

std::string WritePluCsv(const TextGrid& plu, char separator, std::vector<ReplacedByte>* replaced) {
  std::string out;
  AppendLine(out, PluFileMarker() + separator);
  const int rows = StoredRowCount(plu);
  for (int r = 0; r <= rows; ++r) {
    Cells cells = plu.Row(r);
    cells.resize(kPluColumnCount);
    for (int c = 0; c < kPluColumnCount; ++c) {
      std::string& cell = cells[static_cast<std::size_t>(c)];
      if (HoldsAny(cell, kCsvBreaks)) cell = Carried(cell, kCsvBreaks, r, c, replaced);
    }
    AppendLine(out, JoinCsvRecord(cells, separator));
  }
  return out;
}

std::string WritePluNative(const TextGrid& plu, EventPump* pump,
                           std::vector<ReplacedByte>* replaced) {
  std::string out;
  const int rows = StoredRowCount(plu);
  for (int r = 1; r <= rows; ++r) {
    auto cell = [&](int column) {
      return Carried(plu.Cell(column, r), kPlwBreaks, r, column, replaced);
    };
    AppendLine(out, cell(kPluNo));
    AppendLine(out, cell(kName1));
    AppendLine(out, cell(kName2));
    AppendLine(out, MinorUnits(plu.Cell(kPrice, r), 100.0));
    AppendLine(out, cell(kShelfLife));
    AppendLine(out, MinorUnits(plu.Cell(kTare, r), 1000.0));
    AppendLine(out, cell(kItemCode));
    AppendLine(out, cell(kGroupCode));
    AppendLine(out, cell(kMessageNo));
    if (pump && r % kRowsPerEventStep == 0) pump->ProcessQueuedEvents();
  }
  return out;
}

std::string WriteMessageCsv(const MessageTable& messages, char separator,
                            std::vector<ReplacedByte>* replaced) {
  const TextGrid& grid = messages.Grid();
  std::vector<std::string> texts = messages.Texts();
  std::vector<std::optional<std::string>> records(texts.size());
  std::size_t maxLines = 0;

  auto record = [&](int number, const std::string& name) {
    const std::size_t k = static_cast<std::size_t>(number);
    if (k > texts.size()) {
      texts.resize(k);
      records.resize(k);
    }
    std::vector<std::string> fields = FromCommaText(texts[k - 1]);
    maxLines = std::max(maxLines, fields.size());
    fields.insert(fields.begin(), {std::to_string(number), name});
    for (std::size_t c = 1; c < fields.size(); ++c) {
      if (HoldsAny(fields[c], kCsvBreaks))
        fields[c] = Carried(fields[c], kCsvBreaks, number, static_cast<int>(c), replaced);
    }
    records[k - 1] = JoinCsvRecord(fields, separator);
  };

  const int rows = StoredRowCount(grid);
  for (int r = 1; r <= rows; ++r) {
    const int number = std::max(1, ParseInt(grid.Cell(kMsgNo, r)).value_or(1));
    record(number, grid.Cell(kMsgName, r));
  }
  for (std::size_t k = 0; k < records.size(); ++k) {
    if (!records[k]) record(static_cast<int>(k + 1), std::string());
  }

  std::vector<std::string> titles{grid.Cell(kMsgNo, 0), grid.Cell(kMsgName, 0)};
  const std::string lineTitle = Win1251("Строка ");
  for (std::size_t k = 1; k <= maxLines; ++k) titles.push_back(lineTitle + std::to_string(k));

  std::string out;
  AppendLine(out, MessageFileMarker() + separator);
  AppendLine(out, JoinCsvRecord(titles, separator));
  for (const std::optional<std::string>& r : records) AppendLine(out, *r);
  return out;
}

std::string WriteMessageNative(const MessageTable& messages, std::vector<ReplacedByte>* replaced) {
  const TextGrid& grid = messages.Grid();
  std::string out;
  int number = 0;
  for (const std::string& text : messages.Texts()) {
    ++number;
    if (!HoldsAny(text, kMswBreaks)) {  // the text goes out as it is held
      AppendLine(out, text);
      continue;
    }
    std::vector<std::string> lines = FromCommaText(text);
    for (std::size_t k = 0; k < lines.size(); ++k)
      lines[k] = Carried(lines[k], kMswBreaks, number, static_cast<int>(k) + 2, replaced);
    // A break outside quotes only separated lines: the lines themselves may be ordinary.
    AppendLine(out, Carried(ToCommaText(lines), kMswBreaks, number, 2, nullptr));
  }
  const int rows = StoredRowCount(grid);
  for (int column : {kMsgNo, kMsgName}) {
    std::vector<std::string> items;
    items.reserve(static_cast<std::size_t>(rows) + 1);
    for (int r = 0; r <= rows; ++r) {
      const std::string& cell = grid.Cell(column, r);
      // The row's number names the message in the report.
      items.push_back(HoldsAny(cell, kMswBreaks)
                          ? Carried(cell, kMswBreaks, messages.NumberAt(r, r), column, replaced)
                          : cell);
    }
    AppendLine(out, ToCommaText(items));
  }
  return out;
}

std::string WriteTotalsReport(const TotalsPage& page, const ReportMoment& at) {
  struct Line {
    const char* label;  // UTF-8
    const std::string* value;
    const char* unit;  // UTF-8, with its leading blank
  };
  const Line lines[] = {
      {"Общая сумма: ", &page.sum, " руб."},
      {"Общий вес: ", &page.weight, " кг."},
      {"Количество продаж: ", &page.sells, ""},
      {"Сумма по всем PLU: ", &page.sumPlu, " руб."},
      {"Вес по всем PLU: ", &page.weightPlu, " кг."},
      {"Продаж по всем PLU: ", &page.sellsPlu, ""},
      {"Свободных PLU: ", &page.freePlu, ""},
      {"Свободных сообщений: ", &page.freeMsg, ""},
      {"Израсходовано этикеток: ", &page.labels, ""},
      {"Общий пробег: ", &page.run, " мм."},
  };
  std::string out;
  AppendLine(out, std::string(FirstLine(page.title)) + Win1251(" по ") + FormatShortDate(at.date) +
                      ", " + TwoDigits(at.hour) + ":" + TwoDigits(at.minute) + ":" +
                      TwoDigits(at.second));
  for (const Line& line : lines) {
    AppendLine(out, Win1251(line.label) + std::string(FirstLine(*line.value)) + Win1251(line.unit));
  }
  return out;
}

// ---- Reading ----

bool HoldsBinaryBytes(std::string_view bytes) {
  return bytes.find('\0') != std::string_view::npos;
}

namespace {

// What the first line of a data file says.
struct MarkerLine {
  DataFileKind kind = DataFileKind::PluTable;
  bool utf8 = false;
  char separator = '\0';
  bool padded = false;  // further separators and nothing else follow
};

std::optional<MarkerLine> ReadMarkerLine(std::string_view text) {
  MarkerLine line;
  const bool bom = text.starts_with(kUtf8Bom);
  if (bom) text.remove_prefix(kUtf8Bom.size());
  const bool quoted = text.starts_with('"');
  if (quoted) text.remove_prefix(1);

  static const std::string kPluUtf8 = Utf8(PluFileMarker());
  static const std::string kMessageUtf8 = Utf8(MessageFileMarker());
  struct Candidate {
    const std::string& marker;
    DataFileKind kind;
    bool utf8;
  };
  const Candidate candidates[] = {
      {PluFileMarker(), DataFileKind::PluTable, false},
      {kPluUtf8, DataFileKind::PluTable, true},
      {MessageFileMarker(), DataFileKind::MessageTable, false},
      {kMessageUtf8, DataFileKind::MessageTable, true},
  };
  const Candidate* found = nullptr;
  for (const Candidate& c : candidates) {
    // Behind a byte-order mark only the UTF-8 markers count.
    if ((c.utf8 || !bom) && text.starts_with(c.marker)) {
      found = &c;
      break;
    }
  }
  if (!found) return std::nullopt;
  line.kind = found->kind;
  line.utf8 = found->utf8;
  text.remove_prefix(found->marker.size());

  if (quoted) {
    // The separator must follow the closing quote on the same line.
    if (!text.starts_with('"') || text.size() < 2) return std::nullopt;
    text.remove_prefix(1);
    if (text[0] == '\r' || text[0] == '\n' || text[0] == '"') return std::nullopt;
  }
  line.separator = text.empty() ? '\0' : text[0];
  if (line.utf8 && static_cast<unsigned char>(line.separator) >= 0x80) return std::nullopt;

  const std::string_view rest = FirstLine(text.substr(text.empty() ? 0 : 1));
  line.padded = !rest.empty() && rest.find_first_not_of(line.separator) == std::string_view::npos;
  return line;
}

// The line (from 1) that holds byte `offset`, the line ends counted as SplitLines counts them
// with a lone CR ending a line.
int LineAt(std::string_view text, std::size_t offset) {
  int line = 1;
  for (std::size_t i = 0; i < offset; ++i) {
    if (text[i] == '\n' || (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n')))
      ++line;
  }
  return line;
}

// The empty fields at the end of a message record that a spreadsheet added; the number and the
// name stay.
void DropPadding(std::vector<std::string>& fields) {
  while (fields.size() > 2 && fields.back().empty()) fields.pop_back();
}

}  // namespace

std::optional<DataFileContent> ParseDataFile(std::string_view bytes, DataFileFault* fault) {
  if (HoldsBinaryBytes(bytes)) return std::nullopt;
  const std::optional<MarkerLine> marker = ReadMarkerLine(bytes);
  if (!marker) return std::nullopt;
  if (marker->utf8) {
    if (const std::optional<std::size_t> bad = FindInvalidUtf8(bytes)) {
      if (fault) *fault = {DataFileFault::Kind::InvalidUtf8, LineAt(bytes, *bad)};
      return std::nullopt;
    }
  }
  DataFileContent content;
  content.kind = marker->kind;
  content.separator = marker->separator;
  content.utf8 = marker->utf8;

  std::string guarded(bytes);
  std::replace(guarded.begin(), guarded.end(), ' ', kSpaceGuard);
  std::vector<std::string> lines = SplitLines(guarded, /*loneCrEndsLine=*/true);
  // Line 1 is the marker line, line 2 the column titles (the grids keep their own).
  if (lines.size() < 2) return std::nullopt;

  // The structure of a UTF-8 line is all ASCII, so it splits like a Windows-1251 one; then each
  // field that reaches the table is converted on its own, which knows its row and column.
  std::vector<char32_t> unmapped;
  auto convert = [&](std::string& field, int row, int column) {
    if (!content.utf8) return;
    unmapped.clear();
    field = Utf8ToWin1251(field, &unmapped);
    for (char32_t cp : unmapped) content.unmapped.push_back({row, column, cp});
  };

  // Blanks are guarded in the lines, a blank separator with them.
  const char splitOn = content.separator == ' ' ? kSpaceGuard : content.separator;
  content.rows.reserve(lines.size() - 2);
  for (std::size_t i = 2; i < lines.size(); ++i) {
    const int row = static_cast<int>(i - 1);
    bool quoteLeftOpen = false;
    std::vector<std::string> fields = SplitCsvLine(lines[i], splitOn, &quoteLeftOpen);
    if (quoteLeftOpen) {
      if (fault) *fault = {DataFileFault::Kind::LineBreakInQuotes, static_cast<int>(i + 1)};
      return std::nullopt;
    }
    if (content.kind == DataFileKind::PluTable) {
      fields.resize(kPluColumnCount);
      for (int c = 0; c < kPluColumnCount; ++c)
        convert(fields[static_cast<std::size_t>(c)], row, c);
      content.rows.push_back(std::move(fields));
    } else {
      if (marker->padded) DropPadding(fields);
      for (std::size_t c = 0; c < fields.size(); ++c) convert(fields[c], row, static_cast<int>(c));
      Cells cells(kMessageColumnCount);
      for (std::size_t c = 0; c < cells.size() && c < fields.size(); ++c) cells[c] = fields[c];
      const std::vector<std::string> textLines(
          fields.begin() + static_cast<std::ptrdiff_t>(std::min<std::size_t>(2, fields.size())),
          fields.end());
      content.rows.push_back(std::move(cells));
      content.texts.push_back(ToCommaText(textLines));
    }
  }
  return content;
}

std::string DataFileColumnTitle(DataFileKind kind, int column) {
  if (kind == DataFileKind::PluTable) {
    return PluColumnTitles().at(static_cast<std::size_t>(column));
  }
  static const MessageTable kFresh;
  if (column < kMessageColumnCount) return kFresh.Grid().Cell(column, 0);
  static const std::string kLine = Win1251("Строка ");
  return kLine + std::to_string(column - 1);
}

std::optional<std::vector<Cells>> ParsePluNative(std::string_view bytes, EventPump* pump) {
  const std::string_view text = bytes.substr(0, bytes.find(kEndOfFile));
  if (HoldsBinaryBytes(text)) return std::nullopt;
  const std::vector<std::string> lines = SplitLines(text, /*loneCrEndsLine=*/false);
  std::vector<Cells> rows;
  rows.reserve((lines.size() + kNativePluLines - 1) / kNativePluLines);
  for (std::size_t first = 0; first < lines.size(); first += kNativePluLines) {
    Cells row(kPluColumnCount);
    for (std::size_t j = 0; j < kNativePluLines && first + j < lines.size(); ++j) {
      row[j] = lines[first + j];
    }
    NormalizePluRow(row, /*fromMinorUnits=*/true, /*salesNumeric=*/false);
    rows.push_back(std::move(row));
    if (pump && rows.size() % kRowsPerEventStep == 0) pump->ProcessQueuedEvents();
  }
  return rows;
}

std::optional<MessageNumberBeyondLimit> FindMessageNumberBeyondLimit(
    const std::vector<Cells>& rows) {
  for (std::size_t r = 0; r < rows.size(); ++r) {
    if (rows[r].empty()) continue;
    const std::optional<std::int32_t> number = ParseInt(rows[r][kMsgNo]);
    if (number && *number > kMaxMessageNumber) return {{static_cast<int>(r) + 1, *number}};
  }
  return std::nullopt;
}

std::optional<MessageFileContent> ParseMessageNative(std::string_view bytes) {
  if (HoldsBinaryBytes(bytes)) return std::nullopt;
  std::vector<std::string> lines = SplitLines(bytes, /*loneCrEndsLine=*/true);
  if (lines.size() < 2) return std::nullopt;
  const std::vector<std::string> names = FromCommaText(lines[lines.size() - 1]);
  const std::vector<std::string> numbers = FromCommaText(lines[lines.size() - 2]);
  MessageFileContent content;
  // The first item of each column line is the stored column title; the grid keeps its own.
  for (std::size_t i = 1; i < names.size(); ++i) {
    content.rows.push_back(
        {OrSingleSpace(i < numbers.size() ? numbers[i] : std::string()), OrSingleSpace(names[i])});
  }
  lines.resize(lines.size() - 2);
  content.texts = std::move(lines);
  return content;
}

}  // namespace qm
