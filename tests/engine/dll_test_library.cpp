// A library for the DLL-binding tests: five exports described by the stand-in export table, so
// "#N" rows and argument counts can be checked. Built into the program directory.
#include <cstdio>

#include "platform/stand_ins/stand_in.h"

extern "C" {

__attribute__((visibility("default"))) int TestAdd(int a, int b) {
  std::fputs("TestAdd called\n", stderr);
  return a + b;
}
__attribute__((visibility("default"))) int TestAnswer() { return 42; }
__attribute__((visibility("default"))) int TestThree(int a, int b, int c) { return a * b * c; }
__attribute__((visibility("default"))) int TestFour(int a, int b, int c, int d) { return a + b + c + d; }
__attribute__((visibility("default"))) int TestFifth(int a) { return a * 5; }
// In the symbol table but not in the export table: called without an argument check.
__attribute__((visibility("default"))) int TestUndescribed(int a) { return a - 1; }

__attribute__((visibility("default"))) const StandInExport* vorenn_stand_in_exports(int* count) {
  static const StandInExport kExports[] = {
      {"TestAdd", reinterpret_cast<void*>(&TestAdd), 2},
      {"TestAnswer", reinterpret_cast<void*>(&TestAnswer), 0},
      {"TestThree", reinterpret_cast<void*>(&TestThree), 3},
      {"TestFour", reinterpret_cast<void*>(&TestFour), 4},
      {"TestFifth", reinterpret_cast<void*>(&TestFifth), 1},
  };
  *count = 5;
  return kExports;
}

}  // extern "C"
