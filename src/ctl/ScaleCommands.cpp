// The commands that talk to the scale: the session's transfers over a headless link, their
// reports turned into exit codes and lines on the terminal, plus scan, weigh and verify.
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <map>
#include <optional>
#include <ostream>

#include "base/AskNumber.h"
#include "base/Cp1251.h"
#include "base/NumberText.h"
#include "base/StatusTexts.h"
#include "base/WireCodecs.h"
#include "ctl/Commands.h"
#include "ctl/Console.h"
#include "ctl/ConsoleObserver.h"
#include "ctl/FindingPrinter.h"
#include "ctl/JsonText.h"
#include "ctl/LinkSession.h"
#include "ctl/TableFiles.h"
#include "ledger/Ledger.h"
#include "port/PortNames.h"
#include "session/LedgerName.h"
#include "session/ScaleSession.h"
#include "tables/PluColumns.h"
#include "tables/PluTable.h"
#include "tables/Validation.h"
#include "transfer/TransferTexts.h"

namespace qm::ctl {

namespace {

// Everything one scale command needs: the tables, the link and the session over them, and what
// the link reported.
struct ScaleRun {
  ScaleRun(const CommandLine& cl, CtlIo& io,
           std::chrono::milliseconds tick = std::chrono::milliseconds(100))
      : io(io), session(cl.line, io.err, tick), tables(session.core.Tables()) {
    // A port given as a device path is named as given in "cannot open" texts; the path is the
    // file system's UTF-8 and the text Windows-1251 until it is printed.
    const std::string portPath = cl.line.comPort ? std::string() : cl.line.port;
    session.core.SetLinkFailureHandler([this, portPath](const LinkFailure& failure) {
      if (observer) observer->EndLine();
      linkFailed = true;
      std::string text = failure.text;
      if (failure.kind == LinkFailure::Kind::CannotOpenPort && !portPath.empty()) {
        text = CannotOpenPortText(Win1251(portPath), failure.cause);
      }
      failureText = OneLine(text);
      this->io.err << "qmctl: " << failureText << '\n';
    });
    if (io.ticks) session.loop.SetTickSource(*io.ticks);
    if (Ledger::Available()) {
      // Named when a transfer starts: scan and weigh never ask, and a network line's host is
      // then looked up for nothing.
      const std::string path = io.ledger.empty() ? Ledger::DefaultPath() : io.ledger;
      session.core.SetLedgerPlace([path, name = cl.scaleName, line = cl.line] {
        return LedgerPlace{path, name.empty() ? LineScaleName(line) : name};
      });
    }
  }

  // A scale without a name of its own is kept in the ledger under its line and address.
  static std::string LineScaleName(const LineOptions& line) {
    return LedgerScaleName(line.comPort ? ResolvePortDevice(*line.comPort) : line.port,
                           line.address);
  }

  // Runs a transfer with a console observer.
  template <typename Transfer>
  TransferReport Run(ConsoleObserver& console, Transfer&& transfer) {
    observer = &console;
    TransferReport report = transfer(console);
    observer = nullptr;
    records += report.stored;
    return report;
  }

  // How a transfer ended when it did not go through: a lost link (3), a scale that stayed busy
  // or was not ready (3, said here since the transfer ends quietly), a refusal (1). Nothing when
  // none of these happened.
  std::optional<CommandOutcome> Failed(const TransferReport& report,
                                       const ConsoleObserver& console) {
    if (report.status == TransferStatus::LedgerFailed) {
      return Fail(kExitUsage, "nothing was written: " + report.ledgerError);
    }
    if (!report.ledgerError.empty()) {
      io.err << "qmctl: warning: " << report.ledgerError
             << "; what the scale holds was not recorded\n";
    }
    if (StopRequested() && FleetRunning()) return Interrupted();
    if (linkFailed) return LinkFailed();
    if (IsBusy(report.selection)) return StayedBusy();
    if (console.stopped) return End(kExitFindings, console.stoppedText);
    if (report.status == TransferStatus::NotReady) return NotReady();
    return std::nullopt;
  }
  // The same after the live poll of `weigh`, which has no report: its last selection tells.
  std::optional<CommandOutcome> PollFailed() {
    if (StopRequested() && FleetRunning()) return Interrupted();
    if (linkFailed) return LinkFailed();
    const std::optional<Selection>& last = session.poll.LastSelection();
    if (IsBusy(last)) return StayedBusy();
    if (last && last->Refusing()) return NotReady();
    return std::nullopt;
  }
  static bool IsBusy(const std::optional<Selection>& selection) {
    return selection && selection->kind == Selection::Kind::Busy;
  }
  CommandOutcome StayedBusy() {
    return Fail(kExitLink, "the scale at address " + Utf8(FormatAddress(session.state.ScaleAddress)) +
                               " stayed busy (it echoed its address but sent no status); gave up");
  }
  // A fleet was interrupted: whatever the transfer got is dropped, and no file is written.
  CommandOutcome Interrupted() {
    if (observer) observer->EndLine();
    return Fail(InterruptedExitCode(), "interrupted");
  }
  CommandOutcome NotReady() {
    return Fail(kExitLink, "the scale at address " + Utf8(FormatAddress(session.state.ScaleAddress)) +
                               " is not ready (no ready status after its address)");
  }
  // The link failed; its failure was said when it happened.
  CommandOutcome LinkFailed() { return End(kExitLink, failureText); }
  // A record number the window's number input would not take.
  CommandOutcome BadNumber(const std::string& error) {
    return Fail(kExitFindings, OneLine(error));
  }
  // Says `text` as qmctl's line on the error stream and ends with `code`.
  CommandOutcome Fail(int code, const std::string& text) {
    return ctl::Fail(io.err, code, text, records);
  }
  // Ends with `code`, the summary said already.
  CommandOutcome End(int code, const std::string& summary) { return {code, records, summary}; }

  CtlIo& io;
  LinkSession session;
  Tables& tables;  // the session's
  ConsoleObserver* observer = nullptr;
  bool linkFailed = false;
  std::string failureText;  // the link failure as it was said, when linkFailed
  int records = 0;          // stored or acknowledged by the transfers so far
};

ReportMoment LocalNow() {
  const std::tm local = LocalTime(std::time(nullptr));
  return {Date{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday}, local.tm_hour, local.tm_min,
          local.tm_sec};
}

bool IsPluKind(FileKind kind) {
  return kind == FileKind::PluCsv || kind == FileKind::PluNative;
}

// The outputs are refused before anything goes to the scale: a long read must not end in a
// file that cannot be written.
void RequirePluOutput(const std::string& path) {
  const Extension ext = ExtensionOf(path);
  if (ext != Extension::Csv && ext != Extension::Plw) {
    throw FileError(path + ": a PLU table is written to a .csv or .plw file");
  }
  RequireWritable(path);
}

void RequireMessageOutput(const std::string& path) {
  const Extension ext = ExtensionOf(path);
  if (ext != Extension::Csv && ext != Extension::Msw) {
    throw FileError(path + ": messages are written to a .csv or .msw file");
  }
  RequireWritable(path);
}

// Prints the findings of the check a write runs silently, so the operator sees what they are.
void PrintFindings(ScaleRun& run, const std::string& file, const ValidationOptions& scope) {
  PrintCheckBeforeWrite(run.io.err, file, scope, run.tables.plu, run.tables.messages,
                        run.session.state.CurrentScale);
}

// Loads a table file for a scale command; the characters of a UTF-8 file stored as '?' are told
// on the terminal at their places, and returned.
std::vector<UnmappedCharacter> LoadForScale(ScaleRun& run, const std::string& path,
                                            FileKind& kind) {
  std::vector<UnmappedCharacter> unmapped;
  kind = LoadTableFile(path, run.tables, &unmapped);
  PrintUnmapped(run.io.err, path, kind, unmapped);
  return unmapped;
}

// The silent check a write runs before it sends anything, with the window's question answered by
// --force. `replaced` characters of the file stored as '?' in what is written count as warnings,
// as check counts them. False when nothing may be written (said on the terminal).
bool CheckedBeforeWrite(ScaleRun& run, bool checkPlu, bool single, bool force, int replaced = 0) {
  ValidationOptions options;
  options.checkPlu = checkPlu;
  options.checkMessages = !checkPlu;
  options.silent = true;
  options.currentOnly = single;
  const ValidationResult check = ValidateData(options, run.tables.plu, run.tables.messages,
                                              run.session.state.CurrentScale, nullptr, nullptr);
  const int warnings = check.warnings + replaced;
  if (check.errors == 0 && warnings == 0) return true;
  run.io.err << Utf8(CheckResultQuestion(check.errors, warnings)) << (force ? " --force" : "")
             << '\n';
  return force;
}

// Nothing was written for the findings of the check before it.
CommandOutcome RefusedForFindings(ScaleRun& run) {
  return run.Fail(kExitFindings, "nothing was written; --force writes despite the findings");
}

// The end of a write that did not fail otherwise: it must have gone through.
CommandOutcome WriteOutcome(ScaleRun& run, const TransferReport& report,
                            const ConsoleObserver& console, bool changed = false) {
  if (auto failed = run.Failed(report, console)) return *failed;
  if (!console.completed) return run.Fail(kExitFindings, "the write did not complete");
  if (changed) {
    return Done(run.io.out,
                std::to_string(report.stored) + " sent, " + std::to_string(report.unchanged) +
                    " unchanged",
                run.records);
  }
  return run.End(kExitDone, console.completionText);
}

// The console of a write of changed records: says, before the rows go, when the scale
// disagreed with the ledger.
class ChangedConsole : public ConsoleObserver {
 public:
  ChangedConsole(std::ostream& err, bool progress, bool single, const std::string& title,
                 std::ostream& completion, const std::string& doneText, const char* what)
      : ConsoleObserver(err, progress, single, true, title, kWrittenCountLabel, completion,
                        doneText),
        err_(err),
        what_(what) {}
  void Planned(const TransferReport& report, int) override {
    if (!report.ledgerDisagrees) return;
    err_ << "qmctl: " << what_ << ' ' << *report.ledgerDisagrees
         << " on the scale is not what the ledger holds (edited at the scale, or the scale was "
            "reset): sending everything\n";
  }

 private:
  std::ostream& err_;
  const char* what_;
};

ChangedWriteOptions ChangedOptionsOf(const CommandLine& cl) {
  ChangedWriteOptions options;
  if (cl.options.sample) options.sample = *cl.options.sample;
  return options;
}

// The PLU number of a row as the write sends it: a whole number, 0 otherwise.
int PluNumberOf(const Cells& row) {
  return ParseInt(row.at(kPluNo)).value_or(0);
}

// Record numbers as the operator reads them: runs of three or more as "6..10".
std::string NumberList(const std::vector<int>& numbers) {
  std::string out;
  for (std::size_t i = 0; i < numbers.size();) {
    std::size_t j = i;
    while (j + 1 < numbers.size() && numbers[j + 1] == numbers[j] + 1) ++j;
    if (!out.empty()) out += ", ";
    out += std::to_string(numbers[i]);
    if (j >= i + 2) {
      out += ".." + std::to_string(numbers[j]);
    } else if (j == i + 1) {
      out += ", " + std::to_string(numbers[j]);
    }
    i = j + 1;
  }
  return out;
}

// What a read that kept the link passed over, said on the terminal, and what follows for the
// file: a read that got nothing writes none, so the previous file stays; numbers the scale
// answered with an odd byte make the exit code 1 (the file holds what was read).
struct ReadVerdict {
  bool write = true;
  // How the read ends when it writes no file, or when it does and still has findings (exit 1).
  std::optional<CommandOutcome> findings;
};
ReadVerdict JudgeRead(ScaleRun& run, const TransferReport& report, const char* what, bool single,
                      const std::string& output) {
  ReadVerdict verdict;
  if (!single && !report.refused.empty()) {
    run.io.err << "qmctl: " << report.refused.size() << " refused by the scale (no such " << what
               << "): " << NumberList(report.refused) << '\n';
  }
  if (!report.oddAnswered.empty()) {
    char byte[8];
    std::snprintf(byte, sizeof byte, "%02X", static_cast<unsigned>(report.answerByte.value_or(0)));
    verdict.findings = run.Fail(kExitFindings, std::string("the scale answered ") + byte +
                                                   " instead of the record for " + what + ' ' +
                                                   NumberList(report.oddAnswered) + "; skipped");
  }
  if (report.stored == 0) {
    return {false, run.Fail(kExitFindings, std::string("no ") + what + " was read; " + output +
                                               " was not written")};
  }
  return verdict;
}

std::string DisplayLine(const DisplayTexts& d) {
  return "Вес: " + Utf8(d.weight) + "  Цена: " + Utf8(d.unitPrice) +
         "  Стоимость: " + Utf8(d.totalPrice) + "  Номер PLU: " + Utf8(d.pluNo);
}

std::string Trimmed(const std::string& text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// The display as a JSON object: the panels' texts, the weight without its indicator letters,
// and the letters as flags.
std::string DisplayJson(const DisplayTexts& d) {
  const std::string letters = d.weight.substr(0, 3) + "   ";
  return JsonObject()
      .Text("weight", Utf8(Trimmed(d.weight.size() > 3 ? d.weight.substr(3) : std::string())))
      .Text("unit_price", Utf8(d.unitPrice))
      .Text("total", Utf8(d.totalPrice))
      .Text("plu", Utf8(d.pluNo))
      .Bool("stable", letters[1] == 's')
      .Bool("tare", letters[0] == 't')
      .Bool("zero", letters[2] == 'z')
      .Str();
}

// The columns of a PLU record verify compares, by the keys its JSON names them with.
const char* FieldKey(int column) {
  static const char* const keys[] = {"plu",       "name1",     "name2",      "price",
                                     "shelf_life", "tare",     "item_code",  "group_code",
                                     "message",   "logo"};
  return column >= 0 && column <= kLogo ? keys[column] : "";
}

}  // namespace

CommandOutcome RunReadPlu(const CommandLine& cl, CtlIo& io) {
  RequirePluOutput(cl.options.output);
  ScaleRun run(cl, io);
  TextGrid& plu = run.tables.plu;
  plu.ReplaceDataRows({});  // no rows: a read that finds nothing writes none
  const bool single = cl.options.only.has_value();
  const int number = single ? *cl.options.only : *cl.options.last;
  const int maxPlu = run.session.state.CurrentScale.MaxPluNo;
  if (number < (single ? 0 : 1) || number > maxPlu) return run.BadNumber(kBadPluNoError);
  ConsoleObserver console(io.err, io.errIsTerminal, single, false, kReadPluTableTitle,
                          kReadCountLabel, Info(io), kPluTableReadText);
  const TransferReport report = run.Run(console, [&](TransferObserver& o) {
    return single ? run.session.core.ReadOnePlu(number, plu.CurrentRow(), o)
                  : run.session.core.ReadPluTable(number, o);
  });
  if (auto failed = run.Failed(report, console)) return *failed;
  const ReadVerdict verdict = JudgeRead(run, report, "PLU", single, cl.options.output);
  if (!verdict.write) return *verdict.findings;
  SavePluTable(cl.options.output, plu, &io.err);
  const CommandOutcome done =
      Done(Info(io), std::to_string(StoredRowCount(plu)) + " PLU", run.records);
  return verdict.findings.value_or(done);
}

CommandOutcome RunReadMsg(const CommandLine& cl, CtlIo& io) {
  RequireMessageOutput(cl.options.output);
  ScaleRun run(cl, io);
  const bool single = cl.options.only.has_value();
  const int number = single ? *cl.options.only : *cl.options.last;
  if (number < 1 || number > run.session.state.CurrentScale.MaxMessages) {
    return run.BadNumber(kBadMessageNoError);
  }
  ConsoleObserver console(io.err, io.errIsTerminal, single, false, kReadMsgTableTitle,
                          kReadCountLabel, Info(io), kMsgTableReadText);
  const TransferReport report = run.Run(console, [&](TransferObserver& o) {
    return single
               ? run.session.core.ReadOneMessage(number, run.tables.messages.Grid().CurrentRow(), o)
               : run.session.core.ReadMessageTable(number, o);
  });
  if (auto failed = run.Failed(report, console)) return *failed;
  const ReadVerdict verdict = JudgeRead(run, report, "message", single, cl.options.output);
  if (!verdict.write) return *verdict.findings;
  SaveMessageTable(cl.options.output, run.tables.messages, &io.err);
  const CommandOutcome done =
      Done(Info(io), std::to_string(run.tables.messages.Count()) + " MSG", run.records);
  return verdict.findings.value_or(done);
}

CommandOutcome RunWritePlu(const CommandLine& cl, CtlIo& io) {
  ScaleRun run(cl, io);
  FileKind kind;
  const std::vector<UnmappedCharacter> unmapped = LoadForScale(run, cl.options.input, kind);
  if (!IsPluKind(kind)) throw FileError(cl.options.input + ": not a PLU table");
  if (!cl.options.messages.empty()) {
    // Only the message numbers are checked against it; its texts are not sent.
    LoadForScale(run, cl.options.messages, kind);
    if (IsPluKind(kind)) throw FileError(cl.options.messages + ": not a message table");
  }
  TextGrid& plu = run.tables.plu;
  if (StoredRowCount(plu) == 0) throw FileError(cl.options.input + ": no PLU rows to write");
  const bool single = cl.options.only.has_value();
  if (single) {
    int found = 0;
    for (int r = 1; r <= plu.DataRowCount() && !found; ++r) {
      if (ParseInt(plu.Cell(kPluNo, r)) == *cl.options.only) found = r;
    }
    if (!found) {
      throw FileError(cl.options.input + ": no row with PLU number " +
                      std::to_string(*cl.options.only));
    }
    plu.MoveToCell(kPluNo, found);
  }
  ValidationOptions scope;
  scope.checkPlu = true;
  scope.currentOnly = single;
  PrintFindings(run, cl.options.input, scope);
  // The characters stored as '?' in the rows that go to the scale (a file's data line is its row).
  const int replaced = static_cast<int>(std::count_if(
      unmapped.begin(), unmapped.end(),
      [&](const UnmappedCharacter& u) { return !single || u.row == plu.CurrentRow(); }));
  if (!CheckedBeforeWrite(run, true, single, cl.options.force, replaced)) {
    return RefusedForFindings(run);
  }

  ChangedConsole console(io.err, io.errIsTerminal, single, kWritePluTableTitle, Info(io),
                         single ? kPluRowWrittenText : kPluTableWrittenText, "PLU");
  const int first = single ? plu.CurrentRow() : 1;
  const int last = single ? first : plu.RowCount() - 1;
  const bool changed = cl.options.changed;
  const TransferReport report = run.Run(console, [&](TransferObserver& o) {
    return changed ? run.session.core.WritePluChanged(first, last, ChangedOptionsOf(cl), o)
                   : run.session.core.WritePlu(first, last, o);
  });
  return WriteOutcome(run, report, console, changed);
}

CommandOutcome RunWriteMsg(const CommandLine& cl, CtlIo& io) {
  ScaleRun run(cl, io);
  FileKind kind;
  const std::vector<UnmappedCharacter> unmapped = LoadForScale(run, cl.options.input, kind);
  if (IsPluKind(kind)) throw FileError(cl.options.input + ": not a message table");
  ValidationOptions scope;
  scope.checkMessages = true;
  PrintFindings(run, cl.options.input, scope);
  if (!CheckedBeforeWrite(run, false, false, cl.options.force, static_cast<int>(unmapped.size())))
    return RefusedForFindings(run);

  ChangedConsole console(io.err, io.errIsTerminal, false, kWriteMsgTableTitle, Info(io),
                         kMessagesWrittenText, "message");
  const int last = run.tables.messages.Grid().RowCount() - 1;
  const bool changed = cl.options.changed;
  const TransferReport report = run.Run(console, [&](TransferObserver& o) {
    return changed ? run.session.core.WriteMessagesChanged(1, last, ChangedOptionsOf(cl), o)
                   : run.session.core.WriteMessages(1, last, o);
  });
  return WriteOutcome(run, report, console, changed);
}

CommandOutcome RunReadTotals(const CommandLine& cl, CtlIo& io) {
  // A device or a pipe is written as it stands; its folder (/dev) need not take a new file.
  if (!IsDeviceOrPipe(cl.options.output)) RequireWritable(cl.options.output);
  ScaleRun run(cl, io);
  ConsoleObserver console(io.err, false, true, false, {}, {}, io.out, {});
  const TransferReport report =
      run.Run(console, [&](TransferObserver& o) { return run.session.core.ReadTotals(o); });
  if (auto failed = run.Failed(report, console)) return *failed;
  if (report.stored == 0) return run.Fail(kExitFindings, "the scale sent no totals");
  SaveBytes(cl.options.output, WriteTotalsReport(run.tables.totals, LocalNow()));
  return Done(Info(io), Utf8(run.tables.totals.title), run.records);
}

CommandOutcome RunClearTotals(const CommandLine& cl, CtlIo& io) {
  ScaleRun run(cl, io);
  ConsoleObserver console(io.err, false, true, false, {}, {}, io.out, {});
  const TransferReport report =
      run.Run(console, [&](TransferObserver& o) { return run.session.core.ClearTotals(o); });
  if (auto failed = run.Failed(report, console)) return *failed;
  if (report.stored == 0) return run.Fail(kExitFindings, "the scale did not confirm the erasure");
  return Done(Info(io), Utf8(run.tables.totals.title), run.records);
}

CommandOutcome RunScan(const CommandLine& cl, CtlIo& io) {
  // Five ticks of 40 ms: a silent address is given up after about 0.2 s instead of the 0.5 s the
  // window waits, which a scale answering at 9600 baud beats by far (one byte takes 1 ms).
  ScaleRun run(cl, io, std::chrono::milliseconds(40));
  LinkSession& s = run.session;
  s.link.OpenLink(false);
  if (!s.link.IsOpen()) return run.LinkFailed();

  int answering = 0;
  std::string lastLine;
  for (int address = *cl.options.from; address <= *cl.options.to; ++address) {
    const Selection found = s.link.ProbeAddress(static_cast<std::uint8_t>(address));
    if (found.kind == Selection::Kind::Closed) return run.LinkFailed();
    const std::string state = ProbeText(found);
    if (state.empty()) continue;  // nothing, or not the echo, came back
    ++answering;
    lastLine = Utf8(FormatAddress(static_cast<std::uint8_t>(address))) + ' ' + state;
    if (cl.options.json) {
      io.out << JsonObject().Number("address", address).Text("status", Utf8(state)).Str() << '\n';
    } else {
      io.out << lastLine << '\n';
    }
  }
  if (answering == 0) {
    return run.Fail(kExitLink, "no scale answered at addresses " +
                                   std::to_string(*cl.options.from) + ".." +
                                   std::to_string(*cl.options.to));
  }
  return run.End(kExitDone, lastLine);
}

CommandOutcome RunWeigh(const CommandLine& cl, CtlIo& io) {
  ScaleRun run(cl, io);
  LinkSession& s = run.session;
  std::string lastReading;
  s.poll.SetReadingHandler([&](const DisplayTexts& d) {
    ++run.records;
    lastReading = DisplayLine(d);
    io.out << (cl.options.json ? DisplayJson(d) : lastReading) << '\n' << std::flush;
  });
  // Connect as the window's button does, with the first poll due at the tick that runs at once.
  s.state.PollCountdown = 1;
  s.link.OpenLink(true);
  if (cl.options.watch) {
    WatchRunning() = true;
    s.loop.RunUntil([&] { return StopRequested().load() || !s.port.Connected(); });
    WatchRunning() = false;
    if (run.linkFailed) return run.LinkFailed();
    if (run.records > 0) return run.End(kExitDone, lastReading);
  }
  if (auto failed = run.PollFailed()) return *failed;
  // No reading and nothing that says why but a link failure said before, if any.
  return run.records > 0 ? run.End(kExitDone, lastReading) : run.End(kExitLink, run.failureText);
}

CommandOutcome RunVerify(const CommandLine& cl, CtlIo& io) {
  Tables file;
  std::vector<UnmappedCharacter> unmapped;
  const FileKind kind = LoadTableFile(cl.options.input, file, &unmapped);
  if (!IsPluKind(kind)) throw FileError(cl.options.input + ": not a PLU table");
  PrintUnmapped(io.err, cl.options.input, kind, unmapped);
  // The file's rows as the write sends them, by PLU number; the last row with a number is the
  // one the scale keeps.
  std::vector<int> order;
  std::map<int, Cells> expected;
  for (int r = 1; r <= StoredRowCount(file.plu); ++r) {
    Cells row = file.plu.Row(r);
    NormalizePluRow(row, false, false);
    const int number = PluNumberOf(row);
    if (!expected.count(number)) order.push_back(number);
    expected[number] = std::move(row);
  }

  ScaleRun run(cl, io);
  TextGrid& plu = run.tables.plu;
  const int maxPlu = run.session.state.CurrentScale.MaxPluNo;
  std::map<int, Cells> found;  // what the scale holds; absent numbers are missing
  if (cl.options.last) {
    plu.ReplaceDataRows({});
    const int last = *cl.options.last;
    if (last < 1 || last > maxPlu) return run.BadNumber(kBadPluNoError);
    // Only the differences are the result: the completion text goes with the errors.
    ConsoleObserver console(io.err, io.errIsTerminal, false, false, kReadPluTableTitle,
                            kReadCountLabel, io.err, kPluTableReadText);
    const TransferReport report = run.Run(
        console, [&](TransferObserver& o) { return run.session.core.ReadPluTable(last, o); });
    if (auto failed = run.Failed(report, console)) return *failed;
    for (int r = 1; r <= StoredRowCount(plu); ++r) {
      found[PluNumberOf(plu.Row(r))] = plu.Row(r);
    }
  } else {
    // One read per number of the file, over a link kept open between them.
    run.session.link.OpenLink(false);
    if (!run.session.link.IsOpen()) return run.LinkFailed();
    for (int number : order) {
      plu.ReplaceDataRows({});
      if (number < 0 || number > maxPlu) {  // cannot be asked for: missing
        run.BadNumber(kBadPluNoError);
        continue;
      }
      ConsoleObserver console(io.err, false, true, false, kReadPluTableTitle, kReadCountLabel,
                              io.err, kPluTableReadText);
      const TransferReport report = run.Run(console, [&](TransferObserver& o) {
        return run.session.core.ReadOnePlu(number, plu.CurrentRow(), o);
      });
      if (run.linkFailed) return run.LinkFailed();
      if (console.stopped) continue;  // not programmed: missing
      if (auto failed = run.Failed(report, console)) return *failed;
      found[number] = plu.Row(1);
    }
  }

  int differences = 0;
  const auto& titles = PluColumnTitles();
  std::string json;  // the differences as JSON objects, comma-separated
  const auto addJson = [&json](const std::string& object) {
    json += (json.empty() ? "" : ", ") + object;
  };
  for (int number : order) {
    const auto it = found.find(number);
    if (it == found.end()) {
      if (cl.options.json) {
        addJson(JsonObject().Number("plu", number).Bool("missing", true).Str());
      } else {
        io.out << "PLU " << number << ": " << Utf8(PluNotProgrammedText(number)) << '\n';
      }
      ++differences;
      continue;
    }
    const Cells& want = expected[number];
    const Cells& got = it->second;
    std::string fields;
    for (int c = kPluNo; c <= kLogo; ++c) {
      std::string a = want.at(c), b = got.at(c);
      if (c == kLogo) {  // no logo reads back as "0"
        if (a.empty()) a = "0";
        if (b.empty()) b = "0";
      }
      if (a == b) continue;
      ++differences;
      if (cl.options.json) {
        fields += (fields.empty() ? "" : ", ") +
                  JsonObject().Text("field", FieldKey(c)).Text("file", Utf8(a)).Text("scale", Utf8(b)).Str();
        continue;
      }
      io.out << "PLU " << number << ", " << Utf8(titles.at(c)) << ": \"" << Utf8(a)
             << "\" in the file, \"" << Utf8(b) << "\" in the scale\n";
    }
    if (!fields.empty()) addJson(JsonObject().Number("plu", number).Raw("fields", "[" + fields + "]").Str());
  }
  const int checked = static_cast<int>(order.size());
  if (cl.options.json) {
    io.out << JsonObject()
                  .Number("plu_checked", checked)
                  .Bool("match", differences == 0)
                  .Raw("differences", "[" + json + "]")
                  .Str()
           << '\n';
  }
  if (differences == 0) {
    const std::string match = std::to_string(checked) + " PLU match";
    if (!cl.options.json) Info(io) << match << '\n';
    return run.End(kExitDone, match);
  }
  return run.End(kExitFindings,
                 std::to_string(differences) + (differences == 1 ? " difference" : " differences"));
}

CommandOutcome RunLedger(const CommandLine& cl, CtlIo& io) {
  const std::vector<std::string>& w = cl.options.words;
  const std::string path = io.ledger.empty() ? Ledger::DefaultPath() : io.ledger;
  try {
    Ledger ledger(path);
    if (w[0] == "list") {
      const std::vector<LedgerScale> scales = ledger.Scales();
      if (scales.empty()) return Done(io.out, "the ledger " + path + " holds no scale");
      io.out << "scale\tPLU\tmessages\tlast exchange\n";
      for (const LedgerScale& s : scales) {
        const std::tm local = LocalTime(static_cast<std::time_t>(s.lastExchange));
        char when[32];
        std::strftime(when, sizeof when, "%Y-%m-%d %H:%M:%S", &local);
        io.out << s.name << '\t' << s.pluRows << '\t' << s.messageRows << '\t' << when << '\n';
      }
      return {kExitDone, static_cast<int>(scales.size()),
              std::to_string(scales.size()) + (scales.size() == 1 ? " scale" : " scales")};
    }
    if (w[0] == "forget") {
      if (!ledger.Forget(w[1])) return Fail(io.err, kExitFindings, "the ledger holds no scale " + w[1]);
      return Done(io.out, "forgot " + w[1]);
    }
    if (!ledger.Rename(w[1], w[2])) {
      return Fail(io.err, kExitFindings, "the ledger holds no scale " + w[1]);
    }
    return Done(io.out, w[1] + " is now " + w[2]);
  } catch (const LedgerError& e) {
    return Fail(io.err, kExitUsage, e.what());
  }
}

}  // namespace qm::ctl
