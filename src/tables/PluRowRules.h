// The table rules behind the PLU row editor's logo fields and its Enter order, as plain
// functions over cells (Windows-1251). The editor keeps the widgets, the focus and the keys.
//
// The Logo cell holds the logo choice as one digit, a blank and the store code ("SO code"):
// "0 " for no logo, "1 AB12" for logo 1 with code "AB12".
#pragma once

#include <optional>
#include <string>

namespace qm {

// The store code as a written row keeps it: cut to `soCodeLen` characters when a logo is
// chosen (`logoChoice` > 0); no logo keeps no code.
std::string StoredSoCode(int logoChoice, std::string code, std::size_t soCodeLen);

// The Logo cell of a written row: the choice (0 for none or a negative one), a blank, the code.
std::string LogoCell(int logoChoice, const std::string& code);

// What the editor's logo fields show for a row's Logo cell. An empty cell leaves the choice as
// it is (`choice` empty) and empties the code. Otherwise the first character is the choice; one
// that is not a digit below `choiceCount` counts as "no logo" (0), so the selector never ends up
// without a choice; the code is what follows the blank behind it.
struct LogoFields {
  std::optional<int> choice;
  std::string code;
};
LogoFields LogoFieldsOf(const std::string& logoCell, int choiceCount);

// Where the Enter order ends: on Write when the PLU number typed is the current row's (both
// read as whole numbers, anything else counting as 0), on Add for a new number.
enum class RowCommit { Write, Add };
RowCommit EnterEndsOn(const std::string& typedPluNo, const std::string& currentPluNo);

}  // namespace qm
