// Loading the session's tables from files and saving them, as operations that return reports:
// nothing here asks the operator anything or shows a box. The window's file commands
// (app/FileFlows.h) and qmctl are built on them.
//
// Guarantees:
//   - A load reads and parses the whole file first and replaces the table only when that
//     succeeded; a failed load changes nothing in the session. A successful load replaces the
//     rows (and, for messages, the texts) of the table the file holds and remembers the file in
//     `files` (its name and whether it is a CSV data file). The modified flags are the caller's:
//     a load leaves them as they were.
//   - A save writes a temporary file beside the target and renames it over the target, so a
//     failed save leaves the previous file intact. A save takes the part it writes (the session's
//     or any other table) and changes nothing; the caller clears the part's modified flag once
//     the part was written.
//
// Paths are in the file system's own encoding. Messages are Windows-1251 and are the operator's
// texts word for word. One thread at a time (the session's).
#pragma once

#include <string>
#include <vector>

#include "files/FileLayouts.h"
#include "session/SessionTables.h"

namespace qm {

class EventPump;

enum class LoadStatus {
  Loaded,
  CannotRead,  // the file could not be read (missing, a directory, no permission, ...)
  BadFormat,   // the bytes are not a file of the layout asked for
  BadNumber,   // a message file numbers a message above kMaxMessageNumber
};

struct LoadReport {
  LoadStatus status = LoadStatus::Loaded;
  DataFileKind kind = DataFileKind::PluTable;  // the table loaded (when Loaded)
  int rows = 0;                                // StoredRowCount of that table afterwards
  // When not Loaded: the text for the operator, "Не удалось прочитать файл "<path>":" and the
  // system's message on the next line, or "Неверный формат файла данных.", or (BadNumber)
  // "Номер сообщения <n> в строке <row> больше максимально допустимого (1000).".
  std::string message;
  std::string systemMessage;  // CannotRead: the system's own text (ASCII); empty otherwise
  // BadFormat of a data file refused for a fault on one line (a UTF-8 text that is not
  // well-formed, a line break inside a quoted cell): which and where. The message then has a
  // second line naming them.
  DataFileFault fault;
  // Loaded from a UTF-8 data file: the characters Windows-1251 cannot hold, each stored as '?'.
  // The load still succeeded; the operator should be told (UnmappedText).
  std::vector<UnmappedCharacter> unmapped;
  bool ok() const { return status == LoadStatus::Loaded; }
};

// The operator's warning about the characters of a load stored as '?', Windows-1251: a first
// line that says what happened, then one line per character with its row, column title and
// code point ("строка 2, Наименование 1: U+0105"), at most `maxListed`, then how many more.
// Empty when there are none.
std::string UnmappedText(DataFileKind kind, const std::vector<UnmappedCharacter>& unmapped,
                         std::size_t maxListed = 10);

// A code point as the operator reads it: "U+" and at least four hex digits.
std::string CodePointText(char32_t codePoint);

// A CSV data file into the table its first line names.
LoadReport LoadDataFile(TextGrid& plu, MessageTable& messages, FileState& files,
                        const std::string& path);
// A native PLU file (".plw"); `pump` (may be null) handles queued events during a long table.
LoadReport LoadPluFile(TextGrid& plu, FileState& files, const std::string& path, EventPump* pump);
// A native message file (".msw").
LoadReport LoadMessageFile(MessageTable& messages, FileState& files, const std::string& path);

// The same into the session's tables.
inline LoadReport LoadDataFile(SessionTables& tables, const std::string& path) {
  return LoadDataFile(tables.plu, tables.messages, tables.files, path);
}
inline LoadReport LoadPluFile(SessionTables& tables, const std::string& path, EventPump* pump) {
  return LoadPluFile(tables.plu, tables.files, path, pump);
}
inline LoadReport LoadMessageFile(SessionTables& tables, const std::string& path) {
  return LoadMessageFile(tables.messages, tables.files, path);
}

enum class FileFormat { Csv, Native };

struct SaveReport {
  bool saved = true;
  // When not saved: "Не удалось записать файл "<path>":" and the system's message on the next
  // line (Windows-1251), and the system's message alone.
  std::string message;
  std::string systemMessage;
  // Saved: the bytes of cells the layout cannot carry, written as blanks (ReplacedByte). The
  // operator should be told (ReplacedText).
  std::vector<ReplacedByte> replaced;
};

// The operator's warning about the bytes a save wrote as blanks, Windows-1251: a first line that
// says what happened, then one line per byte with its row (the message number for messages),
// column title and code ("строка 2, Наименование 1: 0x0A"), at most `maxListed`, then how many
// more. Empty when there are none.
std::string ReplacedText(DataFileKind kind, const std::vector<ReplacedByte>& replaced,
                         std::size_t maxListed = 10);

// The PLU table as a CSV data file (the locale's list separator) or a native ".plw" file (no
// logo, no sales); `pump` (may be null) handles queued events while a long native file is made.
SaveReport SavePluFile(const TextGrid& plu, const std::string& path, FileFormat format,
                       EventPump* pump);
// The message table as a CSV data file or a native ".msw" file.
SaveReport SaveMessageFile(const MessageTable& messages, const std::string& path,
                           FileFormat format);
// The totals report (".txt") of `page`, dated `at`.
SaveReport SaveTotalsFile(const TotalsPage& page, const std::string& path, const ReportMoment& at);

}  // namespace qm
