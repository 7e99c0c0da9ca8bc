#include "transfer/PluRecord.h"

#include <cstdint>

#include "base/NumberText.h"
#include "base/WireCodecs.h"
#include "tables/PluColumns.h"
#include "tables/PluTable.h"

namespace qm {
namespace {

constexpr std::size_t kOffPluNo = 0;
constexpr std::size_t kOffItemCode = 4;
constexpr std::size_t kOffName1 = 10;
constexpr std::size_t kOffName2 = 38;
constexpr std::size_t kOffPrice = 66;
constexpr std::size_t kOffShelfLife = 70;
constexpr std::size_t kOffTare = 73;
constexpr std::size_t kOffGroupCode = 75;
constexpr std::size_t kOffMessageNo = 81;
constexpr std::size_t kOffSalesTime = 83;
constexpr std::size_t kOffSalesDate = 86;
constexpr std::size_t kOffSalesAmount = 89;
constexpr std::size_t kOffSalesWeight = 93;
constexpr std::size_t kOffSalesCount = 97;
constexpr int kDigitCodeSize = 6;

constexpr char kDateSeparator = '.';
constexpr char kTimeSeparator = ':';

const std::string& CellAt(const Cells& row, int column) {
  static const std::string kEmpty;
  return column < static_cast<int>(row.size()) ? row[static_cast<std::size_t>(column)] : kEmpty;
}

// Least significant digit first, six digits kept: 123 -> 03 02 01 00 00 00.
std::string EncodeDigitCode(const std::string& cell) {
  return FitField(ReverseBytes(DigitsToValues(cell)), kDigitCodeSize);
}

std::string DecodeDigitCode(std::string_view field) {
  return std::to_string(DigitValuesToInt(ReverseBytes(std::string(field))));
}

std::string EncodeShelfLife(const std::string& cell) {
  const auto days = ParseInt(cell);
  if (!days || *days == kShelfLifeIsDate) return FitField(PackDigitGroups(cell), 3);
  // The two day-count bytes go out in the reverse of their packed order: 365 -> 00 65 03.
  return std::string(1, '\0') + ReverseBytes(FitField(PackBcd(cell), 2));
}

std::string DecodeShelfLife(std::string_view field) {
  if (field[0] != '\0') return BytesToHexText(field, kDateSeparator);
  // Read back most significant first, unlike the write: 00 03 65 -> 365, 00 65 03 -> 6503.
  return std::to_string(UnpackBcd(field));
}

// One name line. Without a logo the name fills all 28 bytes; with one, 24 bytes of name, 0x00,
// the logo digit value and the two code characters that belong to this line.
std::string EncodeNameLine(const std::string& name, const std::string& logo, bool withLogo,
                           std::size_t codeFirst, std::size_t codeSecond) {
  if (!withLogo) return FitField(ToScaleCodePage(name), kNameLineSize);
  std::string line = FitField(ToScaleCodePage(name), kNameWithLogoSize);
  line += '\0';
  line += DigitsToValues(logo.substr(0, 1));
  for (std::size_t i : {codeFirst, codeSecond}) {
    line += i < logo.size() ? ToScaleCodePage(logo.substr(i, 1)) : std::string(1, '\0');
  }
  return line;
}

}  // namespace

std::string EncodePluRecord(const Cells& row) {
  const std::string& logo = CellAt(row, kLogo);
  const bool withLogo = !logo.empty() && logo[0] != '0';

  std::string r;
  r.reserve(kPluWriteRecordSize);
  r += IntToLeBytes(ParseInt(CellAt(row, kPluNo)).value_or(0), 4);
  r += EncodeDigitCode(CellAt(row, kItemCode));
  r += EncodeNameLine(CellAt(row, kName1), logo, withLogo, 3, 5);
  r += EncodeNameLine(CellAt(row, kName2), logo, withLogo, 2, 4);
  r += IntToLeBytes(DecimalToMinorUnits(CellAt(row, kPrice), 2), 4);
  r += EncodeShelfLife(CellAt(row, kShelfLife));
  r += IntToLeBytes(DecimalToMinorUnits(CellAt(row, kTare), 3), 2);
  r += EncodeDigitCode(CellAt(row, kGroupCode));
  r += IntToLeBytes(ParseInt(CellAt(row, kMessageNo)).value_or(0), 2);
  return r;
}

namespace {

// The cells of a read reply. With `display`, each cell is already in the form NormalizePluRow
// gives it with minor units and numeric sales: numbers are printed once in their final form
// instead of as wire integers that are parsed and printed again, which halves the cost of a
// record on a 4000-record read.
Cells DecodeCells(std::string_view reply, bool display) {
  // A reply cut short reads as if padded with zeros.
  std::string padded;
  if (reply.size() < kPluReadRecordSize) padded = FitField(std::string(reply), kPluReadRecordSize);
  const std::string_view b = padded.empty() ? reply.substr(0, kPluReadRecordSize) : padded;
  auto field = [&](std::size_t offset, std::size_t size) { return b.substr(offset, size); };
  auto integer = [&](std::size_t offset, std::size_t size) {
    return std::to_string(LeBytesToInt(field(offset, size)));
  };
  auto decimal = [&](std::size_t offset, std::size_t size, int decimals) {
    return display ? MinorUnitsToDecimal(LeBytesToInt(field(offset, size)), decimals)
                   : integer(offset, size);
  };
  auto text = [&](std::string_view cell, bool rightOnly) {
    return display ? CutAtNul(cell, rightOnly) : std::string(cell);
  };

  Cells cells(kPluColumnCount);
  cells[kPluNo] = integer(kOffPluNo, 4);
  cells[kItemCode] = DecodeDigitCode(field(kOffItemCode, kDigitCodeSize));

  const std::string line1 = FromScaleCodePage(field(kOffName1, kNameLineSize));
  const std::string line2 = FromScaleCodePage(field(kOffName2, kNameLineSize));
  const bool logoForm = line1[24] == '\0' && line2[24] == '\0' && line1[25] == line2[25];
  if (logoForm) {
    cells[kName1] = text(std::string_view(line1).substr(0, kNameWithLogoSize), true);
    cells[kName2] = text(std::string_view(line2).substr(0, kNameWithLogoSize), true);
    if (line1[25] != '\0') {
      cells[kLogo] = text(
          ValuesToDigits(line1.substr(25, 1)) + ' ' + line2[26] + line1[26] + line2[27] + line1[27],
          false);
    } else {
      cells[kLogo] = "0";
    }
  } else {
    cells[kName1] = text(line1, true);
    cells[kName2] = text(line2, true);
    cells[kLogo] = "0";
  }

  cells[kPrice] = decimal(kOffPrice, 4, 2);
  cells[kShelfLife] = DecodeShelfLife(field(kOffShelfLife, 3));
  if (display) NormalizeShelfLife(cells[kShelfLife]);
  cells[kTare] = decimal(kOffTare, 2, 3);
  cells[kGroupCode] = DecodeDigitCode(field(kOffGroupCode, kDigitCodeSize));
  cells[kMessageNo] = integer(kOffMessageNo, 2);
  cells[kSalesStart] =
      text(BytesToHexText(field(kOffSalesDate, 3), kDateSeparator) + ", " +
               BytesToHexText(ReverseBytes(std::string(field(kOffSalesTime, 3))), kTimeSeparator),
           false);
  cells[kSalesAmount] = decimal(kOffSalesAmount, 4, 2);
  cells[kSalesWeight] = decimal(kOffSalesWeight, 4, 3);
  cells[kSalesCount] = integer(kOffSalesCount, 3);
  return cells;
}

}  // namespace

Cells DecodePluRecord(std::string_view reply) {
  return DecodeCells(reply, false);
}

// The integer cells come out of the decode as whole 32-bit numbers, which NormalizePluRow leaves
// as they are; the others are put in their display form by DecodeCells itself.
Cells PluRowFromReply(std::string_view reply) {
  return DecodeCells(reply, true);
}

}  // namespace qm
