// The fourteen columns of the PLU table, in their fixed order. The index is the cell index used
// everywhere: the wire record, the files, validation and the grid.
#pragma once

#include <string>
#include <vector>

namespace qm {

enum PluColumn : int {
  kPluNo = 0,        // "Товар №"       PLU number
  kName1 = 1,        // "Наименование 1"
  kName2 = 2,        // "Наименование 2"
  kPrice = 3,        // "Цена"          roubles, two decimals
  kShelfLife = 4,    // "Срок хранения" days, or a use-by date dd.mm.yy
  kTare = 5,         // "Вес тары"      kg, three decimals
  kItemCode = 6,     // "Код"
  kGroupCode = 7,    // "Код группы"
  kMessageNo = 8,    // "Сообщение №"   0 = no message
  kLogo = 9,         // "Логотип"       logo digit, a blank, certification-body code
  kSalesStart = 10,  // "Начало продаж" date, ", ", time
  kSalesCount = 11,  // "Количество"
  kSalesAmount = 12, // "Сумма"         roubles
  kSalesWeight = 13, // "Вес"           kg
};
inline constexpr int kPluColumnCount = 14;

// The column titles (row 0 of the table), Windows-1251.
const std::vector<std::string>& PluColumnTitles();

}  // namespace qm
