// The CSV field separator: the list separator of the operator's locale at the time of writing.
// It is recorded in the first line of every CSV file and read back from there, so a file
// written on one system loads on any other; only writing asks for it.
#pragma once

#include <optional>

namespace qm {

// The separator to write with: the test override when set, otherwise SystemListSeparator().
char ListSeparator();

// The locale's list separator, one character. Windows keeps it in the user's regional settings.
// Linux has no such setting: ";" where the user's locale writes numbers with a decimal comma
// (ru_RU and most of Europe, where "," would clash with the numbers), "," otherwise. The program's
// own number formats are not touched by asking.
char SystemListSeparator();

// Tests fix the separator with a character and give it back to the system with nothing.
void SetListSeparatorForTesting(std::optional<char> separator);

}  // namespace qm
