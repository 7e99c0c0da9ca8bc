#include "ctl/TableFiles.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <ostream>

#include "base/Captions.h"
#include "base/Cp1251.h"
#include "files/FileIo.h"
#include "files/Utf8Text.h"
#include "session/FileOperations.h"
#include "tables/PluColumns.h"
#include "tables/PluTable.h"

namespace qm::ctl {

namespace {

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// The load's failure as the operator's sentence: the reason in English as qmctl words its own
// errors, the window's text for a file that is not a data file (with a second line naming the
// line of a UTF-8 file that is not well-formed).
[[noreturn]] void LoadFailed(const std::string& path, const LoadReport& report) {
  if (report.status == LoadStatus::CannotRead) {
    throw FileError("cannot read " + path + ": " + report.systemMessage);
  }
  if (report.status == LoadStatus::BadNumber) throw FileError(path + ": " + Utf8(report.message));
  std::string text = path + ": Неверный формат файла данных.";
  const std::string line = "\n" + path + ": line " + std::to_string(report.fault.line) + ": ";
  switch (report.fault.kind) {
    case DataFileFault::Kind::InvalidUtf8:
      text += line + "not valid UTF-8";
      break;
    case DataFileFault::Kind::LineBreakInQuotes:
      text += line + "a line break inside a quoted cell";
      break;
    case DataFileFault::Kind::None:
      break;
  }
  throw FileError(text);
}

void Saved(const SaveReport& report, const std::string& path, DataFileKind kind,
           std::ostream* warnings) {
  if (!report.saved) throw FileError("cannot write " + path + ": " + report.systemMessage);
  if (!warnings) return;
  for (const ReplacedByte& b : report.replaced) {
    char code[8];
    std::snprintf(code, sizeof code, "0x%02X", b.byte);
    *warnings << path << ": " << (kind == DataFileKind::PluTable ? "row " : "message ") << b.row
              << " (" << Utf8(DataFileColumnTitle(kind, b.column)) << "): " << Utf8(kWarningCaption)
              << ": Символ " << code << " нельзя записать в этот файл, он заменён пробелом.\n";
  }
}

}  // namespace

Extension ExtensionOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  const std::size_t dot = path.find_last_of('.');
  const std::string ext = (dot == std::string::npos || (slash != std::string::npos && dot < slash))
                              ? std::string()
                              : Lower(path.substr(dot));
  if (ext == ".csv") return Extension::Csv;
  if (ext == ".plw") return Extension::Plw;
  if (ext == ".msw") return Extension::Msw;
  if (ext == ".txt") return Extension::Txt;
  throw FileError(path + ": the file name must end in .csv, .plw or .msw");
}

FileKind LoadTableFile(const std::string& path, Tables& tables,
                       std::vector<UnmappedCharacter>* unmapped) {
  const Extension ext = ExtensionOf(path);
  if (ext == Extension::Txt) throw FileError(path + ": a totals report cannot be read");
  switch (ext) {
    case Extension::Csv: {
      const LoadReport report = LoadDataFile(tables, path);
      if (!report.ok()) LoadFailed(path, report);
      if (unmapped) *unmapped = report.unmapped;
      return report.kind == DataFileKind::PluTable ? FileKind::PluCsv : FileKind::MessageCsv;
    }
    case Extension::Plw: {
      const LoadReport report = LoadPluFile(tables, path, nullptr);
      if (!report.ok()) LoadFailed(path, report);
      return FileKind::PluNative;
    }
    case Extension::Msw:
    default: {
      const LoadReport report = LoadMessageFile(tables, path);
      if (!report.ok()) LoadFailed(path, report);
      return FileKind::MessageNative;
    }
  }
}

void PrintUnmapped(std::ostream& out, const std::string& path, FileKind kind,
                   const std::vector<UnmappedCharacter>& unmapped) {
  const DataFileKind table = kind == FileKind::PluCsv || kind == FileKind::PluNative
                                 ? DataFileKind::PluTable
                                 : DataFileKind::MessageTable;
  for (const UnmappedCharacter& u : unmapped) {
    out << path << ": row " << u.row << " (" << Utf8(DataFileColumnTitle(table, u.column))
        << "): " << Utf8(kWarningCaption) << ": Символа \"" << EncodeUtf8(u.codePoint) << "\" ("
        << CodePointText(u.codePoint)
        << ") нет в кодировке Windows-1251, он заменён знаком \"?\".\n";
  }
}

void RequireWritable(const std::string& path) {
  const FileResult result = CheckWritable(path);
  if (!result.ok) throw FileError("cannot write " + path + ": " + result.systemMessage);
}

bool IsDeviceOrPipe(const std::string& path) {
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(path, error);
  return !error && std::filesystem::exists(status) && !std::filesystem::is_regular_file(status) &&
         !std::filesystem::is_directory(status);
}

void SaveBytes(const std::string& path, const std::string& bytes) {
  if (IsDeviceOrPipe(path)) {
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    if (!out) throw FileError("cannot write " + path);
    return;
  }
  const FileResult result = WriteWholeFile(path, bytes);
  if (!result.ok) throw FileError("cannot write " + path + ": " + result.systemMessage);
}

void SavePluTable(const std::string& path, const TextGrid& plu, std::ostream* warnings) {
  const DataFileKind kind = DataFileKind::PluTable;
  switch (ExtensionOf(path)) {
    case Extension::Csv:
      Saved(SavePluFile(plu, path, FileFormat::Csv, nullptr), path, kind, warnings);
      return;
    case Extension::Plw:
      Saved(SavePluFile(plu, path, FileFormat::Native, nullptr), path, kind, warnings);
      return;
    default:
      throw FileError(path + ": a PLU table is written to a .csv or .plw file");
  }
}

void SaveMessageTable(const std::string& path, const MessageTable& messages,
                      std::ostream* warnings) {
  const DataFileKind kind = DataFileKind::MessageTable;
  switch (ExtensionOf(path)) {
    case Extension::Csv:
      Saved(SaveMessageFile(messages, path, FileFormat::Csv), path, kind, warnings);
      return;
    case Extension::Msw:
      Saved(SaveMessageFile(messages, path, FileFormat::Native), path, kind, warnings);
      return;
    default:
      throw FileError(path + ": messages are written to a .csv or .msw file");
  }
}

bool HoldsLogoOrSales(const TextGrid& plu) {
  for (int r = 1; r <= StoredRowCount(plu); ++r) {
    const std::string& logo = plu.Cell(kLogo, r);
    if (!logo.empty() && logo != "0") return true;
    for (int c : {kSalesStart, kSalesCount, kSalesAmount, kSalesWeight}) {
      const std::string& v = plu.Cell(c, r);
      if (!v.empty() && v != "0") return true;
    }
  }
  return false;
}

}  // namespace qm::ctl
