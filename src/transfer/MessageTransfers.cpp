// Message read (command 0x83, 2-byte number, 400-byte reply) and message write (command 0x84,
// 402 bytes: the number and the 8 lines, acknowledgement only).
#include <optional>
#include <string>

#include "base/AskNumber.h"
#include "base/WireCodecs.h"
#include "tables/CommaText.h"
#include "tables/Validation.h"
#include "transfer/MessageBlock.h"
#include "transfer/ScaleTransfers.h"
#include "transfer/TransferSupport.h"
#include "transfer/TransferTexts.h"

namespace qm {

namespace {

std::string MessageCountText(const TextGrid& grid) {
  return std::to_string(grid.DataRowCount()) + " MSG";
}

}  // namespace

void ScaleTransfers::ReadMessageClick(int tag) {
  if (c_.state.LinkBusy) return;
  const bool single = tag == kCurrentRecord;
  MessageTable& table = c_.messages;
  TextGrid& grid = table.Grid();
  const std::int32_t maxMessages = c_.state.CurrentScale.MaxMessages;

  const std::int32_t number =
      single ? AskNumber(c_.dialogs, kAskMessageNoPrompt, kBadMessageNoError, 1, maxMessages,
                         std::to_string(table.CurrentNumber()))
             : AskNumber(c_.dialogs, kAskLastMessageNoPrompt, kBadMessageNoError, 1, maxMessages,
                         std::to_string(maxMessages));
  if (number == NoAnswer) return;

  LinkBusyScope busy(c_.state);
  bool wasConnected = false;
  if (!c_.link.BeginExchange(wasConnected)) return;
  c_.status.SetStatusText(kPanelActivity, kReadingMsgStatus);

  // The first message goes into the row current now, in both modes; later ones are appended.
  const int target = grid.CurrentRow();
  std::int32_t first = number;
  const std::int32_t last = number;
  if (!single) {
    first = grid.RowCount() - 1;
    c_.dialogs.ShowProgress(kReadMsgTableTitle, kReadCountLabel, last, first);
  }

  ReadOutcome outcome;
  GridWatch watch(grid);

  auto store = [&](const std::string& reply, bool isFirst) {
    std::string text = ToCommaText(DecodeMessageBlock(reply));
    if (isFirst) {
      c_.view.ClearMessageDirty();
      c_.flags.MarkModified(false, true);
      // The row keeps its number; the text goes to the message that number names.
      table.SetTextOf(table.NumberAt(target, target), std::move(text));
      grid.SetCell(kMsgName, target, DefaultMessageName(target));
    } else {
      watch.Own([&] {
        const int row = grid.AppendRow();
        grid.SetCell(kMsgNo, row, std::to_string(row));
        grid.SetCell(kMsgName, row, DefaultMessageName(row));
        table.SetTextOf(row, std::move(text));
      });
    }
  };

  auto loop = [&] {
    ReadRecords(c_, watch, single, first, last, {kCommandReadMessage, 2, kMessageBlockSize}, store,
                MessageAbsentText, outcome);
  };

  auto finish = [&] {
    // Save was enabled by MarkModified when the first message was stored.
    if (!single) c_.view.ResetMessageSortDirections();
    c_.view.ShowPage(kMessagePage);
    FinishTableRead(c_, wasConnected, single, outcome, kPanelMsgCount, MessageCountText(grid),
                    kMsgTableReadText);
  };

  RunThenFinish(loop, finish);
}

void ScaleTransfers::WriteMessagesClick(int tag) {
  if (c_.state.LinkBusy) return;
  const bool single = tag == kCurrentRecord;
  MessageTable& table = c_.messages;
  TextGrid& grid = table.Grid();

  if (!AskYes(c_.dialogs, single ? kAskWriteMessage : kAskWriteMessages)) return;
  c_.view.SettleMessageEditor();

  LinkBusyScope busy(c_.state);
  if (!CheckedBeforeWrite(c_, false, single)) return;

  bool wasConnected = false;
  if (!c_.link.BeginExchange(wasConnected)) return;
  c_.status.SetStatusText(kPanelActivity, kWritingMsgStatus);

  int first = table.CurrentNumber();
  int last = first;
  if (!single) {
    first = 1;
    last = grid.RowCount() - 1;
    c_.dialogs.ShowProgress(kWriteMsgTableTitle, kWrittenCountLabel, last, first);
  }

  bool success = false;
  GridWatch watch(grid);

  // Shows the operator the message that failed and why.
  auto showFailure = [&](int n, const std::string& text) {
    c_.dialogs.HideProgress();
    c_.view.ShowPage(kMessagePage);
    if (!watch.Changed()) {
      if (const std::optional<int> row = table.FindRow(n)) grid.MoveToCell(kMsgName, *row);
    }
    ShowErrorBox(c_.dialogs, text);
  };

  // A list loaded from a broken file may name a message it holds no text for; sending
  // nothing in its place would erase the scale's message.
  auto encode = [&](int n) -> std::optional<std::string> {
    if (n < 1 || static_cast<std::size_t>(n) > table.Texts().size()) {
      showFailure(n, MessageWithoutTextText(n));
      return std::nullopt;
    }
    return EncodeMessageRecord(n, table.LinesOf(n));
  };

  auto refused = [&](int n, std::int32_t result) {
    showFailure(n, result == NotProgrammed ? MessageWriteRefusedText(n)
                                           : MessageWriteOddAnswerText(n, AnswerByte(result)));
  };

  auto loop = [&] {
    WriteRecords(c_, watch, single, first, last, kCommandWriteMessage, encode, refused, success);
  };

  auto finish = [&] {
    FinishTableWrite(c_, wasConnected, success,
                     single ? kMessageWrittenText : kMessagesWrittenText);
  };

  RunThenFinish(loop, finish);
}

}  // namespace qm
