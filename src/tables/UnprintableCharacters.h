// Characters the scale cannot print. The scale's code page holds ASCII and the Cyrillic letters
// only; the wire codec sends '*' for every other character ("№", "«", "»", "€", "ў", ...), and the
// label then prints '*' where the operator typed something else. The wire bytes stay as they are;
// this scan only tells the operator which cells hold such characters.
//
// It is a check of its own, run on request (qmctl check --strict, the window's menu entry); the
// data validation's findings and their order do not include it.
#pragma once

#include <string>
#include <vector>

#include "tables/TextGrid.h"

namespace qm {

class MessageTable;

// Whether the scale's code page holds this Windows-1251 character, decided by the wire codec
// itself, so the scan and what goes on the wire cannot disagree.
bool ScaleCanPrint(char cp1251);

struct UnprintableCell {
  bool message = false;  // false: a PLU cell; true: a line of a message
  // PLU: the grid row and the column (kName1, kName2 or kLogo). Message: the message number and
  // its line, counted from 1.
  int row = 0;
  int column = 0;
  std::string characters;  // Windows-1251: each such character once, in order of appearance
};

// Every PLU cell that goes to the scale as text (the two names, and the logo's code when a logo
// is chosen) and every line of every message that holds characters the scale cannot print:
// PLU rows top to bottom, each row's cells left to right, then the messages by number.
std::vector<UnprintableCell> FindUnprintable(const TextGrid& pluGrid, const MessageTable* messages);

// The sentence for the operator about one cell's characters (Windows-1251):
//   Символа "№" нет в кодовой странице весов, на этикетке будет "*".
//   Символов "«»" нет в кодовой странице весов, на этикетке будет "*".
std::string UnprintableText(const std::string& characters);

}  // namespace qm
