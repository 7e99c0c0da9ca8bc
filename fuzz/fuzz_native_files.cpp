// The native files: ".plw" (nine lines a row) and ".msw" (texts, then the number and name
// columns). The first byte chooses the layout. A parsed file is stored and written again in its
// own layout and as CSV; a written ".plw" file must load back with as many rows.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "files/FileLayouts.h"
#include "tables/MessageTable.h"
#include "tables/PluColumns.h"
#include "tables/TextGrid.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  if (data[0] & 1) {
    std::optional<std::vector<qm::Cells>> rows = qm::ParsePluNative(bytes, nullptr);
    if (!rows) return 0;
    qm::TextGrid plu(qm::kPluColumnCount);
    plu.ReplaceDataRows(*rows);
    (void)qm::WritePluCsv(plu, ',');
    const std::optional<std::vector<qm::Cells>> back =
        qm::ParsePluNative(qm::WritePluNative(plu, nullptr), nullptr);
    if (!back || static_cast<int>(back->size()) != qm::StoredRowCount(plu)) std::abort();
    return 0;
  }
  std::optional<qm::MessageFileContent> content = qm::ParseMessageNative(bytes);
  if (!content || qm::FindMessageNumberBeyondLimit(content->rows)) return 0;
  qm::MessageTable messages;
  messages.Grid().ReplaceDataRows(content->rows);
  messages.Texts() = content->texts;
  (void)qm::WriteMessageCsv(messages, ';');
  if (!qm::ParseMessageNative(qm::WriteMessageNative(messages))) std::abort();
  return 0;
}
