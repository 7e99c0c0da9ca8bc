#include "transfer/PluRecord.h"

#include <array>
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
  std::string field(1, '\0');
  field += ReverseBytes(FitField(PackBcd(cell), 2));
  return field;
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

// The cells of a read reply, as the scale gave them (numbers as wire integers, texts whole).
Cells DecodeCells(std::string_view reply) {
  // A reply cut short reads as if padded with zeros.
  std::string padded;
  if (reply.size() < kPluReadRecordSize) padded = FitField(std::string(reply), kPluReadRecordSize);
  const std::string_view b = padded.empty() ? reply.substr(0, kPluReadRecordSize) : padded;
  auto field = [&](std::size_t offset, std::size_t size) { return b.substr(offset, size); };
  auto integer = [&](std::size_t offset, std::size_t size) {
    return std::to_string(LeBytesToInt(field(offset, size)));
  };

  Cells cells(kPluColumnCount);
  cells[kPluNo] = integer(kOffPluNo, 4);
  cells[kItemCode] = DecodeDigitCode(field(kOffItemCode, kDigitCodeSize));

  const std::string line1 = FromScaleCodePage(field(kOffName1, kNameLineSize));
  const std::string line2 = FromScaleCodePage(field(kOffName2, kNameLineSize));
  const bool logoForm = line1[24] == '\0' && line2[24] == '\0' && line1[25] == line2[25];
  cells[kLogo].assign(1, '0');
  if (logoForm) {
    cells[kName1] = line1.substr(0, kNameWithLogoSize);
    cells[kName2] = line2.substr(0, kNameWithLogoSize);
    if (line1[25] != '\0') {
      cells[kLogo] =
          ValuesToDigits(line1.substr(25, 1)) + ' ' + line2[26] + line1[26] + line2[27] + line1[27];
    }
  } else {
    cells[kName1] = line1;
    cells[kName2] = line2;
  }

  cells[kPrice] = integer(kOffPrice, 4);
  cells[kShelfLife] = DecodeShelfLife(field(kOffShelfLife, 3));
  cells[kTare] = integer(kOffTare, 2);
  cells[kGroupCode] = DecodeDigitCode(field(kOffGroupCode, kDigitCodeSize));
  cells[kMessageNo] = integer(kOffMessageNo, 2);
  cells[kSalesStart] =
      BytesToHexText(field(kOffSalesDate, 3), kDateSeparator) + ", " +
      BytesToHexText(ReverseBytes(std::string(field(kOffSalesTime, 3))), kTimeSeparator);
  cells[kSalesAmount] = integer(kOffSalesAmount, 4);
  cells[kSalesWeight] = integer(kOffSalesWeight, 4);
  cells[kSalesCount] = integer(kOffSalesCount, 3);
  return cells;
}

// The scale's code page to Windows-1251, one entry per byte: the same mapping as
// FromScaleCodePage, looked up instead of worked out byte by byte.
const std::array<char, 256>& FromScaleTable() {
  static const std::array<char, 256> table = [] {
    std::array<char, 256> t{};
    for (unsigned c = 0; c < 256; ++c)
      t[c] = FromScaleCodePage(std::string(1, static_cast<char>(c)))[0];
    return t;
  }();
  return table;
}

// Appends two hex digits per byte, `separator` between bytes, taking the bytes in the order
// given by `step` (+1 as they stand, -1 reversed from the last).
void AppendHex(std::string& out, const char* first, int count, int step, char separator) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  for (int i = 0; i < count; ++i, first += step) {
    if (i > 0) out += separator;
    const auto byte = static_cast<unsigned char>(*first);
    out += kHex[byte >> 4];
    out += kHex[byte & 0x0Fu];
  }
}

// A digit code, least significant digit first, as the number it spells (wrapping as the raw
// decode does on values above 9).
std::string DigitCodeText(const char* field) {
  std::uint32_t r = 0;
  for (int i = kDigitCodeSize - 1; i >= 0; --i) r = r * 10u + static_cast<unsigned char>(field[i]);
  return std::to_string(static_cast<std::int32_t>(r));
}

// The cells of a read reply in the form NormalizePluRow gives the raw decode with minor units
// and numeric sales, made in one pass: texts are decoded into a buffer and cut there, numbers
// printed once in their final form. A read of 4000 records decodes every reply while the scale
// waits for the next request, so this is kept free of needless copies.
Cells DisplayCells(std::string_view reply) {
  char record[kPluReadRecordSize] = {};  // a reply cut short reads as if padded with zeros
  reply.copy(record, kPluReadRecordSize);
  const std::array<char, 256>& fromScale = FromScaleTable();
  auto integer = [&](std::size_t offset, std::size_t size) {
    return std::to_string(LeBytesToInt(std::string_view(record + offset, size)));
  };
  auto decimal = [&](std::size_t offset, std::size_t size, int decimals) {
    return MinorUnitsToDecimal(LeBytesToInt(std::string_view(record + offset, size)), decimals);
  };

  Cells cells(kPluColumnCount);
  cells[kPluNo] = integer(kOffPluNo, 4);
  cells[kItemCode] = DigitCodeText(record + kOffItemCode);

  char line1[kNameLineSize], line2[kNameLineSize];
  for (std::size_t i = 0; i < kNameLineSize; ++i) {
    line1[i] = fromScale[static_cast<unsigned char>(record[kOffName1 + i])];
    line2[i] = fromScale[static_cast<unsigned char>(record[kOffName2 + i])];
  }
  // A name line's cell: up to its first NUL, without trailing blanks.
  auto name = [](const char* line, std::size_t size) {
    std::string_view text(line, size);
    text = text.substr(0, text.find('\0'));
    return std::string(TrimRightBlanks(text));
  };
  const bool logoForm = line1[24] == '\0' && line2[24] == '\0' && line1[25] == line2[25];
  const std::size_t nameSize = logoForm ? kNameWithLogoSize : kNameLineSize;
  cells[kName1] = name(line1, nameSize);
  cells[kName2] = name(line2, nameSize);
  if (logoForm && line1[25] != '\0') {
    cells[kLogo] = CutAtNul(ValuesToDigits(std::string_view(line1 + 25, 1)) + ' ' + line2[26] +
                                line1[26] + line2[27] + line1[27],
                            false);
  } else {
    cells[kLogo] = "0";
  }

  cells[kPrice] = decimal(kOffPrice, 4, 2);
  const char* shelfLife = record + kOffShelfLife;
  if (shelfLife[0] != '\0') {
    std::string date;
    AppendHex(date, shelfLife, 3, 1, kDateSeparator);
    NormalizeShelfLife(date);
    cells[kShelfLife] = std::move(date);
  } else {
    // A day count: its digits already are the cell's final form.
    cells[kShelfLife] = std::to_string(UnpackBcd(std::string_view(shelfLife, 3)));
  }
  cells[kTare] = decimal(kOffTare, 2, 3);
  cells[kGroupCode] = DigitCodeText(record + kOffGroupCode);
  cells[kMessageNo] = integer(kOffMessageNo, 2);
  // Hex digits and separators only: nothing for the normalisation to cut.
  std::string& salesStart = cells[kSalesStart];
  salesStart.reserve(18);
  AppendHex(salesStart, record + kOffSalesDate, 3, 1, kDateSeparator);
  salesStart += ", ";
  AppendHex(salesStart, record + kOffSalesTime + 2, 3, -1, kTimeSeparator);
  cells[kSalesAmount] = decimal(kOffSalesAmount, 4, 2);
  cells[kSalesWeight] = decimal(kOffSalesWeight, 4, 3);
  cells[kSalesCount] = integer(kOffSalesCount, 3);
  return cells;
}

}  // namespace

Cells DecodePluRecord(std::string_view reply) {
  return DecodeCells(reply);
}

Cells PluRowFromReply(std::string_view reply) {
  return DisplayCells(reply);
}

}  // namespace qm
