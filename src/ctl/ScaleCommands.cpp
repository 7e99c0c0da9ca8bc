// The commands that talk to the scale: the window's own transfers run over a headless link, with
// the console answering their dialogs, plus scan, weigh and verify.
#include <ctime>
#include <map>
#include <ostream>

#include "base/Cp1251.h"
#include "base/NumberText.h"
#include "base/StatusTexts.h"
#include "base/WireCodecs.h"
#include "ctl/Commands.h"
#include "ctl/ConsoleDialogs.h"
#include "ctl/FindingLocator.h"
#include "ctl/LinkSession.h"
#include "ctl/TableFiles.h"
#include "tables/PluColumns.h"
#include "tables/PluTable.h"
#include "tables/Validation.h"
#include "transfer/ScaleTransfers.h"
#include "transfer/TransferTexts.h"

namespace qm::ctl {

namespace {

// The window parts the transfers touch that a command line has no use for, except the totals.
class CtlTransferView : public TransferView {
 public:
  void ShowPage(int) override {}
  void SettlePluEditor() override {}
  void SettleMessageEditor() override {}
  void ClearMessageDirty() override {}
  void ResetPluSortDirections() override {}
  void ResetMessageSortDirections() override {}
  void ShowTotals(const TotalsPage&) override { totalsShown = true; }
  bool totalsShown = false;
};

// Everything one scale command needs: the console dialogs, the link, the tables and the
// transfers over them.
struct ScaleRun {
  ScaleRun(const CommandLine& cl, CtlIo& io,
           std::chrono::milliseconds tick = std::chrono::milliseconds(100))
      : io(io),
        dialogs(io.out, io.err, io.errIsTerminal),
        session(cl.line, dialogs, io.err, tick),
        transfers(TransferContext{session.link,
                                  session.state,
                                  session.status,
                                  dialogs,
                                  tables.plu,
                                  tables.messages,
                                  flags,
                                  totals,
                                  view,
                                  {}}) {
    if (!cl.line.comPort) dialogs.SetPortPath(cl.line.port);
    if (io.ticks) session.loop.SetTickSource(*io.ticks);
  }

  // The exit code after a transfer, from what it showed: a lost link (3), a refusal or a check
  // declined (1), a scale that was not ready (3, said here since the transfer ends quietly).
  // kExitDone when none of these happened.
  int Outcome() {
    if (dialogs.Saw(BoxKind::LinkFailure)) return kExitLink;
    if (session.GaveUpOnBusyScale()) {
      io.err << "qmctl: the scale at address " << Utf8(FormatAddress(session.state.ScaleAddress))
             << " stayed busy (it echoed its address but sent no status); gave up\n";
      return kExitLink;
    }
    if (dialogs.Saw(BoxKind::Error)) return kExitFindings;
    for (const RecordedBox& box : dialogs.Boxes()) {
      if (box.kind == BoxKind::CheckResult && box.answer == kButtonNo) {
        io.err << "qmctl: nothing was written; --force writes despite the findings\n";
        return kExitFindings;
      }
    }
    if (session.LastSelectNotReady()) {
      io.err << "qmctl: the scale at address " << Utf8(FormatAddress(session.state.ScaleAddress))
             << " is not ready (no ready status after its address)\n";
      return kExitLink;
    }
    return kExitDone;
  }

  CtlIo& io;
  ConsoleDialogs dialogs;
  Tables tables;
  ModifiedFlags flags;
  TotalsPage totals;
  CtlTransferView view;
  LinkSession session;
  ScaleTransfers transfers;
};

ReportMoment LocalNow() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return {Date{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday}, local.tm_hour, local.tm_min,
          local.tm_sec};
}

bool IsPluKind(FileKind kind) {
  return kind == FileKind::PluCsv || kind == FileKind::PluNative;
}

void RequirePluOutput(const std::string& path) {
  const Extension ext = ExtensionOf(path);
  if (ext != Extension::Csv && ext != Extension::Plw) {
    throw FileError(path + ": a PLU table is written to a .csv or .plw file");
  }
}

void RequireMessageOutput(const std::string& path) {
  const Extension ext = ExtensionOf(path);
  if (ext != Extension::Csv && ext != Extension::Msw) {
    throw FileError(path + ": messages are written to a .csv or .msw file");
  }
}

// Prints the findings of the check a write runs silently, so the operator sees what they are.
void PrintFindings(ScaleRun& run, const std::string& file, const ValidationOptions& scope) {
  FindingLocator printer(run.dialogs, file);
  ValidateData(scope, run.tables.plu, run.tables.messages, run.session.state.CurrentScale,
               &run.dialogs, &printer);
}

// The PLU number of a row as the write sends it: a whole number, 0 otherwise.
int PluNumberOf(const Cells& row) {
  return ParseInt(row.at(kPluNo)).value_or(0);
}

std::string DisplayLine(const DisplayTexts& d) {
  return "Вес: " + Utf8(d.weight) + "  Цена: " + Utf8(d.unitPrice) +
         "  Стоимость: " + Utf8(d.totalPrice) + "  Номер PLU: " + Utf8(d.pluNo);
}

}  // namespace

int RunReadPlu(const CommandLine& cl, CtlIo& io) {
  RequirePluOutput(cl.options.output);
  ScaleRun run(cl, io);
  run.tables.plu.ReplaceDataRows({});  // no rows: a read that finds nothing writes none
  const bool single = cl.options.only.has_value();
  run.dialogs.QueueNumber(single ? *cl.options.only : *cl.options.last);
  run.transfers.ReadPluClick(single ? kCurrentRecord : kWholeTable);
  if (const int code = run.Outcome(); code != kExitDone) return code;
  SavePluTable(cl.options.output, run.tables.plu);
  io.out << StoredRowCount(run.tables.plu) << " PLU\n";
  return kExitDone;
}

int RunReadMsg(const CommandLine& cl, CtlIo& io) {
  RequireMessageOutput(cl.options.output);
  ScaleRun run(cl, io);
  const bool single = cl.options.only.has_value();
  run.dialogs.QueueNumber(single ? *cl.options.only : *cl.options.last);
  run.transfers.ReadMessageClick(single ? kCurrentRecord : kWholeTable);
  if (const int code = run.Outcome(); code != kExitDone) return code;
  SaveMessageTable(cl.options.output, run.tables.messages);
  io.out << run.tables.messages.Count() << " MSG\n";
  return kExitDone;
}

int RunWritePlu(const CommandLine& cl, CtlIo& io) {
  ScaleRun run(cl, io);
  if (!IsPluKind(LoadTableFile(cl.options.input, run.tables))) {
    throw FileError(cl.options.input + ": not a PLU table");
  }
  if (!cl.options.messages.empty() && IsPluKind(LoadTableFile(cl.options.messages, run.tables))) {
    throw FileError(cl.options.messages + ": not a message table");
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

  run.dialogs.SetGoOnAfterFindings(cl.options.force);
  run.transfers.WritePLUClick(single ? kCurrentRecord : kWholeTable);
  if (const int code = run.Outcome(); code != kExitDone) return code;
  if (!run.dialogs.Saw(BoxKind::Completion)) {
    io.err << "qmctl: the write did not complete\n";
    return kExitFindings;
  }
  return kExitDone;
}

int RunWriteMsg(const CommandLine& cl, CtlIo& io) {
  ScaleRun run(cl, io);
  if (IsPluKind(LoadTableFile(cl.options.input, run.tables))) {
    throw FileError(cl.options.input + ": not a message table");
  }
  ValidationOptions scope;
  scope.checkMessages = true;
  PrintFindings(run, cl.options.input, scope);

  run.dialogs.SetGoOnAfterFindings(cl.options.force);
  run.transfers.WriteMessagesClick(kWholeTable);
  if (const int code = run.Outcome(); code != kExitDone) return code;
  if (!run.dialogs.Saw(BoxKind::Completion)) {
    io.err << "qmctl: the write did not complete\n";
    return kExitFindings;
  }
  return kExitDone;
}

int RunReadTotals(const CommandLine& cl, CtlIo& io) {
  ScaleRun run(cl, io);
  run.transfers.ReadGTDClick();
  if (const int code = run.Outcome(); code != kExitDone) return code;
  if (!run.view.totalsShown) {
    io.err << "qmctl: the scale sent no totals\n";
    return kExitFindings;
  }
  SaveBytes(cl.options.output, WriteTotalsReport(run.totals, LocalNow()));
  io.out << Utf8(run.totals.title) << '\n';
  return kExitDone;
}

int RunClearTotals(const CommandLine& cl, CtlIo& io) {
  ScaleRun run(cl, io);
  run.transfers.ClearGTDClick();
  if (const int code = run.Outcome(); code != kExitDone) return code;
  if (!run.view.totalsShown) {
    io.err << "qmctl: the scale did not confirm the erasure\n";
    return kExitFindings;
  }
  io.out << Utf8(run.totals.title) << '\n';
  return kExitDone;
}

int RunScan(const CommandLine& cl, CtlIo& io) {
  // Five ticks of 40 ms: a silent address is given up after about 0.2 s instead of the 0.5 s the
  // window waits, which a scale answering at 9600 baud beats by far (one byte takes 1 ms).
  ScaleRun run(cl, io, std::chrono::milliseconds(40));
  LinkSession& s = run.session;
  s.link.OpenLink(false);
  if (!s.link.IsOpen()) return kExitLink;

  int answering = 0;
  for (int address = *cl.options.from; address <= *cl.options.to; ++address) {
    const std::string byte(1, static_cast<char>(address));
    std::string reply;
    if (!s.link.PurgeInput()) return kExitLink;
    s.WriteRaw(byte);
    if (!s.link.ReadReply(1, false, reply) || reply != byte) continue;
    std::string state;
    if (!s.link.ReadReply(1, false, reply)) {
      state = "Busy...";  // echo without a status
    } else if (static_cast<std::uint8_t>(reply[0]) == kStatusReady) {
      state = "ready";
    } else if (static_cast<std::uint8_t>(reply[0]) == kStatusNumber &&
               s.link.ReadReply(4, false, reply)) {
      state = "not ready (" + std::to_string(LeBytesToInt(reply)) + ")";
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "%02X", static_cast<std::uint8_t>(reply[0]));
      state = std::string("status ") + hex;
    }
    ++answering;
    io.out << Utf8(FormatAddress(static_cast<std::uint8_t>(address))) << ' ' << state << '\n';
  }
  if (answering == 0) {
    io.err << "qmctl: no scale answered at addresses " << *cl.options.from << ".." << *cl.options.to
           << '\n';
    return kExitLink;
  }
  return kExitDone;
}

int RunWeigh(const CommandLine& cl, CtlIo& io) {
  ScaleRun run(cl, io);
  LinkSession& s = run.session;
  int readings = 0;
  s.status.onReading = [&](const DisplayTexts& d) {
    ++readings;
    io.out << DisplayLine(d) << '\n' << std::flush;
  };
  // Connect as the window's button does, with the first poll due at the tick that runs at once.
  s.state.PollCountdown = 1;
  s.link.OpenLink(true);
  if (!cl.options.watch) {
    if (const int code = run.Outcome(); code != kExitDone) return code;
    return readings > 0 ? kExitDone : kExitLink;
  }
  WatchRunning() = true;
  s.loop.RunUntil([&] { return StopRequested().load() || !s.port.Connected(); });
  WatchRunning() = false;
  if (run.dialogs.Saw(BoxKind::LinkFailure)) return kExitLink;
  if (readings > 0) return kExitDone;
  const int code = run.Outcome();
  return code != kExitDone ? code : kExitLink;
}

int RunVerify(const CommandLine& cl, CtlIo& io) {
  Tables file;
  if (!IsPluKind(LoadTableFile(cl.options.input, file))) {
    throw FileError(cl.options.input + ": not a PLU table");
  }
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
  run.dialogs.SendCompletionsTo(io.err);  // only the differences are the result
  std::map<int, Cells> found;             // what the scale holds; absent numbers are missing
  if (cl.options.last) {
    run.tables.plu.ReplaceDataRows({});
    run.dialogs.QueueNumber(*cl.options.last);
    run.transfers.ReadPluClick(kWholeTable);
    if (const int code = run.Outcome(); code != kExitDone) return code;
    for (int r = 1; r <= StoredRowCount(run.tables.plu); ++r) {
      found[PluNumberOf(run.tables.plu.Row(r))] = run.tables.plu.Row(r);
    }
  } else {
    // One read per number of the file, over a link kept open between them.
    run.session.link.OpenLink(false);
    if (!run.session.link.IsOpen()) return kExitLink;
    for (int number : order) {
      run.dialogs.ClearRecord();
      run.tables.plu.ReplaceDataRows({});
      run.dialogs.QueueNumber(number);
      run.transfers.ReadPluClick(kCurrentRecord);
      if (run.dialogs.Saw(BoxKind::LinkFailure)) return kExitLink;
      if (run.dialogs.Saw(BoxKind::Error)) continue;  // not programmed: missing
      if (const int code = run.Outcome(); code != kExitDone) return code;
      found[number] = run.tables.plu.Row(1);
    }
  }

  int differences = 0;
  const auto& titles = PluColumnTitles();
  for (int number : order) {
    const auto it = found.find(number);
    if (it == found.end()) {
      io.out << "PLU " << number << ": " << Utf8(PluNotProgrammedText(number)) << '\n';
      ++differences;
      continue;
    }
    const Cells& want = expected[number];
    const Cells& got = it->second;
    for (int c = kPluNo; c <= kLogo; ++c) {
      std::string a = want.at(c), b = got.at(c);
      if (c == kLogo) {  // no logo reads back as "0"
        if (a.empty()) a = "0";
        if (b.empty()) b = "0";
      }
      if (a == b) continue;
      ++differences;
      io.out << "PLU " << number << ", " << Utf8(titles.at(c)) << ": \"" << Utf8(a)
             << "\" in the file, \"" << Utf8(b) << "\" in the scale\n";
    }
  }
  return differences ? kExitFindings : kExitDone;
}

}  // namespace qm::ctl
