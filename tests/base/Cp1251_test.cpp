#include "base/Cp1251.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

TEST(Cp1251, CyrillicAndSpecialLettersMapBothWays) {
  EXPECT_EQ(Win1251("Товар №"), "\xD2\xEE\xE2\xE0\xF0 \xB9");
  EXPECT_EQ(Win1251("Ёё"), "\xA8\xB8");
  EXPECT_EQ(Utf8("\xC0\xFF"), "Ая");
  for (int b = 0; b < 256; ++b) {
    const std::string one(1, static_cast<char>(b));
    EXPECT_EQ(Win1251(Utf8(one)), one) << "byte " << b;
  }
}

TEST(Cp1251, CharactersOutsideTheSetBecomeQuestionMarks) {
  EXPECT_EQ(Win1251("a€b"),
            "a\x88"
            "b");
  EXPECT_EQ(Win1251("中"), "?");
  EXPECT_EQ(Win1251("\xFF"
                    "a"),
            "?a");                  // malformed UTF-8
  EXPECT_EQ(Win1251("\xD0"), "?");  // cut sequence
  EXPECT_EQ(CodePointToCp1251(0x1F600), '?');
}

}  // namespace
}  // namespace qm
