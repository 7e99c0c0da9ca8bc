// The live display texts decoded from hand-written 0x89 replies.
#include <gtest/gtest.h>

#include "base/Cp1251.h"
#include "link/Protocol.h"

namespace {

using qm::DecodeDisplay;
using qm::Utf8;

// A 15-byte reply: flags, weight (2 bytes), unit price, total price, PLU number (4 bytes each).
std::string Reply(std::uint8_t flags, std::uint8_t w0, std::uint8_t w1, std::string unit = "",
                  std::string total = "", std::string plu = "") {
  std::string r(1, char(flags));
  r += char(w0);
  r += char(w1);
  unit.resize(4, '\0');
  total.resize(4, '\0');
  plu.resize(4, '\0');
  return r + unit + total + plu;
}

TEST(DisplayDecode, IndicatorLettersComeFromBitsTwoSixAndThreeInThatOrder) {
  // 1234 g with t and s: the letters "ts ", three fill blanks, "1.234".
  EXPECT_EQ(DecodeDisplay(Reply(0x44, 0xD2, 0x04)).weight, "ts    1.234");
  EXPECT_EQ(DecodeDisplay(Reply(0x08, 0xD2, 0x04)).weight, "  z   1.234");
  EXPECT_EQ(DecodeDisplay(Reply(0x4C, 0xD2, 0x04)).weight, "tsz   1.234");
  // Bits 1, 4 and 5 change nothing.
  EXPECT_EQ(DecodeDisplay(Reply(0x32, 0xD2, 0x04)).weight, "      1.234");
}

TEST(DisplayDecode, WeightIsUnsignedGramsWithTheSignInBitSeven) {
  EXPECT_EQ(DecodeDisplay(Reply(0x80, 0x05, 0x00)).weight, "     -0.005");
  EXPECT_EQ(DecodeDisplay(Reply(0x00, 0x00, 0x00)).weight, "      0.000");
  // 0xFFFF is 65535 g, not -1: the field is unsigned.
  EXPECT_EQ(DecodeDisplay(Reply(0x00, 0xFF, 0xFF)).weight, "     65.535");
  EXPECT_EQ(DecodeDisplay(Reply(0x80, 0xFF, 0xFF)).weight, "    -65.535");
  // Negative zero is still zero.
  EXPECT_EQ(DecodeDisplay(Reply(0x80, 0x00, 0x00)).weight, "      0.000");
}

TEST(DisplayDecode, OverloadReplacesTheWeightWhateverTheBytes) {
  // Three blanks for the letters, one fill blank, then the seven characters.
  EXPECT_EQ(Utf8(DecodeDisplay(Reply(0x01, 0xD2, 0x04)).weight), "    Перегр.");
  EXPECT_EQ(Utf8(DecodeDisplay(Reply(0xC5, 0xD2, 0x04)).weight), "ts  Перегр.");
}

TEST(DisplayDecode, WeightTextsOfEightOrMoreCharactersGetNoFillBlanks) {
  EXPECT_EQ(qm::ComposeWeightPanel("t  ", "1234.567"), "t  1234.567");
  EXPECT_EQ(qm::ComposeWeightPanel("   ", "-1234.567"), "   -1234.567");
  EXPECT_EQ(qm::ComposeWeightPanel("   ", "1.2345"), "     1.2345");
}

TEST(DisplayDecode, PricesAreSignedKopecksAndZeroShowsAsPointZero) {
  const std::string unit("\x39\x30\x00\x00", 4);   // 12345
  const std::string total("\xFF\xFF\xFF\xFF", 4);  // -1
  const qm::DisplayTexts t = DecodeDisplay(Reply(0, 0, 0, unit, total));
  EXPECT_EQ(t.unitPrice, "123.45");
  EXPECT_EQ(t.totalPrice, "-0.01");
  EXPECT_EQ(DecodeDisplay(Reply(0, 0, 0)).unitPrice, "0.0");
  EXPECT_EQ(DecodeDisplay(Reply(0, 0, 0)).totalPrice, "0.0");
  EXPECT_EQ(DecodeDisplay(Reply(0, 0, 0, std::string("\x64", 1))).unitPrice, "1.00");
}

TEST(DisplayDecode, PluNumberIsSignedDecimal) {
  EXPECT_EQ(DecodeDisplay(Reply(0, 0, 0, "", "", std::string("\xA0\x0F", 2))).pluNo, "4000");
  EXPECT_EQ(DecodeDisplay(Reply(0, 0, 0, "", "", "\xFE\xFF\xFF\xFF")).pluNo, "-2");
  EXPECT_EQ(DecodeDisplay(Reply(0, 0, 0)).pluNo, "0");
}

TEST(DisplayDecode, ShortOrLongRepliesNeverReadPastTheBytes) {
  EXPECT_EQ(DecodeDisplay(std::string()).weight, "      0.000");
  EXPECT_EQ(DecodeDisplay(std::string("\x44\xD2", 2)).weight, "ts    0.210");
  std::string longer = Reply(0x44, 0xD2, 0x04, "", "", std::string("\x07", 1)) + "junk";
  EXPECT_EQ(DecodeDisplay(longer).pluNo, "7");
}

}  // namespace
