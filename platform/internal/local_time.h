// The calendar time of the system's time zone, without the shared buffer of std::localtime.
#pragma once

#include <ctime>

namespace vorenn::platform {

std::tm LocalCalendarTime(std::time_t t);

}  // namespace vorenn::platform
