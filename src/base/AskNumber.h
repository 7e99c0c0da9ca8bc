// The small number-entry dialog that the transfers and the address button share: asks for one
// whole number within bounds and reports a wrong entry once.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "base/Captions.h"
#include "base/Dialogs.h"

namespace qm {

// Texts of the number input (Windows-1251).
extern const std::string kAskNumberCaption;  // "Ввод данных"

// Prompts and error texts of the five places that ask for a number (Windows-1251).
extern const std::string kAskPluNoPrompt;      // one PLU record to read
extern const std::string kAskLastPluNoPrompt;  // last PLU row of a whole-table read
extern const std::string kBadPluNoError;
extern const std::string kAskMessageNoPrompt;      // one message to read
extern const std::string kAskLastMessageNoPrompt;  // last message of a whole-list read
extern const std::string kBadMessageNoError;
extern const std::string kAskScaleAddressPrompt;
extern const std::string kBadScaleAddressError;

// Shows the modal input box (caption kAskNumberCaption, `prompt` above the field, `defaultText`
// in it) once. Returns the entered number when it is a decimal integer (blanks around it
// allowed) within [min, max]. Returns nothing when the operator cancels (no further box) or
// when the entry is not such a number; in that case `errorText` is shown once in an error box
// (caption kErrorCaption, OK) and the input is not asked again. All texts are Windows-1251.
std::optional<std::int32_t> AskNumber(Dialogs& dialogs, const std::string& prompt,
                                      const std::string& errorText, std::int32_t min,
                                      std::int32_t max, const std::string& defaultText);

}  // namespace qm
