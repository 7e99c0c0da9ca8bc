#include "app/FileFlows.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "base/Cp1251.h"
#include "base/RunState.h"
#include "files/FileIo.h"
#include "files/ListSeparator.h"
#include "session/SessionTables.h"
#include "support/RecordingStatusView.h"
#include "support/ScriptedDialogs.h"
#include "tables/MessageCommands.h"
#include "tables/MessageTable.h"
#include "tables/ModifiedFlags.h"
#include "tables/PluColumns.h"
#include "tables/PluCommands.h"
#include "tables/PluTable.h"

namespace qm {
namespace {

namespace fs = std::filesystem;

// A path that runs through a file as if it were a folder: POSIX says "not a directory", Windows
// finds no such file.
#ifdef _WIN32
constexpr std::errc kThroughAFile = std::errc::no_such_file_or_directory;
#else
constexpr std::errc kThroughAFile = std::errc::not_a_directory;
#endif
using qmtest::ScriptedDialogs;

std::string W(std::string_view utf8) {
  return Win1251(utf8);
}

class NoPluEditor : public PluEditorHooks {
 public:
  void Commit() override {}
  void Refresh() override {}
  bool SuppressRowLoad() const override { return false; }
  void SetSuppressRowLoad(bool) override {}
  void ClearPluDirty() override {}
};

class NoMessageEditor : public MessageEditorHooks {
 public:
  std::vector<std::string> EditorLines() const override { return {}; }
  std::string EditorName() const override { return {}; }
  void ShowInEditor(const std::vector<std::string>& l, const std::string& n) override {
    shownName = n;
  }
  void ShowInPreview(const std::vector<std::string>&, const std::string&) override {}
  bool PluTabShown() const override { return false; }
  void ClearMessageDirty() override {}
  void RefreshPluRow() override {}
  std::string shownName = "-";
};

class Window : public FileFlowHooks {
 public:
  void ShowPluPage() override { log += "plu-page "; }
  void ShowMessagePage() override { log += "msg-page "; }
  void ShowCurrentPluRow() override { log += "plu-row "; }
  TotalsPage TotalsShown() const override { return totals; }
  std::string log;
  TotalsPage totals{
      W("Общий итог продаж"), "1.00", "0", "1", "0", "0", "0", "3999", "200", "5", "70"};
};

struct FileFlowsTest : ::testing::Test {
  FileFlowsTest()
      : flags(&view),
        pluCommands(plu, flags, &view, pluEditor),
        messageCommands(messages, plu, flags, &view, messageEditor),
        files({plu, messages, flags, fileState, pluCommands, messageCommands, state, view, dialogs,
               nullptr, window}) {
    ResetPluTable(plu);
    std::random_device seed;
    dir = fs::temp_directory_path() / ("qm-files-" + std::to_string(seed()));
    fs::create_directories(dir);
    SetListSeparatorForTesting(';');
    files.SetClockForTesting([] { return ReportMoment{{2026, 3, 5}, 9, 7, 3}; });
  }
  ~FileFlowsTest() override {
    SetListSeparatorForTesting(std::nullopt);
    std::error_code ec;
    fs::permissions(dir, fs::perms::owner_all, ec);
    fs::remove_all(dir, ec);
  }

  std::string Path(const std::string& name) const { return PathText(dir / FilePath(name)); }
  std::string Put(const std::string& name, const std::string& bytes) const {
    std::ofstream(dir / FilePath(name), std::ios::binary) << bytes;
    return Path(name);
  }
  static std::string Slurp(const std::string& path) {
    std::ifstream in(FilePath(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  void ExpectOpen(const std::string& path, int filter) {
    dialogs.ExpectFile(FileDialogKind::Open, FileDialogAnswer{path, filter});
  }
  void ExpectSave(std::optional<std::string> path, int filter = 1) {
    dialogs.ExpectFile(FileDialogKind::Save,
                       path ? std::optional(FileDialogAnswer{*path, filter}) : std::nullopt);
  }
  void ExpectAskSave(DialogButton answer) {
    dialogs.ExpectMessage("Сохранить введенные данные?", answer, "Подтвердите");
  }
  void ExpectError(const std::string& textStart) {
    dialogs.ExpectMessage(textStart, kButtonOk, "Ошибка");
  }

  // Everything a failed load or save must leave as it was.
  struct Snapshot {
    std::vector<Cells> plu;
    std::vector<Cells> messages;
    std::vector<std::string> texts;
    std::string pluFile, messageFile;
    bool pluCsv, messageCsv, pluModified, messageModified, totalsModified;
    Cells pluBuffer;
    MessageBuffer messageBuffer;
    bool operator==(const Snapshot&) const = default;
  };
  Snapshot Take() const {
    Snapshot s;
    for (int r = 0; r < plu.RowCount(); ++r) s.plu.push_back(plu.Row(r));
    for (int r = 0; r < messages.Grid().RowCount(); ++r)
      s.messages.push_back(messages.Grid().Row(r));
    s.texts = messages.Texts();
    s.pluFile = fileState.pluFileName;
    s.messageFile = fileState.messageFileName;
    s.pluCsv = fileState.pluFileIsCsv;
    s.messageCsv = fileState.messageFileIsCsv;
    s.pluModified = flags.PluTableModified();
    s.messageModified = flags.MessageTableModified();
    s.totalsModified = flags.TotalsModified();
    s.pluBuffer = pluCommands.Buffer();
    s.messageBuffer = messageCommands.Buffer();
    return s;
  }

  // A loaded PLU table and message table with remembered files and unsaved changes.
  void LoadSomething() {
    ExpectOpen(Put("start.csv", W("Товары;\r\nt\r\n5;Старый\r\n")), 1);
    files.OpenClick();
    ExpectOpen(Put("start.msw", W("a\r\n№,1\r\nНазвание,Первое\r\n")), 3);
    files.OpenClick();
    pluCommands.Copy();
    flags.MarkModified(true, true);
  }

  fs::path dir;
  TextGrid plu{kPluColumnCount};
  MessageTable messages;
  RunState state;
  qmtest::RecordingStatusView view;
  ScriptedDialogs dialogs;
  ModifiedFlags flags;
  FileState fileState;
  NoPluEditor pluEditor;
  NoMessageEditor messageEditor;
  PluCommands pluCommands;
  MessageCommands messageCommands;
  Window window;
  FileFlows files;
};

TEST_F(FileFlowsTest, OpenDataFileWithThePluTable) {
  pluCommands.Copy();
  pluCommands.SetSortToggle(0, 1);
  flags.SetTotalsModified(false);
  const std::string path =
      Put("a.txt", W("Товары,\r\nT\r\n7, Хлеб ,\"a,b\"\r\n8\r\n"));  // the extension is no matter
  ExpectOpen(path, 1);
  files.OpenClick();

  const FileDialogRequest& request = dialogs.FileRequests().at(0);
  EXPECT_EQ(Utf8(request.filter),
            "Файл данных (*.csv)|*.csv|Файл товаров (*.plw)|*.plw|Файл сообщений (*.msw)|*.msw");
  EXPECT_EQ(request.filterIndex, 1);
  EXPECT_EQ(request.defaultExt, "csv");
  ASSERT_EQ(plu.DataRowCount(), 2);
  EXPECT_EQ(plu.Cell(kName1, 1), W(" Хлеб "));
  EXPECT_EQ(plu.Cell(kName2, 1), "a,b");
  EXPECT_EQ(plu.Row(0), PluColumnTitles());
  EXPECT_EQ(fileState.pluFileName, path);
  EXPECT_TRUE(fileState.pluFileIsCsv);
  EXPECT_TRUE(pluCommands.Buffer().empty());
  EXPECT_EQ(pluCommands.SortToggle(0), 0);
  EXPECT_EQ(view.panels[kPanelPluCount], "2 PLU");
  EXPECT_EQ(view.panels[kPanelActivity], "Done.");
  EXPECT_EQ(window.log, "plu-page plu-row ");
  EXPECT_FALSE(state.LinkBusy);
  EXPECT_FALSE(view.saveEnabled);
}

TEST_F(FileFlowsTest, TheFilterDecidesTheLayout) {
  // A CSV file opened as a PLU file is read nine lines per row.
  ExpectOpen(Put("b.csv", W("Товары;\r\nt\r\n1;2\r\n")), 2);
  files.OpenClick();
  ASSERT_EQ(plu.DataRowCount(), 1);
  EXPECT_EQ(plu.Cell(kPluNo, 1), "0");
  EXPECT_EQ(plu.Cell(kName1, 1), "t");
  EXPECT_EQ(plu.Cell(kName2, 1), "1;2");
  EXPECT_FALSE(fileState.pluFileIsCsv);

  // A message file through the data-file filter is no data file.
  const std::string msw = Put("m.msw", W("a\r\n№,1\r\nНазвание,X\r\n"));
  ExpectOpen(msw, 1);
  ExpectError("Неверный формат файла данных.");
  files.OpenClick();
  EXPECT_EQ(fileState.messageFileName, "");
  EXPECT_EQ(view.panels[kPanelActivity], "Done.");
}

TEST_F(FileFlowsTest, AUtf8FileLoadsAndTheOperatorSeesWhatBecameQuestionMarks) {
  ExpectOpen(Put("u.csv", "\"Товары\",,\nT\n7,Łosoś,Хлеб\n"), 1);
  dialogs.ExpectMessage(
      "В файле есть символы, которых нет в кодировке Windows-1251. Они заменены знаком \"?\":\n"
      "строка 1, Наименование 1: U+0141\nстрока 1, Наименование 1: U+015B",
      kButtonOk, "Предупреждение");
  files.OpenClick();
  EXPECT_EQ(dialogs.Shown().back().icon, DialogIcon::Warning);
  EXPECT_EQ(plu.Row(1),
            (Cells{"7", "?oso?", W("Хлеб"), "", "", "", "", "", "", "", "", "", "", ""}));
  EXPECT_EQ(view.panels[kPanelPluCount], "1 PLU");
  EXPECT_EQ(view.panels[kPanelActivity], "Done.");
  EXPECT_FALSE(flags.PluTableModified());
}

TEST_F(FileFlowsTest, EmptyFilesGiveZeroRows) {
  ExpectOpen(Put("e.plw", ""), 2);
  files.OpenClick();
  EXPECT_EQ(view.panels[kPanelPluCount], "0 PLU");
  ExpectOpen(Put("h.csv", W("Товары;\r\n\"Товар №\"\r\n")), 1);
  files.OpenClick();
  EXPECT_EQ(view.panels[kPanelPluCount], "0 PLU");
  // Saved again, the empty table stays empty.
  flags.MarkModified(true, false);
  files.SaveClick();
  const std::string saved = Slurp(Path("h.csv"));
  EXPECT_TRUE(saved.starts_with(W("Товары;\r\n\"Товар №\";")));
  EXPECT_EQ(std::count(saved.begin(), saved.end(), '\n'), 2);  // the headers alone
}

TEST_F(FileFlowsTest, OpenMessageFile) {
  messageCommands.Copy();
  TSortOptions options;
  messageCommands.ClickSort(0, options);
  const std::string path = Put("m.msw", W("\"x y\"\r\nb\r\n№,2,1\r\nНазвание,Бонус,\r\n"));
  ExpectOpen(path, 3);
  files.OpenClick();
  ASSERT_EQ(messages.Count(), 2);
  EXPECT_EQ(messages.Grid().Row(1), (Cells{"2", W("Бонус")}));
  EXPECT_EQ(messages.Grid().Row(2), (Cells{"1", " "}));
  EXPECT_EQ(messages.TextOf(2), "b");
  EXPECT_EQ(messages.LinesOf(1), std::vector<std::string>{"x y"});
  EXPECT_EQ(messageCommands.SortToggle(0), 1);
  EXPECT_EQ(messageCommands.SortToggle(1), 0);
  EXPECT_EQ(messageCommands.Buffer(), (MessageBuffer{W("Список 0"), ""}));
  EXPECT_EQ(fileState.messageFileName, path);
  EXPECT_FALSE(fileState.messageFileIsCsv);
  EXPECT_EQ(view.panels[kPanelMsgCount], "2 MSG");
  EXPECT_EQ(window.log, "msg-page ");
  EXPECT_EQ(messageEditor.shownName, W("Бонус"));
}

TEST_F(FileFlowsTest, PlainSaveKeepsTheFileAndItsFormat) {
  const std::string plw = Put("t.plw", W("7\r\nХлеб\r\n\r\n4550\r\n5\r\n125\r\n12\r\n3\r\n0\r\n"));
  ExpectOpen(plw, 2);
  files.OpenClick();
  plu.SetCell(kLogo, 1, "1 X");
  flags.MarkModified(true, false);
  EXPECT_TRUE(view.saveEnabled);
  files.SaveClick();  // no dialog
  EXPECT_EQ(Slurp(plw), W("7\r\nХлеб\r\n\r\n4550\r\n5\r\n125\r\n12\r\n3\r\n0\r\n"));
  EXPECT_FALSE(flags.PluTableModified());
  EXPECT_FALSE(view.saveEnabled);

  const std::string csv = Put("m.csv", W("Сообщения,\r\nN,M\r\n1,Один,a\r\n"));
  ExpectOpen(csv, 1);
  files.OpenClick();
  messages.Grid().SetCell(kMsgName, 1, W("Два слова"));
  flags.MarkModified(false, true);
  files.SaveClick();
  EXPECT_EQ(Slurp(csv), W("Сообщения;\r\n№;Название;\"Строка 1\"\r\n1;\"Два слова\";a\r\n"));
  // No temporary file of the save is left beside the target, whatever its name.
  for (const auto& entry : fs::directory_iterator(fs::path(csv).parent_path())) {
    EXPECT_EQ(entry.path().filename().string().find(fs::path(csv).filename().string() + ".saving"),
              std::string::npos)
        << entry.path();
  }
}

TEST_F(FileFlowsTest, WhenCommandsAsk) {
  // Nothing modified: Save, Open's offer, New and the close ask nothing.
  files.SaveClick();
  files.NewClick();
  EXPECT_TRUE(files.SaveOnClose());

  // Only the totals modified: New PLU / New message table ask nothing; Open, New data set and
  // the close ask, then offer the report dialog only.
  flags.SetTotalsModified(true);
  files.NewPluClick();
  files.NewMsgClick();
  ExpectAskSave(kButtonYes);
  ExpectSave(std::nullopt);
  dialogs.ExpectFile(FileDialogKind::Open, std::nullopt);
  files.OpenClick();
  ExpectAskSave(kButtonNo);
  files.NewClick();
  ExpectAskSave(kButtonYes);
  ExpectSave(Path("r.txt"));
  EXPECT_TRUE(files.SaveOnClose());
  EXPECT_FALSE(flags.TotalsModified());
  const FileDialogRequest& report = dialogs.FileRequests().back();
  EXPECT_EQ(Utf8(report.filter), "Текстовый файл|*.txt");
  EXPECT_EQ(report.fileName, "Итог");  // a file name, not a cell
  EXPECT_EQ(report.defaultExt, "txt");
  EXPECT_TRUE(Slurp(Path("r.txt")).starts_with(W("Общий итог продаж по 05.03.26, 09:07:03\r\n")));

  // The PLU table modified: New message table asks nothing, New PLU table asks.
  flags.MarkModified(true, false);
  files.NewMsgClick();
  ExpectAskSave(kButtonNo);
  files.NewPluClick();
  EXPECT_FALSE(flags.PluTableModified());
}

TEST_F(FileFlowsTest, SaveDialogsAndTheirAnswers) {
  LoadSomething();
  // The menu always asks; the proposed name drops the extension.
  ExpectSave(std::nullopt);
  files.SaveMenuClick(kSavePlu);
  EXPECT_EQ(Utf8(dialogs.FileRequests().back().filter),
            "CSV файл (совместимый с Excel)|*.csv|PLW файл (совместимый с ZO32)|*.plw");
  EXPECT_EQ(dialogs.FileRequests().back().fileName, Path("start"));
  // The cancelled dialog forgot the file, so the plain Save asks too (proposing "Товары").
  EXPECT_EQ(fileState.pluFileName, "");
  EXPECT_TRUE(flags.PluTableModified());
  ExpectSave(Path("new.csv"));
  files.SaveClick();  // the message table goes to its remembered file silently
  EXPECT_EQ(dialogs.FileRequests().back().fileName, "Товары");
  EXPECT_EQ(Slurp(Path("new.csv")), WritePluCsv(plu, ';'));
  EXPECT_EQ(Slurp(Path("start.msw")), WriteMessageNative(messages));
  EXPECT_FALSE(flags.Any());

  // The menu saves unmodified parts too, and the message dialog has its own filter.
  ExpectSave(Path("m2.csv"));
  files.SaveMenuClick(kSaveMessages);
  EXPECT_EQ(Utf8(dialogs.FileRequests().back().filter),
            "CSV файл (совместимый с Excel)|*.csv|MSW файл (совместимый с ZO32)|*.msw");
  EXPECT_TRUE(fileState.messageFileIsCsv);
  EXPECT_TRUE(Slurp(Path("m2.csv")).starts_with(W("Сообщения;\r\n")));
}

TEST_F(FileFlowsTest, ProposalsAreFileNamesAndACyrillicFileComesBackUnchanged) {
  // The default names reach the dialogs as file names, in the file system's encoding.
  for (int i = 0; i < 3; ++i) ExpectSave(std::nullopt);
  files.SaveMenuClick(kSaveAll);
  ASSERT_EQ(dialogs.FileRequests().size(), 3u);
  EXPECT_EQ(dialogs.FileRequests()[0].fileName, "Товары");
  EXPECT_EQ(dialogs.FileRequests()[1].fileName, "Сообщения");
  EXPECT_EQ(dialogs.FileRequests()[2].fileName, "Итог");

  // A file chosen with a Cyrillic name is loaded, proposed again as it was and saved under it.
  ExpectOpen(Put("Склад.csv", W("Товары;\r\nt\r\n5;Старый\r\n")), 1);
  files.OpenClick();
  ExpectSave(Path("Склад.csv"));
  files.SaveMenuClick(kSavePlu);
  EXPECT_EQ(dialogs.FileRequests().back().fileName, Path("Склад"));
  EXPECT_EQ(fileState.pluFileName, Path("Склад.csv"));
  EXPECT_EQ(Slurp(Path("Склад.csv")), WritePluCsv(plu, ';'));
}

TEST_F(FileFlowsTest, DecliningThePlwWarningEndsTheWholeSave) {
  LoadSomething();
  flags.SetTotalsModified(true);
  ExpectSave(Path("x.plw"), 2);
  dialogs.ExpectMessage("Информация о логотипе и итоги продаж не будут сохранены, продолжить?",
                        kButtonNo, "Подтвердите");
  files.SaveMenuClick(kSaveAll);  // no message or report dialog follows
  EXPECT_EQ(dialogs.Shown().back().icon, DialogIcon::Warning);
  EXPECT_TRUE(flags.PluTableModified());
  EXPECT_TRUE(flags.MessageTableModified());
  EXPECT_TRUE(flags.TotalsModified());
  EXPECT_EQ(fileState.pluFileName, "");
  EXPECT_FALSE(fs::exists(Path("x.plw")));

  ExpectSave(Path("x.plw"), 2);
  dialogs.ExpectMessage("Информация о логотипе и итоги продаж не будут сохранены, продолжить?",
                        kButtonYes);
  ExpectSave(std::nullopt);  // the report: its dialog is always shown
  files.SaveClick();
  EXPECT_EQ(Slurp(Path("x.plw")), WritePluNative(plu, nullptr));
  EXPECT_FALSE(fileState.pluFileIsCsv);
  EXPECT_FALSE(flags.PluTableModified());
}

TEST_F(FileFlowsTest, NewTables) {
  LoadSomething();
  ExpectAskSave(kButtonNo);
  files.NewClick();
  ASSERT_EQ(plu.DataRowCount(), 1);
  Cells fresh(kPluColumnCount);
  fresh[kPluNo] = "1";
  fresh[kMessageNo] = "0";
  EXPECT_EQ(plu.Row(1), fresh);
  EXPECT_TRUE(pluCommands.Buffer().empty());
  EXPECT_EQ(messages.Grid().Row(1), (Cells{"1", W("Список 1")}));
  EXPECT_EQ(messages.Texts(), std::vector<std::string>{""});
  EXPECT_EQ(fileState.pluFileName, "");
  EXPECT_EQ(fileState.messageFileName, "");
  EXPECT_TRUE(fileState.pluFileIsCsv);  // the format flag keeps its value
  EXPECT_FALSE(flags.Any());
  EXPECT_EQ(view.panels[kPanelPluCount], "1 PLU");
  EXPECT_EQ(view.panels[kPanelMsgCount], "1 MSG");
  EXPECT_FALSE(state.LinkBusy);
}

TEST_F(FileFlowsTest, BusyLinkHoldsOffOpenAndNewButNotTheTotalsSave) {
  LoadSomething();
  flags.SetTotalsModified(true);
  state.LinkBusy = true;
  files.OpenClick();
  files.NewClick();
  files.NewPluClick();
  files.NewMsgClick();
  EXPECT_EQ(plu.Cell(kName1, 1), W("Старый"));
  ExpectAskSave(kButtonYes);
  ExpectSave(Path("r.txt"));
  EXPECT_TRUE(files.SaveBeforeTotalsRead());
  EXPECT_TRUE(state.LinkBusy);  // the read that called it still holds the link
  EXPECT_FALSE(flags.TotalsModified());
  EXPECT_TRUE(flags.PluTableModified());
}

// The box of a failed read or write: what failed, the file, the system's message.
std::string ReadError(const std::string& path, std::errc code) {
  return "Не удалось прочитать файл \"" + path + "\":\n" + std::make_error_code(code).message();
}
std::string WriteError(const std::string& path, std::errc code) {
  return "Не удалось записать файл \"" + path + "\":\n" + std::make_error_code(code).message();
}

TEST_F(FileFlowsTest, BadFilesChangeNothing) {
  LoadSomething();
  std::string garbage(4096, '\0');
  std::mt19937 random(7);
  for (char& c : garbage) c = static_cast<char>(random());
  const std::string megabyteLine = std::string(1 << 20, 'z') + "\r\n";
  const std::string badFormat = "Неверный формат файла данных.";
  const std::string inFile = Path("start.csv") + "/x.csv";
  struct Case {
    std::string path;
    int filter;
    std::string error;
  };
  const std::vector<Case> cases = {
      {Put("g.csv", garbage), 1, badFormat},
      {Put("g.plw", garbage), 2, badFormat},
      {Put("g.msw", garbage), 3, badFormat},
      {Put("cut.csv", W("Товары;")), 1, badFormat},
      {Put("cut.msw", W("a\r\n")), 3, badFormat},
      {Put("long.csv", megabyteLine), 1, badFormat},
      // UTF-8 loads, but not with a broken sequence; nor does UTF-16, nor a quoted marker
      // without its separator.
      {Put("utf8.csv", "Товары;\r\nT\r\n1;\xC3\x28\r\n"), 1,
       badFormat + "\nСтрока 3: текст не в кодировке UTF-8."},
      {Put("utf16.csv", std::string("\xFF\xFE\x22\x04;\0\r\0\n\0", 10)), 1, badFormat},
      {Put("quoted.csv", W("\"Товары\"\r\nT\r\n1\r\n")), 1, badFormat},
      {Put("zero-byte.plw", std::string("1\r\nA\0B\r\n", 8)), 2, badFormat},
      // A message number no scale holds: a table would be sized by it.
      {Put("big.csv", W("Сообщения;\r\nN\r\n2000000000;x\r\n")), 1,
       "Номер сообщения 2000000000 в строке 1 больше максимально допустимого (1000)."},
      {Put("big.msw", W("a\r\n№,30000000\r\nНазвание,x\r\n")), 3,
       "Номер сообщения 30000000 в строке 1 больше максимально допустимого (1000)."},
      {Path("missing.csv"), 1,
       ReadError(Path("missing.csv"), std::errc::no_such_file_or_directory)},
      {dir.string(), 2, ReadError(dir.string(), std::errc::is_a_directory)},
      {inFile, 3, ReadError(inFile, kThroughAFile)},
  };
  const Snapshot before = Take();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    ExpectAskSave(kButtonNo);
    ExpectOpen(c.path, c.filter);
    ExpectError(c.error);
    files.OpenClick();
    EXPECT_TRUE(dialogs.AllConsumed());
    EXPECT_EQ(dialogs.Shown().back().icon, DialogIcon::Error);
    EXPECT_TRUE(Take() == before);
    EXPECT_FALSE(state.LinkBusy);
    EXPECT_EQ(view.panels[kPanelActivity], "Done.");
  }
}

TEST_F(FileFlowsTest, UnreadableFile) {
  LoadSomething();
  const std::string locked = Put("locked.csv", W("Товары;\r\nt\r\n1\r\n"));
  fs::permissions(locked, fs::perms::none);
  if (std::ifstream(locked)) GTEST_SKIP() << "unreadable files are readable for this user";
  const Snapshot before = Take();
  ExpectAskSave(kButtonNo);
  ExpectOpen(locked, 1);
  ExpectError(ReadError(locked, std::errc::permission_denied));
  files.OpenClick();
  EXPECT_TRUE(Take() == before);
  EXPECT_FALSE(state.LinkBusy);
}

TEST_F(FileFlowsTest, AMegabyteFieldLoads) {
  const std::string name(1 << 20, 'n');
  ExpectOpen(Put("big.csv", W("Товары;\r\nt\r\n1;") + name + "\r\n"), 1);
  files.OpenClick();
  EXPECT_EQ(plu.Cell(kName1, 1), name);
}

TEST_F(FileFlowsTest, FailedSaveKeepsTheOldFileAndTheData) {
  LoadSomething();
  plu.SetCell(kName1, 1, "changed");
  // The target turned into a directory, then a directory that does not exist.
  fs::create_directories(Path("adir"));
  for (auto [target, code] :
       {std::pair(Path("adir"), std::errc::is_a_directory),
        std::pair(Path("nodir/x.csv"), std::errc::no_such_file_or_directory)}) {
    SCOPED_TRACE(target);
    ExpectSave(target);
    ExpectError(WriteError(target, code));
    files.SaveMenuClick(kSaveAll);  // the message part is not reached
    EXPECT_EQ(dialogs.Shown().back().icon, DialogIcon::Error);
    EXPECT_TRUE(flags.PluTableModified());
    EXPECT_TRUE(flags.MessageTableModified());
    EXPECT_FALSE(state.LinkBusy);
    EXPECT_EQ(view.panels[kPanelActivity], "Done.");
  }
  EXPECT_TRUE(fs::is_directory(Path("adir")));
  EXPECT_TRUE(fs::is_empty(Path("adir")));

  // The table remembers the file it could not write; a New command that fails to save it
  // keeps the tables instead of discarding them.
  ExpectAskSave(kButtonYes);
  ExpectError(WriteError(Path("nodir/x.csv"), std::errc::no_such_file_or_directory));
  files.NewClick();
  EXPECT_EQ(plu.Cell(kName1, 1), "changed");
  EXPECT_EQ(messages.Grid().Cell(kMsgName, 1), W("Первое"));
  EXPECT_TRUE(flags.PluTableModified());
}

TEST_F(FileFlowsTest, SaveIntoReadOnlyDirectory) {
  LoadSomething();
  const std::string old = Slurp(Path("start.csv"));
  plu.SetCell(kName1, 1, "changed");
  // The old file stays as it was, and a New command after the failed save keeps the tables.
  fs::permissions(dir, fs::perms::owner_read | fs::perms::owner_exec);
  if (std::ofstream(dir / "probe")) {
    fs::permissions(dir, fs::perms::owner_all);
    GTEST_SKIP() << "read-only directories are writable for this user";
  }
  ExpectSave(Path("start.csv"));
  ExpectError(WriteError(Path("start.csv"), std::errc::permission_denied));
  files.SaveMenuClick(kSavePlu);
  EXPECT_EQ(Slurp(Path("start.csv")), old);
  ExpectAskSave(kButtonYes);
  ExpectError(WriteError(Path("start.csv"), std::errc::permission_denied));
  files.NewClick();
  EXPECT_EQ(plu.Cell(kName1, 1), "changed");
  EXPECT_TRUE(flags.PluTableModified());
}

TEST_F(FileFlowsTest, BytesTheFileCannotCarryAreShownAfterTheSave) {
  plu.SetCell(kName1, 1, "A\nB");  // as a name read from the scale may be
  flags.MarkModified(true, false);
  ExpectSave(Path("t.plw"), 2);
  dialogs.ExpectMessage("Информация о логотипе и итоги продаж не будут сохранены, продолжить?",
                        kButtonYes);
  dialogs.ExpectMessage(
      "Некоторые символы нельзя записать в файл этого типа (перевод строки, конец файла и "
      "другие управляющие). Они заменены пробелом:\nстрока 1, Наименование 1: 0x0A",
      kButtonOk, "Предупреждение");
  files.SaveClick();
  EXPECT_EQ(dialogs.Shown().back().icon, DialogIcon::Warning);
  EXPECT_FALSE(flags.PluTableModified());
  EXPECT_EQ(Slurp(Path("t.plw")).substr(0, 8), "1\r\nA B\r\n");
}

}  // namespace
}  // namespace qm
