// The operator's request to end the program.
#pragma once

#include "base/Dialogs.h"

namespace qm {

// Asks "Вы хотите закончить работу?" (caption "Подтвердите", Yes/No, question icon); true only
// for Yes.
bool ConfirmClose(Dialogs& dialogs);

}  // namespace qm
