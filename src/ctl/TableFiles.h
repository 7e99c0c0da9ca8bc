// The tables as qmctl keeps them between a file and the scale, and their files. The file kind is
// chosen by the extension (.csv, .plw, .msw, and the report .txt); the layouts and bytes are the
// window program's own (FileLayouts.h), and every output is written beside the target and
// renamed over it, so a failure never leaves half a file.
//
// Failures raise FileError with one sentence for the operator (UTF-8), the system's message
// included; the program ends with exit code 2.
#pragma once

#include <iosfwd>
#include <stdexcept>
#include <string>
#include <vector>

#include "files/FileLayouts.h"
#include "session/SessionTables.h"
#include "tables/MessageTable.h"
#include "tables/TextGrid.h"

namespace qm::ctl {

class FileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class FileKind { PluCsv, PluNative, MessageCsv, MessageNative, Report };

// The tables of one run: a fresh PLU table (one row) and a fresh message table (one message),
// as the window starts with them.
using Tables = SessionTables;

// ".csv" (either table; the file's first line decides when reading), ".plw", ".msw", ".txt";
// letters in any case. Anything else is a FileError.
enum class Extension { Csv, Plw, Msw, Txt };
Extension ExtensionOf(const std::string& path);

// Loads `path` into the table it holds and says which: PluCsv, PluNative, MessageCsv or
// MessageNative. The other table is not touched; the file is remembered in `tables.files`.
// `unmapped` (may be null) receives the characters of a UTF-8 data file stored as '?'.
FileKind LoadTableFile(const std::string& path, Tables& tables,
                       std::vector<UnmappedCharacter>* unmapped = nullptr);

// The characters of a UTF-8 data file that were stored as '?', one warning a line at its place
// (row from 1, the column's title, the character and its code point), the way check reports
// them:
//   prices.csv: row 2 (Наименование 1): Предупреждение: Символа "ą" (U+0105) нет в кодировке
//   Windows-1251, он заменён знаком "?".
void PrintUnmapped(std::ostream& out, const std::string& path, FileKind kind,
                   const std::vector<UnmappedCharacter>& unmapped);

// Writes the PLU table / the message table in the layout the extension of `path` names
// (.csv with the locale's list separator, .plw / .msw). A FileError for an extension that does
// not fit the table. A byte the layout cannot carry is written as a blank and, when `warnings`
// is given, told there at its place:
//   out.plw: row 2 (Наименование 1): Предупреждение: Символ 0x0A нельзя записать в этот файл,
//   он заменён пробелом.
void SavePluTable(const std::string& path, const TextGrid& plu, std::ostream* warnings = nullptr);
void SaveMessageTable(const std::string& path, const MessageTable& messages,
                      std::ostream* warnings = nullptr);

// Refuses, with a FileError, an output that could not be written now (FileIo.h, CheckWritable):
// a command asks before it does the work whose result goes there.
void RequireWritable(const std::string& path);

// Writes `bytes` as the whole file (temporary file and rename); a device or a pipe that is there
// already (IsDeviceOrPipe) is written as it stands instead, since a file renamed into its place
// would destroy it.
void SaveBytes(const std::string& path, const std::string& bytes);

// Whether `path` (links followed) is there and is neither a plain file nor a folder: /dev/null,
// a FIFO a script reads from, a terminal.
bool IsDeviceOrPipe(const std::string& path);

// Whether any row holds something a .plw file cannot keep (a logo or sales figures).
bool HoldsLogoOrSales(const TextGrid& plu);

}  // namespace qm::ctl
