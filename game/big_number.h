// The game's amounts: arbitrary-precision decimal numbers held in variables of the numeric
// library's UnlNum type and changed only through its commands.
#pragma once

#include <string>

#include "engine/core/runtime_value.h"

namespace vorenn {
struct UnlNum;
}

namespace vorenn::game {

class BigNumber {
 public:
  // A variable holding zero (UnlNumCreate).
  BigNumber();
  ~BigNumber();
  BigNumber(BigNumber&& other) noexcept;
  BigNumber& operator=(BigNumber&& other) noexcept;
  BigNumber(const BigNumber&) = delete;
  BigNumber& operator=(const BigNumber&) = delete;

  // A deep copy (UnlNumAssign).
  BigNumber Copy() const;
  // UnlNumFromText: a malformed or empty text leaves zero.
  void SetText(const std::string& text);
  // UnlNumToText: no exponent, no trailing fraction zeros.
  std::string Text() const;
  BigNumber IntegerPart() const;
  BigNumber Plus(const BigNumber& other) const;
  BigNumber Minus(const BigNumber& other) const;
  // Truncated toward zero to `places` decimal places; zero for a zero divisor.
  BigNumber DividedBy(const BigNumber& divisor, int32_t places) const;
  bool Less(const BigNumber& other) const;

  // The value as a command argument.
  RuntimeValue Value() const;

 private:
  // Takes over a new-number result of a command.
  explicit BigNumber(const RuntimeValue& result);
  void Release();

  UnlNum** cell_ = nullptr;  // an engine block holding the variable
};

}  // namespace vorenn::game
