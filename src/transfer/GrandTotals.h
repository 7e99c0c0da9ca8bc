// The sales totals record, the 40-byte reply of the totals read (integers little-endian, money in
// kopecks, weight in grams):
//    0 4  printer run length, mm            -> run
//    4 4  labels printed                    -> labels
//    8 4  total sales amount                -> sum, roubles "0.00;0.00;0"
//   12 3  number of sales                   -> sells
//   15 4  total weight sold                 -> weight, kg "0.000;0.000;0"
//   19 4  amount over all PLUs              -> sumPlu
//   23 3  sales over all PLUs               -> sellsPlu
//   26 4  weight over all PLUs              -> weightPlu
//   30 3  start time, BCD seconds, minutes, hours   } title "Общий итог продаж с " + date +
//   33 3  start date, BCD day, month, year          } ", " + time
//   36 2  free PLU places                   -> freePlu
//   38 2  free message places               -> freeMsg
#pragma once

#include <string_view>

#include "link/Protocol.h"
#include "tables/TotalsPage.h"

namespace qm {

inline constexpr int kGrandTotalsSize = 40;
static_assert(kGrandTotalsSize == int{kTotalsReplySize});

// The totals page a reply fills: the ten field texts and the title. A short reply reads as if
// padded with 0x00.
TotalsPage DecodeGrandTotals(std::string_view reply);

// The page after the totals were erased: every field empty, the title without a date.
TotalsPage ClearedTotalsPage();

}  // namespace qm
