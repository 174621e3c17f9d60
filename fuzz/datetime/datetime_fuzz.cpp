// ToDateTime on arbitrary text, then the date-time arithmetic on what it returns. Any result must
// lie in the valid range, accepted texts must survive a round trip through their fields, the
// arithmetic must stay in range for every unit, and exact units must measure back what was added.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "commands/calendar.h"
#include "commands/conversion_commands.h"
#include "commands/datetime_commands.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

bool InRange(double t) { return t >= vorenn::kMinDateTime && t <= vorenn::kMaxDateTime; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vorenn;
  // Texts reach the command zero-terminated.
  std::string_view text(reinterpret_cast<const char*>(data), size);
  text = text.substr(0, text.find('\0'));
  double t = ToDateTime(text);
  Check(InRange(t));
  if (t != kMinDateTime) Check(DateTimeOf(FieldsOf(t)) == t);
  (void)DateTimeToText(t);

  int32_t amount = 0;
  if (size >= 4) std::memcpy(&amount, data + size - 4, 4);
  for (int32_t unit = 0; unit <= 9; ++unit) {
    double moved = AddTime(t, unit, amount);
    Check(InRange(moved));
    double back = TimeInterval(moved, t, unit);
    Check(back == back);  // never NaN
    // Hours, minutes and seconds come back exactly unless the move hit a bound.
    if (unit >= kUnitHour && moved > kMinDateTime && moved < kMaxDateTime) Check(back == amount);
    Check(TimeInterval(t, t, unit) == 0.0);
  }
  return 0;
}
