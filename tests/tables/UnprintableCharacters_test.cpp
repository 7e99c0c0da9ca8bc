#include "tables/UnprintableCharacters.h"

#include <gtest/gtest.h>

#include "base/Cp1251.h"
#include "tables/CommaText.h"
#include "tables/MessageTable.h"
#include "tables/PluColumns.h"

namespace qm {
namespace {

// What the wire codec carries decides it: the Cyrillic letters (Ё and ё too), ASCII and the
// asterisk itself pass; typographic signs and letters of other alphabets do not.
TEST(UnprintableCharacters, TheCodecDecidesWhatTheScaleCanPrint) {
  for (const char* text : {"A", "z", "0", "*", " ", "~", "Ж", "я", "Ё", "ё"}) {
    EXPECT_TRUE(ScaleCanPrint(Win1251(text)[0])) << text;
  }
  for (const char* text : {"№", "«", "»", "€", "ў", "Ў", "і", "—", "°"}) {
    EXPECT_FALSE(ScaleCanPrint(Win1251(text)[0])) << text;
  }
}

std::string Found(const UnprintableCell& c) {
  return std::string(c.message ? "msg " : "plu ") + std::to_string(c.row) + "," +
         std::to_string(c.column) + " " + Utf8(ShownCharacters(c.characters));
}

TEST(UnprintableCharacters, EveryTextCellAndMessageLineInOrderEachCharacterOnce) {
  TextGrid plu(kPluColumnCount);
  plu.SetTitles(PluColumnTitles());
  auto row = [](const char* name1, const char* name2, const char* logo, const char* price) {
    Cells r(kPluColumnCount);
    r[kName1] = Win1251(name1);
    r[kName2] = Win1251(name2);
    r[kLogo] = Win1251(logo);
    r[kPrice] = Win1251(price);  // numbers are not sent as text: never looked at
    return r;
  };
  plu.ReplaceDataRows({
      row("Молоко «Весна» №1", "Ёлка ёж", "0", "№"),  // names: «, », № once each
      row("Хлеб", "Сыр €", "0 €€€€", ""),             // no logo: its code is not sent
      row("", "", "1 А€»4", ""),                      // logo chosen: its code is sent
      row("Cafe", "*", "", ""),
  });
  MessageTable messages;
  messages.SetTextOf(1, ToCommaText({Win1251("Состав: вода"), Win1251("t° 5"), "", "ok"}));
  messages.SetTextOf(2, ToCommaText({Win1251("«а»"), Win1251("ў")}));

  std::vector<std::string> got;
  for (const auto& c : FindUnprintable(plu, &messages)) got.push_back(Found(c));
  EXPECT_EQ(got, (std::vector<std::string>{"plu 1,1 «»№", "plu 2,2 €", "plu 3,9 €»", "msg 1,2 °",
                                           "msg 2,1 «»", "msg 2,2 ў"}));
  // Without the messages only the PLU cells.
  EXPECT_EQ(FindUnprintable(plu, nullptr).size(), 3u);

  EXPECT_EQ(Utf8(UnprintableText(Win1251("№"))),
            "Символа \"№\" нет в кодовой странице весов, на этикетке будет \"*\".");
  EXPECT_EQ(Utf8(UnprintableText(Win1251("«»"))),
            "Символов \"«»\" нет в кодовой странице весов, на этикетке будет \"*\".");
}

// Control characters pass the codec unchanged and reach the label printer as commands: they
// are listed in names, logo codes and message lines alike, by name and never written out.
TEST(UnprintableCharacters, ControlCharactersAreListedByName) {
  TextGrid plu(kPluColumnCount);
  plu.SetTitles(PluColumnTitles());
  Cells row(kPluColumnCount);
  row[kName1] = Win1251("Сыр\tмягкий");
  row[kName2] = Win1251("\x1B[31m№\x1B[0m");
  row[kLogo] =
      "1 A\x07"
      "B";
  plu.ReplaceDataRows({row});
  MessageTable messages;
  messages.SetTextOf(1, ToCommaText({"a\x01", "ok\x7F", "\x1F"}));

  std::vector<std::string> got;
  for (const auto& c : FindUnprintable(plu, &messages)) got.push_back(Found(c));
  EXPECT_EQ(got, (std::vector<std::string>{"plu 1,1 <TAB>", "plu 1,2 <ESC>№", "plu 1,9 <BEL>",
                                           "msg 1,1 <SOH>", "msg 1,2 <DEL>", "msg 1,3 <US>"}));

  EXPECT_EQ(Utf8(UnprintableText("\x1B")),
            "Управляющий символ ESC (0x1B) будет передан весам как есть.");
  EXPECT_EQ(Utf8(UnprintableText("\t" + Win1251("№") + "\x07")),
            "Символа \"№\" нет в кодовой странице весов, на этикетке будет \"*\". "
            "Управляющие символы TAB (0x09), BEL (0x07) будут переданы весам как есть.");
}

}  // namespace
}  // namespace qm
