// The one table of engine services through which game logic reaches the engine: 13 slots in a
// fixed order. The typed wrappers below call through it; they add nothing the table does not do.
#pragma once

#include <cstdint>

#include "engine/core/dll_call.h"
#include "engine/core/library.h"
#include "engine/core/property_value.h"
#include "engine/core/runtime_value.h"

namespace vorenn {

struct ServicesTable {
  void (*raiseRuntimeError)(int number);  // 0, does not return
  void* (*bindDllCommand)(int row);                                         // 1: see CallDllCommand
  RuntimeValue (*callCommand)(CommandFn command, int argc, RuntimeValue* args);   // 2
  RuntimeValue (*callCommand2)(CommandFn command, int argc, RuntimeValue* args);  // 3
  ReadPropertyFn readProperty;                                              // 4
  WritePropertyFn writeProperty;                                            // 5
  void* (*allocBlock)(int32_t size);                                        // 6
  void* (*reallocBlock)(void* block, int32_t size);                         // 7
  void (*freeBlock)(void* block);                                           // 8
  void (*exitProgram)(int code);  // 9, does not return
  void (*runMessageLoop)();                                                 // 10
  void (*loadStartWindow)(uint32_t windowId);                               // 11
  intptr_t (*miscService)(int number, intptr_t, intptr_t, intptr_t, intptr_t, intptr_t, intptr_t);  // 12
};
static_assert(sizeof(ServicesTable) == 13 * sizeof(void*), "13 slots, nothing else");

const ServicesTable& Services();

// The engine zeroes the result record, calls the command with (result, argc, args) and hands the
// record back.
RuntimeValue CallCommand(CommandFn command, int argc, RuntimeValue* args);

// Property access is the unit contract's; InitRuntime puts its two functions here. Before that
// every access reports "未载入欲访问窗口组件所在的窗口" (no window can be loaded without unit types).
void SetPropertyServices(ReadPropertyFn read, WritePropertyFn write);
PropertyValue ReadProperty(uint32_t windowId, uint32_t unitId, int32_t index, int32_t arrayIndex = -1);
void WriteProperty(uint32_t windowId, uint32_t unitId, int32_t index, int32_t arrayIndex, uint32_t low,
                   uint32_t high);

}  // namespace vorenn
