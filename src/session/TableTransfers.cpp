// The table transfers of the session: PLU records and messages, read one by one or as a table,
// written row by row.
#include <algorithm>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "base/NumberText.h"
#include "base/WireCodecs.h"
#include "session/LedgerTap.h"
#include "session/ScaleSession.h"
#include "session/TransferRun.h"
#include "tables/CommaText.h"
#include "tables/PluColumns.h"
#include "tables/PluTable.h"
#include "transfer/MessageBlock.h"
#include "transfer/PluRecord.h"
#include "transfer/TransferTexts.h"

namespace qm {

namespace {

// The request of a table read: the command, the width of the record number (little-endian bytes)
// and the size of the reply.
struct ReadRequest {
  std::uint8_t command;
  int numberBytes;
  std::uint32_t replySize;
  // The record as the write command sends it, from the number and the reply: what the ledger
  // keeps and compares.
  std::string (*recordOf)(std::int32_t number, const std::string& reply);
};

std::string PluRecordOfReply(std::int32_t, const std::string& reply) {
  return reply.substr(0, kPluWriteSize);
}
std::string MessageRecordOfReply(std::int32_t number, const std::string& reply) {
  return IntToLeBytes(number, 2) + reply;
}
constexpr ReadRequest kPluRead{kCommandReadPlu, 4, kPluReplySize, &PluRecordOfReply};
constexpr ReadRequest kMessageRead{kCommandReadMessage, 2, kMessageReplySize,
                                   &MessageRecordOfReply};

// The loop of a read over the numbers first..last. Each record received goes to
// store(reply, isFirst) as it comes, unless the table was restructured during the wait; the
// ledger is told of every record the scale sent, whatever becomes of the table. A number the
// scale has not programmed is passed over in a whole-table read; a single read stops there with
// absentText(k). The report is kept up to date as the loop runs (`stored` counts the records
// stored), so the finish sees it also after an exception.
template <typename Store, typename AbsentText>
void ReadRecords(TransferRun& run, const GridWatch& watch, bool single, std::int32_t first,
                 std::int32_t last, const ReadRequest& request, Store&& store,
                 AbsentText&& absentText, LedgerTap& tap) {
  ScaleLink& link = run.session.Link();
  TransferReport& report = run.report;
  bool isFirst = true;
  for (std::int32_t k = first; k <= last; ++k) {
    if (!run.ScaleReady()) break;
    Answer answer =
        link.SendCommand(request.command, IntToLeBytes(k, request.numberBytes), request.replySize);
    if (answer.kind == Answer::Kind::Done) {
      tap.Received(k, request.recordOf(k, answer.reply));
      if (watch.Changed()) {  // the rows were rearranged during the wait: stop unfinished
        report.status = TransferStatus::TableChanged;
        break;
      }
      store(answer.reply, isFirst);
      ++report.stored;
      isFirst = false;
    } else if (answer.kind == Answer::Kind::Refused) {
      tap.Unknown(k);
      report.refused.push_back(k);
      if (single) {
        report.failedNumber = k;
        run.Stop(TransferStatus::NotProgrammed, absentText(k), false);
        break;
      }
    } else if (answer.kind == Answer::Kind::NoAnswer) {
      run.LinkLetDown(TransferStatus::LinkClosed);
      break;
    } else {
      tap.Unknown(k);
      report.oddAnswered.push_back(k);
      report.answerByte = answer.byte;
    }
    if (!single && run.observer.Step(k)) {
      report.status = TransferStatus::Cancelled;
      break;
    }
    if (!run.GoOn(watch)) break;
  }
}

// The loop of a write over `items` (rows or message numbers), in order. encode(n) gives the
// record to send, or nothing when the item cannot be sent (it has stopped the run saying why);
// refused(n, answer) stops the run on a refusal or an odd answer. `report.stored` counts the
// acknowledged items as the loop runs; the observer steps to each item (`countSteps`: to its
// place in the list, from 1). Each record goes to the ledger as sent, then as acknowledged or
// not; numberOf(record) is the number it is stored under in the scale.
template <typename Encode, typename Refused, typename NumberOf>
void WriteRecords(TransferRun& run, const GridWatch& watch, const std::vector<int>& items,
                  bool countSteps, std::uint8_t command, Encode&& encode, Refused&& refused,
                  NumberOf&& numberOf, LedgerTap& tap) {
  ScaleLink& link = run.session.Link();
  TransferReport& report = run.report;
  for (std::size_t i = 0; i < items.size(); ++i) {
    const int n = items[i];
    // Events ran during the last exchange: the table may have been rearranged (item n is no
    // longer the one meant) or the link cut.
    if (!run.GoOn(watch)) break;
    std::optional<std::string> record = encode(n);
    if (!record) break;
    if (!run.ScaleReady()) break;
    tap.Sending(numberOf(*record), *record);
    const Answer answer = link.SendCommand(command, *record, 0);
    if (answer.kind == Answer::Kind::Done) {
      tap.Acknowledged();
      ++report.stored;
    } else if (answer.kind == Answer::Kind::NoAnswer) {
      tap.Unconfirmed();
      run.LinkLetDown(TransferStatus::LinkClosed);
      break;
    } else {
      // Refused, or answered with a byte that says nothing about the record: either way it is
      // not known to be stored, so the write stops at the item.
      tap.Unconfirmed();
      report.answerByte = answer.byte;
      refused(n, answer);
      break;
    }
    if (run.observer.Step(countSteps ? static_cast<int>(i) + 1 : n)) {
      report.status = TransferStatus::Cancelled;
      break;
    }
  }
}

std::vector<int> Range(int first, int last) {
  std::vector<int> items;
  for (int n = first; n <= last; ++n) items.push_back(n);
  return items;
}

// The ledger a transfer records into: none without a place. Raises LedgerError.
std::unique_ptr<LedgerTap> OpenTap(const ScaleSession& s, LedgerTable table) {
  const std::optional<LedgerPlace> place = s.CurrentLedgerPlace();
  if (!place) return std::make_unique<LedgerTap>(nullptr, std::string(), table);
  return std::make_unique<LedgerTap>(std::make_unique<Ledger>(place->path), place->scale, table);
}

// A read records what it can: a ledger that cannot be opened is said in the report, and the
// read goes on without it.
std::unique_ptr<LedgerTap> OpenTapForRead(const ScaleSession& s, LedgerTable table,
                                          std::string& error) {
  try {
    return OpenTap(s, table);
  } catch (const LedgerError& e) {
    error = e.what();
    return std::make_unique<LedgerTap>(nullptr, std::string(), table);
  }
}

// The end of a transfer's recording, however the transfer ends.
struct TapFinish {
  LedgerTap& tap;
  ~TapFinish() { tap.Finish(); }
};

// The report with the ledger's failure during the transfer, when one happened.
TransferReport WithLedgerError(TransferReport report, const LedgerTap& tap) {
  if (report.ledgerError.empty()) report.ledgerError = tap.Error();
  return report;
}

// A write whose ledger cannot be opened or prepared sends nothing.
TransferReport LedgerFailed(const std::string& error) {
  TransferReport report;
  report.status = TransferStatus::LedgerFailed;
  report.ledgerError = error;
  return report;
}

// The plan of a write of changed records: the items to send, in table order, and how many are
// left out; or that every item goes (no ledger, or the scale disagreed with it).
struct ChangedPlan {
  std::vector<int> send;
  // The items left out, with the number and record the ledger vouches for.
  struct Skipped {
    int number;
    const std::string* record;
  };
  std::vector<Skipped> skipped;
};

// Compares each item's record with the ledger: an item is left out when the ledger holds
// exactly its record and no other item of the write has its number (the last of those is what
// the scale keeps, so all of them go).
ChangedPlan PlanChanged(const std::vector<int>& items, const LedgerRecords& held,
                        const std::function<std::string(int)>& encode,
                        const std::function<int(const std::string&)>& numberOf) {
  std::vector<std::string> records;
  std::map<int, int> uses;
  for (int item : items) {
    records.push_back(encode(item));
    ++uses[numberOf(records.back())];
  }
  ChangedPlan plan;
  for (std::size_t i = 0; i < items.size(); ++i) {
    const int number = numberOf(records[i]);
    const auto it = held.find(number);
    if (uses[number] == 1 && it != held.end() && it->second == records[i]) {
      plan.skipped.push_back({number, &it->second});
    } else {
      plan.send.push_back(items[i]);
    }
  }
  return plan;
}

// Reads back up to `count` of the records the plan leaves out, chosen at random, and compares
// them with the ledger. True when all agree; false when one differs or is absent (its number in
// report.ledgerDisagrees) or the link let the read down (the report's status says so).
bool SampleAgrees(TransferRun& run, const ChangedPlan& plan, const ReadRequest& request,
                  const ChangedWriteOptions& options, LedgerTap& tap) {
  std::vector<ChangedPlan::Skipped> sample = plan.skipped;
  std::mt19937 rng(options.seed ? *options.seed : std::random_device{}());
  std::shuffle(sample.begin(), sample.end(), rng);
  sample.resize(std::min<std::size_t>(sample.size(), std::max(options.sample, 0)));
  ScaleLink& link = run.session.Link();
  for (const ChangedPlan::Skipped& s : sample) {
    if (!run.exchange.Live()) {
      run.LinkLetDown(TransferStatus::LinkClosed);
      return false;
    }
    if (!run.ScaleReady()) return false;
    const Answer answer = link.SendCommand(request.command,
                                           IntToLeBytes(s.number, request.numberBytes),
                                           request.replySize);
    if (answer.kind == Answer::Kind::NoAnswer) {
      run.LinkLetDown(TransferStatus::LinkClosed);
      return false;
    }
    if (answer.kind == Answer::Kind::Done) {
      std::string record = request.recordOf(s.number, answer.reply);
      const bool same = record == *s.record;
      tap.Received(s.number, std::move(record));
      if (same) continue;
    } else {
      tap.Unknown(s.number);
    }
    run.report.ledgerDisagrees = s.number;
    return true;
  }
  return true;
}

// A write of changed records over `items`: the ledger read, the plan, the sample read back, the
// write of what is left. `write(items, countSteps)` runs the write loop.
template <typename Write>
void WriteChanged(TransferRun& run, const std::vector<int>& items, const ReadRequest& request,
                  const ChangedWriteOptions& options, LedgerTap& tap,
                  const std::function<std::string(int)>& encode,
                  const std::function<int(const std::string&)>& numberOf, Write&& write) {
  const LedgerRecords held = tap.Held();  // the plan points into it
  ChangedPlan plan = PlanChanged(items, held, encode, numberOf);
  if (!SampleAgrees(run, plan, request, options, tap)) return;
  if (run.report.ledgerDisagrees) {
    plan.send = items;
    plan.skipped.clear();
  }
  run.report.unchanged = static_cast<int>(plan.skipped.size());
  std::vector<int> numbers;
  for (int item : plan.send) numbers.push_back(numberOf(encode(item)));
  tap.Prepare(numbers);
  run.observer.Planned(run.report, static_cast<int>(plan.send.size()));
  if (plan.send.empty()) return;
  run.observer.Started(1, static_cast<int>(plan.send.size()));
  write(plan.send, true);
}

std::string MessageCountText(const TextGrid& grid) {
  return std::to_string(grid.DataRowCount()) + " MSG";
}

}  // namespace

// --- PLU records -------------------------------------------------------------------------------

namespace {

TransferReport ReadPlu(ScaleSession& s, bool single, std::int32_t number, int row,
                       TransferObserver& observer) {
  std::string ledgerError;
  const std::unique_ptr<LedgerTap> tap = OpenTapForRead(s, LedgerTable::Plu, ledgerError);
  TransferRun run(s, observer);
  run.report.ledgerError = ledgerError;
  if (!run.exchange.Opened()) return run.report;
  s.Status().SetStatusText(kPanelActivity, kReadingPluStatus);

  // The row the first record goes to is decided here, once.
  TextGrid& grid = s.Plu();
  std::int32_t first = number;
  const std::int32_t last = number;
  int target = row;
  if (!single) {
    first = grid.RowCount() - 1;
    target = grid.RowCount() - 1;
    observer.Started(first, last);
  }
  GridWatch watch(grid);

  auto store = [&](const std::string& reply, bool isFirst) {
    Cells cells = PluRowFromReply(reply);
    if (isFirst) {
      observer.FirstRecordArriving();
      s.Flags().MarkModified(true, false);
      grid.SetRow(target, std::move(cells));
    } else {
      watch.Own([&] { grid.AppendRow(std::move(cells)); });
    }
  };
  auto body = [&] {
    TapFinish finish{*tap};
    ReadRecords(run, watch, single, first, last, kPluRead, store, PluNotProgrammedText, *tap);
  };
  return WithLedgerError(
      run.Run(body, [&] { s.Status().SetStatusText(kPanelPluCount, PluCountText(grid)); }), *tap);
}

}  // namespace

TransferReport ScaleSession::ReadOnePlu(std::int32_t number, int row, TransferObserver& observer) {
  return ReadPlu(*this, true, number, row, observer);
}

TransferReport ScaleSession::ReadPluTable(std::int32_t last, TransferObserver& observer) {
  return ReadPlu(*this, false, last, 0, observer);
}

namespace {

int PluNumberOfRecord(const std::string& record) {
  return LeBytesToInt(std::string_view(record).substr(0, 4));
}

// A PLU write of rows firstRow..lastRow: all of them, or (`changed`) those the ledger does not
// show on the scale.
TransferReport WritePluRows(ScaleSession& s, int firstRow, int lastRow,
                            const ChangedWriteOptions* changed, TransferObserver& observer) {
  std::unique_ptr<LedgerTap> tap;
  try {
    tap = OpenTap(s, LedgerTable::Plu);
  } catch (const LedgerError& e) {
    return LedgerFailed(e.what());
  }
  TransferRun run(s, observer);
  if (!run.exchange.Opened()) return run.report;
  s.Status().SetStatusText(kPanelActivity, kWritingPluStatus);
  if (!changed) observer.Started(firstRow, lastRow);
  TextGrid& grid = s.Plu();
  GridWatch watch(grid);

  auto encode = [&](int r) -> std::optional<std::string> { return EncodePluRecord(grid.Row(r)); };
  auto refused = [&](int r, const Answer& answer) {
    const std::string& pluNo = grid.Cell(kPluNo, r);
    run.report.failedRow = r;
    run.report.failedNumber = ParseInt(pluNo);
    if (answer.kind == Answer::Kind::Refused) {
      run.Stop(TransferStatus::Refused, PluWriteRefusedText(pluNo), !watch.Changed());
    } else {
      run.Stop(TransferStatus::OddAnswer, PluWriteOddAnswerText(pluNo, answer.byte),
               !watch.Changed());
    }
  };
  auto write = [&](const std::vector<int>& rows, bool countSteps) {
    WriteRecords(run, watch, rows, countSteps, kCommandWritePlu, encode, refused,
                 PluNumberOfRecord, *tap);
  };
  const std::vector<int> rows = Range(firstRow, lastRow);
  auto body = [&] {
    TapFinish finish{*tap};
    try {
      if (changed) {
        WriteChanged(run, rows, kPluRead, *changed, *tap,
                     [&](int r) { return EncodePluRecord(grid.Row(r)); }, PluNumberOfRecord,
                     write);
        return;
      }
      std::vector<int> numbers;
      for (int r : rows) numbers.push_back(ParseInt(grid.Cell(kPluNo, r)).value_or(0));
      tap->Prepare(numbers);
    } catch (const LedgerError& e) {
      run.report.status = TransferStatus::LedgerFailed;
      run.report.ledgerError = e.what();
      return;
    }
    write(rows, false);
  };
  return WithLedgerError(run.Run(body), *tap);
}

}  // namespace

TransferReport ScaleSession::WritePlu(int firstRow, int lastRow, TransferObserver& observer) {
  return WritePluRows(*this, firstRow, lastRow, nullptr, observer);
}

TransferReport ScaleSession::WritePluChanged(int firstRow, int lastRow,
                                             const ChangedWriteOptions& options,
                                             TransferObserver& observer) {
  return WritePluRows(*this, firstRow, lastRow, &options, observer);
}

// --- Messages ----------------------------------------------------------------------------------

namespace {

TransferReport ReadMessages(ScaleSession& s, bool single, std::int32_t number, int row,
                            TransferObserver& observer) {
  std::string ledgerError;
  const std::unique_ptr<LedgerTap> tap = OpenTapForRead(s, LedgerTable::Messages, ledgerError);
  TransferRun run(s, observer);
  run.report.ledgerError = ledgerError;
  if (!run.exchange.Opened()) return run.report;
  s.Status().SetStatusText(kPanelActivity, kReadingMsgStatus);

  // The first message goes into the row current now, in both modes; later ones are appended.
  MessageTable& table = s.Messages();
  TextGrid& grid = table.Grid();
  const int target = single ? row : grid.CurrentRow();
  std::int32_t first = number;
  const std::int32_t last = number;
  if (!single) {
    first = grid.RowCount() - 1;
    observer.Started(first, last);
  }
  GridWatch watch(grid);

  auto store = [&](const std::string& reply, bool isFirst) {
    std::string text = ToCommaText(DecodeMessageBlock(reply));
    if (isFirst) {
      observer.FirstRecordArriving();
      s.Flags().MarkModified(false, true);
      // The row keeps its number; the text goes to the message that number names.
      table.SetTextOf(table.NumberAt(target, target), std::move(text));
      grid.SetCell(kMsgName, target, DefaultMessageName(target));
    } else {
      watch.Own([&] {
        const int appended = grid.AppendRow();
        grid.SetCell(kMsgNo, appended, std::to_string(appended));
        grid.SetCell(kMsgName, appended, DefaultMessageName(appended));
        table.SetTextOf(appended, std::move(text));
      });
    }
  };
  auto body = [&] {
    TapFinish finish{*tap};
    ReadRecords(run, watch, single, first, last, kMessageRead, store, MessageAbsentText, *tap);
  };
  return WithLedgerError(
      run.Run(body, [&] { s.Status().SetStatusText(kPanelMsgCount, MessageCountText(grid)); }),
      *tap);
}

}  // namespace

TransferReport ScaleSession::ReadOneMessage(std::int32_t number, int row,
                                            TransferObserver& observer) {
  return ReadMessages(*this, true, number, row, observer);
}

TransferReport ScaleSession::ReadMessageTable(std::int32_t last, TransferObserver& observer) {
  return ReadMessages(*this, false, last, 0, observer);
}

namespace {

int MessageNumberOfRecord(const std::string& record) {
  return LeBytesToInt(std::string_view(record).substr(0, 2));
}

TransferReport WriteMessageNumbers(ScaleSession& s, int firstNumber, int lastNumber,
                                   const ChangedWriteOptions* changed,
                                   TransferObserver& observer) {
  std::unique_ptr<LedgerTap> tap;
  try {
    tap = OpenTap(s, LedgerTable::Messages);
  } catch (const LedgerError& e) {
    return LedgerFailed(e.what());
  }
  TransferRun run(s, observer);
  if (!run.exchange.Opened()) return run.report;
  s.Status().SetStatusText(kPanelActivity, kWritingMsgStatus);
  if (!changed) observer.Started(firstNumber, lastNumber);
  MessageTable& table = s.Messages();
  GridWatch watch(table.Grid());

  auto hasText = [&](int n) {
    return n >= 1 && static_cast<std::size_t>(n) <= table.Texts().size();
  };
  // A list loaded from a broken file may name a message it holds no text for; sending
  // nothing in its place would erase the scale's message.
  auto encode = [&](int n) -> std::optional<std::string> {
    if (!hasText(n)) {
      run.report.failedNumber = n;
      run.Stop(TransferStatus::NoText, MessageWithoutTextText(n), !watch.Changed());
      return std::nullopt;
    }
    return EncodeMessageRecord(n, table.LinesOf(n));
  };
  auto refused = [&](int n, const Answer& answer) {
    run.report.failedNumber = n;
    if (answer.kind == Answer::Kind::Refused) {
      run.Stop(TransferStatus::Refused, MessageWriteRefusedText(n), !watch.Changed());
    } else {
      run.Stop(TransferStatus::OddAnswer, MessageWriteOddAnswerText(n, answer.byte),
               !watch.Changed());
    }
  };
  auto write = [&](const std::vector<int>& numbers, bool countSteps) {
    WriteRecords(run, watch, numbers, countSteps, kCommandWriteMessage, encode, refused,
                 MessageNumberOfRecord, *tap);
  };
  const std::vector<int> numbers = Range(firstNumber, lastNumber);
  auto body = [&] {
    TapFinish finish{*tap};
    try {
      if (changed) {
        // A number without text is never left out: the write stops there as a whole write does.
        WriteChanged(run, numbers, kMessageRead, *changed, *tap,
                     [&](int n) {
                       return hasText(n) ? EncodeMessageRecord(n, table.LinesOf(n))
                                         : IntToLeBytes(n, 2);
                     },
                     MessageNumberOfRecord, write);
        return;
      }
      tap->Prepare(numbers);
    } catch (const LedgerError& e) {
      run.report.status = TransferStatus::LedgerFailed;
      run.report.ledgerError = e.what();
      return;
    }
    write(numbers, false);
  };
  return WithLedgerError(run.Run(body), *tap);
}

}  // namespace

TransferReport ScaleSession::WriteMessages(int firstNumber, int lastNumber,
                                           TransferObserver& observer) {
  return WriteMessageNumbers(*this, firstNumber, lastNumber, nullptr, observer);
}

TransferReport ScaleSession::WriteMessagesChanged(int firstNumber, int lastNumber,
                                                  const ChangedWriteOptions& options,
                                                  TransferObserver& observer) {
  return WriteMessageNumbers(*this, firstNumber, lastNumber, &options, observer);
}

}  // namespace qm
