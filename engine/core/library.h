// Library descriptors: how each library hands the engine its data types, its commands and its
// notify function. The program's main assembles the six of them, in a fixed order, into the
// library table (1 core, 2 encoding conversion, 3 extended units 2, 4 numeric, 5 extended units 1,
// 6 data structures); data-type code 0x00LLTTTT names type TTTT of library LL, both from 1.
#pragma once

#include <cstdint>

#include "engine/core/runtime_value.h"

namespace vorenn {

// The one calling form of every library command: the engine zeroes *result before the call.
using CommandFn = void (*)(RuntimeValue* result, int argc, RuntimeValue* args);

// The engine's library callback: (code, argument 1, argument 2).
using LibraryCallback = intptr_t (*)(int code, intptr_t arg1, intptr_t arg2);
// A library's notify function; code 1 brings the callback at start-up, code 6 announces the end.
// Codes a library does not know answer -1.
using NotifyFn = intptr_t (*)(int code, intptr_t arg1, intptr_t arg2);

enum NotifyCode : int { kNotifyStart = 1, kNotifyEnd = 6 };

struct TypeDescriptor;  // the unit contract's 56-byte type descriptor

struct LibraryDescriptor {
  const char* name;
  NotifyFn notify;
  int typeCount;
  const TypeDescriptor* types;
  int commandCount;
  const CommandFn* commands;
};

}  // namespace vorenn
