// The list separator on Windows: the user's regional setting.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "files/ListSeparator.h"

namespace qm {

char SystemListSeparator() {
  wchar_t setting[8] = {};
  // The setting may hold up to three characters; the files use its first one, as the program
  // always has. The files are in Windows-1251, so the character is too.
  if (GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SLIST, setting, 8) < 2) return ',';
  char separator = ',';
  BOOL lost = FALSE;
  if (WideCharToMultiByte(1251, 0, setting, 1, &separator, 1, nullptr, &lost) != 1 || lost) {
    return ',';
  }
  return separator;
}

}  // namespace qm
