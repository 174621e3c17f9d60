// The two text forms of the game screen.
#pragma once

#include <string>

#include "game/big_number.h"

namespace vorenn::game {

// Whole seconds (s truncated toward zero) as days "天", hours "时", minutes "分" and seconds "秒",
// each part left out when it is zero: 3725 -> "1时2分5秒", 86400 -> "1天". Zero or less: "".
std::string FormatDuration(double seconds);

// The number's digits followed by "(" + their byte count + "位)": 12345 -> "12345(5位)"; a minus
// sign and a decimal point count. With integerOnly the fraction is dropped first.
std::string FormatBigAmount(const BigNumber& amount, bool integerOnly);

}  // namespace vorenn::game
