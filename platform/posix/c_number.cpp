#include "platform/c_number.h"

#include <clocale>
#include <cstdlib>
#include <locale.h>

namespace vorenn::platform {

double CLocaleStrtod(const char* text) {
  static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t(0));
  return strtod_l(text, nullptr, cLocale);
}

}  // namespace vorenn::platform
