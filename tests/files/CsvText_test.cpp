#include "files/CsvText.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

using Fields = std::vector<std::string>;

// The loader replaces every blank by the guard before splitting; the tests do the same.
Fields Split(std::string line, char separator) {
  for (char& c : line)
    if (c == ' ') c = kSpaceGuard;
  return SplitCsvLine(line, separator);
}

TEST(CsvText, QuotingOnWrite) {
  // Quoted: the separator, a quote (doubled inside), any byte 0..32; not: the other separator,
  // Cyrillic bytes, the empty field.
  EXPECT_EQ(JoinCsvRecord({"a;b", "x", "say \"hi\"", "", "1,5", "\xD6\xE5\xED\xE0"}, ';'),
            "\"a;b\";x;\"say \"\"hi\"\"\";;1,5;\xD6\xE5\xED\xE0");
  EXPECT_EQ(JoinCsvRecord({"1,5", "a;b"}, ','), "\"1,5\",a;b");
  EXPECT_EQ(QuoteCsvField(" lead", ','), "\" lead\"");
  EXPECT_EQ(QuoteCsvField(std::string("a\tb"), ','), "\"a\tb\"");
  EXPECT_EQ(QuoteCsvField(std::string("a\0b", 3), ','), std::string("\"a\0b\"", 5));
  EXPECT_EQ(QuoteCsvField("\x7F", ','), "\x7F");
  EXPECT_EQ(JoinCsvRecord({"", ""}, ';'), ";");
}

TEST(CsvText, UnquotedFieldsKeepTheirBlanks) {
  EXPECT_EQ(Split(" a ; b b ;c", ';'), (Fields{" a ", " b b ", "c"}));
  // A 0x7F byte in the file reads as a blank.
  EXPECT_EQ(SplitCsvLine("x\x7Fy", ';'), (Fields{"x y"}));
  // Control characters outside quotes end a field like the separator, a run of them (with or
  // without a separator) counting as one boundary; at the start of the line they are skipped.
  EXPECT_EQ(Split("\t\ta\tb\t;\tc", ';'), (Fields{"a", "b", "c"}));
}

TEST(CsvText, QuotedFields) {
  EXPECT_EQ(Split("\"a;b \"\"c\"\"\";d", ';'), (Fields{"a;b \"c\"", "d"}));
  EXPECT_EQ(Split("\"\";\"\"\"\"", ';'), (Fields{"", "\""}));
  // Text right after a closing quote starts the next field; an unclosed quote runs to the end.
  EXPECT_EQ(Split("\"ab\"cd;e", ';'), (Fields{"ab", "cd", "e"}));
  EXPECT_EQ(Split("x;\"open; end", ';'), (Fields{"x", "open; end"}));
}

TEST(CsvText, EmptyFields) {
  EXPECT_EQ(Split("a;", ';'), (Fields{"a", ""}));
  EXPECT_EQ(Split("a;;b", ';'), (Fields{"a", "", "b"}));
  EXPECT_EQ(Split(";", ';'), (Fields{"", ""}));
  EXPECT_EQ(Split("", ';'), Fields{});
  // The other list separator is an ordinary character.
  EXPECT_EQ(Split("1,5;2", ';'), (Fields{"1,5", "2"}));
  EXPECT_EQ(Split("1;5,2", ','), (Fields{"1;5", "2"}));
}

// A separator that is itself a blank or a control character ends exactly one field, so the
// empty cells of a tab-separated export keep their places; the other blanks are still skipped
// around fields, and the blanks of an unquoted field stay in it.
TEST(CsvText, BlankSeparatorEndsExactlyOneField) {
  struct Case {
    std::string line;
    char separator;
    Fields fields;
  };
  const Case cases[] = {
      {"1\tMilk\t\t45.50\t5", '\t', {"1", "Milk", "", "45.50", "5"}},
      {"\tb\t\t", '\t', {"", "b", "", ""}},
      {"\"x\ty\"\t\t\"\"\"\"", '\t', {"x\ty", "", "\""}},
      {"\1a\1\t\1b", '\t', {"a", "b"}},
      {" a \t b ", '\t', {" a ", " b "}},
      {"\t", '\t', {"", ""}},
      {"a\37\37b", '\x1F', {"a", "", "b"}},
      // A blank separator reaches the split as the guard the loader put in its place.
      {"a  \"b c\" ", kSpaceGuard, {"a", "", "b c", ""}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(Split(c.line, c.separator), c.fields);
  }
}

TEST(CsvText, LineSplitting) {
  EXPECT_EQ(SplitLines("a\r\nb\r\n", true), (Fields{"a", "b"}));
  EXPECT_EQ(SplitLines("a\r\nb", true), (Fields{"a", "b"}));
  EXPECT_EQ(SplitLines("a\nb\rc\r\n\r\n", true), (Fields{"a", "b", "c", ""}));
  EXPECT_EQ(SplitLines("a\rb\r\nc\r", false), (Fields{"ab", "c"}));
  EXPECT_EQ(SplitLines("", true), Fields{});
  EXPECT_EQ(SplitLines("\r\n", true), Fields{""});
}

}  // namespace
}  // namespace qm
