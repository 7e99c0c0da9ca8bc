#include "session/FileOperations.h"

#include <cstdio>
#include <optional>
#include <utility>

#include "base/Cp1251.h"
#include "files/FileIo.h"
#include "files/ListSeparator.h"
#include "tables/MessageTable.h"

namespace qm {
namespace {

// A path inside a message: the dialogs give paths in the file system's encoding, which is
// UTF-8 on the systems we build for.
std::string Quoted(const std::string& path) {
  return "\"" + Win1251(path) + "\"";
}

// Reads the whole file; on failure fills the report and returns nothing.
std::optional<std::string> ReadAll(const std::string& path, LoadReport& report) {
  std::string bytes;
  const FileResult result = ReadWholeFile(path, bytes);
  if (result.ok) return bytes;
  static const std::string kCannotRead = Win1251("Не удалось прочитать файл ");
  report.status = LoadStatus::CannotRead;
  report.message = kCannotRead + Quoted(path) + ":\n" + result.systemMessage;
  report.systemMessage = result.systemMessage;
  return std::nullopt;
}

// The second line of a refusal that can name its line, with its line break; empty otherwise.
std::string FaultLine(const DataFileFault& fault) {
  const std::string line = Win1251("\nСтрока ") + std::to_string(fault.line);
  switch (fault.kind) {
    case DataFileFault::Kind::InvalidUtf8:
      return line + Win1251(": текст не в кодировке UTF-8.");
    case DataFileFault::Kind::LineBreakInQuotes:
      return line + Win1251(": перенос строки внутри ячейки в кавычках.");
    case DataFileFault::Kind::None:
      break;
  }
  return {};
}

LoadReport BadFormat() {
  static const std::string kBadFormat = Win1251("Неверный формат файла данных.");
  LoadReport report;
  report.status = LoadStatus::BadFormat;
  report.message = kBadFormat;
  return report;
}

// A message table whose numbers no scale holds is refused: the writers make a record for every
// number up to the highest.
std::optional<LoadReport> NumberBeyondLimit(const std::vector<Cells>& rows) {
  const std::optional<MessageNumberBeyondLimit> beyond = FindMessageNumberBeyondLimit(rows);
  if (!beyond) return std::nullopt;
  LoadReport report;
  report.status = LoadStatus::BadNumber;
  report.kind = DataFileKind::MessageTable;
  report.message = Win1251("Номер сообщения ") + std::to_string(beyond->number) +
                   Win1251(" в строке ") + std::to_string(beyond->row) +
                   Win1251(" больше максимально допустимого (") +
                   std::to_string(kMaxMessageNumber) + ").";
  return report;
}

LoadReport PluLoaded(TextGrid& plu, FileState& files, std::vector<Cells> rows,
                     const std::string& path, bool csv) {
  plu.ReplaceDataRows(std::move(rows));
  files.pluFileName = path;
  files.pluFileIsCsv = csv;
  LoadReport report;
  report.kind = DataFileKind::PluTable;
  report.rows = StoredRowCount(plu);
  return report;
}

LoadReport MessagesLoaded(MessageTable& messages, FileState& files, std::vector<Cells> rows,
                          std::vector<std::string> texts, const std::string& path, bool csv) {
  messages.Grid().ReplaceDataRows(std::move(rows));
  messages.Texts() = std::move(texts);
  files.messageFileName = path;
  files.messageFileIsCsv = csv;
  LoadReport report;
  report.kind = DataFileKind::MessageTable;
  report.rows = StoredRowCount(messages.Grid());
  return report;
}

SaveReport Write(const std::string& path, const std::string& bytes,
                 std::vector<ReplacedByte> replaced = {}) {
  const FileResult result = WriteWholeFile(path, bytes);
  SaveReport report;
  if (result.ok) {
    report.replaced = std::move(replaced);
    return report;
  }
  static const std::string kCannotWrite = Win1251("Не удалось записать файл ");
  report.saved = false;
  report.message = kCannotWrite + Quoted(path) + ":\n" + result.systemMessage;
  report.systemMessage = result.systemMessage;
  return report;
}

}  // namespace

LoadReport LoadDataFile(TextGrid& plu, MessageTable& messages, FileState& files,
                        const std::string& path) {
  LoadReport failed;
  const std::optional<std::string> bytes = ReadAll(path, failed);
  if (!bytes) return failed;
  DataFileFault fault;
  std::optional<DataFileContent> content = ParseDataFile(*bytes, &fault);
  if (!content) {
    LoadReport report = BadFormat();
    report.fault = fault;
    report.message += FaultLine(fault);
    return report;
  }
  if (content->kind == DataFileKind::MessageTable) {
    if (std::optional<LoadReport> refused = NumberBeyondLimit(content->rows)) return *refused;
  }
  LoadReport report = content->kind == DataFileKind::PluTable
                          ? PluLoaded(plu, files, std::move(content->rows), path, true)
                          : MessagesLoaded(messages, files, std::move(content->rows),
                                           std::move(content->texts), path, true);
  report.unmapped = std::move(content->unmapped);
  return report;
}

std::string CodePointText(char32_t codePoint) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "U+%04X", static_cast<unsigned>(codePoint));
  return buffer;
}

std::string UnmappedText(DataFileKind kind, const std::vector<UnmappedCharacter>& unmapped,
                         std::size_t maxListed) {
  if (unmapped.empty()) return {};
  static const std::string kHead = Win1251(
      "В файле есть символы, которых нет в кодировке Windows-1251. Они заменены знаком \"?\":");
  static const std::string kRow = Win1251("строка ");
  static const std::string kMore = Win1251("и ещё ");
  std::string text = kHead;
  for (std::size_t i = 0; i < unmapped.size() && i < maxListed; ++i) {
    const UnmappedCharacter& u = unmapped[i];
    text += "\n" + kRow + std::to_string(u.row) + ", " + DataFileColumnTitle(kind, u.column) +
            ": " + CodePointText(u.codePoint);
  }
  if (unmapped.size() > maxListed) {
    text += "\n" + kMore + std::to_string(unmapped.size() - maxListed) + ".";
  }
  return text;
}

LoadReport LoadPluFile(TextGrid& plu, FileState& files, const std::string& path, EventPump* pump) {
  LoadReport failed;
  const std::optional<std::string> bytes = ReadAll(path, failed);
  if (!bytes) return failed;
  std::optional<std::vector<Cells>> rows = ParsePluNative(*bytes, pump);
  if (!rows) return BadFormat();
  return PluLoaded(plu, files, std::move(*rows), path, false);
}

LoadReport LoadMessageFile(MessageTable& messages, FileState& files, const std::string& path) {
  LoadReport failed;
  const std::optional<std::string> bytes = ReadAll(path, failed);
  if (!bytes) return failed;
  std::optional<MessageFileContent> content = ParseMessageNative(*bytes);
  if (!content) return BadFormat();
  if (std::optional<LoadReport> refused = NumberBeyondLimit(content->rows)) return *refused;
  return MessagesLoaded(messages, files, std::move(content->rows), std::move(content->texts), path,
                        false);
}

std::string ReplacedText(DataFileKind kind, const std::vector<ReplacedByte>& replaced,
                         std::size_t maxListed) {
  if (replaced.empty()) return {};
  static const std::string kHead = Win1251(
      "Некоторые символы нельзя записать в файл этого типа (перевод строки, конец файла и "
      "другие управляющие). Они заменены пробелом:");
  static const std::string kRow = Win1251("строка ");
  static const std::string kMessage = Win1251("сообщение ");
  static const std::string kMore = Win1251("и ещё ");
  std::string text = kHead;
  for (std::size_t i = 0; i < replaced.size() && i < maxListed; ++i) {
    const ReplacedByte& b = replaced[i];
    char code[8];
    std::snprintf(code, sizeof code, "0x%02X", b.byte);
    text += "\n" + (kind == DataFileKind::PluTable ? kRow : kMessage) + std::to_string(b.row) +
            ", " + DataFileColumnTitle(kind, b.column) + ": " + code;
  }
  if (replaced.size() > maxListed) {
    text += "\n" + kMore + std::to_string(replaced.size() - maxListed) + ".";
  }
  return text;
}

SaveReport SavePluFile(const TextGrid& plu, const std::string& path, FileFormat format,
                       EventPump* pump) {
  std::vector<ReplacedByte> replaced;
  std::string bytes = format == FileFormat::Csv ? WritePluCsv(plu, ListSeparator(), &replaced)
                                                : WritePluNative(plu, pump, &replaced);
  return Write(path, bytes, std::move(replaced));
}

SaveReport SaveMessageFile(const MessageTable& messages, const std::string& path,
                           FileFormat format) {
  std::vector<ReplacedByte> replaced;
  std::string bytes = format == FileFormat::Csv
                          ? WriteMessageCsv(messages, ListSeparator(), &replaced)
                          : WriteMessageNative(messages, &replaced);
  return Write(path, bytes, std::move(replaced));
}

SaveReport SaveTotalsFile(const TotalsPage& page, const std::string& path, const ReportMoment& at) {
  return Write(path, WriteTotalsReport(page, at));
}

}  // namespace qm
