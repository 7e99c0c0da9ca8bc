// check, match and convert: the table operations that need no scale.
#include <memory>
#include <ostream>

#include "base/Captions.h"
#include "base/Cp1251.h"
#include "base/ScaleParams.h"
#include "ctl/Commands.h"
#include "ctl/FindingPrinter.h"
#include "ctl/TableFiles.h"
#include "session/FileOperations.h"
#include "session/TableOperations.h"
#include "tables/PluColumns.h"
#include "tables/PluTable.h"
#include "tables/UnprintableCharacters.h"
#include "tables/Validation.h"

namespace qm::ctl {

namespace {

bool IsPluKind(FileKind kind) {
  return kind == FileKind::PluCsv || kind == FileKind::PluNative;
}

struct LoadedFile {
  std::string path;
  FileKind kind;
  std::unique_ptr<Tables> tables;
  std::vector<UnmappedCharacter> unmapped;
};

// The cells with characters the scale cannot print, as warnings at their place; returns how many:
//   prices.csv: row 3 (Наименование 1): Предупреждение: Символа "№" нет в кодовой странице
//   весов, на этикетке будет "*".
//   msgs.csv: message 2, line 1: Предупреждение: ...
int PrintUnprintable(std::ostream& out, const LoadedFile& f) {
  const bool plu = IsPluKind(f.kind);
  const auto cells = FindUnprintable(f.tables->plu, plu ? nullptr : &f.tables->messages);
  for (const UnprintableCell& cell : cells) {
    out << f.path << ": ";
    if (cell.message) {
      out << "message " << cell.row << ", line " << cell.column << ": ";
    } else {
      out << "row " << cell.row << " ("
          << Utf8(PluColumnTitles().at(static_cast<std::size_t>(cell.column))) << "): ";
    }
    out << Utf8(kWarningCaption) << ": " << Utf8(UnprintableText(cell.characters)) << '\n';
  }
  return static_cast<int>(cells.size());
}

}  // namespace

CommandOutcome RunCheck(const CommandLine& cl, CtlIo& io) {
  const TScaleParams limits = BuildScaleParams(cl.line.model, cl.line.version);
  // Every file is read before anything is checked, so a missing file stops the run at once.
  std::vector<LoadedFile> files;
  for (const std::string& path : cl.options.files) {
    auto tables = std::make_unique<Tables>();
    std::vector<UnmappedCharacter> unmapped;
    const FileKind kind = LoadTableFile(path, *tables, &unmapped);
    files.push_back({path, kind, std::move(tables), std::move(unmapped)});
  }
  // PLU message numbers are checked against the message file of the same run, if any.
  const MessageTable* messages = nullptr;
  for (const LoadedFile& f : files) {
    if (!IsPluKind(f.kind)) messages = &f.tables->messages;
  }

  // Findings go to stdout: they are this command's result.
  int errors = 0, warnings = 0;
  for (const LoadedFile& f : files) {
    ValidationOptions options;
    options.checkPlu = IsPluKind(f.kind);
    options.checkMessages = !options.checkPlu;
    const MessageTable& against = options.checkPlu && messages ? *messages : f.tables->messages;
    const FindingList found = FindAll(options, f.tables->plu, against, limits);
    // What the load changed comes first: the cells checked below hold '?' there.
    PrintUnmapped(io.out, f.path, f.kind, f.unmapped);
    PrintFindings(io.out, f.path, found.findings);
    errors += found.errors;
    warnings += found.warnings + static_cast<int>(f.unmapped.size());
    if (cl.options.strict) warnings += PrintUnprintable(io.out, f);
  }
  // The check command's summary, for all files together.
  CommandOutcome outcome = Done(io.out, "Ошибок: " + std::to_string(errors) +
                                            ",   Предупреждений: " + std::to_string(warnings) + ".");
  if (errors + warnings > 0) outcome.code = kExitFindings;
  return outcome;
}

CommandOutcome RunMatch(const CommandLine& cl, CtlIo& io) {
  const TScaleParams limits = BuildScaleParams(cl.line.model, cl.line.version);
  Tables tables;
  std::vector<UnmappedCharacter> unmapped;
  const FileKind kind = LoadTableFile(cl.options.input, tables, &unmapped);
  if (!IsPluKind(kind)) throw FileError(cl.options.input + ": not a PLU table");
  PrintUnmapped(io.err, cl.options.input, kind, unmapped);
  ExtensionOf(cl.options.output);  // a bad output name is refused before any work
  RequireWritable(cl.options.output);
  const MatchReport report = MatchPluTable(tables, limits.MaxPluNo);
  SavePluTable(cl.options.output, tables.plu, &io.err);
  Info(io) << Utf8(report.message) << '\n';
  return Done(Info(io), Utf8(report.countText));
}

CommandOutcome RunConvert(const CommandLine& cl, CtlIo& io) {
  Tables tables;
  std::vector<UnmappedCharacter> unmapped;
  const FileKind kind = LoadTableFile(cl.options.input, tables, &unmapped);
  const Extension out = ExtensionOf(cl.options.output);
  RequireWritable(cl.options.output);
  // A converted file would keep the '?' for good; a script must notice before it is made.
  PrintUnmapped(io.err, cl.options.input, kind, unmapped);
  if (!unmapped.empty() && !cl.options.force) {
    return Fail(io.err, kExitFindings,
                "nothing was written; --force converts despite the characters replaced by \"?\"");
  }
  if (IsPluKind(kind)) {
    if (out == Extension::Plw && HoldsLogoOrSales(tables.plu)) {
      io.err << "qmctl: " << cl.options.output
             << ": Информация о логотипе и итоги продаж не будут сохранены.\n";
    }
    SavePluTable(cl.options.output, tables.plu, &io.err);
    // The records written: a table loaded from a file without records keeps one empty row.
    return Done(Info(io), std::to_string(StoredRowCount(tables.plu)) + " PLU");
  }
  SaveMessageTable(cl.options.output, tables.messages, &io.err);
  return Done(Info(io), std::to_string(StoredRowCount(tables.messages.Grid())) + " MSG");
}

}  // namespace qm::ctl
