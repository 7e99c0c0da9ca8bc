#include "ctl/TableFiles.h"

#include <algorithm>
#include <cctype>

#include "base/Cp1251.h"
#include "files/FileIo.h"
#include "files/ListSeparator.h"
#include "tables/PluColumns.h"
#include "tables/PluTable.h"

namespace qm::ctl {

namespace {

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

std::string ReadFileOrThrow(const std::string& path) {
  std::string bytes;
  const FileResult result = ReadWholeFile(path, bytes);
  if (!result.ok) throw FileError("cannot read " + path + ": " + result.systemMessage);
  return bytes;
}

[[noreturn]] void BadFormat(const std::string& path) {
  // The window's text for a file that is not a data file.
  throw FileError(path + ": Неверный формат файла данных.");
}

}  // namespace

Tables::Tables() : plu(kPluColumnCount) {
  ResetPluTable(plu);
}

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

FileKind LoadTableFile(const std::string& path, Tables& tables) {
  const Extension ext = ExtensionOf(path);
  if (ext == Extension::Txt) throw FileError(path + ": a totals report cannot be read");
  const std::string bytes = ReadFileOrThrow(path);
  switch (ext) {
    case Extension::Csv: {
      std::optional<DataFileContent> content = ParseDataFile(bytes);
      if (!content) BadFormat(path);
      if (content->kind == DataFileKind::PluTable) {
        tables.plu.ReplaceDataRows(std::move(content->rows));
        return FileKind::PluCsv;
      }
      tables.messages.Grid().ReplaceDataRows(std::move(content->rows));
      tables.messages.Texts() = std::move(content->texts);
      return FileKind::MessageCsv;
    }
    case Extension::Plw: {
      std::optional<std::vector<Cells>> rows = ParsePluNative(bytes, nullptr);
      if (!rows) BadFormat(path);
      tables.plu.ReplaceDataRows(std::move(*rows));
      return FileKind::PluNative;
    }
    case Extension::Msw:
    default: {
      std::optional<MessageFileContent> content = ParseMessageNative(bytes);
      if (!content) BadFormat(path);
      tables.messages.Grid().ReplaceDataRows(std::move(content->rows));
      tables.messages.Texts() = std::move(content->texts);
      return FileKind::MessageNative;
    }
  }
}

void SaveBytes(const std::string& path, const std::string& bytes) {
  const FileResult result = WriteWholeFile(path, bytes);
  if (!result.ok) throw FileError("cannot write " + path + ": " + result.systemMessage);
}

void SavePluTable(const std::string& path, const TextGrid& plu) {
  switch (ExtensionOf(path)) {
    case Extension::Csv:
      SaveBytes(path, WritePluCsv(plu, ListSeparator()));
      return;
    case Extension::Plw:
      SaveBytes(path, WritePluNative(plu, nullptr));
      return;
    default:
      throw FileError(path + ": a PLU table is written to a .csv or .plw file");
  }
}

void SaveMessageTable(const std::string& path, const MessageTable& messages) {
  switch (ExtensionOf(path)) {
    case Extension::Csv:
      SaveBytes(path, WriteMessageCsv(messages, ListSeparator()));
      return;
    case Extension::Msw:
      SaveBytes(path, WriteMessageNative(messages));
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
