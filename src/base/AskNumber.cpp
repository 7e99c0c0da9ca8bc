#include "base/AskNumber.h"

#include <optional>

#include "base/Cp1251.h"
#include "base/NumberText.h"

namespace qm {

const std::string kAskNumberCaption = Win1251("Ввод данных");

const std::string kAskPluNoPrompt = Win1251("Введите номер PLU:");
const std::string kAskLastPluNoPrompt = Win1251("Введите номер последней строки PLU:");
const std::string kBadPluNoError = Win1251("Неправильный номер PLU.");
const std::string kAskMessageNoPrompt = Win1251("Введите номер сообщения:");
const std::string kAskLastMessageNoPrompt = Win1251("Введите номер последнего сообщения:");
const std::string kBadMessageNoError = Win1251("Неправильный номер сообщения.");
const std::string kAskScaleAddressPrompt = Win1251("Введите адрес весов:");
const std::string kBadScaleAddressError = Win1251("Неправильный адрес весов.");

std::optional<std::int32_t> AskNumber(Dialogs& dialogs, const std::string& prompt,
                                      const std::string& errorText, std::int32_t min,
                                      std::int32_t max, const std::string& defaultText) {
  const std::optional<std::string> entered =
      dialogs.InputLine(kAskNumberCaption, prompt, defaultText);
  if (!entered) return std::nullopt;

  // ParseInt trims the blanks itself and takes nothing but an optional sign and digits.
  const std::optional<std::int32_t> number = ParseInt(*entered);
  if (number && *number >= min && *number <= max) return *number;

  MessageBoxRequest box;
  box.text = errorText;
  box.caption = kErrorCaption;
  box.icon = DialogIcon::Error;
  box.buttons = kButtonOk;
  dialogs.ShowMessage(box);
  return std::nullopt;
}

}  // namespace qm
