#include "platform/internal/local_time.h"

namespace vorenn::platform {

std::tm LocalCalendarTime(std::time_t t) {
  std::tm tm{};
  localtime_r(&t, &tm);
  return tm;
}

}  // namespace vorenn::platform
