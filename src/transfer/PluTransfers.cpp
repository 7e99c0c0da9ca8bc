// PLU read (command 0x81, 4-byte number, 100-byte reply) and PLU write (command 0x82, 83-byte
// record, acknowledgement only).
#include <optional>
#include <string>

#include "base/AskNumber.h"
#include "base/NumberText.h"
#include "base/WireCodecs.h"
#include "tables/PluColumns.h"
#include "tables/PluTable.h"
#include "tables/Validation.h"
#include "transfer/PluRecord.h"
#include "transfer/ScaleTransfers.h"
#include "transfer/TransferSupport.h"
#include "transfer/TransferTexts.h"

namespace qm {

void ScaleTransfers::ReadPluClick(int tag) {
  if (c_.state.LinkBusy) return;
  const bool single = tag == kCurrentRecord;
  TextGrid& grid = c_.plu;
  const std::int32_t maxPlu = c_.state.CurrentScale.MaxPluNo;

  std::int32_t number;
  if (single) {
    const std::int32_t shown = ParseInt(grid.Cell(kPluNo, grid.CurrentRow())).value_or(1);
    number =
        AskNumber(c_.dialogs, kAskPluNoPrompt, kBadPluNoError, 0, maxPlu, std::to_string(shown));
  } else {
    number = AskNumber(c_.dialogs, kAskLastPluNoPrompt, kBadPluNoError, 1, maxPlu,
                       std::to_string(maxPlu));
  }
  if (number == NoAnswer) return;

  LinkBusyScope busy(c_.state);
  bool wasConnected = false;
  if (!c_.link.BeginExchange(wasConnected)) return;
  c_.status.SetStatusText(kPanelActivity, kReadingPluStatus);

  // The row the first record goes to is decided here, once.
  std::int32_t first = number;
  const std::int32_t last = number;
  int target = grid.CurrentRow();
  if (!single) {
    first = grid.RowCount() - 1;
    target = grid.RowCount() - 1;
    c_.dialogs.ShowProgress(kReadPluTableTitle, kReadCountLabel, last, first);
  }

  ReadOutcome outcome;
  GridWatch watch(grid);

  auto store = [&](const std::string& reply, bool isFirst) {
    Cells row = PluRowFromReply(reply);
    if (isFirst) {
      c_.flags.MarkModified(true, false);
      grid.SetRow(target, std::move(row));
    } else {
      watch.Own([&] { grid.SetRow(grid.AppendRow(), std::move(row)); });
    }
  };

  auto loop = [&] {
    ReadRecords(c_, watch, single, first, last, {kCommandReadPlu, 4, kPluReadRecordSize}, store,
                PluNotProgrammedText, outcome);
  };

  auto finish = [&] {
    // Save was enabled by MarkModified when the first record was stored.
    if (!single) c_.view.ResetPluSortDirections();
    c_.view.ShowPage(kPluPage);
    FinishTableRead(c_, wasConnected, single, outcome, kPanelPluCount, PluCountText(grid),
                    kPluTableReadText);
  };

  RunThenFinish(loop, finish);
}

void ScaleTransfers::WritePLUClick(int tag) {
  if (c_.state.LinkBusy) return;
  const bool single = tag == kCurrentRecord;
  TextGrid& grid = c_.plu;

  if (!AskYes(c_.dialogs, single ? kAskWritePluRow : kAskWritePluTable)) return;
  c_.view.SettlePluEditor();

  LinkBusyScope busy(c_.state);
  if (!CheckedBeforeWrite(c_, true, single)) return;

  bool wasConnected = false;
  if (!c_.link.BeginExchange(wasConnected)) return;
  c_.status.SetStatusText(kPanelActivity, kWritingPluStatus);

  int first = grid.CurrentRow();
  int last = first;
  if (!single) {
    first = 1;
    last = grid.RowCount() - 1;
    c_.dialogs.ShowProgress(kWritePluTableTitle, kWrittenCountLabel, last, first);
  }

  bool success = false;
  GridWatch watch(grid);

  auto encode = [&](int r) -> std::optional<std::string> { return EncodePluRecord(grid.Row(r)); };

  // The offending row is selected and named in the box.
  auto refused = [&](int r, std::int32_t result) {
    c_.dialogs.HideProgress();
    c_.view.ShowPage(kPluPage);
    if (!watch.Changed()) grid.MoveToCell(grid.CurrentColumn(), r);
    const std::string& pluNo = grid.Cell(kPluNo, r);
    ShowErrorBox(c_.dialogs, result == NotProgrammed
                                 ? PluWriteRefusedText(pluNo)
                                 : PluWriteOddAnswerText(pluNo, AnswerByte(result)));
  };

  auto loop = [&] {
    WriteRecords(c_, watch, single, first, last, kCommandWritePlu, encode, refused, success);
  };

  auto finish = [&] {
    FinishTableWrite(c_, wasConnected, success, single ? kPluRowWrittenText : kPluTableWrittenText);
  };

  RunThenFinish(loop, finish);
}

}  // namespace qm
