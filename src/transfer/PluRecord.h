// The PLU record as it travels on the wire, and its conversion to and from a PLU table row.
//
// Layout (offsets in bytes; integers little-endian; text code page 866, padded with 0x00):
//    0  4  PLU number
//    4  6  item code, one digit value per byte, least significant first
//   10 28  name line 1 (its last four bytes carry the logo in logo form)
//   38 28  name line 2 (likewise)
//   66  4  price, kopecks
//   70  3  shelf life: a BCD date dd mm yy (first byte non-zero) or 00 and a BCD day count
//   73  2  tare, grams
//   75  6  group code, as the item code
//   81  2  message number
//  ---- the write command sends the 83 bytes above; the read reply goes on to 100 bytes ----
//   83  3  sales start time, BCD seconds, minutes, hours
//   86  3  sales start date, BCD day, month, year
//   89  4  sales amount, kopecks
//   93  4  sales weight, grams
//   97  3  sales count
//
// Logo form of the name lines: bytes 0..23 name, 24 = 0x00, 25 = logo number as a digit value
// (the same on both lines), 26 and 27 = two characters of the certification-body code. The logo
// cell "d cccc" (digit, blank, code c2 c3 c4 c5) puts c3, c5 on line 1 and c2, c4 on line 2.
#pragma once

#include <string>
#include <string_view>

#include "link/Protocol.h"
#include "tables/TextGrid.h"

namespace qm {

inline constexpr int kPluWriteRecordSize = 83;
inline constexpr int kPluReadRecordSize = 100;
static_assert(kPluWriteRecordSize == int{kPluWriteSize} &&
              kPluReadRecordSize == int{kPluReplySize});
inline constexpr int kNameLineSize = 28;
inline constexpr int kNameWithLogoSize = 24;

// The 83 bytes of the write command from a 14-cell row (missing cells count as empty). The cells
// are used as they stand, without normalisation: PLU number and message number as whole numbers
// (not a whole number sends 0); item and group codes as digit codes (the six least significant
// digits, non-digits as 0); price x 100 and tare x 1000 rounded (tare keeps its low two bytes);
// shelf life as a day count when the cell is a whole number (other than 2147483647), else as a
// date from its digit groups; names and logo by the logo form above. Sales columns are not sent.
std::string EncodePluRecord(const Cells& row);

// The 14 cells of a read reply before normalisation, in wire units, exactly as the PLU read
// stores them and then hands them to NormalizePluRow(row, fromMinorUnits = true,
// salesNumeric = true):
//   PluNo, MessageNo, SalesCount       decimal text of the integer
//   Price, SalesAmount                 decimal text of the kopecks
//   Tare, SalesWeight                  decimal text of the grams
//   ItemCode, GroupCode                decimal text of the digit code (values above 9 included)
//   Name1, Name2                       the converted line: 24 bytes in logo form, else 28;
//                                      still padded with 0x00
//   Logo                               "0", or digit, blank and the four code characters (which
//                                      may be 0x00)
//   ShelfLife                          day count as decimal text, or the date bytes as "dd.mm.yy"
//                                      hex text
//   SalesStart                         "dd.mm.yy, hh:mm:ss" as hex text of the BCD bytes
// A reply shorter than 100 bytes is read as if padded with 0x00; bytes beyond 100 are ignored.
Cells DecodePluRecord(std::string_view reply);

// A read reply as a table row in display form: DecodePluRecord then NormalizePluRow with both
// options set.
Cells PluRowFromReply(std::string_view reply);

}  // namespace qm
