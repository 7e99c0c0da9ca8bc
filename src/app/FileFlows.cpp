#include "app/FileFlows.h"

#include <ctime>
#include <filesystem>
#include <optional>

#include "base/Captions.h"
#include "base/Cp1251.h"
#include "base/Dialogs.h"
#include "base/RunState.h"
#include "base/StatusView.h"
#include "files/FileIo.h"
#include "session/FileOperations.h"
#include "session/SessionTables.h"
#include "tables/MessageCommands.h"
#include "tables/PluCommands.h"

namespace qm {
namespace {

const std::string kAskSave = Win1251("Сохранить введенные данные?");
const std::string kPlwWarning =
    Win1251("Информация о логотипе и итоги продаж не будут сохранены, продолжить?");

const std::string kOpenFilter =
    Win1251("Файл данных (*.csv)|*.csv|Файл товаров (*.plw)|*.plw|Файл сообщений (*.msw)|*.msw");
const std::string kPluSaveFilter =
    Win1251("CSV файл (совместимый с Excel)|*.csv|PLW файл (совместимый с ZO32)|*.plw");
const std::string kMessageSaveFilter =
    Win1251("CSV файл (совместимый с Excel)|*.csv|MSW файл (совместимый с ZO32)|*.msw");
const std::string kTotalsSaveFilter = Win1251("Текстовый файл|*.txt");
// Names the save dialogs propose when no file is remembered.
const std::string kPluDefaultName = Win1251("Товары");
const std::string kMessageDefaultName = Win1251("Сообщения");
const std::string kTotalsDefaultName = Win1251("Итог");

// Filter indexes of the open dialog.
enum OpenFilter : int { kOpenDataFile = 1, kOpenPluFile = 2, kOpenMessageFile = 3 };
// The second filter of the table save dialogs is the native format.
constexpr int kSaveNativeFilter = 2;

// Holds LinkBusy and gives it back the value it had.
class BusyScope {
 public:
  explicit BusyScope(RunState& state) : state_(state), was_(state.LinkBusy) {
    state_.LinkBusy = true;
  }
  ~BusyScope() { state_.LinkBusy = was_; }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

 private:
  RunState& state_;
  bool was_;
};

// The remembered file (a file name already) without its extension, or the default name (a text)
// when there is none.
std::string ProposedName(const std::string& remembered, const std::string& fallback) {
  if (remembered.empty()) return FileNameFromText(fallback);
  return PathText(FilePath(remembered).replace_extension());
}

FileFormat FormatOf(bool csv) {
  return csv ? FileFormat::Csv : FileFormat::Native;
}

ReportMoment LocalNow() {
  const std::time_t now = std::time(nullptr);
  const std::tm local = *std::localtime(&now);
  return {Today(), local.tm_hour, local.tm_min, local.tm_sec};
}

}  // namespace

std::string FileNameFromText(std::string_view cp1251) {
  return Utf8(cp1251);
}

FileFlows::FileFlows(FileFlowContext context) : c_(context), clock_(LocalNow) {}

// ---- Messages and status ----

void FileFlows::ShowError(const std::string& text) {
  c_.dialogs.ShowMessage({text, kErrorCaption, DialogIcon::Error, kButtonOk, kButtonOk});
}

bool FileFlows::ConfirmPlwWithoutLogo() {
  return c_.dialogs.ShowMessage({kPlwWarning, kConfirmCaption, DialogIcon::Warning,
                                 kButtonYes | kButtonNo, kButtonYes}) == kButtonYes;
}

void FileFlows::ShowActivity(const char* text, bool repaintNow) {
  c_.view.SetStatusText(kPanelActivity, text, repaintNow);
}

void FileFlows::ShowPluCount() {
  c_.view.SetStatusText(kPanelPluCount, std::to_string(StoredRowCount(c_.plu)) + " PLU");
}

void FileFlows::ShowMessageCount() {
  c_.view.SetStatusText(kPanelMsgCount,
                        std::to_string(StoredRowCount(c_.messages.Grid())) + " MSG");
}

// ---- Open ----

void FileFlows::OpenClick() {
  if (c_.state.LinkBusy) return;
  if (!SaveModified(false, true, true, true, true)) return;
  FileDialogRequest request;
  request.kind = FileDialogKind::Open;
  request.filter = kOpenFilter;
  request.filterIndex = kOpenDataFile;
  request.defaultExt = "csv";
  request.fileName = c_.files.pluFileName;
  const std::optional<FileDialogAnswer> answer = c_.dialogs.ChooseFile(request);
  if (!answer) return;
  const std::string& path = answer->path;

  ShowActivity("Loading...");
  LoadReport report;
  {
    BusyScope busy(c_.state);
    switch (answer->filterIndex) {
      case kOpenPluFile:
        report = LoadPluFile(c_.plu, c_.files, path, c_.pump);
        break;
      case kOpenMessageFile:
        report = LoadMessageFile(c_.messages, c_.files, path);
        break;
      default:
        report = LoadDataFile(c_.plu, c_.messages, c_.files, path);
        break;
    }
    if (!report.ok()) {
      ShowError(report.message);
    } else if (report.kind == DataFileKind::PluTable) {
      c_.pluCommands.ClearBuffer();
      c_.pluCommands.ResetSortToggles();
    } else {
      c_.messageCommands.ResetBuffer();
      c_.messageCommands.ResetSortToggles();
    }
  }
  if (report.ok() && report.kind == DataFileKind::PluTable) {
    c_.hooks.ShowPluPage();
    c_.hooks.ShowCurrentPluRow();
    ShowPluCount();
    c_.flags.ClearPlu();
  } else if (report.ok()) {
    c_.hooks.ShowMessagePage();
    c_.messageCommands.RefreshCurrent();
    ShowMessageCount();
    c_.flags.ClearMessages();
  }
  // A UTF-8 file may hold characters the tables cannot; the operator sees where '?' now stands,
  // over the table just loaded.
  if (report.ok() && !report.unmapped.empty()) {
    c_.dialogs.ShowMessage({UnmappedText(report.kind, report.unmapped), kWarningCaption,
                            DialogIcon::Warning, kButtonOk, kButtonOk});
  }
  ShowActivity("Done.");
}

// ---- Saving ----

bool FileFlows::WritePart(DataFileKind kind, const std::function<SaveReport()>& save) {
  SaveReport report;
  {
    BusyScope busy(c_.state);
    ShowActivity("Saving...", /*repaintNow=*/true);
    report = save();
    ShowActivity("Done.");
  }
  if (!report.saved) ShowError(report.message);
  // A cell held a byte the layout cannot carry (a line break read from the scale): the file has
  // a blank there, and the operator learns where before the next part is saved.
  if (report.saved && !report.replaced.empty()) {
    c_.dialogs.ShowMessage({ReplacedText(kind, report.replaced), kWarningCaption,
                            DialogIcon::Warning, kButtonOk, kButtonOk});
  }
  return report.saved;
}

SaveOutcome FileFlows::SaveData(const SaveRequest& request) {
  SaveOutcome outcome;
  if (!request.totals && !request.messages && !request.plu) return outcome;
  if (request.askFirst &&
      c_.dialogs.ShowMessage({kAskSave, kConfirmCaption, DialogIcon::Question,
                              kButtonYes | kButtonNo, kButtonYes}) != kButtonYes) {
    return outcome;
  }

  auto chooseSaveFile = [&](const std::string& filter, const std::string& defaultExt,
                            const std::string& proposed) {
    FileDialogRequest dialog;
    dialog.kind = FileDialogKind::Save;
    dialog.filter = filter;
    dialog.filterIndex = 1;
    dialog.defaultExt = defaultExt;
    dialog.fileName = proposed;
    return c_.dialogs.ChooseFile(dialog);
  };
  FileState& files = c_.files;

  if (request.plu) {
    if (files.pluFileName.empty() || request.alwaysAsk) {
      const std::optional<FileDialogAnswer> answer =
          chooseSaveFile(kPluSaveFilter, "csv", ProposedName(files.pluFileName, kPluDefaultName));
      if (!answer) {
        files.pluFileName.clear();
      } else {
        files.pluFileName = answer->path;
        files.pluFileIsCsv = answer->filterIndex != kSaveNativeFilter;
        if (!files.pluFileIsCsv && !ConfirmPlwWithoutLogo()) {
          // Declining ends the whole call: nothing else is saved either.
          files.pluFileName.clear();
          return outcome;
        }
      }
    }
    if (!files.pluFileName.empty()) {
      const std::string path = files.pluFileName;
      const FileFormat format = FormatOf(files.pluFileIsCsv);
      if (!WritePart(DataFileKind::PluTable,
                     [&] { return SavePluFile(c_.plu, path, format, c_.pump); })) {
        outcome.failed = true;
        return outcome;
      }
      outcome.pluSaved = true;
    }
  }

  if (request.messages) {
    if (files.messageFileName.empty() || request.alwaysAsk) {
      const std::optional<FileDialogAnswer> answer = chooseSaveFile(
          kMessageSaveFilter, "csv", ProposedName(files.messageFileName, kMessageDefaultName));
      if (!answer) {
        files.messageFileName.clear();
      } else {
        files.messageFileName = answer->path;
        files.messageFileIsCsv = answer->filterIndex != kSaveNativeFilter;
      }
    }
    if (!files.messageFileName.empty()) {
      const std::string path = files.messageFileName;
      const FileFormat format = FormatOf(files.messageFileIsCsv);
      if (!WritePart(DataFileKind::MessageTable,
                     [&] { return SaveMessageFile(c_.messages, path, format); })) {
        outcome.failed = true;
        return outcome;
      }
      outcome.messagesSaved = true;
    }
  }

  if (request.totals) {
    const std::optional<FileDialogAnswer> answer =
        chooseSaveFile(kTotalsSaveFilter, "txt", FileNameFromText(kTotalsDefaultName));
    if (answer) {
      const std::string path = answer->path;
      if (!WritePart(DataFileKind::PluTable,
                     [&] { return SaveTotalsFile(c_.hooks.TotalsShown(), path, clock_()); })) {
        outcome.failed = true;
        return outcome;
      }
      outcome.totalsSaved = true;
    }
  }
  return outcome;
}

bool FileFlows::SaveModified(bool alwaysAsk, bool askFirst, bool totals, bool messages, bool plu) {
  ModifiedFlags& flags = c_.flags;
  SaveRequest request;
  request.totals = totals && flags.TotalsModified();
  request.messages = messages && flags.MessageTableModified();
  request.plu = plu && flags.PluTableModified();
  request.alwaysAsk = alwaysAsk;
  request.askFirst = askFirst;
  const SaveOutcome outcome = SaveData(request);
  // A part counts as done when it was written or was not selected; a part that was selected
  // and not written keeps its flag.
  if (totals && flags.TotalsModified() && !(request.totals && !outcome.totalsSaved)) {
    flags.ClearTotals();
  }
  if (messages && flags.MessageTableModified() && !(request.messages && !outcome.messagesSaved)) {
    flags.ClearMessages();
  }
  if (plu && flags.PluTableModified() && !(request.plu && !outcome.pluSaved)) flags.ClearPlu();
  return !outcome.failed;
}

void FileFlows::SaveClick() {
  SaveModified(false, false, true, true, true);
}

void FileFlows::SaveMenuClick(int tag) {
  SaveRequest request;
  request.totals = tag == kSaveAll || tag == kSaveTotals;
  request.messages = tag == kSaveAll || tag == kSaveMessages;
  request.plu = tag == kSaveAll || tag == kSavePlu;
  request.alwaysAsk = true;
  const SaveOutcome outcome = SaveData(request);
  ModifiedFlags& flags = c_.flags;
  if (outcome.totalsSaved) flags.ClearTotals();
  if (outcome.messagesSaved) flags.ClearMessages();
  if (outcome.pluSaved) flags.ClearPlu();
}

void FileFlows::NewClick() {
  if (c_.state.LinkBusy) return;
  if (!SaveModified(false, true, true, true, true)) return;
  BusyScope busy(c_.state);
  NewPluTable();
  NewMessageTable();
}

void FileFlows::NewPluClick() {
  if (c_.state.LinkBusy) return;
  if (!SaveModified(false, true, false, false, true)) return;
  NewPluTable();
}

void FileFlows::NewMsgClick() {
  if (c_.state.LinkBusy) return;
  if (!SaveModified(false, true, false, true, false)) return;
  NewMessageTable();
}

bool FileFlows::SaveBeforeTotalsRead() {
  return SaveModified(true, true, true, false, false);
}

bool FileFlows::SaveOnClose() {
  return SaveModified(false, true, true, true, true);
}

void FileFlows::NewPluTable() {
  ResetPluTable(c_.plu);
  c_.pluCommands.ClearBuffer();
  c_.flags.ClearPlu();
  c_.hooks.ShowCurrentPluRow();
  c_.files.pluFileName.clear();
  ShowPluCount();
}

void FileFlows::NewMessageTable() {
  c_.messageCommands.NewTable();
  c_.files.messageFileName.clear();
  ShowMessageCount();
}

}  // namespace qm
