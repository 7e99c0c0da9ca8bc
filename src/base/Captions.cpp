#include "base/Captions.h"

#include "base/Cp1251.h"

namespace qm {

const std::string kErrorCaption = Win1251("Ошибка");
const std::string kConfirmCaption = Win1251("Подтвердите");
const std::string kDoneCaption = Win1251("Завершено");
const std::string kWarningCaption = Win1251("Предупреждение");

}  // namespace qm
