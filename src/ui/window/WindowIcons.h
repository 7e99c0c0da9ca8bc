// Tool-button images of the window's own buttons. The font button's is drawn at run time; the
// check, match and scale-type buttons take the style's standard pictures.
#pragma once

#include <QIcon>

namespace qm {

QIcon SelectFontIcon();  // a capital A over a colour bar
QIcon CheckDataIcon();   // the style's "apply" tick
QIcon MatchIcon();       // the style's "reload" arrows
QIcon ScaleTypeIcon();   // the style's drive

}  // namespace qm
