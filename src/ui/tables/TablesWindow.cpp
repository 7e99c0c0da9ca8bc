#include "ui/tables/TablesWindow.h"

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabWidget>

#include "app/CheckFlow.h"
#include "app/FontLayout.h"
#include "app/MatchFlow.h"
#include "app/UnprintableCheck.h"
#include "tables/PluColumns.h"
#include "tables/PluMatching.h"
#include "tables/PluTable.h"
#include "ui/tables/ActivateOnPress.h"
#include "ui/tables/DropStalePress.h"
#include "ui/tables/MessageEditor.h"
#include "ui/tables/PluRowEditor.h"
#include "ui/tables/TSortGrid.h"
#include "ui/tables/TextGridModel.h"

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

TablesWindow::TablesWindow(QWidget* client, const MainPages& pages, SessionTables& tables,
                           RunState& state, StatusView& status, Dialogs& dialogs)
    : client_(client),
      pages_(pages),
      state_(state),
      status_(status),
      dialogs_(dialogs),
      tables_(tables) {
  pluTable_.SetTitles(PluColumnTitles());
  auto editorDialogs = [&dialogs]() -> Dialogs& { return dialogs; };
  pluEditor_ = new PluRowEditor(pages.PluPage, pages.LogoSelector, pluTable_, flags_, status, state,
                                editorDialogs, bounce_);
  msgEditor_ = new MessageEditor(pages.MsgPage, pages.PageControl, editorDialogs, bounce_);
  msgCommands_ =
      std::make_unique<MessageCommands>(messages_, pluTable_, flags_, &status, *msgEditor_);
  pluCommands_ = std::make_unique<PluCommands>(pluTable_, flags_, &status, *pluEditor_);
  pluEditor_->Attach(pluCommands_.get(), msgCommands_.get(), msgEditor_->MsgNameEdit);
  msgEditor_->Attach(msgCommands_.get(), pluEditor_);
  msgFollower_ = std::make_unique<MessageRowFollower>(messages_.Grid(), *msgCommands_);
  connect(pluEditor_, &PluRowEditor::ShowPageRequested, this, &TablesWindow::ShowPluPage);

  BuildGrids();

  connect(pages.PageControl, &QTabWidget::currentChanged, this, &TablesWindow::PageControlChange);
  connect(qApp, &QApplication::focusChanged, this, &TablesWindow::FocusChanged);
  activateOnPress_ = std::make_unique<ActivateOnPress>(client_, state_);
  dropStalePress_ = std::make_unique<DropStalePress>();
}

TablesWindow::~TablesWindow() {
  // The widgets outlive this object inside the window; everything that observes the tables or
  // reacts to focus moves goes first.
  disconnect(qApp, nullptr, this, nullptr);
  activateOnPress_.reset();
  msgFollower_.reset();
  delete PLUSortGrid;
  delete MsgSortGrid;
  delete pluEditor_;
  delete msgEditor_;
}

void TablesWindow::BuildGrids() {
  QWidget* client = client_;

  PLUSortGrid = new TSortGrid(pluTable_, client);
  PLUSortGrid->setObjectName(QStringLiteral("PLUSortGrid"));
  PLUSortGrid->SetAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  PLUSortGrid->SetRowHeight(16);
  PLUSortGrid->setGeometry(0, 230, kDesignFormWidth, 155);
  pluSortHooks_ = std::make_unique<SortStatusHooks>(
      &status_, [grid = PLUSortGrid] { return grid->CellEditorOpen(); });
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
      &status_, [grid = MsgSortGrid] { return grid->CellEditorOpen(); });
  MsgSortGrid->OnClickSort = [this](int column, bool right) {
    msgCommands_->TitleClick(column, right, *msgSortHooks_);
  };

  // Tab goes as the screen reads: from the page tabs through the editor of the page shown (the
  // hidden page's widgets are passed over), then the message grid at the right and the PLU grid
  // below. Made once here: each setTabOrder moves only its second widget.
  std::vector<QWidget*> order = pluEditor_->TabOrder();
  for (QWidget* w : msgEditor_->TabOrder()) order.push_back(w);
  order.push_back(MsgSortGrid);
  order.push_back(PLUSortGrid);
  for (std::size_t i = 1; i < order.size(); ++i) QWidget::setTabOrder(order[i - 1], order[i]);

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
  CheckCommandContext context{state_, status_, dialogs_, *this, pluTable_, messages_};
  ::qm::TestDataClick(tag, context);
}

void TablesWindow::UnprintableCheckClick() {
  CheckCommandContext context{state_, status_, dialogs_, *this, pluTable_, messages_};
  ::qm::UnprintableCheckClick(context);
}

void TablesWindow::MatchButtonClick() {
  MatchCommandContext context{state_,    status_,       dialogs_,   flags_,
                              pluTable_, *pluCommands_, *pluEditor_};
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
  pages_.PageControl->setCurrentIndex(0);
}

void TablesWindow::SelectPluCell(int column, int row) {
  pluTable_.MoveToCell(column, row);
}

void TablesWindow::FocusPluField(int column) {
  pluEditor_->FocusPluField(column);
}

void TablesWindow::ShowMessagePage() {
  pages_.PageControl->setCurrentIndex(1);
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
  const QWidget* window = client_->window();
  if (old->window() != window || now->window() != window) return;
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
  QWidget* pluPage = pages_.PluPage;
  if (inside(pluPage, now) && !inside(pluPage, old)) {
    pluEditor_->Refresh();
    pluEditor_->SetSuppressRowLoad(false);
  }
  if (toPluGrid && !inside(PLUSortGrid, old)) pluEditor_->Refresh();
}

}  // namespace qm
