#include "ui/window/CommandMap.h"

#include <QAction>
#include <QActionGroup>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>
#include <exception>
#include <vector>

#include "app/TransferFlows.h"
#include "base/ScaleParams.h"
#include "ui/files/FileIcons.h"
#include "ui/files/MainFormFiles.h"
#include "ui/link/LinkIcons.h"
#include "ui/link/MainFormLink.h"
#include "ui/tables/TablesWindow.h"
#include "ui/transfer/MainFormTransfers.h"
#include "ui/transfer/TransferIcons.h"
#include "ui/window/ErrorReport.h"
#include "ui/window/FontLayoutHost.h"
#include "ui/window/MainForm.h"
#include "ui/window/WindowIcons.h"

namespace qm {

namespace {

using T = const CommandTargets&;
using S = TransferSubject;
using M = TransferMotion;

// ---- Handlers shared by a button and a menu entry ----

void NewData(T t, int) {
  t.files.NewClick();
}
void OpenFile(T t, int) {
  t.files.OpenClick();
}
void CheckData(T t, int tag) {
  t.tables.TestDataClick(tag);
}
// The transfers go straight to their operator flows (app/TransferFlows).
void ReadPlu(T t, int tag) {
  t.transfers.Commands().ReadPluClick(tag);
}
void WritePlu(T t, int tag) {
  t.transfers.Commands().WritePLUClick(tag);
}
void WriteChangedPlu(T t, int) {
  t.transfers.Commands().WriteChangedPluClick();
}
void ReadMessages(T t, int tag) {
  t.transfers.Commands().ReadMessageClick(tag);
}
void WriteMessages(T t, int tag) {
  t.transfers.Commands().WriteMessagesClick(tag);
}

// ---- The tool bar, left to right ----

enum class Kind { kButton, kToggle, kDropDown, kDivider };

struct ToolRow {
  Kind kind;
  Cmd id;
  const char* name;  // object name
  const char* hint;
  int tag;
  QIcon (*icon)();
  CommandHandler run;  // none for the drop-down: its entries run
};

constexpr ToolRow kDivider{Kind::kDivider, Cmd::kCount, nullptr, nullptr, 0, nullptr, nullptr};

const ToolRow kToolBar[] = {
    {Kind::kButton, Cmd::New, "New", "Новый набор данных", 0, NewDataIcon, NewData},
    {Kind::kButton, Cmd::Open, "Open", "Открыть файл", 0, OpenFileIcon, OpenFile},
    {Kind::kButton, Cmd::Save, "Save", "Сохранить данные", 0, SaveDataIcon,
     [](T t, int) { t.files.SaveClick(); }},
    kDivider,
    {Kind::kButton, Cmd::TestData, "TestData", "Проверка правильности данных", 0, CheckDataIcon,
     CheckData},
    {Kind::kButton, Cmd::MatchButton, "MatchButton", "Согласовать номера товаров и PLU", 0,
     MatchIcon, [](T t, int) { t.tables.MatchButtonClick(); }},
    kDivider,
    {Kind::kDropDown, Cmd::SelectScaleType, "SelectScaleType", "Выбор типа весов", 0, ScaleTypeIcon,
     nullptr},
    {Kind::kButton, Cmd::SelectComPort, "SelectComPort", "Выбор порта связи", 0, ComPortIcon,
     [](T t, int) { t.link.SelectComPortClick(); }},
    {Kind::kButton, Cmd::SelectScaleAddr, "SelectScaleAddr", "Выбор адреса весов", 0,
     ScaleAddressIcon, [](T t, int) { t.link.SelectScaleAddrClick(); }},
    // Shown pressed while the link is open (the status view keeps it so, hint included).
    {Kind::kToggle, Cmd::Connect, "Connect", "Подключить весы", 0, ConnectIcon,
     [](T t, int) { t.link.ConnectClick(); }},
    kDivider,
    {Kind::kButton, Cmd::ReadOnePlu, "ReadOnePlu", "Чтение данных PLU", 1,
     [] { return TransferIcon(S::Plu, M::Read, false); }, ReadPlu},
    {Kind::kButton, Cmd::ReadAllPLU, "ReadAllPLU", "Чтение таблицы товаров", 0,
     [] { return TransferIcon(S::Plu, M::Read, true); }, ReadPlu},
    {Kind::kButton, Cmd::WriteOnePLU, "WriteOnePLU", "Запись данных PLU", 1,
     [] { return TransferIcon(S::Plu, M::Write, false); }, WritePlu},
    {Kind::kButton, Cmd::WriteAllPLU, "WriteAllPLU", "Запись таблицы товаров", 0,
     [] { return TransferIcon(S::Plu, M::Write, true); }, WritePlu},
    kDivider,
    {Kind::kButton, Cmd::ReadOneMessage, "ReadOneMessage", "Чтение текущего сообщения", 1,
     [] { return TransferIcon(S::Message, M::Read, false); }, ReadMessages},
    {Kind::kButton, Cmd::ReadAllMessages, "ReadAllMessages", "Чтение всех сообщений", 0,
     [] { return TransferIcon(S::Message, M::Read, true); }, ReadMessages},
    {Kind::kButton, Cmd::WriteOneMessage, "WriteOneMessage", "Запись текущего сообщения", 1,
     [] { return TransferIcon(S::Message, M::Write, false); }, WriteMessages},
    {Kind::kButton, Cmd::WriteAllMessages, "WriteAllMessages", "Запись всех сообщений", 0,
     [] { return TransferIcon(S::Message, M::Write, true); }, WriteMessages},
    kDivider,
    {Kind::kButton, Cmd::ReadGTD, "ReadGTD", "Считать общий итог", 0,
     [] { return TransferIcon(S::Totals, M::Read, true); },
     [](T t, int) { t.transfers.Commands().ReadGTDClick(); }},
    {Kind::kButton, Cmd::ClearGTD, "ClearGTD", "Стереть общий итог", 0,
     [] { return TransferIcon(S::Totals, M::Clear, true); },
     [](T t, int) { t.transfers.Commands().ClearGTDClick(); }},
    kDivider,
    {Kind::kButton, Cmd::SelectFont, "SelectFont", "Выбор шрифта", 0, SelectFontIcon,
     [](T t, int) { t.layout.SelectFontClick(); }},
};

// Keys of the commands only the tool bar offers, so that they are in reach without a mouse. The
// buttons' hints stay as they are; the README lists the keys.
struct ToolKey {
  Cmd id;
  const char* keys;  // QKeySequence text, portable form
};
constexpr ToolKey kToolKeys[] = {
    {Cmd::MatchButton, "Ctrl+M"},    {Cmd::SelectScaleType, "Ctrl+T"},
    {Cmd::SelectComPort, "Ctrl+P"},  {Cmd::SelectScaleAddr, "Ctrl+R"},
    {Cmd::Connect, "Ctrl+L"},        {Cmd::ReadGTD, "Ctrl+G"},
    {Cmd::ClearGTD, "Ctrl+Shift+G"}, {Cmd::SelectFont, "Ctrl+F"},
};
QKeySequence KeysOf(Cmd id) {
  for (const ToolKey& k : kToolKeys) {
    if (k.id == id) return QKeySequence(QString::fromLatin1(k.keys));
  }
  return {};
}

// The drop-down of SelectScaleType: one entry a model of the model table, its index the tag, one
// checked at most (none at start).
void SelectScaleModel(T t, int tag) {
  t.form.ScaleTypeItemClick(tag);
}

// ---- The menu bar ----

// Depth 0 is a menu on the bar; a row without a handler is a menu holding the deeper rows that
// follow it. Blanks at the end of some captions belong to them.
struct MenuRow {
  int depth;
  Cmd id;
  const char* caption;
  int tag;
  CommandHandler run;
};

const MenuRow kMenus[] = {
    {0, Cmd::FileMenu, "&Файл", 0, nullptr},
    {1, Cmd::FileNewMenu, "&Новый", 0, nullptr},
    {2, Cmd::FileNewDataSet, "&Набор данных", 0, NewData},
    {2, Cmd::FileNewPlu, "&Таблица товаров", 0, [](T t, int) { t.files.NewPluClick(); }},
    {2, Cmd::FileNewMessages, "Таблица &сообщений", 0, [](T t, int) { t.files.NewMsgClick(); }},
    {1, Cmd::FileOpen, "&Открыть", 0, OpenFile},
    {1, Cmd::FileSaveMenu, "&Сохранить      ", 0, nullptr},
    {2, Cmd::FileSaveAll, "&Все данные", 0, [](T t, int tag) { t.files.SaveMenuClick(tag); }},
    {2, Cmd::FileSavePlu, "&Таблицу товаров", 1, [](T t, int tag) { t.files.SaveMenuClick(tag); }},
    {2, Cmd::FileSaveMessages, "Таблицу &сообщений", 2,
     [](T t, int tag) { t.files.SaveMenuClick(tag); }},
    {2, Cmd::FileSaveTotals, "&Общий итог продаж", 3,
     [](T t, int tag) { t.files.SaveMenuClick(tag); }},
    {1, Cmd::FileExit, "&Выход", 0, [](T t, int) { t.form.ExitClick(); }},
    {0, Cmd::CheckMenu, "&Проверка", 0, nullptr},
    {1, Cmd::CheckAll, "Всех &данных", 0, CheckData},
    {1, Cmd::CheckPlu, "Только &товаров", 1, CheckData},
    {1, Cmd::CheckMessages, "Только &сообщений", 2, CheckData},
    {1, Cmd::CheckUnprintable, "&Непечатаемые символы", 0,
     [](T t, int) { t.tables.UnprintableCheckClick(); }},
    {0, Cmd::ReadMenu, "&Чтение", 0, nullptr},
    {1, Cmd::ReadPluMenu, "&Товаров       ", 0, nullptr},
    {2, Cmd::ReadPluTable, "Всей &таблицы", 0, ReadPlu},
    {2, Cmd::ReadPluRow, "Текущей &строки", 1, ReadPlu},
    {1, Cmd::ReadMsgMenu, "&Сообщений      ", 0, nullptr},
    {2, Cmd::ReadMsgAll, "&Всех", 0, ReadMessages},
    {2, Cmd::ReadMsgCurrent, "&Текущего", 1, ReadMessages},
    {0, Cmd::WriteMenu, "&Запись", 0, nullptr},
    {1, Cmd::WritePluMenu, "&Товаров   ", 0, nullptr},
    {2, Cmd::WritePluTable, "&Всей таблицы", 0, WritePlu},
    {2, Cmd::WritePluChanged, "Записать &изменённые товары", 0, WriteChangedPlu},
    {2, Cmd::WritePluRow, "&Текущей строки", 1, WritePlu},
    {1, Cmd::WriteMsgMenu, "&Сообщений      ", 0, nullptr},
    {2, Cmd::WriteMsgAll, "&Всех", 0, WriteMessages},
    {2, Cmd::WriteMsgCurrent, "&Текущего", 1, WriteMessages},
    {0, Cmd::InfoMenu, "&Информация", 0, nullptr},
    {1, Cmd::About, "&О программе", 0, [](T t, int) { t.form.AboutClick(); }},
};

std::size_t Index(Cmd id) {
  return static_cast<std::size_t>(id);
}

}  // namespace

CommandMap::CommandMap(QMainWindow& window) {
  // The menus first, then the bar, as the window's parts stand from the top.
  BuildMenus(window);
  BuildToolBar(window);
}

CommandMap::~CommandMap() = default;

void CommandMap::Bind(const CommandTargets& targets) {
  targets_.emplace(targets);
}

void CommandMap::Wire(QAction* action, CommandHandler handler) {
  connect(action, &QAction::triggered, this, [this, action, handler] {
    if (!targets_) return;
    std::exception_ptr failure;
    try {
      handler(*targets_, action->data().toInt());
    } catch (...) {
      failure = std::current_exception();
    }
    if (failure) ShowErrorReport(targets_->dialogs, failure);
  });
}

void CommandMap::BuildToolBar(QMainWindow& window) {
  bar_ = new QToolBar(&window);
  bar_->setObjectName(QStringLiteral("ToolBar"));
  bar_->setMovable(false);
  bar_->setFloatable(false);
  bar_->setFixedHeight(30);
  bar_->setIconSize(QSize(16, 16));
  bar_->setContextMenuPolicy(Qt::PreventContextMenu);
  window.addToolBar(Qt::TopToolBarArea, bar_);

  for (const ToolRow& row : kToolBar) {
    const QString hint = QString::fromUtf8(row.hint);
    switch (row.kind) {
      case Kind::kDivider:
        bar_->addSeparator();
        break;
      case Kind::kButton:
      case Kind::kToggle: {
        auto* action = new QAction(row.icon(), hint, bar_);
        action->setObjectName(QString::fromLatin1(row.name));
        action->setToolTip(hint);
        action->setData(row.tag);
        action->setCheckable(row.kind == Kind::kToggle);
        action->setShortcut(KeysOf(row.id));
        bar_->addAction(action);
        Wire(action, row.run);
        actions_[Index(row.id)] = action;
        break;
      }
      case Kind::kDropDown: {
        auto* menu = new QMenu(&window);
        menu->setObjectName(QStringLiteral("ScaleTypeMenu"));
        auto* group = new QActionGroup(menu);
        group->setExclusionPolicy(QActionGroup::ExclusionPolicy::Exclusive);
        for (int tag = 0; tag < kScaleModelCount; ++tag) {
          QAction* entry = menu->addAction(QString::fromLatin1(kScaleModels[tag].menuCaption));
          entry->setCheckable(true);
          entry->setData(tag);
          group->addAction(entry);
          Wire(entry, SelectScaleModel);
        }
        menus_[Index(Cmd::ScaleTypeMenu)] = menu;
        actions_[Index(Cmd::ScaleTypeMenu)] = menu->menuAction();
        // A button of its own, so that the bar shows the button's hint and opens the menu at
        // once; it carries the object name, its place on the bar the tag.
        auto* button = new QToolButton(bar_);
        button->setObjectName(QString::fromLatin1(row.name));
        button->setToolTip(hint);
        button->setIcon(row.icon());
        button->setAutoRaise(true);
        button->setMenu(menu);
        button->setPopupMode(QToolButton::InstantPopup);
        QAction* place = bar_->addWidget(button);
        place->setData(row.tag);
        actions_[Index(row.id)] = place;
        // Its key opens the drop-down as a click on the button does.
        auto* open = new QAction(button);
        open->setShortcut(KeysOf(row.id));
        window.addAction(open);
        connect(open, &QAction::triggered, button, &QToolButton::showMenu);
        break;
      }
    }
  }
}

void CommandMap::BuildMenus(QMainWindow& window) {
  QMenuBar* bar = window.menuBar();
  std::vector<QMenu*> open;  // the menu of each depth above the current row
  for (const MenuRow& row : kMenus) {
    open.resize(static_cast<std::size_t>(row.depth));
    const QString caption = QString::fromUtf8(row.caption);
    QAction* action = nullptr;
    if (!row.run) {
      QMenu* menu = open.empty() ? bar->addMenu(caption) : open.back()->addMenu(caption);
      menus_[Index(row.id)] = menu;
      open.push_back(menu);
      action = menu->menuAction();
    } else {
      action = open.back()->addAction(caption);
      Wire(action, row.run);
    }
    action->setData(row.tag);
    actions_[Index(row.id)] = action;
  }
}

}  // namespace qm
