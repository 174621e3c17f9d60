#include "game/formatting.h"

#include <cmath>
#include <cstdint>

#include "game/engine_calls.h"

namespace vorenn::game {

std::string FormatDuration(double seconds) {
  double whole = std::trunc(seconds);
  // Beyond the date-time range nothing the game computes can reach; clamping keeps the
  // arithmetic defined for any double.
  if (!(whole > 0)) return "";
  if (whole > 1e15) whole = 1e15;
  auto total = int64_t(whole);
  int64_t days = total / 86400;
  int32_t hours = int32_t(total / 3600 % 24);
  int32_t minutes = int32_t(total / 60 % 60);
  int32_t secs = int32_t(total % 60);
  std::string text;
  if (days > 0) text += ToText(double(days)) + "天";
  if (hours > 0) text += ToText(hours) + "时";
  if (minutes > 0) text += ToText(minutes) + "分";
  if (secs > 0) text += ToText(secs) + "秒";
  return text;
}

std::string FormatBigAmount(const BigNumber& amount, bool integerOnly) {
  BigNumber copy = amount.Copy();
  if (integerOnly) copy = copy.IntegerPart();
  std::string digits = copy.Text();
  return digits + "(" + ToText(TextLength(digits)) + "位)";
}

}  // namespace vorenn::game
