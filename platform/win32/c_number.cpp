#include "platform/c_number.h"

#include <clocale>
#include <cstdlib>

namespace vorenn::platform {

double CLocaleStrtod(const char* text) {
  static const _locale_t cLocale = _create_locale(LC_NUMERIC, "C");
  return _strtod_l(text, nullptr, cLocale);
}

}  // namespace vorenn::platform
