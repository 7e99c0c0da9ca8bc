#include "ui/link/MainFormLink.h"

#include <QAction>
#include <QFontDatabase>
#include <QLabel>
#include <QPalette>
#include <QToolBar>

#include "app/ComPortSettingsAccess.h"
#include "app/ConnectionCommands.h"
#include "app/TransferFlows.h"
#include "base/Cp1251.h"
#include "ui/link/LinkIcons.h"
#include "ui/tables/TablesWindow.h"
#include "ui/window/CommFrm.h"
#include "ui/window/CurrentDialogs.h"
#include "ui/window/MainForm.h"
#include "ui/window/QtStatusView.h"

namespace qm {

namespace {

const char* const kDisplayHints[4] = {"Номер PLU", "Вес", "Цена", "Стоимость"};
const char* const kDisplayNames[4] = {"PluNoPanel", "WeightPanel", "PricePanel", "TotalPanel"};
constexpr int kToolBarDesignHeight = 30;

// "Courier New" where it is installed; otherwise the system's fixed-pitch face takes its place.
QFont DisplayFont() {
  QFont font(QStringLiteral("Courier New"));
  font.setFamilies({QStringLiteral("Courier New"),
                    QFontDatabase::systemFont(QFontDatabase::FixedFont).family()});
  font.setStyleHint(QFont::TypeWriter);
  font.setPointSize(MainFormLink::kDisplayFontSize);
  font.setBold(true);
  return font;
}

}  // namespace

MainFormLink::MainFormLink(TMainForm& form) : form_(form) {
  port_.Name = "ComPort";
  port_.SetPort(TPortType::COM2);
  port_.SetBaudRate(TBaudRate::br9600);
  port_.SetDataBits(TDataBits::dbEight);
  port_.Parity().SetBits(TParityBits::prNone);
  port_.SetStopBits(TStopBits::sbOneStopBit);
  port_.SetEvents(TEvents::All());
  port_.SetSyncMethod(TSyncMethod::smWindow);
  port_.SetDispatcher(&dispatcher_);
  // A port notification that fails means the device failed (an adapter pulled out): the link
  // is closed before the report, so the poll does not run into the same failure again.
  dispatcher_.SetErrorHandler([this](std::exception_ptr error) {
    try {
      session_->Link().CloseLink();
    } catch (const EComPort&) {
    }
    ShowConnectState();
    ReportError(error);
  });
  // The model's defaults and the saved values the window read at creation.
  ApplyLineSettings(form_.Line(), port_);

  dialogs_ = std::make_unique<CurrentDialogs>(form_);
  TablesWindow& tables = form_.Tables();
  session_ = std::make_unique<ScaleSession>(
      port_, form_.Pump(), form_.Status(), form_.State(),
      SessionData{tables.PluTable(), tables.Messages(), tables.Flags(), nullptr});
  session_->SetLinkFailureHandler(
      [this](const LinkFailure& failure) { ShowLinkFailureBox(*dialogs_, failure); });
  // Queued: the poll waits for the scale in a nested event loop, and Qt does not deliver a
  // timer's event again while that timer's own event is still being handled. Run from a posted
  // call instead, the poll leaves the timer free to tick and count the reply time-out down.
  connect(&form_, &TMainForm::TimerTick, this, &MainFormLink::TimerTick, Qt::QueuedConnection);

  BuildToolButtons();
  BuildDisplayPanels();
  form_.Status().SetConnectState(false, kConnectHint);
}

MainFormLink::~MainFormLink() {
  // A window destroyed without its close sequence still lets go of the device here.
  try {
    session_->Link().CloseForExit();
  } catch (const EComPort&) {
  }
}

void MainFormLink::BuildToolButtons() {
  QToolBar* bar = form_.ToolBar().Bar;
  // Right after the scale-type button, whatever the bar holds already.
  const QList<QAction*> present = bar->actions();
  const qsizetype at = present.indexOf(form_.ToolBar().SelectScaleTypeAction);
  QAction* before = at >= 0 && at + 1 < present.size() ? present[at + 1] : nullptr;
  auto place = [&](QAction* action) {
    if (before) {
      bar->insertAction(before, action);
    } else {
      bar->addAction(action);
    }
  };
  auto button = [&](const char* name, const QIcon& icon, const QString& hint) {
    auto* action = new QAction(icon, hint, bar);
    action->setObjectName(QString::fromLatin1(name));
    action->setToolTip(hint);
    action->setData(0);
    place(action);
    return action;
  };

  selectComPort_ = button("SelectComPort", ComPortIcon(), QStringLiteral("Выбор порта связи"));
  selectScaleAddr_ =
      button("SelectScaleAddr", ScaleAddressIcon(), QStringLiteral("Выбор адреса весов"));
  connect_ = button("Connect", ConnectIcon(), QStringLiteral("Подключить весы"));
  connect_->setCheckable(true);
  auto* divider = new QAction(bar);
  divider->setSeparator(true);
  place(divider);

  connect(selectComPort_, &QAction::triggered, this, &MainFormLink::SelectComPortClick);
  connect(selectScaleAddr_, &QAction::triggered, this, &MainFormLink::SelectScaleAddrClick);
  connect(connect_, &QAction::triggered, this, &MainFormLink::ConnectClick);
  form_.StatusBarView().AttachConnectAction(connect_);
}

void MainFormLink::BuildDisplayPanels() {
  QWidget* client = form_.centralWidget();
  QPalette colours;
  colours.setColor(QPalette::Window, Qt::black);
  colours.setColor(QPalette::WindowText, QColor(0, 255, 0));  // lime
  const QFont font = DisplayFont();
  for (int i = 0; i < 4; ++i) {
    auto* panel = new QLabel(client);
    panel->setObjectName(QString::fromLatin1(kDisplayNames[i]));
    panel->setToolTip(QString::fromUtf8(kDisplayHints[i]));
    panel->setAutoFillBackground(true);
    panel->setPalette(colours);
    panel->setFont(font);
    panel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    panel->setFrameStyle(QFrame::Box | QFrame::Plain);
    panel->setLineWidth(1);
    panel->setGeometry(kDisplayPlaces[i].left, kDisplayTop - kToolBarDesignHeight,
                       kDisplayPlaces[i].width, kDisplayHeight);
    panel->raise();  // over the page pane's tab row
    display_[i] = panel;
  }
  form_.StatusBarView().AttachDisplayPanels(display_);
}

void MainFormLink::Guarded(const std::function<void()>& command) {
  try {
    command();
  } catch (...) {
    ReportError(std::current_exception());
  }
}

void MainFormLink::ReportError(std::exception_ptr error) {
  MessageBoxRequest box;
  try {
    std::rethrow_exception(error);
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

void MainFormLink::ShowConnectState() {
  const bool open = port_.Connected();
  form_.Status().SetConnectState(open, open ? kDisconnectHint : kConnectHint);
}

void MainFormLink::TimerTick() {
  Guarded([this] { session_->Poll().TimerTick(); });
}

void MainFormLink::ConnectClick() {
  Guarded([this] { session_->Link().ConnectClick(); });
  // The action toggled itself when clicked; it shows the port as it is, whatever happened.
  ShowConnectState();
}

ConnectionSeams MainFormLink::Seams() {
  return ConnectionSeams{form_.GetDialogs(), form_.Status(), [this] { return port_.Connected(); },
                         [this] { session_->Link().CloseLink(); }};
}

void MainFormLink::SelectComPortClick() {
  Guarded([this] {
    ComPortSettingsAccess access(port_);
    qm::SelectComPortClick(Seams(), access, [this](const PortDialogModel& current) {
      return TCommFrm::Run(current, &form_);
    });
  });
  ShowConnectState();
  form_.Line() = LineSettingsOf(port_);
}

void MainFormLink::SelectScaleAddrClick() {
  Guarded([this] { qm::SelectScaleAddrClick(Seams(), form_.State()); });
  ShowConnectState();
}

void MainFormLink::CloseForExit() {
  Guarded([this] { session_->Link().CloseForExit(); });
  form_.Line() = LineSettingsOf(port_);
}

}  // namespace qm
