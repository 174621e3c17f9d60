#include "engine/runtime/services.h"

#include "engine/core/memory.h"
#include "engine/core/runtime_error.h"
#include "engine/runtime/exit_routine.h"
#include "engine/runtime/init_runtime.h"
#include "engine/runtime/message_loop.h"
#include "engine/runtime/misc_service.h"

namespace vorenn {
namespace {

[[noreturn]] void WindowNotLoaded() { ReportRuntimeError("未载入欲访问窗口组件所在的窗口", 0); }

PropertyValue NoPropertyRead(uint32_t, uint32_t, int32_t, int32_t) { WindowNotLoaded(); }
void NoPropertyWrite(uint32_t, uint32_t, int32_t, int32_t, uint32_t, uint32_t) { WindowNotLoaded(); }

ReadPropertyFn g_read = NoPropertyRead;
WritePropertyFn g_write = NoPropertyWrite;

PropertyValue ReadSlot(uint32_t w, uint32_t u, int32_t i, int32_t a) { return g_read(w, u, i, a); }
void WriteSlot(uint32_t w, uint32_t u, int32_t i, int32_t a, uint32_t lo, uint32_t hi) {
  g_write(w, u, i, a, lo, hi);
}

const ServicesTable kServices{
    RaiseRuntimeError, BindDllFunction, CallCommand,  CallCommand, ReadSlot,
    WriteSlot,         AllocBlock,      ReallocBlock, FreeBlock,   ExitProgram,
    RunMessageLoop,    LoadStartWindow, MiscService,
};

}  // namespace

const ServicesTable& Services() { return kServices; }

RuntimeValue CallCommand(CommandFn command, int argc, RuntimeValue* args) {
  RuntimeValue result{0, 0, 0};
  command(&result, argc, args);
  return result;
}

void SetPropertyServices(ReadPropertyFn read, WritePropertyFn write) {
  g_read = read != nullptr ? read : NoPropertyRead;
  g_write = write != nullptr ? write : NoPropertyWrite;
}

PropertyValue ReadProperty(uint32_t windowId, uint32_t unitId, int32_t index, int32_t arrayIndex) {
  return Services().readProperty(windowId, unitId, index, arrayIndex);
}

void WriteProperty(uint32_t windowId, uint32_t unitId, int32_t index, int32_t arrayIndex, uint32_t low,
                   uint32_t high) {
  Services().writeProperty(windowId, unitId, index, arrayIndex, low, high);
}

}  // namespace vorenn
