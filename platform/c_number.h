// Number texts read as the "C" locale reads them, whatever locale the process runs in.
#pragma once

namespace vorenn::platform {

// strtod in the "C" locale: a decimal point is always '.'.
double CLocaleStrtod(const char* text);

}  // namespace vorenn::platform
