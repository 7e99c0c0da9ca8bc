#include "ui/window/MainForm.h"

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QMenu>
#include <QScreen>
#include <QStatusBar>
#include <QTabWidget>

#include "app/CloseRequest.h"
#include "app/LinkIndicators.h"
#include "app/ScaleTypeSelection.h"
#include "app/Settings.h"
#include "base/TickSource.h"
#include "ledger/Ledger.h"
#include "link/ScaleLink.h"
#include "port/PortNames.h"
#include "session/LedgerName.h"
#include "session/ScaleSession.h"
#include "ui/files/MainFormFiles.h"
#include "ui/link/MainFormLink.h"
#include "ui/tables/TablesWindow.h"
#include "ui/transfer/MainFormTransfers.h"
#include "ui/window/CommandMap.h"
#include "ui/window/FontLayoutHost.h"
#include "ui/window/MainFormSettings.h"
#include "ui/window/QtDialogs.h"
#include "ui/window/QtEventPump.h"
#include "ui/window/QtFont.h"
#include "ui/window/QtSettingsStore.h"
#include "ui/window/QtStatusView.h"
#include "ui/window/TAboutBox.h"
#include "ui/window/TProgressBox.h"
#include "ui/window/WindowDialogs.h"

namespace qm {

namespace {
TickSource* testTicks = nullptr;
}  // namespace

void TMainForm::SetTicksForTesting(TickSource* ticks) {
  testTicks = ticks;
}

TMainForm::TMainForm(QWidget* parent)
    : QMainWindow(parent),
      store_(std::make_unique<QtSettingsStore>()),
      qtDialogs_(std::make_unique<QtDialogs>(this)),
      dialogs_(std::make_unique<WindowDialogs>(*qtDialogs_, [this] { return ClosePending(); })),
      pump_(std::make_unique<QtEventPump>()) {
  setWindowTitle(QStringLiteral("QM V-1.6 Interchange Program"));
  commands_ = std::make_unique<CommandMap>(*this);
  auto* client = new QWidget(this);
  client->setObjectName(QStringLiteral("Client"));
  setCentralWidget(client);
  pages_ = BuildMainPages(client);
  status_ = std::make_unique<QtStatusView>(statusBar());
  session_ = std::make_unique<ScaleSession>(port_, *pump_, *status_, state_);
  // What each scale holds is kept in the per-user ledger, under the scale's line and address as
  // they are when a transfer starts.
  if (Ledger::Available()) {
    session_->SetLedgerPlace([this] {
      return LedgerPlace{Ledger::DefaultPath(),
                         LedgerScaleName(ResolvePortDevice(port_.Port()), state_.ScaleAddress)};
    });
  }

  timer_.setInterval(kTimerInterval);
  if ((ticks_ = testTicks)) {
    timer_.setInterval(1);
    ticks_->Restart(TickSource::Clock::now());
  }
  connect(&timer_, &QTimer::timeout, this, &TMainForm::TimerTimer);

  FormCreate();
  CreatePanels();
}

TMainForm::~TMainForm() {
  // First nothing can run a command any more; then each panel goes before the ones it was given.
  commands_.reset();
  fontLayout_.reset();
  files_.reset();
  transfers_.reset();
  link_.reset();
  tables_.reset();
  session_.reset();
}

void TMainForm::CreatePanels() {
  QWidget* client = centralWidget();
  link_ = std::make_unique<MainFormLink>(client, port_, dispatcher_, *session_, state_, line_,
                                         *status_, *dialogs_);
  // Queued: the poll waits for the scale in a nested event loop, and Qt does not deliver a
  // timer's event again while that timer's own event is still being handled. Run from a posted
  // call instead, the poll leaves the timer free to tick and count the reply time-out down.
  connect(this, &TMainForm::TimerTick, link_.get(), &MainFormLink::TimerTick, Qt::QueuedConnection);
  transfers_ = std::make_unique<MainFormTransfers>(this, pages_, *tables_, *session_, *dialogs_);
  files_ = std::make_unique<MainFormFiles>(*tables_, state_, *status_, *dialogs_, *pump_,
                                           transfers_->Totals());
  // New totals replace the shown ones only after the operator was offered to save them.
  transfers_->SetSaveTotalsBeforeRead([this] { return files_->Files().SaveBeforeTotalsRead(); });
  fontLayout_ = std::make_unique<FontLayoutHost>(
      *this,
      LayoutPanes{commands_->Bar(), pages_, tables_->PLUSortGrid, tables_->MsgSortGrid,
                  link_->DisplayPanels(), status_.get()},
      dialogFont_);

  commands_->Bind({*dialogs_, *this, *tables_, *files_, *link_, *transfers_, *fontLayout_});
  // Connect is not held off by a transfer: it cuts the line, also of a scale that stays busy.
  transfers_->LetThroughDuringTransfers(commands_->Action(Cmd::Connect));
  // What the core shows on the tool bar and over the pages: Save follows the modified flags,
  // Connect the port, the display panels the live poll.
  status_->AttachSaveAction(commands_->Action(Cmd::Save));
  status_->AttachConnectAction(commands_->Action(Cmd::Connect));
  status_->AttachDisplayPanels(link_->DisplayPanels());

  // The layout starts at the design size once every pane and control exists.
  fontLayout_->StartAtDesignSize();
}

void TMainForm::SetDialogs(Dialogs* dialogs) {
  dialogs_->Replace(dialogs);
}
TProgressBox* TMainForm::ProgressBox() const {
  return progressBox_;
}

void TMainForm::FormCreate() {
  // The design font is the font dialog's font and the window's; the saved size is the design
  // size until the settings say otherwise.
  dialogFont_ = TFontValues{};
  setFont(ToQFont(dialogFont_));
  state_.SavedWidth = kDesignWidth;
  state_.SavedHeight = kDesignHeight;
  // Number and date text is fixed by the core's own formatting, whatever the locale.
  pages_.PageControl->setCurrentIndex(0);
  tables_ = std::make_unique<TablesWindow>(centralWidget(), pages_, session_->Tables(), state_,
                                           *status_, *dialogs_);
  tables_->PrepareMessageTable();
  status_->SetStatusText(kPanelModel, state_.CurrentScale.ModelName);
  status_->SetStatusText(kPanelBusy, std::string());
  tables_->PreparePluTable();
  timer_.start();
  ApplyPortDefaults(state_.CurrentScale, line_);
  resize(kDesignWidth, kDesignHeight);
  state_.ScaleAddress = 1;
  pages_.LogoSelector->setCurrentIndex(0);

  StoredSettings values = CurrentStoredSettings(*this, line_, dialogFont_);
  LoadSettingsAtStartUp(*store_, state_, values, *status_);
  if (state_.SettingsKeyPresent) {
    line_ = values.Line;
    ApplyReadPlacement(values.Left, values.Top);
    dialogFont_ = values.Font;
  }
}

void TMainForm::ApplyReadPlacement(int left, int top) {
  // A position that was not stored reads as the current one; leaving it alone keeps the window
  // system's default placement.
  if (left != x()) move(left, y());
  if (top != y()) move(x(), top);
}

void TMainForm::CreateAuxWindows() {
  if (!aboutBox_) aboutBox_ = new TAboutBox(this);
  if (!progressBox_) progressBox_ = new TProgressBox(this);
  qtDialogs_->AttachProgressBox(progressBox_);
}

void TMainForm::ApplySavedFont() {
  fontLayout_->ApplySavedFont(dialogFont_);
}

void TMainForm::ApplySavedSize() {
  fontLayout_->ApplySavedSize(state_.SavedWidth, state_.SavedHeight, state_.SettingsKeyPresent);
}

void TMainForm::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  if (fontLayout_) fontLayout_->WindowResized();
}

void TMainForm::TimerTimer() {
  if (ticks_ && !ticks_->TakeTick(TickSource::Clock::now(), true)) return;
  emit TimerTick();
  // A close accepted during an exchange completes once the exchange has let go.
  if (closeConfirmed_ && !closed_ && !state_.LinkBusy) {
    QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
  }
}

void TMainForm::ExitClick() {
  close();
}

void TMainForm::AboutClick() {
  if (!aboutBox_) CreateAuxWindows();
  if (const QScreen* screen = aboutBox_->screen()) {
    const QRect area = screen->availableGeometry();
    aboutBox_->move(area.center() - QPoint(aboutBox_->width() / 2, aboutBox_->height() / 2));
  }
  aboutBox_->exec();
}

void TMainForm::ScaleTypeItemClick(int tag) {
  if (!ScaleTypeMenuClick(state_, *status_, tag)) return;
  commands_->Menu(Cmd::ScaleTypeMenu)->actions().at(tag)->setChecked(true);
}

void TMainForm::closeEvent(QCloseEvent* event) {
  if (closed_) {
    event->accept();
    return;
  }
  if (closing_) {
    // A request from inside the close sequence (its dialogs and saves handle events).
    event->ignore();
    return;
  }
  if (!closeConfirmed_ && !ConfirmClose(*dialogs_)) {
    event->ignore();
    return;
  }
  if (state_.LinkBusy) {
    // The request arrived while an exchange waits in a nested event loop below this handler.
    // Its objects must outlive it: ask it to stop at its next step and close once it has let
    // go of the link (checked on every timer tick), without asking again.
    closeConfirmed_ = true;
    if (progressBox_) progressBox_->RequestCancel();
    event->ignore();
    return;
  }
  if (!FormClose()) {
    event->ignore();
    return;
  }
  event->accept();
}

bool TMainForm::event(QEvent* event) {
  // Status tips would replace the eight panels with a temporary message; the bar shows panels only.
  if (event->type() == QEvent::StatusTip) return true;
  if (event->type() == QEvent::Show && fontLayout_) fontLayout_->WindowShown();
  return QMainWindow::event(event);
}

bool TMainForm::FormClose() {
  closing_ = true;
  timer_.stop();
  link_->CloseForExit();
  const bool saved = files_->SaveOnClose();
  closing_ = false;
  if (!saved) {
    // A file could not be written (the operator was told): the window stays open with the data
    // in it, disconnected from the scale; the next close asks again.
    closeConfirmed_ = false;
    ShowConnectButton(*status_, false);
    timer_.start();
    return false;
  }
  closed_ = true;
  fontLayout_->FreeResizers();
  SaveSettingsAtClose(*store_, state_, CurrentStoredSettings(*this, line_, dialogFont_));
  store_->Flush();
  return true;
}

}  // namespace qm
