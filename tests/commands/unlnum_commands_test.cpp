#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "commands/numeric_library.h"
#include "engine/core/memory.h"
#include "engine/core/type_descriptor.h"

namespace vorenn {
namespace {

RuntimeValue Call(int command, std::vector<RuntimeValue> args) {
  RuntimeValue result{0, 0, 0};
  kNumericCommands[command](&result, int(args.size()), args.data());
  return result;
}

RuntimeValue Text(const char* text) { return MakePointer(kTypeText, text); }

// A variable of the program: the cell the commands write through.
struct Variable {
  UnlNum* n = nullptr;
  ~Variable() { UnlNumFree(&n); }
  RuntimeValue Value() { return UnlNumValue(&n); }
  std::string Text() const { return UnlNumToString(n); }
};

// Prints a new-number result and releases it with its cell.
std::string Consume(RuntimeValue result) {
  EXPECT_EQ(result.type, kTypeUnlNum);
  UnlNum* n = TakeUnlNumResult(&result);
  std::string text = UnlNumToString(n);
  UnlNumFree(&n);
  return text;
}

TEST(NumericLibrary, VariablesAreWrittenThroughTheirCells) {
  Variable v, w;
  Call(kCmdUnlNumCreate, {v.Value()});
  EXPECT_EQ(v.Text(), "0");
  RuntimeValue ok = Call(kCmdUnlNumFromText, {v.Value(), Text("-12.50")});
  EXPECT_EQ(ok.type, kTypeBool);
  EXPECT_EQ(ok.low, 1u);
  EXPECT_EQ(v.Text(), "-12.5");
  EXPECT_EQ(Call(kCmdUnlNumFromText, {v.Value(), Text("1e3")}).low, 0u);
  EXPECT_EQ(v.Text(), "0");
  EXPECT_EQ(Call(kCmdUnlNumFromText, {v.Value(), MakePointer(kTypeText, nullptr)}).low, 0u);
  Call(kCmdUnlNumFromText, {v.Value(), Text("42")});
  Call(kCmdUnlNumAssign, {w.Value(), v.Value()});
  EXPECT_EQ(w.Text(), "42");
  Call(kCmdUnlNumAssign, {w.Value(), RuntimeValue{0, 0, kTypeNone}});
  EXPECT_EQ(w.Text(), "42");
  Call(kCmdUnlNumFree, {w.Value()});
  EXPECT_EQ(w.n, nullptr);
}

TEST(NumericLibrary, NewNumbersComeInNewCells) {
  Variable a, b;
  Call(kCmdUnlNumFromText, {a.Value(), Text("7.75")});
  Call(kCmdUnlNumFromText, {b.Value(), Text("2")});
  EXPECT_EQ(Consume(Call(kCmdUnlNumAdd, {a.Value(), b.Value()})), "9.75");
  EXPECT_EQ(Consume(Call(kCmdUnlNumSubtract, {b.Value(), a.Value()})), "-5.75");
  EXPECT_EQ(Consume(Call(kCmdUnlNumIntegerPart, {a.Value()})), "7");
  EXPECT_EQ(Consume(Call(kCmdUnlNumDivide, {a.Value(), b.Value(), MakeInt(1)})), "3.8");
  EXPECT_EQ(Consume(Call(kCmdUnlNumDivide, {a.Value(), b.Value(), MakeLong(2)})), "3.87");
  EXPECT_EQ(Call(kCmdUnlNumLess, {b.Value(), a.Value()}).low, 1u);
  EXPECT_EQ(Call(kCmdUnlNumLess, {a.Value(), b.Value()}).low, 0u);

  RuntimeValue text = Call(kCmdUnlNumToText, {a.Value()});
  EXPECT_EQ(text.type, kTypeText);
  EXPECT_STREQ(static_cast<char*>(PointerOf(text)), "7.75");
  FreeBlock(PointerOf(text));

  // A result passes straight on as an operand, as nested calls do.
  RuntimeValue difference = Call(kCmdUnlNumSubtract, {a.Value(), b.Value()});
  EXPECT_EQ(Consume(Call(kCmdUnlNumDivide, {difference, b.Value(), MakeInt(0)})), "2");
  Consume(difference);
}

TEST(NumericLibrary, MissingOperandsGiveZeroOrFalse) {
  Variable five, empty;
  Call(kCmdUnlNumFromText, {five.Value(), Text("5")});
  const RuntimeValue none{0, 0, kTypeNone};
  const RuntimeValue wrongType = MakeInt(5);
  const RuntimeValue nullCell = MakePointer(kTypeUnlNum, nullptr);
  for (const RuntimeValue& missing : {none, wrongType, nullCell, empty.Value()}) {
    EXPECT_EQ(Consume(Call(kCmdUnlNumAdd, {five.Value(), missing})), "0");
    EXPECT_EQ(Consume(Call(kCmdUnlNumSubtract, {missing, five.Value()})), "0");
    EXPECT_EQ(Consume(Call(kCmdUnlNumDivide, {five.Value(), missing, MakeInt(0)})), "0");
    EXPECT_EQ(Call(kCmdUnlNumLess, {missing, five.Value()}).low, 0u);
    EXPECT_EQ(Call(kCmdUnlNumLess, {five.Value(), missing}).low, 0u);
    EXPECT_EQ(Consume(Call(kCmdUnlNumIntegerPart, {missing})), "0");
    EXPECT_EQ(PointerOf(Call(kCmdUnlNumToText, {missing})), nullptr);
    // Create and Free on any of these leave nothing behind.
    Call(kCmdUnlNumCreate, {missing});
    Call(kCmdUnlNumFree, {missing});
  }
  EXPECT_EQ(Consume(Call(kCmdUnlNumAdd, {five.Value()})), "0");  // short argument list
  EXPECT_EQ(Consume(Call(kCmdUnlNumDivide, {five.Value(), five.Value()})), "0");
  EXPECT_EQ(Consume(Call(kCmdUnlNumDivide, {five.Value(), five.Value(), Text("2")})), "0");
  EXPECT_EQ(Call(kCmdUnlNumFromText, {none, Text("5")}).low, 0u);
}

TEST(NumericLibrary, DescriptorAnnouncesCommandsAndTypes) {
  LibraryDescriptor library = NumericLibraryDescriptor();
  EXPECT_EQ(library.commandCount, 10);
  EXPECT_EQ(library.commands, kNumericCommands);
  ASSERT_EQ(library.typeCount, kNumericLibraryTypeCount);
  const TypeDescriptor& unlNum = library.types[TypeIndexOf(kTypeUnlNum) - 1];
  EXPECT_STREQ(unlNum.name, "UnlNum");
  EXPECT_EQ(unlNum.commandCount, 10);
  EXPECT_EQ(NumericLibraryDescriptor(nullptr).typeCount, 0);
  EXPECT_EQ(LibraryOf(kTypeUnlNum), uint32_t(kNumericLibraryNumber));
  EXPECT_EQ(TypeIndexOf(kTypeUnlNum), uint32_t(kUnlNumTypeNumber));
  EXPECT_EQ(library.notify(kNotifyStart, 0, 0), 0);
  EXPECT_EQ(library.notify(kNotifyEnd, 0, 0), 0);
  EXPECT_EQ(library.notify(3, 0, 0), -1);
}

}  // namespace
}  // namespace vorenn
