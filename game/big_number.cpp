#include "game/big_number.h"

#include "commands/numeric_library.h"
#include "engine/runtime/services.h"
#include "game/engine_calls.h"

namespace vorenn::game {
namespace {

UnlNum** NewCell() {
  auto** cell = static_cast<UnlNum**>(Services().allocBlock(int32_t(sizeof(UnlNum*))));
  *cell = nullptr;
  return cell;
}

RuntimeValue Numeric(int command, std::initializer_list<RuntimeValue> args) {
  return CallLibraryCommand(kNumericLibraryNumber, command, args);
}

}  // namespace

BigNumber::BigNumber() : cell_(NewCell()) { Numeric(kCmdUnlNumCreate, {Value()}); }

BigNumber::BigNumber(const RuntimeValue& result) {
  UnlNum** cell = UnlNumCellOf(result);
  // A result that holds no cell would be a library fault; keep the invariant of always holding one.
  cell_ = cell != nullptr ? cell : NewCell();
  if (*cell_ == nullptr) Numeric(kCmdUnlNumCreate, {Value()});
}

BigNumber::~BigNumber() { Release(); }

BigNumber::BigNumber(BigNumber&& other) noexcept : cell_(other.cell_) { other.cell_ = nullptr; }

BigNumber& BigNumber::operator=(BigNumber&& other) noexcept {
  if (this != &other) {
    Release();
    cell_ = other.cell_;
    other.cell_ = nullptr;
  }
  return *this;
}

void BigNumber::Release() {
  if (cell_ == nullptr) return;
  Numeric(kCmdUnlNumFree, {Value()});
  Services().freeBlock(cell_);
  cell_ = nullptr;
}

RuntimeValue BigNumber::Value() const { return UnlNumValue(cell_); }

BigNumber BigNumber::Copy() const {
  BigNumber copy;
  Numeric(kCmdUnlNumAssign, {copy.Value(), Value()});
  return copy;
}

void BigNumber::SetText(const std::string& text) { Numeric(kCmdUnlNumFromText, {Value(), TextValue(text)}); }

std::string BigNumber::Text() const { return TakeText(Numeric(kCmdUnlNumToText, {Value()})); }

BigNumber BigNumber::IntegerPart() const { return BigNumber(Numeric(kCmdUnlNumIntegerPart, {Value()})); }

BigNumber BigNumber::Plus(const BigNumber& other) const {
  return BigNumber(Numeric(kCmdUnlNumAdd, {Value(), other.Value()}));
}

BigNumber BigNumber::Minus(const BigNumber& other) const {
  return BigNumber(Numeric(kCmdUnlNumSubtract, {Value(), other.Value()}));
}

BigNumber BigNumber::DividedBy(const BigNumber& divisor, int32_t places) const {
  return BigNumber(Numeric(kCmdUnlNumDivide, {Value(), divisor.Value(), MakeInt(places)}));
}

bool BigNumber::Less(const BigNumber& other) const {
  return Numeric(kCmdUnlNumLess, {Value(), other.Value()}).low != 0;
}

}  // namespace vorenn::game
