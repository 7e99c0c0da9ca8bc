#include "ui/transfer/MainFormTransfers.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QTabWidget>
#include <QToolBar>
#include <exception>

#include "app/TransferFlows.h"
#include "base/Cp1251.h"
#include "base/Dialogs.h"
#include "session/ScaleSession.h"
#include "transfer/GrandTotals.h"
#include "ui/link/MainFormLink.h"
#include "ui/tables/MessageEditor.h"
#include "ui/tables/PluRowEditor.h"
#include "ui/tables/TSortGrid.h"
#include "ui/tables/TablesWindow.h"
#include "ui/transfer/TotalsView.h"
#include "ui/transfer/TransferIcons.h"
#include "ui/transfer/TransferInputGuard.h"
#include "ui/window/CurrentDialogs.h"
#include "ui/window/MainForm.h"

namespace qm {

// The transfers' dialogs: the window's current ones (tests replace them), except that the
// progress window reports Cancel once the operator has asked to close the window, whichever
// dialogs are in use and even when the request came before the progress window showed.
class MainFormTransfers::CommandDialogs : public CurrentDialogs {
 public:
  using CurrentDialogs::CurrentDialogs;
  bool StepProgress(int position) override {
    const bool cancelled = CurrentDialogs::StepProgress(position);
    return cancelled || Form().ClosePending();
  }
};

MainFormTransfers::MainFormTransfers(TMainForm& form)
    : form_(form),
      totals_(ClearedTotalsPage()),
      totalsView_(std::make_unique<TotalsView>(form.Pages().TotalsPage)),
      dialogs_(std::make_unique<CommandDialogs>(form)),
      hold_(std::make_unique<WindowInputHold>(&form)) {
  ScaleSession& session = form_.Session();
  session.SetExchangeHold(hold_.get());
  flows_ = std::make_unique<TransferFlows>(session, *dialogs_, *this);
  totalsView_->Show(totals_);
  BuildToolButtons();
  BuildMenus();
}

MainFormTransfers::~MainFormTransfers() {
  form_.Session().SetExchangeHold(nullptr);
}

void MainFormTransfers::SetSaveTotalsBeforeRead(std::function<bool()> save) {
  flows_->SetSaveTotalsBeforeRead(std::move(save));
}

void MainFormTransfers::BuildToolButtons() {
  QToolBar* bar = form_.ToolBar().Bar;
  // After the Connect button and the divider that follows it, whatever the bar holds already.
  const QList<QAction*> present = bar->actions();
  const qsizetype connectAt = present.indexOf(form_.LinkControls().ConnectAction());
  QAction* before =
      connectAt >= 0 && connectAt + 2 < present.size() ? present[connectAt + 2] : nullptr;
  auto place = [&](QAction* action) {
    if (before) {
      bar->insertAction(before, action);
    } else {
      bar->addAction(action);
    }
  };
  auto button = [&](const char* name, const char* hint, int tag, const QIcon& icon) {
    auto* action = new QAction(icon, QString::fromUtf8(hint), bar);
    action->setObjectName(QString::fromLatin1(name));
    action->setToolTip(QString::fromUtf8(hint));
    action->setData(tag);
    place(action);
    return action;
  };
  auto divider = [&] {
    auto* action = new QAction(bar);
    action->setSeparator(true);
    place(action);
  };
  using S = TransferSubject;
  using M = TransferMotion;

  ReadOnePlu = button("ReadOnePlu", "Чтение данных PLU", kCurrentRecord,
                      TransferIcon(S::Plu, M::Read, false));
  ReadAllPLU = button("ReadAllPLU", "Чтение таблицы товаров", kWholeTable,
                      TransferIcon(S::Plu, M::Read, true));
  WriteOnePLU = button("WriteOnePLU", "Запись данных PLU", kCurrentRecord,
                       TransferIcon(S::Plu, M::Write, false));
  WriteAllPLU = button("WriteAllPLU", "Запись таблицы товаров", kWholeTable,
                       TransferIcon(S::Plu, M::Write, true));
  divider();
  ReadOneMessage = button("ReadOneMessage", "Чтение текущего сообщения", kCurrentRecord,
                          TransferIcon(S::Message, M::Read, false));
  ReadAllMessages = button("ReadAllMessages", "Чтение всех сообщений", kWholeTable,
                           TransferIcon(S::Message, M::Read, true));
  WriteOneMessage = button("WriteOneMessage", "Запись текущего сообщения", kCurrentRecord,
                           TransferIcon(S::Message, M::Write, false));
  WriteAllMessages = button("WriteAllMessages", "Запись всех сообщений", kWholeTable,
                            TransferIcon(S::Message, M::Write, true));
  divider();
  ReadGTD = button("ReadGTD", "Считать общий итог", 0, TransferIcon(S::Totals, M::Read, true));
  ClearGTD = button("ClearGTD", "Стереть общий итог", 0, TransferIcon(S::Totals, M::Clear, true));
  divider();

  auto wire = [this](QAction* action, void (MainFormTransfers::*handler)(int)) {
    connect(action, &QAction::triggered, this,
            [this, action, handler] { (this->*handler)(action->data().toInt()); });
  };
  wire(ReadOnePlu, &MainFormTransfers::ReadPluClick);
  wire(ReadAllPLU, &MainFormTransfers::ReadPluClick);
  wire(WriteOnePLU, &MainFormTransfers::WritePLUClick);
  wire(WriteAllPLU, &MainFormTransfers::WritePLUClick);
  wire(ReadOneMessage, &MainFormTransfers::ReadMessageClick);
  wire(ReadAllMessages, &MainFormTransfers::ReadMessageClick);
  wire(WriteOneMessage, &MainFormTransfers::WriteMessagesClick);
  wire(WriteAllMessages, &MainFormTransfers::WriteMessagesClick);
  connect(ReadGTD, &QAction::triggered, this, &MainFormTransfers::ReadGTDClick);
  connect(ClearGTD, &QAction::triggered, this, &MainFormTransfers::ClearGTDClick);
}

void MainFormTransfers::BuildMenus() {
  QMenuBar* bar = form_.menuBar();
  QAction* info = form_.Menus().Info->menuAction();
  auto entries = [this](QMenu* menu, const char* whole, const char* current,
                        void (MainFormTransfers::*handler)(int)) {
    std::array<QAction*, 2> made{};
    const char* const captions[2] = {whole, current};
    const int tags[2] = {kWholeTable, kCurrentRecord};
    for (int i = 0; i < 2; ++i) {
      QAction* entry = menu->addAction(QString::fromUtf8(captions[i]));
      entry->setData(tags[i]);
      connect(entry, &QAction::triggered, this,
              [this, entry, handler] { (this->*handler)(entry->data().toInt()); });
      made[static_cast<std::size_t>(i)] = entry;
    }
    return made;
  };

  ReadMenu = new QMenu(QStringLiteral("&Чтение"), bar);
  ReadMenu->setObjectName(QStringLiteral("ReadMenu"));
  bar->insertMenu(info, ReadMenu);
  ReadPluMenu = ReadMenu->addMenu(QStringLiteral("&Товаров       "));
  ReadPluEntries =
      entries(ReadPluMenu, "Всей &таблицы", "Текущей &строки", &MainFormTransfers::ReadPluClick);
  ReadMsgMenu = ReadMenu->addMenu(QStringLiteral("&Сообщений      "));
  ReadMsgEntries = entries(ReadMsgMenu, "&Всех", "&Текущего", &MainFormTransfers::ReadMessageClick);

  WriteMenu = new QMenu(QStringLiteral("&Запись"), bar);
  WriteMenu->setObjectName(QStringLiteral("WriteMenu"));
  bar->insertMenu(info, WriteMenu);
  WritePluMenu = WriteMenu->addMenu(QStringLiteral("&Товаров   "));
  WritePluEntries =
      entries(WritePluMenu, "&Всей таблицы", "&Текущей строки", &MainFormTransfers::WritePLUClick);
  WriteMsgMenu = WriteMenu->addMenu(QStringLiteral("&Сообщений      "));
  WriteMsgEntries =
      entries(WriteMsgMenu, "&Всех", "&Текущего", &MainFormTransfers::WriteMessagesClick);
}

// ---- Handlers ----

void MainFormTransfers::Run(const std::function<void()>& command) {
  std::exception_ptr failure;
  try {
    command();
  } catch (...) {
    failure = std::current_exception();
  }
  if (!failure) return;
  MessageBoxRequest box;
  try {
    std::rethrow_exception(failure);
  } catch (const std::exception& e) {
    box.text = e.what();
  } catch (...) {
    box.text = "Unknown failure.";
  }
  box.caption = Win1251("QM V-1.6 Interchange Program");
  box.icon = DialogIcon::Error;
  box.buttons = kButtonOk;
  form_.GetDialogs().ShowMessage(box);
}

void MainFormTransfers::ReadPluClick(int tag) {
  Run([&] { flows_->ReadPluClick(tag); });
}
void MainFormTransfers::WritePLUClick(int tag) {
  Run([&] { flows_->WritePLUClick(tag); });
}
void MainFormTransfers::ReadMessageClick(int tag) {
  Run([&] { flows_->ReadMessageClick(tag); });
}
void MainFormTransfers::WriteMessagesClick(int tag) {
  Run([&] { flows_->WriteMessagesClick(tag); });
}
void MainFormTransfers::ReadGTDClick() {
  Run([&] { flows_->ReadGTDClick(); });
}
void MainFormTransfers::ClearGTDClick() {
  Run([&] { flows_->ClearGTDClick(); });
}

// ---- TransferView ----

void MainFormTransfers::ShowPage(int page) {
  QTabWidget* pages = form_.Pages().PageControl;
  if (pages->currentIndex() != page) {
    pages->setCurrentIndex(page);  // the page change shows the current record
  } else {
    form_.Tables().PageControlChange(page);
  }
}

namespace {

// Moves the focus to `grid`. The editors settle their pending edits when the focus leaves them;
// the window tells them so only while it is active, so an inactive window asks `exit` directly.
template <typename Exit>
void FocusGridSettling(TMainForm& form, QWidget* grid, Exit exit) {
  QWidget* leaving = form.focusWidget();
  const bool active = form.isActiveWindow();
  grid->setFocus(Qt::OtherFocusReason);
  if (!active && leaving && leaving != grid) exit(leaving, grid);
}

}  // namespace

void MainFormTransfers::SettlePluEditor() {
  PluRowEditor& editor = form_.Tables().PluEditor();
  FocusGridSettling(form_, form_.Tables().PLUSortGrid, [&](QWidget* leaving, QWidget* grid) {
    editor.PLURowEditExit(leaving, grid, true);
  });
}

void MainFormTransfers::SettleMessageEditor() {
  MessageEditor& editor = form_.Tables().MsgEditor();
  FocusGridSettling(form_, form_.Tables().MsgSortGrid, [&](QWidget* leaving, QWidget* grid) {
    editor.MsgRichEditExit(leaving, grid);
  });
}

void MainFormTransfers::ClearMessageDirty() {
  form_.Tables().MsgEditor().ClearMessageDirty();
}

void MainFormTransfers::ResetPluSortDirections() {
  form_.Tables().PluCmds().ResetSortToggles();
}

void MainFormTransfers::ResetMessageSortDirections() {
  form_.Tables().MsgCmds().ResetSortToggles();
}

void MainFormTransfers::ShowTotals(const TotalsPage& page) {
  totals_ = page;
  totalsView_->Show(totals_);
}

}  // namespace qm
