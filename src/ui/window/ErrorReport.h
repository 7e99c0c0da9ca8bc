// The program's error report: a failure that escaped a command (a port failure ending a
// transfer, a port notification that failed) shown as a box with the failure's message, the
// program's title as caption and the error icon, as the window's standard error report does.
#pragma once

#include <exception>

namespace qm {

class Dialogs;

void ShowErrorReport(Dialogs& dialogs, std::exception_ptr failure);

}  // namespace qm
