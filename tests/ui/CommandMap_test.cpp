// The whole command map of the main window: every tool button in its place with its hint, tag
// and picture, every menu entry with its exact caption and tag, and each of them running its
// command (every box it shows is expected by the dialog script). Transfers meet a port whose
// device is missing and end with the box that says so. F1..F7 run the editors' buttons.
#include <QAbstractButton>
#include <QComboBox>
#include <QDialog>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <functional>
#include <vector>

#include "TablesFixture.h"
#include "tables/ModifiedFlags.h"
#include "tables/PluCommands.h"
#include "ui/window/FontLayoutHost.h"

namespace qm {
namespace {

using Texts = std::vector<std::string>;

struct Button {
  const char* name;  // nullptr: a divider
  const char* hint;
  int tag;
};
constexpr Button kDivider{nullptr, nullptr, 0};

const Button kToolBar[] = {
    {"New", "Новый набор данных", 0},
    {"Open", "Открыть файл", 0},
    {"Save", "Сохранить данные", 0},
    kDivider,
    {"TestData", "Проверка правильности данных", 0},
    {"MatchButton", "Согласовать номера товаров и PLU", 0},
    kDivider,
    {"SelectScaleType", "Выбор типа весов", 0},
    {"SelectComPort", "Выбор порта связи", 0},
    {"SelectScaleAddr", "Выбор адреса весов", 0},
    {"Connect", "Подключить весы", 0},
    kDivider,
    {"ReadOnePlu", "Чтение данных PLU", 1},
    {"ReadAllPLU", "Чтение таблицы товаров", 0},
    {"WriteOnePLU", "Запись данных PLU", 1},
    {"WriteAllPLU", "Запись таблицы товаров", 0},
    kDivider,
    {"ReadOneMessage", "Чтение текущего сообщения", 1},
    {"ReadAllMessages", "Чтение всех сообщений", 0},
    {"WriteOneMessage", "Запись текущего сообщения", 1},
    {"WriteAllMessages", "Запись всех сообщений", 0},
    kDivider,
    {"ReadGTD", "Считать общий итог", 0},
    {"ClearGTD", "Стереть общий итог", 0},
    kDivider,
    {"SelectFont", "Выбор шрифта", 0},
};

struct Entry {
  const char* caption;
  int tag;
  std::vector<Entry> sub;
};

const std::vector<Entry> kMenus = {
    {"&Файл",
     0,
     {{"&Новый",
       0,
       {{"&Набор данных", 0, {}}, {"&Таблица товаров", 0, {}}, {"Таблица &сообщений", 0, {}}}},
      {"&Открыть", 0, {}},
      {"&Сохранить      ",
       0,
       {{"&Все данные", 0, {}},
        {"&Таблицу товаров", 1, {}},
        {"Таблицу &сообщений", 2, {}},
        {"&Общий итог продаж", 3, {}}}},
      {"&Выход", 0, {}}}},
    {"&Проверка",
     0,
     {{"Всех &данных", 0, {}},
      {"Только &товаров", 1, {}},
      {"Только &сообщений", 2, {}},
      {"&Непечатаемые символы", 0, {}}}},
    {"&Чтение",
     0,
     {{"&Товаров       ", 0, {{"Всей &таблицы", 0, {}}, {"Текущей &строки", 1, {}}}},
      {"&Сообщений      ", 0, {{"&Всех", 0, {}}, {"&Текущего", 1, {}}}}}},
    {"&Запись",
     0,
     {{"&Товаров   ",
       0,
       {{"&Всей таблицы", 0, {}},
        {"Записать &изменённые товары", 0, {}},
        {"&Текущей строки", 1, {}}}},
      {"&Сообщений      ", 0, {{"&Всех", 0, {}}, {"&Текущего", 1, {}}}}}},
    {"&Информация", 0, {{"&О программе", 0, {}}}},
};

// An icon that shows something: some pixel is not transparent, and not all pixels are alike.
bool ShowsAPicture(const QIcon& icon) {
  if (icon.isNull()) return false;
  const QImage image = icon.pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32);
  bool opaque = false, varied = false;
  const QRgb first = image.pixel(0, 0);
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (qAlpha(image.pixel(x, y)) > 0) opaque = true;
      if (image.pixel(x, y) != first) varied = true;
    }
  }
  return opaque && varied;
}

void CompareMenu(const QList<QAction*>& actions, const std::vector<Entry>& expected,
                 const std::string& where) {
  std::vector<QAction*> entries;
  for (QAction* a : actions) {
    if (!a->isSeparator()) entries.push_back(a);
  }
  ASSERT_EQ(entries.size(), expected.size()) << where;
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const std::string caption = entries[i]->text().toStdString();
    EXPECT_EQ(caption, expected[i].caption) << where;
    if (QMenu* sub = entries[i]->menu()) {
      CompareMenu(sub->actions(), expected[i].sub, where + " > " + caption);
    } else {
      EXPECT_TRUE(expected[i].sub.empty()) << where << " > " << caption << " has no entries";
      EXPECT_EQ(entries[i]->data().toInt(), expected[i].tag) << where << " > " << caption;
    }
  }
}

// Closes the next modal window that opens (a Qt dialog of the program's own, not a scripted box)
// and reports whether one opened.
class ModalCloser {
 public:
  ModalCloser() {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
        ++closed_;
        dialog->reject();
      }
    });
    timer_.start(20);
  }
  int Closed() const { return closed_; }

 private:
  QTimer timer_;
  int closed_ = 0;
};

// A transfer command: the number it asks for (none for the current record or the totals), the
// question before a write, then the port that cannot be opened.
struct Transfer {
  const char* name;
  const char* prompt;
  const char* question;
};
const Transfer kTransfers[] = {
    {"ReadOnePlu", "Введите номер PLU:", nullptr},
    {"ReadAllPLU", "Введите номер последней строки PLU:", nullptr},
    {"WriteOnePLU", nullptr, "Записать текущую строку?"},
    {"WriteAllPLU", nullptr, "Записать таблицу товаров?"},
    {"ReadOneMessage", "Введите номер сообщения:", nullptr},
    {"ReadAllMessages", "Введите номер последнего сообщения:", nullptr},
    {"WriteOneMessage", nullptr, "Записать текущее сообщение?"},
    {"WriteAllMessages", nullptr, "Записать все сообщения?"},
    {"ReadGTD", nullptr, nullptr},
    {"ClearGTD", nullptr, "Стереть общий итог продаж?"},
};

class CommandMapTest : public qmtest::TablesFixture {
 protected:
  void SetUp() override {
    // Every port leads to a device that does not exist.
    qputenv("QM_PORTS", "COM1=/nonexistent/qm;COM2=/nonexistent/qm");
    TablesFixture::SetUp();
  }
  void TearDown() override { qunsetenv("QM_PORTS"); }

  QAction* ToolAction(const char* name) {
    for (QAction* a : Form().Commands().Bar()->actions()) {
      QWidget* w = Form().Commands().Bar()->widgetForAction(a);
      if (a->objectName() == QLatin1String(name) || (w && w->objectName() == QLatin1String(name)))
        return a;
    }
    ADD_FAILURE() << "no tool button " << name;
    return nullptr;
  }
  // The menu entry the operator reaches through these captions, from the menu bar down.
  QAction* MenuEntry(const std::vector<const char*>& path) {
    QList<QAction*> actions = Form().menuBar()->actions();
    QAction* found = nullptr;
    for (const char* caption : path) {
      found = nullptr;
      for (QAction* a : actions) {
        if (a->text() == QString::fromUtf8(caption)) found = a;
      }
      if (!found) {
        ADD_FAILURE() << "no menu entry " << caption;
        return nullptr;
      }
      if (found->menu()) actions = found->menu()->actions();
    }
    return found;
  }
  void Trigger(const std::vector<const char*>& path) {
    QAction* entry = MenuEntry(path);
    ASSERT_NE(entry, nullptr);
    entry->trigger();
  }
  // Both tables hold two rows each, unmodified.
  void FillTables() {
    SetPluRows({{"1", "Хлеб"}, {"2", "Молоко"}});
    SetMessages({{"a", "x"}, {"b", "y"}});
    T().Flags().MarkModified(false, false);
  }
  bool PluTableFresh() { return Plu().DataRowCount() == 1; }
  bool MessagesFresh() { return MsgGrid().DataRowCount() == 1; }
  void ExpectTransfer(const Transfer& t) {
    if (t.prompt) dialogs_.ExpectInput(t.prompt, std::string("2"));
    if (t.question) dialogs_.ExpectMessage(t.question, kButtonYes, "Подтвердите");
    dialogs_.ExpectMessage(kNoPort, kButtonOk, "Ошибка");
  }
  static constexpr const char* kNoPort =
      "Не могу открыть порт COM2.\nУстройство /nonexistent/qm не найдено: проверьте подключение "
      "адаптера и настройку портов.";
};

TEST_F(CommandMapTest, ToolBarButtonsInOrderWithHintsTagsAndPictures) {
  QToolBar* bar = Form().Commands().Bar();
  const QList<QAction*> actions = bar->actions();
  ASSERT_EQ(actions.size(), static_cast<qsizetype>(std::size(kToolBar)));
  for (std::size_t i = 0; i < std::size(kToolBar); ++i) {
    const Button& b = kToolBar[i];
    QAction* a = actions[static_cast<qsizetype>(i)];
    SCOPED_TRACE(i);
    if (!b.name) {
      EXPECT_TRUE(a->isSeparator());
      continue;
    }
    ASSERT_FALSE(a->isSeparator()) << b.name;
    QWidget* w = bar->widgetForAction(a);
    ASSERT_NE(w, nullptr) << b.name;
    EXPECT_TRUE(w->isVisible()) << b.name;
    const bool ownWidget = a->objectName().isEmpty();  // the scale-type drop-down
    EXPECT_EQ((ownWidget ? w->objectName() : a->objectName()).toStdString(), b.name);
    EXPECT_EQ((ownWidget ? w->toolTip() : a->toolTip()).toStdString(), b.hint) << b.name;
    EXPECT_EQ(a->data().toInt(), b.tag) << b.name;
    auto* button = qobject_cast<QToolButton*>(w);
    ASSERT_NE(button, nullptr) << b.name;
    EXPECT_TRUE(ShowsAPicture(button->icon())) << b.name;
    EXPECT_TRUE(button->autoRaise()) << b.name;  // flat
  }
  // Save waits for a change; Connect is a toggle; the drop-down holds the three models.
  EXPECT_FALSE(ToolAction("Save")->isEnabled());
  EXPECT_TRUE(ToolAction("Connect")->isCheckable());
  const QList<QAction*> models = Form().Commands().Menu(Cmd::ScaleTypeMenu)->actions();
  ASSERT_EQ(models.size(), 3);
  const char* const modelCaptions[3] = {"QM-&06(R)", "QM-&15(R)", "QM-&30(R)"};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(models[i]->text().toStdString(), modelCaptions[i]);
    EXPECT_EQ(models[i]->data().toInt(), i);
  }
}

TEST_F(CommandMapTest, MenusWithExactCaptionsAndTags) {
  CompareMenu(Form().menuBar()->actions(), kMenus, "menu bar");
}

TEST_F(CommandMapTest, EveryToolButtonRunsItsCommand) {
  // File commands on unchanged data: New asks nothing and starts both tables afresh; Open and
  // Save are cancelled in the file dialog.
  FillTables();
  ToolAction("New")->trigger();
  EXPECT_TRUE(PluTableFresh());
  EXPECT_TRUE(MessagesFresh());
  dialogs_.ExpectFile(FileDialogKind::Open, std::nullopt);
  ToolAction("Open")->trigger();
  EXPECT_TRUE(dialogs_.AllConsumed());
  T().Flags().MarkModified(true, false);
  ASSERT_TRUE(ToolAction("Save")->isEnabled());
  dialogs_.ExpectFile(FileDialogKind::Save, std::nullopt);
  ToolAction("Save")->trigger();
  EXPECT_TRUE(dialogs_.AllConsumed());

  // Check and match on a valid table.
  SetPluRows({{"1", "Хлеб"}, {"2", "Молоко"}});
  dialogs_.ExpectMessage("Ошибок: 0,   Предупреждений: 0.", kButtonOk, "Результат проверки");
  ToolAction("TestData")->trigger();
  dialogs_.ExpectMessage("Строки с номером товара, большим 4000 будут удалены, продолжить?",
                         kButtonYes, "Подтвердите");
  dialogs_.ExpectMessage("Номера товаров и PLU приведены в соответствие.", kButtonOk, "Завершено");
  ToolAction("MatchButton")->trigger();
  EXPECT_TRUE(dialogs_.AllConsumed());

  // Scale type, port dialog (closed unchanged), address (cancelled), Connect (no device).
  auto* scaleType = qobject_cast<QToolButton*>(
      Form().Commands().Bar()->widgetForAction(ToolAction("SelectScaleType")));
  ASSERT_NE(scaleType, nullptr);
  scaleType->menu()->actions()[2]->trigger();
  EXPECT_EQ(Panel(kPanelModel), "ORB QM-30(R) 4000 PLU");
  {
    ModalCloser closer;
    ToolAction("SelectComPort")->trigger();
    EXPECT_EQ(closer.Closed(), 1);
  }
  EXPECT_EQ(Panel(kPanelPort), "COM2");
  dialogs_.ExpectInput("Введите адрес весов:", std::nullopt);
  ToolAction("SelectScaleAddr")->trigger();
  dialogs_.ExpectMessage(kNoPort, kButtonOk, "Ошибка");
  ToolAction("Connect")->trigger();
  EXPECT_TRUE(dialogs_.AllConsumed());
  EXPECT_FALSE(ToolAction("Connect")->isChecked());

  // Transfers: each asks what it asks and gets as far as opening the port.
  for (const Transfer& t : kTransfers) {
    SCOPED_TRACE(t.name);
    ExpectTransfer(t);
    ToolAction(t.name)->trigger();
    EXPECT_TRUE(dialogs_.AllConsumed());
    EXPECT_FALSE(Form().State().LinkBusy);
  }

  // The font dialog, cancelled.
  int asked = 0;
  Form().FontLayoutControls().ChooseFont = [&](const FontChoice&) -> std::optional<FontChoice> {
    ++asked;
    return std::nullopt;
  };
  ToolAction("SelectFont")->trigger();
  EXPECT_EQ(asked, 1);
  dialogs_.VerifyDone();
}

TEST_F(CommandMapTest, EveryMenuEntryRunsItsCommand) {
  // New: the data set, the PLU table or the message table starts afresh (nothing is asked on
  // unchanged data).
  struct NewCase {
    const char* caption;
    bool plu, messages;
  };
  for (const NewCase& c :
       {NewCase{"&Набор данных", true, true}, NewCase{"&Таблица товаров", true, false},
        NewCase{"Таблица &сообщений", false, true}}) {
    SCOPED_TRACE(c.caption);
    FillTables();
    Trigger({"&Файл", "&Новый", c.caption});
    EXPECT_EQ(PluTableFresh(), c.plu);
    EXPECT_EQ(MessagesFresh(), c.messages);
  }
  dialogs_.ExpectFile(FileDialogKind::Open, std::nullopt);
  Trigger({"&Файл", "&Открыть"});
  // Save all asks for a file for each of the PLU table, the messages and the totals.
  for (const char* caption :
       {"&Все данные", "&Таблицу товаров", "Таблицу &сообщений", "&Общий итог продаж"}) {
    const int files = caption == std::string("&Все данные") ? 3 : 1;
    for (int i = 0; i < files; ++i) dialogs_.ExpectFile(FileDialogKind::Save, std::nullopt);
    Trigger({"&Файл", "&Сохранить      ", caption});
    EXPECT_TRUE(dialogs_.AllConsumed()) << caption;
  }
  EXPECT_TRUE(dialogs_.AllConsumed());

  SetPluRows({{"1", "Хлеб"}, {"2", "Молоко"}});
  for (const char* caption : {"Всех &данных", "Только &товаров", "Только &сообщений"}) {
    dialogs_.ExpectMessage("Ошибок: 0,   Предупреждений: 0.", kButtonOk, "Результат проверки");
    Trigger({"&Проверка", caption});
  }
  EXPECT_TRUE(dialogs_.AllConsumed());

  // The same transfers as the tool buttons, by their entries (whole table first, then current).
  struct TransferEntry {
    std::vector<const char*> path;
    const char* like;
  };
  const TransferEntry entries[] = {
      {{"&Чтение", "&Товаров       ", "Всей &таблицы"}, "ReadAllPLU"},
      {{"&Чтение", "&Товаров       ", "Текущей &строки"}, "ReadOnePlu"},
      {{"&Чтение", "&Сообщений      ", "&Всех"}, "ReadAllMessages"},
      {{"&Чтение", "&Сообщений      ", "&Текущего"}, "ReadOneMessage"},
      {{"&Запись", "&Товаров   ", "&Всей таблицы"}, "WriteAllPLU"},
      {{"&Запись", "&Товаров   ", "&Текущей строки"}, "WriteOnePLU"},
      {{"&Запись", "&Сообщений      ", "&Всех"}, "WriteAllMessages"},
      {{"&Запись", "&Сообщений      ", "&Текущего"}, "WriteOneMessage"}};
  for (const auto& [path, like] : entries) {
    SCOPED_TRACE(like);
    for (const Transfer& t : kTransfers) {
      if (std::string(t.name) == like) ExpectTransfer(t);
    }
    Trigger(path);
    EXPECT_TRUE(dialogs_.AllConsumed());
  }

  {
    ModalCloser closer;
    Trigger({"&Информация", "&О программе"});
    EXPECT_EQ(closer.Closed(), 1);
  }
  dialogs_.ExpectMessage("Вы хотите закончить работу?", kButtonNo, "Подтвердите");
  Trigger({"&Файл", "&Выход"});
  EXPECT_TRUE(Form().isVisible());
  dialogs_.VerifyDone();
}

TEST_F(CommandMapTest, FunctionKeysRunTheEditorButtonsWhereverTheFocusIsInTheEditor) {
  SetPluRows({{"1", "P"}, {"2", "Q"}});
  Plu().MoveToCell(0, 1);
  auto rows = [&] { return Plu().DataRowCount(); };
  // PLU editor: each key from another place in the editor, with a shift held for some.
  QTest::keyClick(E().INEdit1, Qt::Key_F2);  // Add
  EXPECT_EQ(rows(), 3);
  QTest::keyClick(E().PLUClear, Qt::Key_F3, Qt::ShiftModifier);  // Ins
  EXPECT_EQ(rows(), 4);
  QTest::keyClick(E().LogoComboBox, Qt::Key_F5);  // Del
  EXPECT_EQ(rows(), 3);
  Plu().MoveToCell(0, 1);
  QTest::keyClick(E().SOMemo, Qt::Key_F6);  // Copy
  EXPECT_EQ(Utf8(T().PluCmds().Buffer()[kName1]), "P");
  QTest::keyClick(E().UPMemo, Qt::Key_F7);  // Paste
  EXPECT_EQ(rows(), 4);
  QTest::keyClick(E().PNMemo, Qt::Key_F4);  // Clear
  EXPECT_EQ(E().INEdit1->text(), "");
  E().INEdit1->setText("Z");
  QTest::keyClick(E().PLUWrite, Qt::Key_F1, Qt::ControlModifier);  // Write
  EXPECT_EQ(Utf8(Plu().Cell(kName1, Plu().CurrentRow())), "Z");

  // Message editor.
  Form().Pages().PageControl->setCurrentIndex(1);
  auto messages = [&] { return MsgGrid().DataRowCount(); };
  const int before = messages();
  QTest::keyClick(M().MsgRichEdit, Qt::Key_F2);  // Add
  EXPECT_EQ(messages(), before + 1);
  QTest::keyClick(M().MsgNameEdit, Qt::Key_F3);  // Ins
  EXPECT_EQ(messages(), before + 2);
  QTest::keyClick(M().MsgRichEdit, Qt::Key_F5);  // Del
  EXPECT_EQ(messages(), before + 1);
  M().MsgRichEdit->setPlainText("text");
  QTest::keyClick(M().MsgWrite, Qt::Key_F6);     // Copy
  QTest::keyClick(M().MsgNameEdit, Qt::Key_F7);  // Paste
  EXPECT_EQ(messages(), before + 2);
  QTest::keyClick(M().MsgRichEdit, Qt::Key_F4);  // Clear
  EXPECT_EQ(M().MsgRichEdit->toPlainText(), "");
  M().MsgRichEdit->setPlainText("line");
  QTest::keyClick(M().MsgNameEdit, Qt::Key_F1);  // Write
  EXPECT_EQ(T().Messages().Texts().at(static_cast<std::size_t>(MsgGrid().CurrentRow() - 1)),
            "line");
  dialogs_.VerifyDone();
}

// The commands only the tool bar offers have keys; their hints stay as they were.
TEST_F(CommandMapTest, ToolBarOnlyCommandsHaveKeys) {
  const std::pair<Cmd, const char*> keys[] = {
      {Cmd::MatchButton, "Ctrl+M"},     {Cmd::SelectComPort, "Ctrl+P"},
      {Cmd::SelectScaleAddr, "Ctrl+R"}, {Cmd::Connect, "Ctrl+L"},
      {Cmd::ReadGTD, "Ctrl+G"},         {Cmd::ClearGTD, "Ctrl+Shift+G"},
      {Cmd::SelectFont, "Ctrl+F"}};
  for (const auto& [id, key] : keys) {
    SCOPED_TRACE(key);
    EXPECT_EQ(Act(id)->shortcut(), QKeySequence(QString::fromLatin1(key)));
    EXPECT_FALSE(Act(id)->toolTip().contains(QLatin1String(key)));
  }
  // A key runs its command as the button does: the address input, here cancelled.
  Focus(E().INEdit1);
  const QString name = E().INEdit1->text();
  dialogs_.ExpectInput("Введите адрес весов:", std::nullopt);
  Key(Qt::Key_R, Qt::ControlModifier);
  EXPECT_TRUE(dialogs_.AllConsumed());
  EXPECT_EQ(E().INEdit1->text(), name) << "the key typed nothing";
  // Ctrl+T opens the scale type drop-down from the editor.
  QMenu* shown = nullptr;
  QTimer closer;  // looks for the drop-down once it is up, and closes it
  QObject::connect(&closer, &QTimer::timeout, [&] {
    if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
      shown = menu;
      menu->close();
    }
  });
  closer.start(0);
  Focus(E().INEdit1);
  Key(Qt::Key_T, Qt::ControlModifier);
  closer.stop();
  EXPECT_EQ(shown, Form().Commands().Menu(Cmd::ScaleTypeMenu));
}

}  // namespace
}  // namespace qm
