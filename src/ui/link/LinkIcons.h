// Tool-button images of the link's buttons, drawn at run time so that no image files are needed.
#pragma once

#include <QIcon>

namespace qm {

QIcon ComPortIcon();       // a serial connector
QIcon ScaleAddressIcon();  // a number sign on a badge
// Two plug halves: apart (grey) when the button is up, joined (green) when it is pressed.
QIcon ConnectIcon();

}  // namespace qm
