#include "ui/tables/TablesWindow.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QStyle>
#include <QTabWidget>
#include <QToolBar>

#include "app/CheckFlow.h"
#include "app/FontLayout.h"
#include "app/MatchFlow.h"
#include "tables/PluColumns.h"
#include "tables/PluMatching.h"
#include "tables/PluTable.h"
#include "ui/tables/MessageEditor.h"
#include "ui/tables/PluRowEditor.h"
#include "ui/tables/TSortGrid.h"
#include "ui/tables/TextGridModel.h"
#include "ui/window/MainForm.h"

namespace qm {

// MsgSortGridSelectCell: every change of the message grid's current cell shows that row's
// message (the commands' own moves are hidden by SuppressMsgSelect).
class TablesWindow::MessageRowFollower : public GridObserver {
 public:
  MessageRowFollower(TextGrid& grid, MessageCommands& commands) : grid_(grid), commands_(commands) {
    grid_.AddObserver(this);
  }
  ~MessageRowFollower() override { grid_.RemoveObserver(this); }
  void CurrentCellChanged(int, int row) override { commands_.SelectCell(row); }

 private:
  TextGrid& grid_;
  MessageCommands& commands_;
};

TablesWindow::TablesWindow(TMainForm& form) : form_(form), tables_(&form.Status()) {
  pluTable_.SetTitles(PluColumnTitles());
  auto dialogs = [&form]() -> Dialogs& { return form.GetDialogs(); };
  MainPages& pages = form.Pages();
  pluEditor_ = new PluRowEditor(pages.PluPage, pages.LogoSelector, pluTable_, flags_, form.Status(),
                                form.State(), dialogs, bounce_);
  msgEditor_ = new MessageEditor(pages.MsgPage, pages.PageControl, dialogs, bounce_);
  msgCommands_ =
      std::make_unique<MessageCommands>(messages_, pluTable_, flags_, &form.Status(), *msgEditor_);
  pluCommands_ = std::make_unique<PluCommands>(pluTable_, flags_, &form.Status(), *pluEditor_);
  pluEditor_->Attach(pluCommands_.get(), msgCommands_.get(), msgEditor_->MsgNameEdit);
  msgEditor_->Attach(msgCommands_.get(), pluEditor_);
  msgFollower_ = std::make_unique<MessageRowFollower>(messages_.Grid(), *msgCommands_);
  connect(pluEditor_, &PluRowEditor::ShowPageRequested, this, &TablesWindow::ShowPluPage);

  BuildGrids();
  BuildCommands();

  connect(pages.PageControl, &QTabWidget::currentChanged, this, &TablesWindow::PageControlChange);
  connect(qApp, &QApplication::focusChanged, this, &TablesWindow::FocusChanged);
}

TablesWindow::~TablesWindow() {
  // The widgets outlive this object inside the window; everything that observes the tables or
  // reacts to focus moves goes first.
  disconnect(qApp, nullptr, this, nullptr);
  msgFollower_.reset();
  delete PLUSortGrid;
  delete MsgSortGrid;
  delete pluEditor_;
  delete msgEditor_;
}

void TablesWindow::BuildGrids() {
  QWidget* client = form_.centralWidget();

  PLUSortGrid = new TSortGrid(pluTable_, client);
  PLUSortGrid->setObjectName(QStringLiteral("PLUSortGrid"));
  PLUSortGrid->SetAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  PLUSortGrid->SetRowHeight(16);
  PLUSortGrid->setGeometry(0, 230, TMainForm::kDesignWidth, 155);
  pluSortHooks_ = std::make_unique<SortStatusHooks>(
      &form_.Status(), [grid = PLUSortGrid] { return grid->CellEditorOpen(); });
  PLUSortGrid->OnClickSort = [this](int column, bool right) {
    pluCommands_->TitleClick(column, right, *pluSortHooks_);
  };
  // Double click or Enter in the grid: to the editor field of the current column.
  PLUSortGrid->OnEnterKey = [this] {
    FocusPluField(pluTable_.CurrentColumn());
    return true;
  };
  connect(PLUSortGrid, &QAbstractItemView::doubleClicked, this,
          [this] { FocusPluField(pluTable_.CurrentColumn()); });

  MsgSortGrid = new TSortGrid(messages_.Grid(), client);
  MsgSortGrid->setObjectName(QStringLiteral("MsgSortGrid"));
  MsgSortGrid->SetAlignment(Qt::AlignCenter);
  MsgSortGrid->SetFixedColumns(1);
  MsgSortGrid->SetCellEditing(true);
  MsgSortGrid->setGeometry(535, 0, 97, 230);
  MsgSortGrid->Model().OnCellEdited = [this](int, int) { msgCommands_->NameCellEdited(); };
  msgSortHooks_ = std::make_unique<SortStatusHooks>(
      &form_.Status(), [grid = MsgSortGrid] { return grid->CellEditorOpen(); });
  MsgSortGrid->OnClickSort = [this](int column, bool right) {
    msgCommands_->TitleClick(column, right, *msgSortHooks_);
  };

  // Columns in the design proportions, so that both grids are readable from the start; the
  // font-driven layout fits them again whenever it sizes the grids.
  const int pluWidth = PLUSortGrid->contentsRect().width();
  int weights = 0;
  for (int w : ColumnWeights) weights += w;
  for (int c = 0; c < kPluColumnCount; ++c) {
    PLUSortGrid->setColumnWidth(c, ColumnWeights[static_cast<std::size_t>(c)] * pluWidth / weights);
  }
  const int msgWidth = MsgSortGrid->contentsRect().width();
  const int numberWidth = static_cast<int>(msgWidth * kMessageFirstColumnShare + 0.5);
  MsgSortGrid->setColumnWidth(kMsgNo, numberWidth);
  MsgSortGrid->setColumnWidth(kMsgName, msgWidth - numberWidth);
}

void TablesWindow::BuildCommands() {
  MainToolBar& bar = form_.ToolBar();
  QAction* before = bar.SelectScaleTypeAction;
  fileButtonsPlace_ = bar.Bar->insertSeparator(before);
  TestData = new QAction(form_.style()->standardIcon(QStyle::SP_DialogApplyButton),
                         QStringLiteral("TestData"), bar.Bar);
  TestData->setObjectName(QStringLiteral("TestData"));
  TestData->setToolTip(QStringLiteral("Проверка правильности данных"));
  TestData->setData(0);
  bar.Bar->insertAction(before, TestData);
  MatchButton = new QAction(form_.style()->standardIcon(QStyle::SP_BrowserReload),
                            QStringLiteral("MatchButton"), bar.Bar);
  MatchButton->setObjectName(QStringLiteral("MatchButton"));
  MatchButton->setToolTip(QStringLiteral("Согласовать номера товаров и PLU"));
  MatchButton->setData(0);
  bar.Bar->insertAction(before, MatchButton);
  bar.Bar->insertSeparator(before);
  connect(TestData, &QAction::triggered, this, [this] { TestDataClick(TestData->data().toInt()); });
  connect(MatchButton, &QAction::triggered, this, &TablesWindow::MatchButtonClick);

  CheckMenu = new QMenu(QStringLiteral("&Проверка"), form_.menuBar());
  form_.menuBar()->insertMenu(form_.Menus().Info->menuAction(), CheckMenu);
  const char* const captions[3] = {"Всех &данных", "Только &товаров", "Только &сообщений"};
  for (int tag = 0; tag < 3; ++tag) {
    QAction* entry = CheckMenu->addAction(QString::fromUtf8(captions[tag]));
    entry->setData(tag);
    connect(entry, &QAction::triggered, this,
            [this, entry] { TestDataClick(entry->data().toInt()); });
    CheckEntries[static_cast<std::size_t>(tag)] = entry;
  }
}

void TablesWindow::PrepareMessageTable() {
  messages_.Reset();
  msgEditor_->ShowInEditor({}, std::string());
}

void TablesWindow::PreparePluTable() {
  ResetPluTable(pluTable_);
  pluEditor_->Refresh();
}

// ---- Commands ----

void TablesWindow::TestDataClick(int tag) {
  CheckCommandContext context{form_.State(), form_.Status(), form_.GetDialogs(),
                              *this,         pluTable_,      messages_};
  ::qm::TestDataClick(tag, context);
}

void TablesWindow::MatchButtonClick() {
  MatchCommandContext context{form_.State(), form_.Status(), form_.GetDialogs(), flags_,
                              pluTable_,     *pluCommands_,  *pluEditor_};
  ::qm::MatchButtonClick(context);
}

void TablesWindow::PageControlChange(int index) {
  if (index == 0) {
    pluEditor_->Refresh();
    pluEditor_->SetSuppressRowLoad(false);
  } else if (index == 1) {
    msgCommands_->RefreshCurrent();
  }
}

// ---- ValidationView ----

void TablesWindow::ShowPluPage() {
  form_.Pages().PageControl->setCurrentIndex(0);
}

void TablesWindow::SelectPluCell(int column, int row) {
  pluTable_.MoveToCell(column, row);
}

void TablesWindow::FocusPluField(int column) {
  pluEditor_->FocusPluField(column);
}

void TablesWindow::ShowMessagePage() {
  form_.Pages().PageControl->setCurrentIndex(1);
}

bool TablesWindow::SelectMessage(int number) {
  return msgCommands_->SelectMessage(number);
}

void TablesWindow::FocusMessageText() {
  msgEditor_->MsgRichEdit->setFocus(Qt::OtherFocusReason);
}

// ---- Focus rules ----

void TablesWindow::FocusChanged(QWidget* old, QWidget* now) {
  if (bounce_.active || !old || !now) return;
  if (old->window() != &form_ || now->window() != &form_) return;
  auto inside = [](const QWidget* area, const QWidget* w) {
    return w == area || area->isAncestorOf(w);
  };
  const bool toPluGrid = inside(PLUSortGrid, now);

  pluEditor_->PLURowEditExit(old, now, toPluGrid);
  if (QApplication::focusWidget() != now) return;
  msgEditor_->MsgRichEditExit(old, now);
  if (QApplication::focusWidget() != now) return;

  if (inside(MsgSortGrid, old) && now == pluEditor_->MIMemo) {
    const TextGrid& grid = messages_.Grid();
    pluEditor_->TakeMessageNumber(grid.Cell(kMsgNo, grid.CurrentRow()));
  }
  QWidget* pluPage = form_.Pages().PluPage;
  if (inside(pluPage, now) && !inside(pluPage, old)) {
    pluEditor_->Refresh();
    pluEditor_->SetSuppressRowLoad(false);
  }
  if (toPluGrid && !inside(PLUSortGrid, old)) pluEditor_->Refresh();
}

}  // namespace qm
