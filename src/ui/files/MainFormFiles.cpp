#include "ui/files/MainFormFiles.h"

#include "ui/transfer/MainFormTransfers.h"

#include <QAction>
#include <QMenu>
#include <QTabWidget>
#include <QToolBar>

#include "base/Dialogs.h"
#include "transfer/GrandTotals.h"
#include "ui/files/FileIcons.h"
#include "ui/tables/PluRowEditor.h"
#include "ui/tables/TablesWindow.h"
#include "ui/window/CurrentDialogs.h"
#include "ui/window/MainForm.h"
#include "ui/window/QtStatusView.h"

namespace qm {

MainFormFiles::MainFormFiles(TMainForm& form)
    : form_(form), dialogs_(std::make_unique<CurrentDialogs>(form)) {
  TablesWindow& tables = form.Tables();
  SessionTables& data = tables.Data();
  files_ = std::make_unique<FileFlows>(FileFlowContext{
      data.plu, data.messages, data.flags, data.files, tables.PluCmds(), tables.MsgCmds(),
      form.State(), form.Status(), *dialogs_, &form.Pump(), *this});
  BuildToolButtons();
  BuildMenu();
}

MainFormFiles::~MainFormFiles() = default;

void MainFormFiles::BuildToolButtons() {
  QToolBar* bar = form_.ToolBar().Bar;
  QAction* before = form_.Tables().FileButtonsPlace();
  auto button = [&](const char* name, const QIcon& icon, const QString& hint) {
    auto* action = new QAction(icon, hint, bar);
    action->setObjectName(QString::fromLatin1(name));
    action->setToolTip(hint);
    action->setData(0);
    bar->insertAction(before, action);
    return action;
  };
  New = button("New", NewDataIcon(), QStringLiteral("Новый набор данных"));
  Open = button("Open", OpenFileIcon(), QStringLiteral("Открыть файл"));
  Save = button("Save", SaveDataIcon(), QStringLiteral("Сохранить данные"));
  // Disabled at start; from here on the status view keeps it as the modified flags say.
  form_.StatusBarView().AttachSaveAction(Save);
  ShowSaveState();

  connect(New, &QAction::triggered, this, &MainFormFiles::NewClick);
  connect(Open, &QAction::triggered, this, &MainFormFiles::OpenClick);
  connect(Save, &QAction::triggered, this, &MainFormFiles::SaveClick);
}

void MainFormFiles::BuildMenu() {
  QMenu* file = form_.Menus().File;
  QAction* exit = form_.Menus().Exit;

  NewMenu = new QMenu(QStringLiteral("&Новый"), file);
  NewMenu->menuAction()->setData(0);
  const char* const newCaptions[3] = {"&Набор данных", "&Таблица товаров", "Таблица &сообщений"};
  for (std::size_t i = 0; i < NewEntries.size(); ++i) {
    NewEntries[i] = NewMenu->addAction(QString::fromUtf8(newCaptions[i]));
    NewEntries[i]->setData(0);
  }
  connect(NewEntries[0], &QAction::triggered, this, &MainFormFiles::NewClick);
  connect(NewEntries[1], &QAction::triggered, this, &MainFormFiles::NewPluClick);
  connect(NewEntries[2], &QAction::triggered, this, &MainFormFiles::NewMsgClick);
  file->insertMenu(exit, NewMenu);

  OpenEntry = new QAction(QStringLiteral("&Открыть"), file);
  OpenEntry->setData(0);
  connect(OpenEntry, &QAction::triggered, this, &MainFormFiles::OpenClick);
  file->insertAction(exit, OpenEntry);

  // The blanks at the end belong to the caption.
  SaveMenu = new QMenu(QStringLiteral("&Сохранить      "), file);
  SaveMenu->menuAction()->setData(0);
  const char* const saveCaptions[4] = {"&Все данные", "&Таблицу товаров", "Таблицу &сообщений",
                                       "&Общий итог продаж"};
  for (std::size_t i = 0; i < SaveEntries.size(); ++i) {
    QAction* entry = SaveMenu->addAction(QString::fromUtf8(saveCaptions[i]));
    entry->setData(static_cast<int>(i));
    connect(entry, &QAction::triggered, this,
            [this, entry] { SaveMenuClick(entry->data().toInt()); });
    SaveEntries[i] = entry;
  }
  file->insertMenu(exit, SaveMenu);
}

void MainFormFiles::ShowSaveState() {
  form_.Status().SetSaveEnabled(form_.Tables().Flags().Any());
}

// ---- Commands ----

void MainFormFiles::NewClick() {
  files_->NewClick();
  ShowSaveState();
}

void MainFormFiles::NewPluClick() {
  files_->NewPluClick();
  ShowSaveState();
}

void MainFormFiles::NewMsgClick() {
  files_->NewMsgClick();
  ShowSaveState();
}

void MainFormFiles::OpenClick() {
  files_->OpenClick();
  ShowSaveState();
}

void MainFormFiles::SaveClick() {
  if (form_.State().LinkBusy) return;
  files_->SaveClick();
  ShowSaveState();
}

void MainFormFiles::SaveMenuClick(int tag) {
  if (form_.State().LinkBusy) return;
  files_->SaveMenuClick(tag);
  ShowSaveState();
}

bool MainFormFiles::SaveOnClose() {
  const bool saved = files_->SaveOnClose();
  ShowSaveState();
  return saved;
}

// ---- FileFlowHooks ----

void MainFormFiles::ShowPluPage() {
  form_.Tables().ShowPluPage();
}

void MainFormFiles::ShowMessagePage() {
  form_.Tables().ShowMessagePage();
}

void MainFormFiles::ShowCurrentPluRow() {
  form_.Tables().PluEditor().Refresh();
}

TotalsPage MainFormFiles::TotalsShown() const {
  return form_.Transfers().Totals();
}

}  // namespace qm
