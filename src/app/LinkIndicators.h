#pragma once

// What the operator sees of the line: the Connect tool button, pressed while the port is open,
// with the hint that says what a click does, and the scale's four display panels. The link only
// says what happened to the line (LinkEvent); how that looks is decided here.

#include <string>

#include "base/StatusView.h"
#include "link/ScaleLink.h"

namespace qm {

extern const std::string kConnectHint;     // "Подключить весы" (Windows-1251)
extern const std::string kDisconnectHint;  // "Отключить весы" (Windows-1251)

// The Connect button alone, for a port that is `open` or not.
void ShowConnectButton(StatusView& status, bool open);

// Opened: the button pressed and "." in the weight, price and total panels until a reading
// comes; Closed: the button up and the panels empty; ExchangeStarted: the panels back to "."
// (a transfer takes the line from the live poll).
void ShowLinkEvent(StatusView& status, LinkEvent event);

}  // namespace qm
