// The file commands in the window: their buttons and menu entries, Open of the three kinds of
// file, Save in step with the modified flags, the New commands and the close with unsaved data.
#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>
#include <system_error>

#include "TablesFixture.h"
#include "base/Cp1251.h"
#include "tables/MessageTable.h"
#include "ui/files/MainFormFiles.h"
#include "ui/transfer/MainFormTransfers.h"
#include "ui/window/MainForm.h"

namespace qmtest {
namespace {

using qm::FileDialogAnswer;
using qm::FileDialogKind;
using qm::kButtonNo;
using qm::kButtonOk;
using qm::kButtonYes;

const char* const kAskSave = "Сохранить введенные данные?";
const char* const kCloseQuestion = "Вы хотите закончить работу?";

// A file of Windows-1251 bytes written from UTF-8 text.
void WriteFile(const QString& path, const std::string& utf8) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  const std::string bytes = qm::Win1251(utf8);
  file.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

// A file's bytes as UTF-8 text.
std::string ReadFile(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return "<missing>";
  const QByteArray bytes = file.readAll();
  return qm::Utf8(std::string(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

// Nine lines of a native PLU file for one row.
std::string PlwRow(int no, const std::string& name, int kopecks, int grams) {
  return std::to_string(no) + "\r\n" + name + "\r\n\r\n" + std::to_string(kopecks) + "\r\n5\r\n" +
         std::to_string(grams) + "\r\n100\r\n2\r\n1\r\n";
}

std::string WriteErrorText(const std::string& path, std::errc code) {
  return "Не удалось записать файл \"" + path + "\":\n" + std::make_error_code(code).message();
}

class FileCommandsTest : public TablesFixture {
 protected:
  qm::MainFormFiles& F() { return Form().FileControls(); }
  std::string Path(const char* name) {
    return dir_.filePath(QString::fromUtf8(name)).toStdString();
  }
  QString QPath(const char* name) { return dir_.filePath(QString::fromUtf8(name)); }
  bool SaveEnabled() { return Act(Cmd::Save)->isEnabled(); }
  // An edit of the current row's first name through the row editor, committed with Write.
  void EditName(const QString& name) {
    Retype(E().INEdit1, name);
    E().PLUWrite->click();
  }
  std::vector<std::string> MessageColumn(int column) {
    std::vector<std::string> out;
    for (int r = 1; r < MsgGrid().RowCount(); ++r)
      out.push_back(qm::Utf8(MsgGrid().Cell(column, r)));
    return out;
  }
  int Page() { return Form().Pages().PageControl->currentIndex(); }

  QTemporaryDir dir_;
};

TEST_F(FileCommandsTest, ButtonsAndMenuEntriesStandFirstWithTheirCaptionsHintsAndTags) {
  const QList<QAction*> bar = Form().Commands().Bar()->actions();
  ASSERT_GE(bar.size(), 4);
  EXPECT_EQ(bar[0], Act(Cmd::New));
  EXPECT_EQ(bar[1], Act(Cmd::Open));
  EXPECT_EQ(bar[2], Act(Cmd::Save));
  EXPECT_TRUE(bar[3]->isSeparator());
  const QStringList hints = {"Новый набор данных", "Открыть файл", "Сохранить данные"};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(bar[i]->toolTip(), hints[i]);
    EXPECT_EQ(bar[i]->data().toInt(), 0);
    // Each button shows an image: a fair share of its pixels is drawn.
    const QImage image = bar[i]->icon().pixmap(16, 16).toImage();
    int drawn = 0;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x) drawn += qAlpha(image.pixel(x, y)) > 0;
    EXPECT_GT(drawn, 60) << hints[i].toStdString();
  }

  const QList<QAction*> file = Form().Commands().Menu(Cmd::FileMenu)->actions();
  ASSERT_EQ(file.size(), 4);
  EXPECT_EQ(file[0]->text(), QStringLiteral("&Новый"));
  EXPECT_EQ(file[0]->menu(), Form().Commands().Menu(Cmd::FileNewMenu));
  EXPECT_EQ(file[1]->text(), QStringLiteral("&Открыть"));
  EXPECT_EQ(file[2]->text(), QStringLiteral("&Сохранить      "));
  EXPECT_EQ(file[2]->menu(), Form().Commands().Menu(Cmd::FileSaveMenu));
  EXPECT_EQ(file[3], Form().Commands().Action(Cmd::FileExit));
  for (QAction* entry : file) EXPECT_EQ(entry->data().toInt(), 0);

  const QList<QAction*> news = Form().Commands().Menu(Cmd::FileNewMenu)->actions();
  ASSERT_EQ(news.size(), 3);
  const QStringList newCaptions = {"&Набор данных", "&Таблица товаров", "Таблица &сообщений"};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(news[i]->text(), newCaptions[i]);
    EXPECT_EQ(news[i]->data().toInt(), 0);
  }
  const QList<QAction*> saves = Form().Commands().Menu(Cmd::FileSaveMenu)->actions();
  ASSERT_EQ(saves.size(), 4);
  const QStringList saveCaptions = {"&Все данные", "&Таблицу товаров", "Таблицу &сообщений",
                                    "&Общий итог продаж"};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(saves[i]->text(), saveCaptions[i]);
    EXPECT_EQ(saves[i]->data().toInt(), i);
  }
}

TEST_F(FileCommandsTest, SaveIsEnabledByAnEditAndDisabledBySaving) {
  EXPECT_FALSE(SaveEnabled());
  EditName(QStringLiteral("Cheese"));
  EXPECT_TRUE(SaveEnabled());

  dialogs_.ExpectFile(FileDialogKind::Save, FileDialogAnswer{Path("items.csv"), 1});
  Act(Cmd::Save)->trigger();
  dialogs_.VerifyDone();
  EXPECT_FALSE(SaveEnabled());
  const qm::FileDialogRequest& asked = dialogs_.FileRequests().back();
  EXPECT_EQ(asked.fileName, "Товары");  // a file name, not a cell
  EXPECT_EQ(asked.defaultExt, "csv");
  const std::string written = ReadFile(QPath("items.csv"));
  EXPECT_EQ(written.rfind("Товары", 0), 0u);
  EXPECT_NE(written.find("Cheese"), std::string::npos);

  // Nothing unsaved: Save asks nothing.
  F().SaveClick();
  dialogs_.VerifyDone();

  // The totals report from the menu, from the totals page as it stands, although nothing was
  // read; writing it leaves the button as the flags are.
  qm::TotalsPage shown = Form().Transfers().Totals();
  shown.sum = "12.50";
  Form().Transfers().ShowTotals(shown);
  dialogs_.ExpectFile(FileDialogKind::Save, FileDialogAnswer{Path("Итог.txt"), 1});
  Act(Cmd::FileSaveTotals)->trigger();
  dialogs_.VerifyDone();
  EXPECT_EQ(qm::Utf8(dialogs_.FileRequests().back().filter), "Текстовый файл|*.txt");
  const std::string report = ReadFile(QPath("Итог.txt"));
  EXPECT_EQ(report.rfind("Общий итог продаж по ", 0), 0u);
  EXPECT_NE(report.find("\r\nОбщая сумма: 12.50 руб.\r\n"), std::string::npos);
  EXPECT_FALSE(SaveEnabled());
}

TEST_F(FileCommandsTest, OpenFillsTheTablesFromEachKindOfFile) {
  // A PLU CSV written on a system whose list separator is ";".
  WriteFile(QPath("items.csv"),
            "Товары;\r\nNo;Name\r\n"
            "7;\"Молоко 3,2%\";;45.50;5;0.000;123;1;0;0;;;;\r\n"
            "9;Кефир;;30.00;7;0.000;124;1;0;0;;;;\r\n");
  dialogs_.ExpectFile(FileDialogKind::Open, FileDialogAnswer{Path("items.csv"), 1});
  Form().Pages().PageControl->setCurrentIndex(2);
  Act(Cmd::Open)->trigger();
  dialogs_.VerifyDone();
  const qm::FileDialogRequest& asked = dialogs_.FileRequests().back();
  EXPECT_EQ(qm::Utf8(asked.filter),
            "Файл данных (*.csv)|*.csv|Файл товаров (*.plw)|*.plw|Файл сообщений (*.msw)|*.msw");
  EXPECT_EQ(asked.filterIndex, 1);
  EXPECT_EQ(Column(qm::kPluNo), (std::vector<std::string>{"7", "9"}));
  EXPECT_EQ(Names(), (std::vector<std::string>{"Молоко 3,2%", "Кефир"}));
  EXPECT_EQ(Shown(qm::kName1)[0], "Молоко 3,2%");
  EXPECT_EQ(Page(), 0);
  EXPECT_EQ(E().INEdit1->text(), QStringLiteral("Молоко 3,2%"));
  EXPECT_EQ(Panel(qm::kPanelPluCount), QStringLiteral("2 PLU"));
  EXPECT_EQ(Panel(qm::kPanelActivity), QStringLiteral("Done."));
  EXPECT_EQ(T().Data().files.pluFileName, Path("items.csv"));
  EXPECT_FALSE(SaveEnabled());

  // A native PLU file, by its filter: prices in kopecks and tares in grams.
  WriteFile(QPath("goods.plw"), PlwRow(12, "Хлеб", 4550, 125) + PlwRow(13, "Батон", 2900, 0) +
                                    PlwRow(14, "Сушки", 10000, 1500));
  dialogs_.ExpectFile(FileDialogKind::Open, FileDialogAnswer{Path("goods.plw"), 2});
  Act(Cmd::FileOpen)->trigger();
  dialogs_.VerifyDone();
  EXPECT_EQ(Names(), (std::vector<std::string>{"Хлеб", "Батон", "Сушки"}));
  EXPECT_EQ(Column(qm::kPrice), (std::vector<std::string>{"45.50", "29.00", "100.00"}));
  EXPECT_EQ(Column(qm::kTare), (std::vector<std::string>{"0.125", "0", "1.500"}));
  EXPECT_EQ(Panel(qm::kPanelPluCount), QStringLiteral("3 PLU"));
  EXPECT_EQ(E().INEdit1->text(), QStringLiteral("Хлеб"));

  // A native message file; its number and name lines are in name order, the texts in number
  // order, and each message keeps its own text.
  WriteFile(QPath("notes.msw"),
            "\"Первая строка\",Вторая\r\nТекст2\r\n№,2,1\r\nНазвание,Акция,Скидка\r\n");
  dialogs_.ExpectFile(FileDialogKind::Open, FileDialogAnswer{Path("notes.msw"), 3});
  Act(Cmd::Open)->trigger();
  dialogs_.VerifyDone();
  EXPECT_EQ(MessageColumn(qm::kMsgNo), (std::vector<std::string>{"2", "1"}));
  EXPECT_EQ(MessageColumn(qm::kMsgName), (std::vector<std::string>{"Акция", "Скидка"}));
  EXPECT_EQ(
      T().Messages().Texts(),
      (std::vector<std::string>{qm::Win1251("\"Первая строка\",Вторая"), qm::Win1251("Текст2")}));
  EXPECT_EQ(Page(), 1);
  EXPECT_EQ(M().MsgRichEdit->toPlainText(), QStringLiteral("Текст2"));  // row 1 is message 2
  EXPECT_EQ(Panel(qm::kPanelMsgCount), QStringLiteral("2 MSG"));
  EXPECT_EQ(Panel(qm::kPanelPluCount), QStringLiteral("3 PLU"));  // the PLU table is untouched
  EXPECT_EQ(T().Data().files.messageFileName, Path("notes.msw"));
  EXPECT_FALSE(SaveEnabled());

  // Cancelling the dialog changes nothing.
  dialogs_.ExpectFile(FileDialogKind::Open, std::nullopt);
  Act(Cmd::Open)->trigger();
  dialogs_.VerifyDone();
  EXPECT_EQ(Names().size(), 3u);
  EXPECT_EQ(MessageColumn(qm::kMsgName).size(), 2u);
}

TEST_F(FileCommandsTest, SaveAfterANativeLoadWritesTheSameNativeFileWithoutADialog) {
  WriteFile(QPath("goods.plw"), PlwRow(12, "Хлеб", 4550, 125));
  dialogs_.ExpectFile(FileDialogKind::Open, FileDialogAnswer{Path("goods.plw"), 2});
  Act(Cmd::Open)->trigger();
  dialogs_.VerifyDone();

  EditName(QStringLiteral("Rye"));
  ASSERT_TRUE(SaveEnabled());
  Act(Cmd::Save)->trigger();  // no dialog expected
  dialogs_.VerifyDone();
  EXPECT_FALSE(SaveEnabled());
  EXPECT_EQ(ReadFile(QPath("goods.plw")), PlwRow(12, "Rye", 4550, 125));
}

TEST_F(FileCommandsTest, NewAsksToSaveOnlyWhatIsUnsaved) {
  SetPluRows({{"5", "Чай"}, {"6", "Кофе"}});
  SetMessages({{"Акция", "Текст"}, {"Скидка", ""}});
  // Nothing unsaved: no question, both tables start afresh.
  Act(Cmd::New)->trigger();
  dialogs_.VerifyDone();
  EXPECT_EQ(Column(qm::kPluNo), (std::vector<std::string>{"1"}));
  EXPECT_EQ(Column(qm::kMessageNo), (std::vector<std::string>{"0"}));
  EXPECT_EQ(MessageColumn(qm::kMsgName), (std::vector<std::string>{"Список 1"}));
  EXPECT_EQ(Panel(qm::kPanelPluCount), QStringLiteral("1 PLU"));
  EXPECT_EQ(Panel(qm::kPanelMsgCount), QStringLiteral("1 MSG"));

  // An edit: asked; No discards it and the button goes off.
  EditName(QStringLiteral("Juice"));
  ASSERT_TRUE(SaveEnabled());
  dialogs_.ExpectMessage(kAskSave, kButtonNo, "Подтвердите");
  Act(Cmd::FileNewDataSet)->trigger();
  dialogs_.VerifyDone();
  EXPECT_EQ(Names(), (std::vector<std::string>{""}));
  EXPECT_FALSE(SaveEnabled());

  // Only the totals unsaved: the new PLU table asks nothing and Save stays on; a new data set
  // asks and offers only the report.
  T().Flags().SetTotalsModified(true);
  Act(Cmd::FileNewPlu)->trigger();
  dialogs_.VerifyDone();
  EXPECT_TRUE(SaveEnabled());
  dialogs_.ExpectMessage(kAskSave, kButtonYes).ExpectFile(FileDialogKind::Save, std::nullopt);
  Act(Cmd::New)->trigger();
  dialogs_.VerifyDone();
  EXPECT_EQ(dialogs_.FileRequests().back().fileName, "Итог");
  EXPECT_TRUE(SaveEnabled());
}

TEST_F(FileCommandsTest, ABadFileShowsTheErrorAndLeavesTheTablesAsTheyWere) {
  SetPluRows({{"5", "Чай"}, {"6", "Кофе"}});
  EditName(QStringLiteral("Honey"));
  const std::vector<std::string> before = Names();
  WriteFile(QPath("other.csv"), "Прайс;\r\nNo;Name\r\n1;Хлеб\r\n");

  dialogs_.ExpectMessage(kAskSave, kButtonNo)
      .ExpectFile(FileDialogKind::Open, FileDialogAnswer{Path("other.csv"), 1})
      .ExpectMessage("Неверный формат файла данных.", kButtonOk, "Ошибка");
  Act(Cmd::Open)->trigger();
  dialogs_.VerifyDone();
  EXPECT_EQ(Names(), before);
  EXPECT_EQ(Panel(qm::kPanelPluCount), QStringLiteral("2 PLU"));
  EXPECT_EQ(Panel(qm::kPanelActivity), QStringLiteral("Done."));
  EXPECT_TRUE(T().Data().files.pluFileName.empty());
  EXPECT_TRUE(SaveEnabled());  // the edit is still unsaved
  EXPECT_FALSE(Form().State().LinkBusy);
}

TEST_F(FileCommandsTest, ALongNativeLoadKeepsTheWindowHandlingEvents) {
  constexpr int kRows = 4000;
  std::string text;
  for (int no = 1; no <= kRows; ++no) text += PlwRow(no, "Товар", no, 0);
  WriteFile(QPath("big.plw"), text);
  dialogs_.ExpectFile(FileDialogKind::Open, FileDialogAnswer{Path("big.plw"), 2});

  // A timer that is always due fires whenever the window handles its events. Its first firing
  // during the load also clicks the commands the operator might click meanwhile: none may
  // start while the load holds the link (an unexpected dialog would fail the test).
  int ticksWhileLoading = 0;
  QTimer probe;
  probe.setInterval(0);
  QObject::connect(&probe, &QTimer::timeout, [&] {
    if (!Form().State().LinkBusy) return;
    if (ticksWhileLoading++ == 0) {
      Act(Cmd::Open)->trigger();
      Act(Cmd::New)->trigger();
      Act(Cmd::FileSaveAll)->trigger();
    }
  });
  probe.start();
  Act(Cmd::Open)->trigger();
  probe.stop();
  dialogs_.VerifyDone();

  EXPECT_GE(ticksWhileLoading, kRows / qm::kRowsPerEventStep / 2);
  EXPECT_EQ(Plu().RowCount() - 1, kRows);
  EXPECT_EQ(Panel(qm::kPanelPluCount), QStringLiteral("4000 PLU"));
  EXPECT_EQ(Plu().Cell(qm::kPrice, kRows), "40.00");
  EXPECT_FALSE(Form().State().LinkBusy);
}

// The close with unsaved data, against a window that has a settings key.
class FileCloseTest : public testing::Test {
 protected:
  void SetUp() override {
    settings_ = FreshSettingsFile();
    QSettings ini(settings_, QSettings::IniFormat);
    ini.setValue("Settings/Scale Address", "7");
    ini.sync();
  }
  std::string Path(const char* name) {
    return dir_.filePath(QString::fromUtf8(name)).toStdString();
  }
  QString StoredWidth() {
    QSettings ini(settings_, QSettings::IniFormat);
    return ini.value("Settings/Form Width").toString();
  }

  ScriptedDialogs dialogs_;
  QTemporaryDir dir_;
  QString settings_;
};

TEST_F(FileCloseTest, UnsavedDataIsOfferedAndAFailedWriteKeepsTheWindowOpen) {
  qm::TMainForm form;
  form.SetDialogs(&dialogs_);
  form.show();
  ASSERT_TRUE(form.State().SettingsKeyPresent);
  form.Tables().PluTable().SetCell(qm::kName1, 1, qm::Win1251("Сахар"));
  form.Tables().Flags().MarkModified(true, false);

  // The file cannot be written: the error is shown, the window stays with its data and its
  // timer, and no settings are written.
  const std::string lost = Path("missing/items.csv");
  dialogs_.ExpectMessage(kCloseQuestion, kButtonYes)
      .ExpectMessage(kAskSave, kButtonYes)
      .ExpectFile(FileDialogKind::Save, FileDialogAnswer{lost, 1})
      .ExpectMessage(WriteErrorText(lost, std::errc::no_such_file_or_directory), kButtonOk,
                     "Ошибка");
  EXPECT_FALSE(form.close());
  dialogs_.VerifyDone();
  EXPECT_TRUE(form.isVisible());
  EXPECT_TRUE(form.Timer().isActive());
  EXPECT_TRUE(form.Commands().Action(Cmd::Save)->isEnabled());
  EXPECT_EQ(form.Tables().PluTable().Cell(qm::kName1, 1), qm::Win1251("Сахар"));
  EXPECT_TRUE(StoredWidth().isEmpty());

  // Once the folder is there, the next close asks again, saves to the file chosen before and
  // goes on to the settings.
  ASSERT_TRUE(QDir(dir_.path()).mkdir(QStringLiteral("missing")));
  dialogs_.ExpectMessage(kCloseQuestion, kButtonYes).ExpectMessage(kAskSave, kButtonYes);
  EXPECT_TRUE(form.close());
  dialogs_.VerifyDone();
  EXPECT_NE(ReadFile(QString::fromStdString(lost)).find("Сахар"), std::string::npos);
  EXPECT_FALSE(form.Tables().Flags().Any());
  EXPECT_EQ(StoredWidth(), QStringLiteral("640"));
}

TEST_F(FileCloseTest, DecliningToSaveStillCloses) {
  qm::TMainForm form;
  form.SetDialogs(&dialogs_);
  form.show();
  form.Tables().Flags().MarkModified(false, true);
  dialogs_.ExpectMessage(kCloseQuestion, kButtonYes).ExpectMessage(kAskSave, kButtonNo);
  EXPECT_TRUE(form.close());
  dialogs_.VerifyDone();
  EXPECT_EQ(StoredWidth(), QStringLiteral("640"));
}

}  // namespace
}  // namespace qmtest
