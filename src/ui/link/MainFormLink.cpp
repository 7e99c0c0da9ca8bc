#include "ui/link/MainFormLink.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QPalette>

#include "app/ComPortSettingsAccess.h"
#include "app/ConnectionCommands.h"
#include "app/LinkIndicators.h"
#include "app/TransferFlows.h"
#include "base/Cp1251.h"
#include "ui/window/CommFrm.h"
#include "ui/window/ErrorReport.h"

namespace qm {

namespace {

const char* const kDisplayHints[4] = {"Номер PLU", "Вес", "Цена", "Стоимость"};
const char* const kDisplayNames[4] = {"PluNoPanel", "WeightPanel", "PricePanel", "TotalPanel"};
constexpr int kToolBarDesignHeight = 30;

// "Courier New" where it is installed; otherwise a fixed-pitch face takes its place, so that the
// digits of the panels line up. The fixed-pitch and typewriter hints steer the window system's
// choice of a stand-in; a stand-in that is still not fixed-pitch (some machines alias "Courier
// New" to a face Qt does not see as one) gives way to the system's fixed-pitch face.
QFont DisplayFont() {
  const QString fixedFace = QFontDatabase::systemFont(QFontDatabase::FixedFont).family();
  QFont font(QStringLiteral("Courier New"));
  font.setFamilies({QStringLiteral("Courier New"), fixedFace});
  font.setStyleHint(QFont::TypeWriter);
  font.setFixedPitch(true);
  font.setPointSize(MainFormLink::kDisplayFontSize);
  font.setBold(true);
  if (!QFontInfo(font).fixedPitch()) font.setFamilies({fixedFace});
  return font;
}

}  // namespace

MainFormLink::MainFormLink(QWidget* client, TComPort& port, QtUiDispatcher& dispatcher,
                           ScaleSession& session, RunState& state, PortLineSettings& line,
                           StatusView& status, Dialogs& dialogs)
    : client_(client),
      state_(state),
      line_(line),
      status_(status),
      dialogs_(dialogs),
      port_(port),
      dispatcher_(dispatcher),
      session_(session) {
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
      session_.Link().CloseLink();
    } catch (const EComPort&) {
    }
    ShowConnectState();
    ReportError(error);
  });
  // The model's defaults and the saved values the window read at creation.
  ApplyLineSettings(line_, port_);

  session_.SetLinkFailureHandler(
      [this](const LinkFailure& failure) { ShowLinkFailureBox(dialogs_, failure); });

  session_.Link().SetLinkEventHandler([this](LinkEvent event) { ShowLinkEvent(status_, event); });

  BuildDisplayPanels();
  ShowConnectButton(status_, false);
}

MainFormLink::~MainFormLink() {
  // A window destroyed without its close sequence still lets go of the device here; nothing of
  // the port or the session reaches this object afterwards.
  try {
    session_.Link().CloseForExit();
  } catch (const EComPort&) {
  }
  dispatcher_.SetErrorHandler(nullptr);
  session_.SetLinkFailureHandler(nullptr);
  session_.Link().SetLinkEventHandler(nullptr);
}

void MainFormLink::BuildDisplayPanels() {
  QWidget* client = client_;
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
}

void MainFormLink::Guarded(const std::function<void()>& command) {
  try {
    command();
  } catch (...) {
    ReportError(std::current_exception());
  }
}

void MainFormLink::ReportError(std::exception_ptr error) {
  ShowErrorReport(dialogs_, error);
}

void MainFormLink::ShowConnectState() {
  ShowConnectButton(status_, port_.Connected());
}

void MainFormLink::TimerTick() {
  Guarded([this] { session_.Poll().TimerTick(); });
}

void MainFormLink::ConnectClick() {
  Guarded([this] { session_.Link().ConnectClick(); });
  // The action toggled itself when clicked; it shows the port as it is, whatever happened.
  ShowConnectState();
}

ConnectionSeams MainFormLink::Seams() {
  return ConnectionSeams{dialogs_, status_, [this] { return port_.Connected(); },
                         [this] { session_.Link().CloseLink(); }};
}

void MainFormLink::SelectComPortClick() {
  Guarded([this] {
    ComPortSettingsAccess access(port_);
    qm::SelectComPortClick(Seams(), access, [this](const PortDialogModel& current) {
      return TCommFrm::Run(current, client_->window());
    });
  });
  ShowConnectState();
  line_ = LineSettingsOf(port_);
}

void MainFormLink::SelectScaleAddrClick() {
  Guarded([this] { qm::SelectScaleAddrClick(Seams(), state_); });
  ShowConnectState();
}

void MainFormLink::CloseForExit() {
  Guarded([this] { session_.Link().CloseForExit(); });
  line_ = LineSettingsOf(port_);
}

}  // namespace qm
