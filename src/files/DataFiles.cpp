#include "files/DataFiles.h"

#include "base/Captions.h"

#include <ctime>
#include <filesystem>

#include "base/Cp1251.h"
#include "base/Dialogs.h"
#include "base/RunState.h"
#include "base/StatusView.h"
#include "files/FileIo.h"
#include "files/ListSeparator.h"
#include "tables/MessageCommands.h"
#include "tables/MessageTable.h"
#include "tables/ModifiedFlags.h"
#include "tables/PluCommands.h"
#include "tables/PluTable.h"

namespace qm {
namespace {

const std::string kAskSave = Win1251("Сохранить введенные данные?");
const std::string kPlwWarning =
    Win1251("Информация о логотипе и итоги продаж не будут сохранены, продолжить?");
const std::string kBadFormat = Win1251("Неверный формат файла данных.");
const std::string kCannotRead = Win1251("Не удалось прочитать файл ");
const std::string kCannotWrite = Win1251("Не удалось записать файл ");

const std::string kOpenFilter =
    Win1251("Файл данных (*.csv)|*.csv|Файл товаров (*.plw)|*.plw|Файл сообщений (*.msw)|*.msw");
const std::string kPluSaveFilter =
    Win1251("CSV файл (совместимый с Excel)|*.csv|PLW файл (совместимый с ZO32)|*.plw");
const std::string kMessageSaveFilter =
    Win1251("CSV файл (совместимый с Excel)|*.csv|MSW файл (совместимый с ZO32)|*.msw");
const std::string kTotalsSaveFilter = Win1251("Текстовый файл|*.txt");
const std::string kPluDefaultName = Win1251("Товары");
const std::string kMessageDefaultName = Win1251("Сообщения");
const std::string kTotalsDefaultName = Win1251("Итог");

// Filter indexes of the open dialog.
enum OpenFilter : int { kOpenDataFile = 1, kOpenPluFile = 2, kOpenMessageFile = 3 };

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

// The remembered file without its extension, or the default name when there is none.
std::string ProposedName(const std::string& remembered, const std::string& fallback) {
  if (remembered.empty()) return fallback;
  return std::filesystem::path(remembered).replace_extension().string();
}

// A path for a message box: the dialogs give paths in the file system's encoding, which is
// UTF-8 on the systems we test on.
std::string PathForDisplay(const std::string& path) {
  return "\"" + Win1251(path) + "\"";
}

ReportMoment LocalNow() {
  const std::time_t now = std::time(nullptr);
  const std::tm local = *std::localtime(&now);
  return {Today(), local.tm_hour, local.tm_min, local.tm_sec};
}

}  // namespace

DataFiles::DataFiles(DataFileContext context) : c_(context), clock_(LocalNow) {}

// ---- Messages and status ----

void DataFiles::ShowError(const std::string& text) {
  c_.dialogs.ShowMessage({text, kErrorCaption, DialogIcon::Error, kButtonOk, kButtonOk});
}

void DataFiles::ShowFormatError() {
  ShowError(kBadFormat);
}

bool DataFiles::ConfirmPlwWithoutLogo() {
  return c_.dialogs.ShowMessage({kPlwWarning, kConfirmCaption, DialogIcon::Warning,
                                 kButtonYes | kButtonNo, kButtonYes}) == kButtonYes;
}

void DataFiles::ShowActivity(const char* text, bool repaintNow) {
  c_.view.SetStatusText(kPanelActivity, text, repaintNow);
}

void DataFiles::ShowPluCount() {
  c_.view.SetStatusText(kPanelPluCount, std::to_string(StoredRowCount(c_.plu)) + " PLU");
}

void DataFiles::ShowMessageCount() {
  c_.view.SetStatusText(kPanelMsgCount,
                        std::to_string(StoredRowCount(c_.messages.Grid())) + " MSG");
}

bool DataFiles::ReadFile(const std::string& path, std::string& bytes) {
  const FileResult result = ReadWholeFile(path, bytes);
  if (!result.ok) ShowError(kCannotRead + PathForDisplay(path) + ":\n" + result.systemMessage);
  return result.ok;
}

// ---- Loading ----

int DataFiles::LoadCsvFile(const std::string& path) {
  BusyScope busy(c_.state);
  std::string bytes;
  if (!ReadFile(path, bytes)) return 0;
  std::optional<DataFileContent> content = ParseDataFile(bytes);
  if (!content) {
    ShowFormatError();
    return 0;
  }
  if (content->kind == DataFileKind::PluTable) {
    c_.plu.ReplaceDataRows(std::move(content->rows));
    c_.pluCommands.ClearBuffer();
    c_.pluCommands.ResetSortToggles();
    pluFileIsCsv_ = true;
    return 1;
  }
  c_.messages.Grid().ReplaceDataRows(std::move(content->rows));
  c_.messages.Texts() = std::move(content->texts);
  c_.messageCommands.ResetBuffer();
  c_.messageCommands.ResetSortToggles();
  messageFileIsCsv_ = true;
  return 2;
}

bool DataFiles::LoadPluFile(const std::string& path) {
  BusyScope busy(c_.state);
  std::string bytes;
  if (!ReadFile(path, bytes)) return false;
  std::optional<std::vector<Cells>> rows = ParsePluNative(bytes, c_.pump);
  if (!rows) {
    ShowFormatError();
    return false;
  }
  c_.plu.ReplaceDataRows(std::move(*rows));
  c_.pluCommands.ClearBuffer();
  c_.pluCommands.ResetSortToggles();
  pluFileIsCsv_ = false;
  return true;
}

bool DataFiles::LoadMessageFile(const std::string& path) {
  BusyScope busy(c_.state);
  std::string bytes;
  if (!ReadFile(path, bytes)) return false;
  std::optional<MessageFileContent> content = ParseMessageNative(bytes);
  if (!content) {
    ShowFormatError();
    return false;
  }
  c_.messages.Grid().ReplaceDataRows(std::move(content->rows));
  c_.messages.Texts() = std::move(content->texts);
  c_.messageCommands.ResetBuffer();
  c_.messageCommands.ResetSortToggles();
  messageFileIsCsv_ = false;
  return true;
}

void DataFiles::OpenClick() {
  if (c_.state.LinkBusy) return;
  if (!SaveModified(false, true, true, true, true)) return;
  FileDialogRequest request;
  request.kind = FileDialogKind::Open;
  request.filter = kOpenFilter;
  request.filterIndex = kOpenDataFile;
  request.defaultExt = "csv";
  request.fileName = pluFileName_;
  const std::optional<FileDialogAnswer> answer = c_.dialogs.ChooseFile(request);
  if (!answer) return;
  const std::string& path = answer->path;

  auto pluLoaded = [&] {
    pluFileName_ = path;
    c_.hooks.ShowPluPage();
    c_.hooks.ShowCurrentPluRow();
    ShowPluCount();
    c_.flags.ClearPlu();
  };
  auto messagesLoaded = [&] {
    messageFileName_ = path;
    c_.hooks.ShowMessagePage();
    c_.messageCommands.RefreshCurrent();
    ShowMessageCount();
    c_.flags.ClearMessages();
  };

  ShowActivity("Loading...");
  switch (answer->filterIndex) {
    case kOpenPluFile:
      if (LoadPluFile(path)) pluLoaded();
      break;
    case kOpenMessageFile:
      if (LoadMessageFile(path)) messagesLoaded();
      break;
    default:
      switch (LoadCsvFile(path)) {
        case 1:
          pluLoaded();
          break;
        case 2:
          messagesLoaded();
          break;
        default:
          break;
      }
      break;
  }
  ShowActivity("Done.");
}

// ---- Saving ----

bool DataFiles::WritePart(const std::string& path, const std::function<std::string()>& produce) {
  FileResult result;
  {
    BusyScope busy(c_.state);
    ShowActivity("Saving...", /*repaintNow=*/true);
    result = WriteWholeFile(path, produce());
    ShowActivity("Done.");
  }
  if (!result.ok) ShowError(kCannotWrite + PathForDisplay(path) + ":\n" + result.systemMessage);
  return result.ok;
}

bool DataFiles::SaveData(bool alwaysAsk, bool askFirst, bool& totals, bool& messages, bool& plu) {
  if (!totals && !messages && !plu) return true;
  if (askFirst && c_.dialogs.ShowMessage({kAskSave, kConfirmCaption, DialogIcon::Question,
                                          kButtonYes | kButtonNo, kButtonYes}) != kButtonYes) {
    return true;
  }

  auto chooseSaveFile = [&](const std::string& filter, const std::string& defaultExt,
                            const std::string& proposed) {
    FileDialogRequest request;
    request.kind = FileDialogKind::Save;
    request.filter = filter;
    request.filterIndex = 1;
    request.defaultExt = defaultExt;
    request.fileName = proposed;
    return c_.dialogs.ChooseFile(request);
  };

  if (plu) {
    if (pluFileName_.empty() || alwaysAsk) {
      const std::optional<FileDialogAnswer> answer =
          chooseSaveFile(kPluSaveFilter, "csv", ProposedName(pluFileName_, kPluDefaultName));
      if (!answer) {
        pluFileName_.clear();
      } else {
        pluFileName_ = answer->path;
        pluFileIsCsv_ = answer->filterIndex != 2;
        if (!pluFileIsCsv_ && !ConfirmPlwWithoutLogo()) {
          // Declining ends the whole call: nothing else is saved either.
          pluFileName_.clear();
          return true;
        }
      }
    }
    if (!pluFileName_.empty()) {
      const bool csv = pluFileIsCsv_;
      if (!WritePart(pluFileName_, [&] {
            return csv ? WritePluCsv(c_.plu, ListSeparator()) : WritePluNative(c_.plu, c_.pump);
          })) {
        return false;
      }
      plu = false;
    }
  }

  if (messages) {
    if (messageFileName_.empty() || alwaysAsk) {
      const std::optional<FileDialogAnswer> answer = chooseSaveFile(
          kMessageSaveFilter, "csv", ProposedName(messageFileName_, kMessageDefaultName));
      if (!answer) {
        messageFileName_.clear();
      } else {
        messageFileName_ = answer->path;
        messageFileIsCsv_ = answer->filterIndex != 2;
      }
    }
    if (!messageFileName_.empty()) {
      const bool csv = messageFileIsCsv_;
      if (!WritePart(messageFileName_, [&] {
            return csv ? WriteMessageCsv(c_.messages, ListSeparator())
                       : WriteMessageNative(c_.messages);
          })) {
        return false;
      }
      messages = false;
    }
  }

  if (totals) {
    const std::optional<FileDialogAnswer> answer =
        chooseSaveFile(kTotalsSaveFilter, "txt", kTotalsDefaultName);
    if (answer) {
      if (!WritePart(answer->path,
                     [&] { return WriteTotalsReport(c_.hooks.TotalsShown(), clock_()); })) {
        return false;
      }
      totals = false;
    }
  }
  return true;
}

bool DataFiles::SaveModified(bool alwaysAsk, bool askFirst, bool totals, bool messages, bool plu) {
  ModifiedFlags& flags = c_.flags;
  bool t = totals && flags.TotalsModified();
  bool m = messages && flags.MessageTableModified();
  bool p = plu && flags.PluTableModified();
  const bool ok = SaveData(alwaysAsk, askFirst, t, m, p);
  if (totals && flags.TotalsModified() && !t) flags.ClearTotals();
  if (messages && flags.MessageTableModified() && !m) flags.ClearMessages();
  if (plu && flags.PluTableModified() && !p) flags.ClearPlu();
  return ok;
}

void DataFiles::SaveClick() {
  SaveModified(false, false, true, true, true);
}

void DataFiles::SaveMenuClick(int tag) {
  bool totals = tag == kSaveAll || tag == kSaveTotals;
  bool messages = tag == kSaveAll || tag == kSaveMessages;
  bool plu = tag == kSaveAll || tag == kSavePlu;
  const bool wantTotals = totals, wantMessages = messages, wantPlu = plu;
  SaveData(true, false, totals, messages, plu);
  if (wantTotals && !totals) c_.flags.ClearTotals();
  if (wantMessages && !messages) c_.flags.ClearMessages();
  if (wantPlu && !plu) c_.flags.ClearPlu();
}

void DataFiles::NewClick() {
  if (c_.state.LinkBusy) return;
  if (!SaveModified(false, true, true, true, true)) return;
  BusyScope busy(c_.state);
  NewPluTable();
  NewMessageTable();
}

void DataFiles::NewPluClick() {
  if (c_.state.LinkBusy) return;
  if (!SaveModified(false, true, false, false, true)) return;
  NewPluTable();
}

void DataFiles::NewMsgClick() {
  if (c_.state.LinkBusy) return;
  if (!SaveModified(false, true, false, true, false)) return;
  NewMessageTable();
}

bool DataFiles::SaveBeforeTotalsRead() {
  return SaveModified(true, true, true, false, false);
}

bool DataFiles::SaveOnClose() {
  return SaveModified(false, true, true, true, true);
}

void DataFiles::NewPluTable() {
  ResetPluTable(c_.plu);
  c_.pluCommands.ClearBuffer();
  c_.flags.ClearPlu();
  c_.hooks.ShowCurrentPluRow();
  pluFileName_.clear();
  ShowPluCount();
}

void DataFiles::NewMessageTable() {
  c_.messageCommands.NewTable();
  messageFileName_.clear();
  ShowMessageCount();
}

}  // namespace qm
