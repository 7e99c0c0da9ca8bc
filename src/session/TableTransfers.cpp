// The table transfers of the session: PLU records and messages, read one by one or as a table,
// written row by row.
#include <optional>
#include <string>
#include <vector>

#include "base/NumberText.h"
#include "base/WireCodecs.h"
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
};

// The loop of a read over the numbers first..last. Each record received goes to
// store(reply, isFirst) as it comes, unless the table was restructured during the wait. A number
// the scale has not programmed is passed over in a whole-table read; a single read stops there
// with absentText(k). The report is kept up to date as the loop runs (`stored` counts the
// records stored), so the finish sees it also after an exception.
template <typename Store, typename AbsentText>
void ReadRecords(TransferRun& run, const GridWatch& watch, bool single, std::int32_t first,
                 std::int32_t last, const ReadRequest& request, Store&& store,
                 AbsentText&& absentText) {
  ScaleLink& link = run.session.Link();
  TransferReport& report = run.report;
  bool isFirst = true;
  for (std::int32_t k = first; k <= last; ++k) {
    if (!run.ScaleReady()) break;
    Answer answer =
        link.SendCommand(request.command, IntToLeBytes(k, request.numberBytes), request.replySize);
    if (answer.kind == Answer::Kind::Done) {
      if (watch.Changed()) {  // the rows were rearranged during the wait: stop unfinished
        report.status = TransferStatus::TableChanged;
        break;
      }
      store(answer.reply, isFirst);
      ++report.stored;
      isFirst = false;
    } else if (answer.kind == Answer::Kind::Refused) {
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

// The loop of a write over the items first..last (rows or message numbers). encode(n) gives the
// record to send, or nothing when the item cannot be sent (it has stopped the run saying why);
// refused(n, answer) stops the run on a refusal or an odd answer. `report.stored` counts the
// acknowledged items as the loop runs.
template <typename Encode, typename Refused>
void WriteRecords(TransferRun& run, const GridWatch& watch, int first, int last,
                  std::uint8_t command, Encode&& encode, Refused&& refused) {
  ScaleLink& link = run.session.Link();
  TransferReport& report = run.report;
  for (int n = first; n <= last; ++n) {
    // Events ran during the last exchange: the table may have been rearranged (item n is no
    // longer the one meant) or the link cut.
    if (!run.GoOn(watch)) break;
    std::optional<std::string> record = encode(n);
    if (!record) break;
    if (!run.ScaleReady()) break;
    const Answer answer = link.SendCommand(command, *record, 0);
    if (answer.kind == Answer::Kind::Done) {
      ++report.stored;
    } else if (answer.kind == Answer::Kind::NoAnswer) {
      run.LinkLetDown(TransferStatus::LinkClosed);
      break;
    } else {
      // Refused, or answered with a byte that says nothing about the record: either way it is
      // not known to be stored, so the write stops at the item.
      report.answerByte = answer.byte;
      refused(n, answer);
      break;
    }
    if (run.observer.Step(n)) {
      report.status = TransferStatus::Cancelled;
      break;
    }
  }
}

std::string MessageCountText(const TextGrid& grid) {
  return std::to_string(grid.DataRowCount()) + " MSG";
}

}  // namespace

// --- PLU records -------------------------------------------------------------------------------

namespace {

TransferReport ReadPlu(ScaleSession& s, bool single, std::int32_t number, int row,
                       TransferObserver& observer) {
  TransferRun run(s, observer);
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
    ReadRecords(run, watch, single, first, last, {kCommandReadPlu, 4, kPluReplySize}, store,
                PluNotProgrammedText);
  };
  return run.Run(body, [&] { s.Status().SetStatusText(kPanelPluCount, PluCountText(grid)); });
}

}  // namespace

TransferReport ScaleSession::ReadOnePlu(std::int32_t number, int row, TransferObserver& observer) {
  return ReadPlu(*this, true, number, row, observer);
}

TransferReport ScaleSession::ReadPluTable(std::int32_t last, TransferObserver& observer) {
  return ReadPlu(*this, false, last, 0, observer);
}

TransferReport ScaleSession::WritePlu(int firstRow, int lastRow, TransferObserver& observer) {
  TransferRun run(*this, observer);
  if (!run.exchange.Opened()) return run.report;
  status_.SetStatusText(kPanelActivity, kWritingPluStatus);
  observer.Started(firstRow, lastRow);
  TextGrid& grid = tables_.plu;
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
  auto body = [&] {
    WriteRecords(run, watch, firstRow, lastRow, kCommandWritePlu, encode, refused);
  };
  return run.Run(body);
}

// --- Messages ----------------------------------------------------------------------------------

namespace {

TransferReport ReadMessages(ScaleSession& s, bool single, std::int32_t number, int row,
                            TransferObserver& observer) {
  TransferRun run(s, observer);
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
    ReadRecords(run, watch, single, first, last, {kCommandReadMessage, 2, kMessageReplySize}, store,
                MessageAbsentText);
  };
  return run.Run(body, [&] { s.Status().SetStatusText(kPanelMsgCount, MessageCountText(grid)); });
}

}  // namespace

TransferReport ScaleSession::ReadOneMessage(std::int32_t number, int row,
                                            TransferObserver& observer) {
  return ReadMessages(*this, true, number, row, observer);
}

TransferReport ScaleSession::ReadMessageTable(std::int32_t last, TransferObserver& observer) {
  return ReadMessages(*this, false, last, 0, observer);
}

TransferReport ScaleSession::WriteMessages(int firstNumber, int lastNumber,
                                           TransferObserver& observer) {
  TransferRun run(*this, observer);
  if (!run.exchange.Opened()) return run.report;
  status_.SetStatusText(kPanelActivity, kWritingMsgStatus);
  observer.Started(firstNumber, lastNumber);
  MessageTable& table = tables_.messages;
  GridWatch watch(table.Grid());

  // A list loaded from a broken file may name a message it holds no text for; sending
  // nothing in its place would erase the scale's message.
  auto encode = [&](int n) -> std::optional<std::string> {
    if (n < 1 || static_cast<std::size_t>(n) > table.Texts().size()) {
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
  auto body = [&] {
    WriteRecords(run, watch, firstNumber, lastNumber, kCommandWriteMessage, encode, refused);
  };
  return run.Run(body);
}

}  // namespace qm
