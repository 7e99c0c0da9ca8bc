// Tool-button images of the file commands, drawn at run time so that no image files are needed.
// The tool bar greys them itself when a button is disabled.
#pragma once

#include <QIcon>

namespace qm {

QIcon NewDataIcon();   // a blank sheet with a folded corner and a green plus
QIcon OpenFileIcon();  // an opening yellow folder
QIcon SaveDataIcon();  // a blue floppy disk

}  // namespace qm
