// Characters the scale cannot print. The scale's code page holds ASCII and the Cyrillic letters
// only; the wire codec sends '*' for every other character ("№", "«", "»", "€", "ў", ...), and the
// label then prints '*' where the operator typed something else. The wire bytes stay as they are;
// this scan only tells the operator which cells hold such characters. Control characters (TAB,
// BEL, ESC, ...: bytes 0x00..0x1F and 0x7F) pass the codec unchanged and reach the label
// printer as commands, so the scan lists them too.
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

// A byte 0x00..0x1F or 0x7F.
bool IsControlCharacter(char cp1251);

// Every PLU cell that goes to the scale as text (the two names, and the logo's code when a logo
// is chosen) and every line of every message that holds characters the scale cannot print or
// control characters: PLU rows top to bottom, each row's cells left to right, then the messages
// by number.
std::vector<UnprintableCell> FindUnprintable(const TextGrid& pluGrid, const MessageTable* messages);

// The sentence for the operator about one cell's characters (Windows-1251); control characters
// are named, never written out, and get a sentence of their own after the other one:
//   Символа "№" нет в кодовой странице весов, на этикетке будет "*".
//   Символов "«»" нет в кодовой странице весов, на этикетке будет "*".
//   Управляющий символ ESC (0x1B) будет передан весам как есть.
//   Управляющие символы TAB (0x09), BEL (0x07) будут переданы весам как есть.
std::string UnprintableText(const std::string& characters);

// The characters for a list: each control character as its name in angle brackets ("<ESC>"),
// the others as they are.
std::string ShownCharacters(const std::string& characters);

}  // namespace qm
