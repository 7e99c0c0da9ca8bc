// The window's check for characters the scale cannot print, behind its own entry of the check
// menu: the scale prints "*" for every character its code page lacks ("№", "«", "»", "€", ...),
// and this tells the operator where they stand before a label shows it. It is not part of the
// data check (its findings and their order stay as they are) and it changes nothing.
#pragma once

#include <string>
#include <vector>

#include "app/CheckFlow.h"
#include "tables/UnprintableCharacters.h"

namespace qm {

// The box's text (Windows-1251): what was found, one cell a line, at most `limit` lines and
// then how many more, e.g.
//   Весы напечатают "*" вместо этих символов:
//   Товар, строка 3, Наименование 1: «»№
//   Сообщение 2, строка 1: €
// or, with nothing found, that every character will be printed.
std::string UnprintableReportText(const std::vector<UnprintableCell>& cells, std::size_t limit);

// The menu entry: scans both tables with LinkBusy held and "Testing..." in status panel 0, then
// shows one box, caption "Непечатаемые символы": the list with a warning icon, or the all-clear
// with an information icon; OK only. Panel 0 then reads "Done.". Nothing happens while LinkBusy
// is already held. The context's view is not used: the box names the places itself.
void UnprintableCheckClick(CheckCommandContext& context);

}  // namespace qm
