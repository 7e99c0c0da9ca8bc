#include "tables/PluTable.h"

#include "base/NumberText.h"
#include "base/WireCodecs.h"
#include "tables/PluColumns.h"

namespace qm {
namespace {

void NormalizeInteger(std::string& cell) {
  cell = std::to_string(ParseInt(cell).value_or(0));
}

// Price-like (decimals 2) and weight-like (decimals 3) cells.
void NormalizeDecimal(std::string& cell, int decimals, bool fromMinorUnits) {
  const double value = ParseDecimal(cell).value_or(0.0);
  cell =
      fromMinorUnits ? MinorUnitsToDecimal(value, decimals) : FormatUnsignedOrZero(value, decimals);
}

void NormalizeText(std::string& cell) {
  cell = CutAtNul(cell, /*rightOnly=*/false);
}

}  // namespace

void ClearGrid(TextGrid& table) {
  table.ReplaceDataRows({});
  table.SetCell(0, 1, "1");
}

void ResetPluTable(TextGrid& table) {
  table.SetTitles(PluColumnTitles());
  ClearGrid(table);
  table.SetCell(kMessageNo, 1, "0");
}

void NormalizePluRow(Cells& row, bool fromMinorUnits, bool salesNumeric) {
  if (row.size() < static_cast<std::size_t>(kPluColumnCount)) row.resize(kPluColumnCount);
  NormalizeInteger(row[kPluNo]);
  row[kName1] = CutAtNul(row[kName1], /*rightOnly=*/true);
  row[kName2] = CutAtNul(row[kName2], /*rightOnly=*/true);
  NormalizeDecimal(row[kPrice], 2, fromMinorUnits);
  NormalizeShelfLife(row[kShelfLife]);
  NormalizeDecimal(row[kTare], 3, fromMinorUnits);
  NormalizeInteger(row[kItemCode]);
  NormalizeInteger(row[kGroupCode]);
  NormalizeInteger(row[kMessageNo]);
  NormalizeText(row[kLogo]);
  NormalizeText(row[kSalesStart]);
  if (salesNumeric) {
    NormalizeInteger(row[kSalesCount]);
    NormalizeDecimal(row[kSalesAmount], 2, fromMinorUnits);
    NormalizeDecimal(row[kSalesWeight], 3, fromMinorUnits);
  } else {
    NormalizeText(row[kSalesCount]);
    NormalizeText(row[kSalesAmount]);
    NormalizeText(row[kSalesWeight]);
  }
}

std::string PluCountText(const TextGrid& table) {
  return std::to_string(table.DataRowCount()) + " PLU";
}

}  // namespace qm
