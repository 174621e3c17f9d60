#include "platform/internal/local_time.h"

namespace vorenn::platform {

std::tm LocalCalendarTime(std::time_t t) {
  std::tm tm{};
  localtime_s(&tm, &t);
  return tm;
}

}  // namespace vorenn::platform
