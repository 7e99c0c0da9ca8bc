// The list separator on Windows: the user's regional setting.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "files/ListSeparator.h"

namespace qm {

char SystemListSeparator() {
  char buffer[8] = {};
  // The setting may hold up to three characters; the files use its first one, as the program
  // always has.
  if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SLIST, buffer, sizeof buffer) < 2) return ',';
  return buffer[0];
}

}  // namespace qm
