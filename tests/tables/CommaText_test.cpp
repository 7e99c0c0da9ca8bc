#include "tables/CommaText.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

using V = std::vector<std::string>;

TEST(CommaText, WritingQuotesOnlyWhatNeedsIt) {
  EXPECT_EQ(ToCommaText({}), "");
  EXPECT_EQ(ToCommaText({""}), "\"\"");
  EXPECT_EQ(ToCommaText({"", ""}), ",");
  EXPECT_EQ(ToCommaText({"plain", "a b", "c,d", "say \"hi\"", "", "tab\there"}),
            "plain,\"a b\",\"c,d\",\"say \"\"hi\"\"\",,\"tab\there\"");
}

TEST(CommaText, ReadingSplitsAtCommasAndBlanksOutsideQuotes) {
  EXPECT_EQ(FromCommaText(""), V{});
  EXPECT_EQ(FromCommaText("   "), V{});
  EXPECT_EQ(FromCommaText("\"\""), V{""});
  EXPECT_EQ(FromCommaText("a b"), (V{"a", "b"}));
  EXPECT_EQ(FromCommaText("  a ,  b\r\n"), (V{"a", "b"}));
  EXPECT_EQ(FromCommaText("\"a, b\",\"x\"\"y\""), (V{"a, b", "x\"y"}));
  EXPECT_EQ(FromCommaText(",a"), (V{"", "a"}));
  EXPECT_EQ(FromCommaText("\"open"), V{"open"});
}

TEST(CommaText, ATrailingCommaAddsAnEmptyLineOnlyAtTheVeryEnd) {
  EXPECT_EQ(FromCommaText("a,"), (V{"a", ""}));
  EXPECT_EQ(FromCommaText(","), (V{"", ""}));
  EXPECT_EQ(FromCommaText("a, "), V{"a"});
}

TEST(CommaText, AwkwardLinesSurviveTheRoundTrip) {
  const V cases[] = {
      {""},
      {"", ""},
      {"a", ""},
      {"", "", "x"},
      {" leading", "trailing ", "\"", "\"\"", ",", "a\x01" "b"},
      {std::string("nul\0inside", 10), "\xC0\xE1\xE2 \xB8"},
  };
  for (const V& lines : cases) EXPECT_EQ(FromCommaText(ToCommaText(lines)), lines);
}

}  // namespace
}  // namespace qm
