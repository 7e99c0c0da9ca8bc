// The scale transfers in the real main window, offscreen, against the virtual scale on a
// pseudo-terminal reached through QM_PORTS: every tool button and menu entry reaching its
// transfer with its tag, the totals page, the window refusing operator input while a transfer
// runs (but for Connect), closing the window during a transfer, boxes above the progress window,
// and a scale that falls silent mid-read.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QToolBar>
#include <cstdio>
#include <fstream>
#include <set>

#include "UiTestHelpers.h"
#include "base/Cp1251.h"
#include "base/StatusView.h"
#include "sim/VirtualScale.h"
#include "support/ScaleBytes.h"
#include "support/ScriptedDialogs.h"
#include "tables/CommaText.h"
#include "tables/PluColumns.h"
#include "ui/link/MainFormLink.h"
#include "ui/tables/MessageEditor.h"
#include "ui/tables/PluRowEditor.h"
#include "ui/tables/TSortGrid.h"
#include "ui/tables/TablesWindow.h"
#include "ui/transfer/MainFormTransfers.h"
#include "ui/transfer/TotalsView.h"
#include "ui/window/CommandMap.h"
#include "ui/window/MainForm.h"
#include "ui/window/QtDialogs.h"
#include "ui/window/QtStatusView.h"
#include "ui/window/TProgressBox.h"

namespace qm {
namespace {

using qmsim::Bytes;
using qmtest::Ascii;
using qmtest::Cat;
using qmtest::Le;

const char* const kLinkError = "Ошибка связи с весами.";

// ---- Wire bytes written out by hand ----

// The 83 bytes the write sends (and the start of the 100 the read gets): number, item code 7,
// name line 1, empty line 2, price in kopecks, shelf life of 5 days, tare in grams, no group, no
// message.
Bytes PluBytes(std::uint32_t number, std::string_view name, std::uint32_t kopecks,
               std::uint32_t grams) {
  return Cat({Le(number, 4), Bytes{7, 0, 0, 0, 0, 0}, Ascii(name, 28), Bytes(28, 0), Le(kopecks, 4),
              Bytes{0, 0, 5}, Le(grams, 2), Bytes(6, 0), Le(0, 2)});
}
Bytes PluReply(std::uint32_t number, std::string_view name, std::uint32_t kopecks) {
  return Cat({PluBytes(number, name, kopecks, 0), Bytes(17, 0)});
}
// A message block: the lines in 50-byte slots, 8 slots.
Bytes MessageBytes(std::initializer_list<std::string_view> lines) {
  Bytes out;
  for (std::string_view line : lines) {
    const Bytes slot = Ascii(line, 50);
    out.insert(out.end(), slot.begin(), slot.end());
  }
  out.resize(400, 0);
  return out;
}

// Message boxes and the number input from the script, the progress window the window's own, so
// that its Cancel button and the shell's cancel on close are the real ones. Records whether the
// progress window was visible when each box showed.
class WindowProgressDialogs : public Dialogs {
 public:
  WindowProgressDialogs(qmtest::ScriptedDialogs& script, TMainForm& form)
      : script_(script), real_(&form) {
    form.CreateAuxWindows();
    box_ = form.ProgressBox();
    real_.AttachProgressBox(box_);
  }
  DialogButton ShowMessage(const MessageBoxRequest& request) override {
    progressShownAtBox.push_back(box_->isVisible());
    return script_.ShowMessage(request);
  }
  std::optional<std::string> InputLine(const std::string& caption, const std::string& prompt,
                                       const std::string& defaultText) override {
    return script_.InputLine(caption, prompt, defaultText);
  }
  void ShowProgress(const std::string& title, const std::string& doneLabel, int total,
                    int start) override {
    ++shows;
    real_.ShowProgress(title, doneLabel, total, start);
  }
  bool StepProgress(int position) override { return real_.StepProgress(position); }
  void HideProgress() override { real_.HideProgress(); }
  std::optional<FileDialogAnswer> ChooseFile(const FileDialogRequest& request) override {
    return script_.ChooseFile(request);
  }

  std::vector<bool> progressShownAtBox;
  int shows = 0;

 private:
  qmtest::ScriptedDialogs& script_;
  QtDialogs real_;
  TProgressBox* box_;
};

class TransferWindowTest : public testing::Test, protected qmtest::WindowScale {
 protected:
  void SetUp() override {
    qmtest::FreshSettingsFile();
    form_ = std::make_unique<TMainForm>();
    form_->SetDialogs(&dialogs);
    form_->show();
    form_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form_.get()));
  }
  void TearDown() override {
    if (form_ && form_->isVisible()) {
      dialogs.ExpectMessage("Вы хотите закончить работу?", kButtonYes);
      // What a test read is unsaved; the close offers to save it.
      if (form_->Tables().Flags().Any()) {
        dialogs.ExpectMessage("Сохранить введенные данные?", kButtonNo);
      }
      form_->close();
    }
    form_.reset();
    window_.reset();
  }

  // The window's own progress window from now on, message boxes still from the script.
  WindowProgressDialogs& UseWindowProgress() {
    window_ = std::make_unique<WindowProgressDialogs>(dialogs, *form_);
    form_->SetDialogs(window_.get());
    return *window_;
  }

  TMainForm& Form() { return *form_; }
  MainFormTransfers& X() { return form_->Transfers(); }
  QAction* Act(Cmd id) { return form_->Commands().Action(id); }
  TablesWindow& T() { return form_->Tables(); }
  TextGrid& Plu() { return T().PluTable(); }
  QString Panel(int panel) { return form_->StatusBarView().PanelText(panel); }

  // PLU rows with these numbers and names; the other item cells hold valid values.
  void SetPluRows(const std::vector<std::pair<std::string, std::string>>& rows) {
    std::vector<Cells> cells;
    for (const auto& [no, name] : rows) {
      Cells r(kPluColumnCount);
      r[kPluNo] = no;
      r[kName1] = name;
      r[kPrice] = "1.50";
      r[kShelfLife] = "5";
      r[kTare] = "0.250";
      r[kItemCode] = "7";
      r[kGroupCode] = "0";
      r[kMessageNo] = "0";
      r[kLogo] = "0";
      cells.push_back(r);
    }
    Plu().ReplaceDataRows(cells);
  }
  std::vector<std::string> Column(int column) {
    std::vector<std::string> out;
    for (int r = 1; r < Plu().RowCount(); ++r) out.push_back(Utf8(Plu().Cell(column, r)));
    return out;
  }
  void SetMessages(const std::vector<std::vector<std::string>>& texts) {
    std::vector<Cells> rows;
    std::vector<std::string> comma;
    for (std::size_t i = 0; i < texts.size(); ++i) {
      rows.push_back({std::to_string(i + 1), "L" + std::to_string(i + 1)});
      comma.push_back(ToCommaText(texts[i]));
    }
    T().Messages().Grid().ReplaceDataRows(rows);
    T().Messages().Texts() = comma;
  }
  // After a read that a fault of the line ended once two records were in: the two rows stay,
  // the link is closed, and later ticks bring no second report (two boxes in all).
  void ExpectTwoRowsReadAndReportedOnce() {
    EXPECT_EQ(Column(kPluNo), (std::vector<std::string>{"1", "2"}));
    EXPECT_FALSE(Form().State().LinkBusy);
    EXPECT_FALSE(Form().LinkControls().ComPort().Connected());
    int ticks = 0;
    const QMetaObject::Connection counting =
        QObject::connect(&Form(), &TMainForm::TimerTick, [&] { ++ticks; });
    EXPECT_TRUE(qmtest::PumpUntil([&] { return ticks >= 12; }));
    QObject::disconnect(counting);
    EXPECT_EQ(dialogs.Shown().size(), 2u);
  }
  // Puts PLUs 1..n on the scale, named "ITEM n", priced n roubles.
  void StockPlus(int n) {
    for (int k = 1; k <= n; ++k) {
      scale.SetPlu(k, PluReply(k, "ITEM " + std::to_string(k), 100u * k));
    }
  }

  qmtest::ScriptedDialogs dialogs;  // before the window: it outlives it
  std::unique_ptr<TMainForm> form_;
  std::unique_ptr<WindowProgressDialogs> window_;
};

// ---- The command map ----

TEST_F(TransferWindowTest, ButtonsFollowTheConnectDividerWithTheirHintsTagsAndOwnImages) {
  const QList<QAction*> bar = Form().Commands().Bar()->actions();
  const qsizetype connectAt = bar.indexOf(Form().Commands().Action(Cmd::Connect));
  ASSERT_GE(connectAt, 0);
  struct Expected {
    const char* name;  // nullptr: a divider
    const char* hint;
    int tag;
  };
  const Expected expected[] = {{nullptr, nullptr, 0},
                               {"ReadOnePlu", "Чтение данных PLU", 1},
                               {"ReadAllPLU", "Чтение таблицы товаров", 0},
                               {"WriteOnePLU", "Запись данных PLU", 1},
                               {"WriteAllPLU", "Запись таблицы товаров", 0},
                               {nullptr, nullptr, 0},
                               {"ReadOneMessage", "Чтение текущего сообщения", 1},
                               {"ReadAllMessages", "Чтение всех сообщений", 0},
                               {"WriteOneMessage", "Запись текущего сообщения", 1},
                               {"WriteAllMessages", "Запись всех сообщений", 0},
                               {nullptr, nullptr, 0},
                               {"ReadGTD", "Считать общий итог", 0},
                               {"ClearGTD", "Стереть общий итог", 0},
                               {nullptr, nullptr, 0}};
  ASSERT_GE(bar.size(), connectAt + 1 + static_cast<qsizetype>(std::size(expected)));
  std::set<QByteArray> images;
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    QAction* action = bar[connectAt + 1 + static_cast<qsizetype>(i)];
    SCOPED_TRACE(i);
    if (!expected[i].name) {
      EXPECT_TRUE(action->isSeparator());
      continue;
    }
    EXPECT_EQ(action->objectName(), QString::fromLatin1(expected[i].name));
    EXPECT_EQ(action->toolTip(), QString::fromUtf8(expected[i].hint));
    EXPECT_EQ(action->data().toInt(), expected[i].tag);
    const QImage image = action->icon().pixmap(16, 16).toImage();
    ASSERT_FALSE(image.isNull());
    // Not blank: some pixel is drawn.
    bool drawn = false;
    for (int y = 0; y < image.height() && !drawn; ++y)
      for (int x = 0; x < image.width() && !drawn; ++x) drawn = qAlpha(image.pixel(x, y)) > 0;
    EXPECT_TRUE(drawn);
    images.insert(QByteArray(reinterpret_cast<const char*>(image.constBits()),
                             static_cast<int>(image.sizeInBytes())));
  }
  EXPECT_EQ(images.size(), 10u) << "every button has an image of its own";
}

TEST_F(TransferWindowTest, MenusStandBetweenCheckAndInformationWithCaptionsAndTags) {
  QStringList titles;
  for (QAction* a : Form().menuBar()->actions()) titles << a->text();
  const qsizetype read = titles.indexOf(QStringLiteral("&Чтение"));
  ASSERT_GE(read, 1) << titles.join('|').toStdString();
  EXPECT_EQ(titles[read - 1], QStringLiteral("&Проверка"));
  ASSERT_LT(read + 2, titles.size());
  EXPECT_EQ(titles[read + 1], QStringLiteral("&Запись"));
  EXPECT_EQ(titles[read + 2], QStringLiteral("&Информация"));

  // `changed`: the entry of the write of changed rows, between the two.
  auto check = [](QMenu* menu, const char* caption, const char* whole, const char* current,
                  const char* changed = nullptr) {
    SCOPED_TRACE(caption);
    EXPECT_EQ(menu->title(), QString::fromUtf8(caption));
    QList<QAction*> entries = menu->actions();
    ASSERT_EQ(entries.size(), changed ? 3 : 2);
    if (changed) {
      EXPECT_EQ(entries.takeAt(1)->text(), QString::fromUtf8(changed));
    }
    EXPECT_EQ(entries[0]->text(), QString::fromUtf8(whole));
    EXPECT_EQ(entries[0]->data().toInt(), 0);
    EXPECT_EQ(entries[1]->text(), QString::fromUtf8(current));
    EXPECT_EQ(entries[1]->data().toInt(), 1);
  };
  const QList<QAction*> readMenus = Form().Commands().Menu(Cmd::ReadMenu)->actions();
  ASSERT_EQ(readMenus.size(), 2);
  check(readMenus[0]->menu(), "&Товаров       ", "Всей &таблицы", "Текущей &строки");
  check(readMenus[1]->menu(), "&Сообщений      ", "&Всех", "&Текущего");
  const QList<QAction*> writeMenus = Form().Commands().Menu(Cmd::WriteMenu)->actions();
  ASSERT_EQ(writeMenus.size(), 2);
  check(writeMenus[0]->menu(), "&Товаров   ", "&Всей таблицы", "&Текущей строки",
        "Записать &изменённые товары");
  check(writeMenus[1]->menu(), "&Сообщений      ", "&Всех", "&Текущего");
}

// ---- PLU transfers ----

TEST_F(TransferWindowTest, ReadOnePluFromButtonAndMenuReplacesTheCurrentRow) {
  scale.SetPlu(5, PluReply(5, "APPLES", 12345));
  scale.SetPlu(7, PluReply(7, "PEARS", 0));
  SetPluRows({{"1", "A"}, {"2", "B"}, {"3", "C"}});
  Plu().MoveToCell(0, 2);

  dialogs.ExpectInput("Введите номер PLU:", std::string("5"));
  Act(Cmd::ReadOnePlu)->trigger();
  EXPECT_EQ(dialogs.lastInputDefault, "2");
  EXPECT_EQ(Column(kPluNo), (std::vector<std::string>{"1", "5", "3"}));
  EXPECT_EQ(Column(kName1)[1], "APPLES");
  EXPECT_EQ(Column(kPrice)[1], "123.45");
  EXPECT_EQ(Form().Pages().PageControl->currentIndex(), kPluPage);
  EXPECT_EQ(T().PluEditor().PNMemo->text(), QStringLiteral("5"));
  EXPECT_EQ(T().PluEditor().INEdit1->text(), QStringLiteral("APPLES"));

  // The menu entry, with the "Товар" page already in front: the editor still follows the row.
  dialogs.ExpectInput("Введите номер PLU:", std::string("7"));
  Act(Cmd::ReadPluRow)->trigger();
  EXPECT_EQ(Column(kPluNo), (std::vector<std::string>{"1", "7", "3"}));
  EXPECT_EQ(Column(kPrice)[1], "0");
  EXPECT_EQ(T().PluEditor().PNMemo->text(), QStringLiteral("7"));
  EXPECT_EQ(T().PluEditor().INEdit1->text(), QStringLiteral("PEARS"));
  EXPECT_EQ(Panel(kPanelPluCount), QStringLiteral("3 PLU"));
  EXPECT_EQ(Panel(kPanelActivity), QStringLiteral("Done."));
  EXPECT_FALSE(Form().State().LinkBusy);
  EXPECT_FALSE(Form().LinkControls().ComPort().Connected()) << "the link it opened is closed";
}

TEST_F(TransferWindowTest, ReadPluTableFromButtonAndMenuReadsOnToTheLastNumber) {
  scale.SetPlu(1, PluReply(1, "ONE", 100));
  scale.SetPlu(3, PluReply(3, "THREE", 300));
  Form().Pages().PageControl->setCurrentIndex(kTotalsPage);

  dialogs.ExpectInput("Введите номер последней строки PLU:", std::string("3"));
  dialogs.ExpectMessage("Таблица товаров считана.", kButtonOk, "Завершено");
  Act(Cmd::ReadAllPLU)->trigger();
  EXPECT_EQ(Column(kPluNo), (std::vector<std::string>{"1", "3"}));
  EXPECT_EQ(Column(kName1), (std::vector<std::string>{"ONE", "THREE"}));
  EXPECT_EQ(Panel(kPanelPluCount), QStringLiteral("2 PLU"));
  EXPECT_EQ(Form().Pages().PageControl->currentIndex(), kPluPage);
  ASSERT_FALSE(dialogs.Progress().empty());
  EXPECT_EQ(dialogs.Progress().front().title, "Чтение таблицы товаров...");
  EXPECT_EQ(dialogs.Progress().back().kind, qmtest::ProgressEvent::Hide);

  // Two rows: the menu entry starts at PLU 2 and goes into the last row, then appends.
  scale.SetPlu(4, PluReply(4, "FOUR", 400));
  dialogs.ExpectInput("Введите номер последней строки PLU:", std::string("4"));
  dialogs.ExpectMessage("Таблица товаров считана.", kButtonOk, "Завершено");
  Act(Cmd::ReadPluTable)->trigger();
  EXPECT_EQ(Column(kPluNo), (std::vector<std::string>{"1", "3", "4"}));
  EXPECT_TRUE(T().Flags().PluTableModified());
}

// The frames in the scale's trace file `path` once `exchanges` exchanges have ended since its
// log was cleared, time stamps cut off ("< 01", "> AA", ...).
std::vector<std::string> TracedFrames(const qmsim::VirtualScale& scale, const std::string& path,
                                      std::size_t exchanges) {
  EXPECT_TRUE(scale.WaitForExchanges(exchanges, std::chrono::seconds(2)));
  std::ifstream file(path);
  std::vector<std::string> frames;
  for (std::string line; std::getline(file, line);) {
    const std::size_t stamp = line.find("] ");
    frames.push_back(stamp == std::string::npos ? line : line.substr(stamp + 2));
  }
  return frames;
}

// The frames of one PLU write as the scale's trace shows them.
std::vector<std::string> PluWriteFrames(const Bytes& record) {
  std::string data = "<";
  for (std::uint8_t b : record) {
    char hex[4];
    std::snprintf(hex, sizeof hex, " %02X", b);
    data += hex;
  }
  return {"< 01", "> 01", "> 80", "< 82", data, "> AA"};
}

TEST_F(TransferWindowTest, WriteCurrentRowAndTableSendTheRowsBytes) {
  SetPluRows({{"12", "PEARS"}, {"13", "PLUMS"}});
  Plu().MoveToCell(0, 1);
  const std::string trace = testing::TempDir() + "qm-window-write-trace.txt";

  // On the line: one exchange with the current row's record, nothing else.
  scale.TraceTo(trace);
  scale.ClearLog();
  dialogs.ExpectMessage("Записать текущую строку?", kButtonYes, "Подтвердите");
  dialogs.ExpectMessage("Строка записана.", kButtonOk, "Завершено");
  Act(Cmd::WriteOnePLU)->trigger();
  EXPECT_EQ(TracedFrames(scale, trace, 1), PluWriteFrames(PluBytes(12, "PEARS", 150, 250)));

  // The table: every row in its order.
  scale.TraceTo(trace);
  scale.ClearLog();
  dialogs.ExpectMessage("Записать таблицу товаров?", kButtonYes, "Подтвердите");
  dialogs.ExpectMessage("Таблица товаров записана.", kButtonOk, "Завершено");
  Act(Cmd::WritePluTable)->trigger();
  std::vector<std::string> both = PluWriteFrames(PluBytes(12, "PEARS", 150, 250));
  for (const std::string& frame : PluWriteFrames(PluBytes(13, "PLUMS", 150, 250)))
    both.push_back(frame);
  EXPECT_EQ(TracedFrames(scale, trace, 2), both);
  EXPECT_FALSE(T().Flags().PluTableModified()) << "writing changes nothing in the table";
}

TEST_F(TransferWindowTest, WriteSettlesAPendingEditOfTheRowEditorFirst) {
  SetPluRows({{"12", "PEARS"}});
  Form().Pages().PageControl->setCurrentIndex(kPluPage);
  QLineEdit* name = T().PluEditor().INEdit1;
  // With the window active, and with another window active (the focus then moves only inside
  // the window, without the window being told).
  QWidget elsewhere;
  for (const char* typed : {"FIGS", "DATES"}) {
    SCOPED_TRACE(typed);
    name->setFocus(Qt::OtherFocusReason);
    QCoreApplication::processEvents();
    ASSERT_EQ(QApplication::focusWidget(), name);
    if (std::string(typed) == "DATES") {
      elsewhere.show();
      elsewhere.activateWindow();
      ASSERT_TRUE(QTest::qWaitForWindowActive(&elsewhere));
    }
    name->selectAll();
    QTest::keyClicks(name, typed);
    ASSERT_TRUE(T().PluEditor().PluDirty());

    dialogs.ExpectMessage("Записать текущую строку?", kButtonYes);
    dialogs.ExpectMessage("Данные были изменены, сохранить?", kButtonYes);
    dialogs.ExpectMessage("Строка записана.", kButtonOk);
    Act(Cmd::WriteOnePLU)->trigger();
    EXPECT_TRUE(dialogs.AllConsumed());
    const std::optional<Bytes> written = scale.Plu(12);
    ASSERT_TRUE(written.has_value());
    EXPECT_EQ(Bytes(written->begin() + 10, written->begin() + 38), Ascii(typed, 28));
  }
}

// ---- Messages ----

TEST_F(TransferWindowTest, MessagesReadAndWriteFromButtonsAndMenus) {
  scale.SetMessage(1, MessageBytes({"FIRST"}));
  scale.SetMessage(2, MessageBytes({"HELLO", "WORLD"}));
  SetMessages({{"OLD"}});

  dialogs.ExpectInput("Введите номер сообщения:", std::string("2"));
  Act(Cmd::ReadOneMessage)->trigger();
  EXPECT_EQ(FromCommaText(T().Messages().Texts()[0]),
            (std::vector<std::string>{"HELLO", "WORLD", "", "", "", "", "", ""}));
  EXPECT_EQ(Utf8(T().Messages().Grid().Cell(1, 1)), "Список 1");
  EXPECT_EQ(Form().Pages().PageControl->currentIndex(), kMessagePage);
  EXPECT_TRUE(T().Flags().MessageTableModified());
  EXPECT_TRUE(
      T().MsgEditor().MsgRichEdit->toPlainText().startsWith(QStringLiteral("HELLO\nWORLD")));

  // The whole list from the menu: from the number of rows (1) on, into the current row first.
  dialogs.ExpectInput("Введите номер последнего сообщения:", std::string("2"));
  dialogs.ExpectMessage("Таблица сообщений считана.", kButtonOk, "Завершено");
  Act(Cmd::ReadMsgAll)->trigger();
  ASSERT_EQ(T().Messages().Texts().size(), 2u);
  EXPECT_EQ(FromCommaText(T().Messages().Texts()[0])[0], "FIRST");
  EXPECT_EQ(FromCommaText(T().Messages().Texts()[1])[1], "WORLD");
  EXPECT_EQ(Panel(kPanelMsgCount), QStringLiteral("2 MSG"));
  // The page was in front already; the editor still shows the message read into its row.
  EXPECT_TRUE(T().MsgEditor().MsgRichEdit->toPlainText().startsWith(QStringLiteral("FIRST")));

  // Write: the current message from the button, all from the menu.
  SetMessages({{"ABC", "DEF"}, {"XYZ"}});
  T().Messages().Grid().MoveToCell(0, 2);
  dialogs.ExpectMessage("Записать текущее сообщение?", kButtonYes, "Подтвердите");
  dialogs.ExpectMessage("Сообщение записано.", kButtonOk, "Завершено");
  scale.ClearLog();
  Act(Cmd::WriteOneMessage)->trigger();
  EXPECT_EQ(scale.Message(2), MessageBytes({"XYZ"}));
  EXPECT_EQ(scale.CommandCount(0x84), 1u);

  dialogs.ExpectMessage("Записать все сообщения?", kButtonYes, "Подтвердите");
  dialogs.ExpectMessage("Сообщения записаны.", kButtonOk, "Завершено");
  Act(Cmd::WriteMsgAll)->trigger();
  EXPECT_EQ(scale.Message(1), MessageBytes({"ABC", "DEF"}));
  EXPECT_EQ(scale.CommandCount(0x84), 3u);
}

// ---- Sales totals ----

Bytes TotalsBytes() {
  return Cat({Le(1500, 4), Le(42, 4), Le(12345, 4), Le(3, 3), Le(1000, 4), Le(12300, 4), Le(2, 3),
              Le(750, 4), Bytes{0x00, 0x30, 0x08}, Bytes{0x01, 0x12, 0x26}, Le(3990, 2),
              Le(60, 2)});
}

TEST_F(TransferWindowTest, TotalsReadFillsThePageAndClearEmptiesIt) {
  scale.SetTotals(TotalsBytes());
  TotalsView& page = X().TotalsControls();
  EXPECT_EQ(page.SalesBox->title(), QStringLiteral("Общий итог продаж"));

  Act(Cmd::ReadGTD)->trigger();
  EXPECT_EQ(Form().Pages().PageControl->currentIndex(), kTotalsPage);
  EXPECT_EQ(page.SalesBox->title(), QStringLiteral("Общий итог продаж с 01.12.26, 08:30:00"));
  const std::pair<QLineEdit*, const char*> shown[] = {
      {page.GTSum, "123.45"},    {page.GTSells, "3"},    {page.GTWeight, "1.000"},
      {page.GTSumPLU, "123.00"}, {page.GTSellsPLU, "2"}, {page.GTWeightPLU, "0.750"},
      {page.GTFreePLU, "3990"},  {page.GTFreeMSG, "60"}, {page.GTRun, "1500"},
      {page.GTLabels, "42"}};
  for (const auto& [field, text] : shown) EXPECT_EQ(field->text(), QString::fromUtf8(text));
  // The value the totals report prints.
  EXPECT_EQ(Utf8(X().Totals().title), "Общий итог продаж с 01.12.26, 08:30:00");
  EXPECT_EQ(X().Totals().sum, "123.45");
  EXPECT_TRUE(T().Flags().TotalsModified());

  // Clearing leaves the page in front of whatever is shown.
  Form().Pages().PageControl->setCurrentIndex(kPluPage);
  dialogs.ExpectMessage("Стереть общий итог продаж?", kButtonYes, "Подтвердите");
  Act(Cmd::ClearGTD)->trigger();
  EXPECT_EQ(scale.CommandCount(0x86), 1u);
  EXPECT_EQ(page.SalesBox->title(), QStringLiteral("Общий итог продаж"));
  for (const auto& [field, text] : shown) EXPECT_TRUE(field->text().isEmpty());
  EXPECT_TRUE(X().Totals().sum.empty());
  EXPECT_FALSE(T().Flags().TotalsModified());
  EXPECT_EQ(Form().Pages().PageControl->currentIndex(), kPluPage);
}

TEST_F(TransferWindowTest, TotalsReadOffersTheSaveFirstAndAFailedSaveKeepsTheShownTotals) {
  scale.SetTotals(TotalsBytes());
  int offers = 0;
  bool saveSucceeds = true;
  X().SetSaveTotalsBeforeRead([&] {
    ++offers;
    EXPECT_TRUE(Form().State().LinkBusy);
    return saveSucceeds;
  });
  Act(Cmd::ReadGTD)->trigger();
  EXPECT_EQ(offers, 1);
  EXPECT_EQ(X().TotalsControls().GTSum->text(), QStringLiteral("123.45"));

  // The save failed: the scale is not asked, the shown totals stay.
  scale.SetTotals(Cat({Bytes(8, 0), Le(99, 4), Bytes(28, 0)}));
  saveSucceeds = false;
  Act(Cmd::ReadGTD)->trigger();
  EXPECT_EQ(offers, 2);
  EXPECT_EQ(scale.CommandCount(0x85), 1u);
  EXPECT_EQ(X().TotalsControls().GTSum->text(), QStringLiteral("123.45"));
  EXPECT_FALSE(Form().State().LinkBusy);
}

TEST_F(TransferWindowTest, TotalsPageFitsThePaneAtTheDesignFont) {
  Form().Pages().PageControl->setCurrentIndex(kTotalsPage);
  QCoreApplication::processEvents();
  QWidget* pageWidget = Form().Pages().TotalsPage;
  const QRect pageRect = pageWidget->rect();
  ASSERT_LE(pageWidget->width(), 535);
  TotalsView& page = X().TotalsControls();
  TotalsPage longest;
  longest.title = Win1251("Общий итог продаж с 28.12.26, 23:59:59");
  X().ShowTotals(longest);
  EXPECT_LE(page.SalesBox->fontMetrics().horizontalAdvance(page.SalesBox->title()),
            page.SalesBox->width());
  for (QGroupBox* box : {page.SalesBox, page.PrinterBox}) {
    SCOPED_TRACE(box->title().toStdString());
    EXPECT_TRUE(pageRect.contains(box->geometry())) << box->geometry().bottom();
    for (QWidget* child : box->findChildren<QWidget*>()) {
      EXPECT_TRUE(box->rect().contains(child->geometry()));
      if (auto* label = qobject_cast<QLabel*>(child)) {
        EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width())
            << label->text().toStdString();
      }
      if (auto* field = qobject_cast<QLineEdit*>(child)) {
        EXPECT_FALSE(field->hasFrame());
        EXPECT_TRUE(field->isReadOnly());
        EXPECT_EQ(field->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
        // The longest text a reply can give.
        EXPECT_LT(field->fontMetrics().horizontalAdvance(QStringLiteral("42949672.95")),
                  field->width());
      }
    }
  }
}

// ---- The window during a transfer ----

TEST_F(TransferWindowTest, InputToTheWindowIsIgnoredDuringATransferWhileCancelWorks) {
  UseWindowProgress();
  StockPlus(40);
  scale.SetPacing(9600);  // about a tenth of a second per record
  SetPluRows({{"77", "KEEP"}, {"", ""}});
  Plu().MoveToCell(0, 1);
  TProgressBox* progress = Form().ProgressBox();
  PluRowEditor& editor = T().PluEditor();
  TSortGrid* grid = T().PLUSortGrid;

  bool probed = false;
  int rowsWhenProbed = 0;
  QObject::connect(
      &Form(), &TMainForm::TimerTick, &Form(),
      [&] {
        if (probed || !progress->isVisible() || progress->ProgressBar()->value() < 3) return;
        probed = true;
        rowsWhenProbed = Plu().RowCount();
        // Typing into an editor field, clicking and keying in the grid and a menu: none
        // reaches the window (Connect does, see below).
        QTest::keyClicks(editor.PNMemo, "999");
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier,
                          grid->visualRect(grid->model()->index(1, 1)).center());
        QTest::keyClick(grid, Qt::Key_Down);
        QMenuBar* menus = Form().menuBar();
        QTest::mouseClick(menus, Qt::LeftButton, Qt::NoModifier,
                          menus->actionGeometry(Act(Cmd::ReadMenu)).center());
        EXPECT_EQ(Plu().CurrentRow(), 1);
        EXPECT_TRUE(Form().LinkControls().ComPort().Connected());
        EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
        // The progress window's own button does work.
        QTest::mouseClick(progress->CancelButton(), Qt::LeftButton);
      },
      Qt::QueuedConnection);

  dialogs.ExpectInput("Введите номер последней строки PLU:", std::string("40"));
  Act(Cmd::ReadAllPLU)->trigger();  // no completion box after Cancel
  EXPECT_TRUE(probed);
  EXPECT_FALSE(progress->isVisible());
  EXPECT_FALSE(Form().State().LinkBusy);
  EXPECT_LT(Plu().RowCount(), 41) << "cancelled before the end";
  EXPECT_LE(Plu().RowCount(), rowsWhenProbed + 1);
  EXPECT_EQ(Column(kPluNo)[0], "77");
  EXPECT_NE(editor.PNMemo->text(), QStringLiteral("77999"));
  EXPECT_FALSE(editor.PluDirty());

  // Afterwards the same input reaches the window again.
  editor.PNMemo->setFocus(Qt::OtherFocusReason);
  editor.PNMemo->setText(QString());
  QTest::keyClicks(editor.PNMemo, "999");
  EXPECT_EQ(editor.PNMemo->text(), QStringLiteral("999"));
}

// A scale that echoes its address and never sends a status keeps a transfer asking for ever;
// the Connect button (with the progress window up) and its key (without one) cut the line, and
// the transfer ends as after a lost link: what was read stays, once, and the usual texts show.
TEST_F(TransferWindowTest, ConnectEndsATransferThatABusyScaleKeepsWaiting) {
  UseWindowProgress();
  StockPlus(5);
  TotalsPage shown;
  shown.sum = "7.00";
  X().ShowTotals(shown);
  for (const bool tableRead : {true, false}) {
    SCOPED_TRACE(tableRead ? "PLU table read, button" : "totals clear, Ctrl+L");
    // The window's keys reach it while it is active (here the progress window of the first
    // round took that away, and no window manager gives it back).
    Form().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Form()));
    // Two records go through before the scale turns busy.
    scale.SetFaults(qmsim::Faults{.endlessBusy = true, .skipExchanges = tableRead ? 2u : 0u});
    scale.ClearLog();
    bool pressed = false;
    bool cutByOperator = false;
    int ticksAfter = 0;
    const auto tick = QObject::connect(
        &Form(), &TMainForm::TimerTick, &Form(),
        [&] {
          if (pressed) {
            // A Connect that did not get through must not leave the test asking for ever.
            if (++ticksAfter == 3 && Form().LinkControls().ComPort().Connected())
              Form().LinkControls().Link().ConnectClick();
            return;
          }
          if (Panel(kPanelBusy) != QStringLiteral("Busy...") || scale.ExchangeCount() < 4) return;
          pressed = true;
          if (tableRead) {
            QTest::mouseClick(
                Form().Commands().Bar()->widgetForAction(Act(Cmd::Connect)), Qt::LeftButton);
          } else {
            QTest::keyClick(Form().windowHandle(), Qt::Key_L, Qt::ControlModifier);
          }
          cutByOperator = !Form().LinkControls().ComPort().Connected();
        },
        Qt::QueuedConnection);
    if (tableRead) {
      dialogs.ExpectInput("Введите номер последней строки PLU:", std::string("5"));
      dialogs.ExpectMessage("Таблица товаров считана.", kButtonOk, "Завершено");
      Act(Cmd::ReadAllPLU)->trigger();
      EXPECT_EQ(Column(kPluNo), (std::vector<std::string>{"1", "2"}));
      EXPECT_EQ(Panel(kPanelPluCount), QStringLiteral("2 PLU"));
    } else {
      dialogs.ExpectMessage("Стереть общий итог продаж?", kButtonYes, "Подтвердите");
      Act(Cmd::ClearGTD)->trigger();
      EXPECT_EQ(scale.CommandCount(0x86), 0u);
      EXPECT_EQ(X().Totals().sum, "7.00") << "not cleared";
    }
    QObject::disconnect(tick);
    EXPECT_TRUE(pressed);
    EXPECT_TRUE(cutByOperator);
    EXPECT_TRUE(dialogs.AllConsumed());
    EXPECT_EQ(Panel(kPanelActivity), QStringLiteral("Done."));
    EXPECT_EQ(Panel(kPanelBusy), QString());
    EXPECT_FALSE(Form().ProgressBox()->isVisible());
    EXPECT_FALSE(Form().State().LinkBusy);
    EXPECT_FALSE(Form().LinkControls().ComPort().Connected());
    EXPECT_FALSE(Act(Cmd::Connect)->isChecked());
    EXPECT_EQ(Act(Cmd::Connect)->toolTip(), QStringLiteral("Подключить весы"));
  }
}

TEST_F(TransferWindowTest, ClosingDuringATableReadCancelsItAndClosesOnceItUnwound) {
  // With the window's progress window, and with scripted ones that the shell cannot reach.
  for (bool realProgress : {true, false}) {
    SCOPED_TRACE(realProgress);
    if (!form_) SetUp();
    if (realProgress) UseWindowProgress();
    StockPlus(40);
    scale.SetPacing(9600);
    scale.ClearLog();
    bool requested = false;
    QObject::connect(
        &Form(), &TMainForm::TimerTick, &Form(),
        [&] {
          if (requested || Plu().RowCount() < 4) return;
          requested = true;
          Form().close();
          EXPECT_TRUE(Form().isVisible()) << "the window stays while the read unwinds";
        },
        Qt::QueuedConnection);
    dialogs.ExpectInput("Введите номер последней строки PLU:", std::string("40"));
    dialogs.ExpectMessage("Вы хотите закончить работу?", kButtonYes);
    dialogs.ExpectMessage("Сохранить введенные данные?", kButtonNo);
    Act(Cmd::ReadAllPLU)->trigger();  // returns once the read has ended; no completion box
    EXPECT_TRUE(requested);
    EXPECT_FALSE(Form().State().LinkBusy);
    EXPECT_LT(scale.CommandCount(0x81), 40u) << "the read stopped early";
    ASSERT_TRUE(qmtest::PumpUntil([&] { return !Form().isVisible(); }));
    EXPECT_FALSE(Form().LinkControls().ComPort().Connected());
    EXPECT_FALSE(Form().Timer().isActive());
    if (Form().ProgressBox()) {
      EXPECT_FALSE(Form().ProgressBox()->isVisible());
    }
    EXPECT_TRUE(dialogs.AllConsumed());
    form_.reset();
    window_.reset();
  }
}

// The progress window stays on top of the other windows; a box raised while it shows (here the
// close question during a read, with the window's own boxes) belongs to it and stays above it.
TEST_F(TransferWindowTest, CloseQuestionDuringAReadOpensAboveTheProgressWindow) {
  Form().CreateAuxWindows();
  Form().SetDialogs(nullptr);
  StockPlus(40);
  scale.SetPacing(9600);
  TProgressBox* progress = Form().ProgressBox();
  QString asked;
  QWidget* owner = nullptr;
  bool onTop = false;
  bool requested = false;
  QObject::connect(
      &Form(), &TMainForm::TimerTick, &Form(),
      [&] {
        if (requested || !progress->isVisible() || progress->ProgressBar()->value() < 3) return;
        requested = true;
        qmtest::WhenShown<QMessageBox>([&](QMessageBox& box) {
          asked = box.text();
          owner = box.parentWidget();
          onTop = box.windowFlags().testFlag(Qt::WindowStaysOnTopHint);
          box.button(QMessageBox::No)->click();  // the read goes on
        });
        Form().close();
        progress->CancelButton()->click();
      },
      Qt::QueuedConnection);
  qmtest::WhenShown<QInputDialog>([progress](QInputDialog& input) {
    EXPECT_NE(input.parentWidget(), progress) << "no progress window yet";
    input.setTextValue(QStringLiteral("40"));
    input.accept();
  });
  Act(Cmd::ReadAllPLU)->trigger();
  Form().SetDialogs(&dialogs);
  EXPECT_EQ(asked, QStringLiteral("Вы хотите закончить работу?"));
  EXPECT_EQ(owner, progress);
  EXPECT_TRUE(onTop);
  EXPECT_TRUE(Form().isVisible());
}

TEST_F(TransferWindowTest, SilentScaleDuringAReadIsReportedOnceWithTheProgressWindowGone) {
  WindowProgressDialogs& window = UseWindowProgress();
  StockPlus(10);
  scale.SetFaults(qmsim::Faults{.silent = true, .skipExchanges = 2});
  dialogs.ExpectInput("Введите номер последней строки PLU:", std::string("10"));
  dialogs.ExpectMessage(kLinkError, kButtonOk, "Ошибка");
  // Two records arrived before the silence: the read still counts as done.
  dialogs.ExpectMessage("Таблица товаров считана.", kButtonOk, "Завершено");
  Act(Cmd::ReadAllPLU)->trigger();
  EXPECT_EQ(window.progressShownAtBox, (std::vector<bool>{false, false}));
  EXPECT_FALSE(Form().ProgressBox()->isVisible());
  ExpectTwoRowsReadAndReportedOnce();
}

TEST_F(TransferWindowTest, LineHangingUpMidReadIsReportedOnceAfterTheReadFinished) {
  StockPlus(10);
  scale.SetFaults(qmsim::Faults{
      .hangUpAfter = 20, .hangUpDelay = std::chrono::milliseconds(0), .skipExchanges = 2});
  dialogs.ExpectInput("Введите номер последней строки PLU:", std::string("10"));
  // The records read before stay and count as read; then the port's failure is reported.
  dialogs.ExpectMessage("Таблица товаров считана.", kButtonOk, "Завершено");
  dialogs.ExpectMessage("Unable to read com status: error 5.", kButtonOk,
                        "QM V-1.6 Interchange Program");
  Act(Cmd::ReadAllPLU)->trigger();
  ExpectTwoRowsReadAndReportedOnce();
}

TEST_F(TransferWindowTest, LineHangingUpMidWriteIsNotReportedAsWritten) {
  SetPluRows({{"12", "PEARS"}, {"13", "PLUMS"}, {"14", "FIGS"}});
  scale.SetFaults(qmsim::Faults{
      .hangUpAfter = 0, .hangUpDelay = std::chrono::milliseconds(0), .skipExchanges = 1});
  dialogs.ExpectMessage("Записать таблицу товаров?", kButtonYes, "Подтвердите");
  // The first row went through, the second never did: no completion box, only the port's
  // failure.
  dialogs.ExpectMessage("Unable to read com status: error 5.", kButtonOk,
                        "QM V-1.6 Interchange Program");
  Act(Cmd::WritePluTable)->trigger();
  EXPECT_TRUE(scale.Plu(12).has_value());
  EXPECT_FALSE(scale.Plu(14).has_value());
  EXPECT_FALSE(Form().State().LinkBusy);
  EXPECT_FALSE(dialogs.ProgressVisible());
}

}  // namespace
}  // namespace qm
