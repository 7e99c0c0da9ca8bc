// The CSV data files (PLU table and message table) as the window loads and saves them: parse,
// refuse what the loaders refuse, store, write both layouts of the table, and load the written
// CSV file again. A saved file must load back to the same cells, except for the bytes the writer
// reports as written blanks.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "files/FileLayouts.h"
#include "tables/MessageTable.h"
#include "tables/PluColumns.h"
#include "tables/TextGrid.h"

namespace {

// The cell as the written file holds it: every reported byte a blank.
void Blank(std::vector<qm::Cells>& rows, const qm::ReplacedByte& b) {
  for (char& c :
       rows.at(static_cast<std::size_t>(b.row - 1)).at(static_cast<std::size_t>(b.column)))
    if (static_cast<unsigned char>(c) == b.byte) c = ' ';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::optional<qm::DataFileContent> content = qm::ParseDataFile(bytes);
  if (!content) return 0;
  if (content->kind == qm::DataFileKind::PluTable) {
    qm::TextGrid plu(qm::kPluColumnCount);
    plu.ReplaceDataRows(content->rows);
    (void)qm::WritePluNative(plu, nullptr);
    // A printable separator and a tab, which must end exactly one field each.
    for (char separator : {';', '\t'}) {
      std::vector<qm::ReplacedByte> replaced;
      const std::string again = qm::WritePluCsv(plu, separator, &replaced);
      std::optional<qm::DataFileContent> back = qm::ParseDataFile(again);
      if (!back) std::abort();  // a file the program wrote does not load
      std::vector<qm::Cells> expected;
      for (int r = 1; r <= qm::StoredRowCount(plu); ++r) expected.push_back(plu.Row(r));
      for (const qm::ReplacedByte& b : replaced) Blank(expected, b);
      if (back->rows != expected) std::abort();  // it loads as other cells
    }
    return 0;
  }
  if (qm::FindMessageNumberBeyondLimit(content->rows)) return 0;  // refused by the loaders
  qm::MessageTable messages;
  messages.Grid().ReplaceDataRows(content->rows);
  messages.Texts() = content->texts;
  (void)qm::WriteMessageNative(messages);
  for (char separator : {';', '\t'}) {
    if (!qm::ParseDataFile(qm::WriteMessageCsv(messages, separator))) std::abort();
  }
  return 0;
}
