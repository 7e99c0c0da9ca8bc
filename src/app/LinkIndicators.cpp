#include "app/LinkIndicators.h"

#include "base/Cp1251.h"

namespace qm {

const std::string kConnectHint = Win1251("Подключить весы");
const std::string kDisconnectHint = Win1251("Отключить весы");

namespace {

void ShowDisplayWaiting(StatusView& status) {
  status.SetDisplayText(kDisplayPluNo, std::string());
  status.SetDisplayText(kDisplayWeight, ".");
  status.SetDisplayText(kDisplayPrice, ".");
  status.SetDisplayText(kDisplayTotal, ".");
}

void ClearDisplay(StatusView& status) {
  for (int panel : {kDisplayPluNo, kDisplayWeight, kDisplayPrice, kDisplayTotal}) {
    status.SetDisplayText(panel, std::string());
  }
}

}  // namespace

void ShowConnectButton(StatusView& status, bool open) {
  status.SetConnectState(open, open ? kDisconnectHint : kConnectHint);
}

void ShowLinkEvent(StatusView& status, LinkEvent event) {
  switch (event) {
    case LinkEvent::Opened:
      ShowConnectButton(status, true);
      ShowDisplayWaiting(status);
      break;
    case LinkEvent::Closed:
      ClearDisplay(status);
      ShowConnectButton(status, false);
      break;
    case LinkEvent::ExchangeStarted:
      ShowDisplayWaiting(status);
      break;
  }
}

}  // namespace qm
