// The CSV record of the data files and the splitting of a file's bytes into lines.
//
// Writing a record: the fields joined by the separator S. A field is enclosed in double quotes
// when it contains a double quote, S, or any byte from 0 to 32 (so every field with a blank is
// quoted); inside the quotes each double quote is doubled. An empty field is nothing between its
// separators.
//
// Reading a record is more forgiving, because files also come from other tools: blanks around
// unquoted fields belong to the field, a run of control characters ends a field like S does, and
// text after a closing quote starts the next field. A separator that is itself a blank or a
// control character (a tab) is never part of such a run: each one ends exactly one field, so the
// empty cells of a tab-separated file keep their places. See SplitCsvLine.
//
// All texts are Windows-1251 bytes; only the ASCII bytes named here have a meaning.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qm {

// Stands in for every blank while a CSV file is split, so that blanks inside and around
// unquoted fields survive the splitting rule that treats bytes 1..32 as boundaries. A 0x7F byte
// in a file therefore reads as a blank.
inline constexpr char kSpaceGuard = '\x7F';

// The line break that ends every line the program writes.
inline constexpr std::string_view kLineEnd = "\r\n";

// One field as written: quoted when it must be (see above).
std::string QuoteCsvField(std::string_view field, char separator);

// The fields as one record, without a line end.
std::string JoinCsvRecord(const std::vector<std::string>& fields, char separator);

// Splits a file's text into lines. CR LF and a lone LF end a line; a lone CR ends a line too
// when `loneCrEndsLine`, otherwise it is dropped. The line end after the last line does not make
// an empty line of its own; an empty text has no lines.
std::vector<std::string> SplitLines(std::string_view text, bool loneCrEndsLine);

// Splits one line of a CSV file into fields with separator S. The line is expected with every
// blank already replaced by kSpaceGuard (the loader does it for the whole file); each
// kSpaceGuard in a field is turned back into a blank.
//   - bytes 1..32 at the start of the line are skipped; an empty line has no fields;
//   - a field that begins with a double quote runs to the next double quote that is not
//     doubled (to the end of the line when there is none); a doubled quote stands for one;
//   - any other field runs up to S or up to a byte 1..32;
//   - after a field, bytes 1..32 are skipped; an S then is consumed with the bytes 1..32 behind
//     it; an S at the very end of the line gives a final empty field, two S in a row an empty
//     field between them.
// When S is itself a byte 1..32 or kSpaceGuard (a tab, or a blank: the caller passes
// kSpaceGuard for a blank separator), "bytes 1..32" above means every such byte but S: an S at
// the start of the line gives an empty first field, each further S one more field, and an S
// followed only by skipped bytes a final empty field.
// A quoted field that reaches the end of the line without its closing quote is taken as it
// stands; `quoteLeftOpen` (may be null) then says so: a spreadsheet wrote a line break inside the
// cell, and the rest of the cell is on the next line.
std::vector<std::string> SplitCsvLine(std::string_view line, char separator,
                                      bool* quoteLeftOpen = nullptr);

}  // namespace qm
