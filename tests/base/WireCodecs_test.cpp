#include "base/WireCodecs.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <random>
#include <vector>

#include "base/Cp1251.h"
#include "base/NumberText.h"
#include "support/HexBytes.h"

namespace qm {
namespace {

using test::Hex;

TEST(WireIntegers, LittleEndianWidthsCutAndPad) {
  EXPECT_EQ(IntToLeBytes(258, 4), Hex("02 01 00 00"));
  EXPECT_EQ(IntToLeBytes(70000, 2), Hex("70 11"));
  EXPECT_EQ(IntToLeBytes(-2, 4), Hex("FE FF FF FF"));
  EXPECT_EQ(IntToLeBytes(0x01020304, 6), Hex("04 03 02 01 00 00"));
  EXPECT_EQ(IntToLeBytes(5, 0), "");

  EXPECT_EQ(LeBytesToInt(Hex("FF FF FF FF")), -1);
  EXPECT_EQ(LeBytesToInt(Hex("FF FF")), 65535);
  EXPECT_EQ(LeBytesToInt(Hex("FF FF FF")), 16777215);
  EXPECT_EQ(LeBytesToInt(""), 0);
  EXPECT_EQ(LeBytesToInt(Hex("01 00 00 80 55 66")), INT32_MIN + 1);
}

TEST(WireDigits, ValuesAndDigitText) {
  EXPECT_EQ(DigitsToValues("90a-"), Hex("09 00 00 00"));
  EXPECT_EQ(ValuesToDigits(Hex("00 09 0A FF")), "09**");
  EXPECT_EQ(DigitValuesToInt(Hex("01 02 03")), 123);
  EXPECT_EQ(DigitValuesToInt(Hex("01 0C")), 22);  // values above 9 are not rejected
  EXPECT_EQ(DigitValuesToInt(""), 0);
}

TEST(WireBcd, PackUnpackAndDigitGroups) {
  EXPECT_EQ(PackBcd("5"), Hex("05"));
  EXPECT_EQ(PackBcd("365"), Hex("03 65"));
  EXPECT_EQ(PackBcd(" 12345\t"), Hex("01 23 45"));
  EXPECT_EQ(PackBcd("1x"), Hex("10"));
  EXPECT_EQ(PackBcd(""), "");

  EXPECT_EQ(UnpackBcd(Hex("12 3A")), 1240);
  EXPECT_EQ(UnpackBcd(""), 0);

  EXPECT_EQ(PackDigitGroups("31.12.26"), Hex("31 12 26"));
  EXPECT_EQ(PackDigitGroups("1.2.26"), Hex("01 02 26"));
  EXPECT_EQ(PackDigitGroups(" 1//2.2026 "), Hex("01 02 20 26"));
  EXPECT_EQ(PackDigitGroups("abc"), "");
  EXPECT_EQ(PackDigitGroups(""), "");
}

TEST(WireFields, FitHexAndCut) {
  EXPECT_EQ(FitField("ab", 4), std::string("ab\0\0", 4));
  EXPECT_EQ(FitField("abcdef", 3), "abc");
  EXPECT_EQ(FitField("abc", 0), "");

  EXPECT_EQ(BytesToHexText(Hex("31 12 26"), '.'), "31.12.26");
  EXPECT_EQ(BytesToHexText("", '.'), "");

  const std::string padded("  Milk \x01 \0tail  ", 16);
  EXPECT_EQ(CutAtNul(padded, true), "  Milk");
  EXPECT_EQ(CutAtNul(padded, false), "Milk");
  EXPECT_EQ(CutAtNul(std::string("\0abc", 4), false), "");
}

TEST(WireShelfLife, NormalizeClassifiesAndRewrites) {
  struct Case {
    std::string in, out;
    std::int32_t code;
  };
  const Case cases[] = {
      {"7", "7", 7},
      {" 30 ", "30", 30},
      {"-3", "-3", -3},
      {std::string("12\0zz", 5), "12", 12},
      {"31/12/25", "31.12.25", kShelfLifeIsDate},
      {"31-12-2025", "31.12.2025", kShelfLifeIsDate},
      {"31.13.25", "0", kShelfLifeInvalid},
      {"abc", "0", kShelfLifeInvalid},
      {"", "0", kShelfLifeInvalid},
  };
  for (const Case& c : cases) {
    std::string text = c.in;
    EXPECT_EQ(NormalizeShelfLife(text), c.code) << c.in;
    EXPECT_EQ(text, c.out) << c.in;
  }
}

// Code page 866 as published, for the characters the scale carries: ASCII and the 66 Cyrillic
// letters. Other bytes (pseudo-graphics and the rest) have no place here.
std::optional<char32_t> Cp866CodePoint(unsigned b) {
  if (b < 0x80) return b;
  if (b <= 0xAF) return 0x0410 + (b - 0x80);               // А..п
  if (b >= 0xE0 && b <= 0xEF) return 0x0440 + (b - 0xE0);  // р..я
  if (b == 0xF0) return 0x0401;                            // Ё
  if (b == 0xF1) return 0x0451;                            // ё
  return std::nullopt;
}

TEST(WireCodePage, EveryByteBothWays) {
  int mapped = 0;
  for (unsigned b = 0; b < 256; ++b) {
    const std::string in(1, static_cast<char>(b));
    // Windows-1251 to 866: same character when 866 has it, else '*'.
    const char32_t cp = Cp1251ToCodePoint(static_cast<std::uint8_t>(b));
    const std::string out = ToScaleCodePage(in);
    ASSERT_EQ(out.size(), 1u);
    const auto back = Cp866CodePoint(static_cast<std::uint8_t>(out[0]));
    const bool carried =
        cp < 0x80 || (cp >= 0x0410 && cp <= 0x044F) || cp == 0x0401 || cp == 0x0451;
    if (carried) {
      ASSERT_TRUE(back.has_value()) << b;
      EXPECT_EQ(*back, cp) << b;
      if (b >= 0x80) ++mapped;
    } else {
      EXPECT_EQ(out, "*") << b;
    }
    // 866 to Windows-1251: same character when it is carried, else '*'.
    const std::string fromScale = FromScaleCodePage(in);
    ASSERT_EQ(fromScale.size(), 1u);
    if (auto scaleCp = Cp866CodePoint(b)) {
      EXPECT_EQ(Cp1251ToCodePoint(static_cast<std::uint8_t>(fromScale[0])), *scaleCp) << b;
    } else {
      EXPECT_EQ(fromScale, "*") << b;
    }
  }
  EXPECT_EQ(mapped, 66);

  EXPECT_EQ(ToScaleCodePage(Win1251("АЯапряЁё")), Hex("80 9F A0 AF E0 EF F0 F1"));
  EXPECT_EQ(FromScaleCodePage(Hex("80 9F A0 AF E0 EF F0 F1")), Win1251("АЯапряЁё"));
  EXPECT_EQ(ToScaleCodePage(Win1251("№ «Ў»")), "* ***");
  EXPECT_EQ(FromScaleCodePage(Hex("B0 DF F2 FF")), "****");
  EXPECT_EQ(ToScaleCodePage(std::string("a\0b", 3)), std::string("a\0b", 3));
  EXPECT_EQ(FromScaleCodePage(std::string("a\0b", 3)), std::string("a\0b", 3));
}

TEST(WireDecimals, ScalingOnWriteAndRead) {
  EXPECT_EQ(DecimalToMinorUnits("12.50", 2), 1250);
  EXPECT_EQ(DecimalToMinorUnits("1.005", 2), 101);  // halves away from zero, not binary 100.49
  EXPECT_EQ(DecimalToMinorUnits("-0.005", 2), -1);
  EXPECT_EQ(DecimalToMinorUnits("0.125", 3), 125);
  EXPECT_EQ(DecimalToMinorUnits("70", 3), 70000);
  EXPECT_EQ(DecimalToMinorUnits("12,50", 2), 0);
  EXPECT_EQ(DecimalToMinorUnits("", 2), 0);
  EXPECT_EQ(DecimalToMinorUnits("21474836.48", 2), 0);  // beyond 32 bits
  EXPECT_EQ(DecimalToMinorUnits("21474836.47", 2), INT32_MAX);

  EXPECT_EQ(MinorUnitsToDecimal(123456, 2), "1234.56");
  EXPECT_EQ(MinorUnitsToDecimal(0, 2), "0");
  EXPECT_EQ(MinorUnitsToDecimal(-150, 2), "1.50");
  EXPECT_EQ(MinorUnitsToDecimal(1500, 3), "1.500");
  EXPECT_EQ(MinorUnitsToDecimal(-1, 3), "0.001");
}

// Plain decimal text takes a short way to wire units; it must give what rounding the parsed and
// scaled double on its 15 significant digits gives, for every shape of text.
TEST(WireDecimals, PlainDecimalTextScalesAsTheGeneralRounding) {
  std::mt19937 random(7);
  std::uniform_int_distribution<int> digit(0, 9), length(0, 9), pick(0, 11);
  std::vector<std::string> texts = {"1.005", "-0.005", "0.125", "2.675", "1.115", "21474836.47",
                                    "21474836.48", "-21474836.48", "5.", ".5", "+.5", "-", "",
                                    "00012.50", "999999999999999", "9999999999999999", "0.0005"};
  for (int i = 0; i < 20000; ++i) {
    std::string t;
    const int sign = pick(random);
    if (sign == 0) t += '-';
    if (sign == 1) t += '+';
    for (int n = length(random); n > 0; --n) t += static_cast<char>('0' + digit(random));
    if (pick(random) < 8) t += '.';
    for (int n = length(random); n > 0; --n) t += static_cast<char>('0' + digit(random));
    if (pick(random) == 0) t += ' ';
    texts.push_back(t);
  }
  for (const std::string& t : texts) {
    for (int decimals : {0, 2, 3}) {
      double scale = 1;
      for (int i = 0; i < decimals; ++i) scale *= 10;
      const std::int64_t whole = RoundHalfAway(ParseDecimal(t).value_or(0.0) * scale);
      const std::int32_t expected =
          whole < INT32_MIN || whole > INT32_MAX ? 0 : static_cast<std::int32_t>(whole);
      ASSERT_EQ(DecimalToMinorUnits(t, decimals), expected) << '"' << t << "\" " << decimals;
    }
  }
}

// Whole wire units take a short way to their text; it must give what the general formatting of
// the quotient gives, at every length of the number, and fractions still take the general way.
TEST(WireDecimals, WholeUnitsReadTheSameAsTheGeneralFormatting) {
  std::vector<double> values = {1, 9, 10, 99, 100, 101, 999, 1000, 2147483647, -2147483648.0,
                                99999999999999, 999999999999999, 1e15, 1e16, 12.5, 0.4, -0.6};
  for (double v = 7; v < 1e15; v = v * 13 + 5) values.push_back(v);
  for (double v : values) {
    for (int decimals : {0, 2, 3}) {
      double scale = 1;
      for (int i = 0; i < decimals; ++i) scale *= 10;
      EXPECT_EQ(MinorUnitsToDecimal(v, decimals), FormatUnsignedOrZero(v / scale, decimals))
          << v << " " << decimals;
    }
  }
}

}  // namespace
}  // namespace qm
