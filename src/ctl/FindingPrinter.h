// The findings of a check as lines on the console, each with its place in front: the file, then
// the row and its column title, or the message number; then the box's caption and its text:
//   prices.csv: row 3 (Цена): Ошибка: Неправильная цена товара.
//   msgs.csv: message 2: Ошибка: Число строк в сообщении больше максимально допустимого (8).
// The size of the PLU table stands at the first row checked, "(Товар №)"; the size of the
// message table at the file alone. Texts are written as UTF-8.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "base/ScaleParams.h"
#include "tables/Validation.h"

namespace qm::ctl {

void PrintFinding(std::ostream& out, const std::string& file, const DataFinding& finding);
void PrintFindings(std::ostream& out, const std::string& file,
                   const std::vector<DataFinding>& findings);

// The check a write runs before it starts, over the tables it will write, printed: `scope`
// says which table and whether only the current row / message.
void PrintCheckBeforeWrite(std::ostream& out, const std::string& file,
                           const ValidationOptions& scope, const TextGrid& plu,
                           const MessageTable& messages, const TScaleParams& limits);

}  // namespace qm::ctl
