// Routines of the PLU table: clearing a table, making a fresh one, the text form of every
// column, and the row-count text of the status bar. Cells are Windows-1251.
#pragma once

#include <string>

#include "tables/TextGrid.h"

namespace qm {

// Empties every data row and leaves exactly one, all cells empty except the first, which becomes
// "1". Serves both tables; the titles (row 0) are kept.
void ClearGrid(TextGrid& table);

// A fresh PLU table: the column titles, one data row with PluNo "1", MessageNo "0" and every other
// cell empty.
void ResetPluTable(TextGrid& table);

// Rewrites a row's cells into the text form of their columns (a shorter row is first padded with
// empty cells to the 14 columns):
//   PluNo, ItemCode, GroupCode, MessageNo   whole number; anything else "0"
//   Name1, Name2                            cut at the first NUL, trailing blanks and control
//                                           characters removed, leading ones kept
//   Price                                   two decimals, zero "0", no sign, non-number "0"
//   ShelfLife                               NormalizeShelfLife
//   Tare                                    three decimals, zero "0", no sign, non-number "0"
//   Logo, SalesStart                        cut at the first NUL, trimmed at both ends
//   SalesCount / SalesAmount / SalesWeight  as MessageNo / Price / Tare when `salesNumeric`,
//                                           otherwise as Logo
// `fromMinorUnits`: the source holds prices and amounts in kopecks and weights in grams (the PLU
// read, the PLU file), so they are divided by 100 and 1000 first.
void NormalizePluRow(Cells& row, bool fromMinorUnits, bool salesNumeric);

// The PLU-count status panel: the number of data rows followed by " PLU", e.g. "1 PLU".
std::string PluCountText(const TextGrid& table);

}  // namespace qm
