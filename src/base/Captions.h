// The captions of the program's message boxes and the closing status word, shared by every
// command: errors with "Ошибка", questions with "Подтвердите", completions with "Завершено".
// Windows-1251.
#pragma once

#include <string>

namespace qm {

extern const std::string kErrorCaption;    // "Ошибка"
extern const std::string kConfirmCaption;  // "Подтвердите"
extern const std::string kDoneCaption;     // "Завершено"
extern const std::string kWarningCaption;  // "Предупреждение"

}  // namespace qm
