// The list separator on POSIX systems, derived from the user's numeric locale.
#include <langinfo.h>
#include <locale.h>

#include <cstring>

#include "files/ListSeparator.h"

namespace qm {

char SystemListSeparator() {
  // A locale object of its own, built from the user's settings (LC_ALL, LC_NUMERIC, LANG), so the
  // program's global locale and with it every number it formats stay as they are.
  locale_t user = newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(0));
  if (user == static_cast<locale_t>(0)) return ',';
  const char* radix = nl_langinfo_l(RADIXCHAR, user);
  const bool decimalComma = radix != nullptr && std::strcmp(radix, ",") == 0;
  freelocale(user);
  return decimalComma ? ';' : ',';
}

}  // namespace qm
