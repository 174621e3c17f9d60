#include "commands/data_structure_library.h"

#include <new>

#include "commands/data_structure_library_blocks.h"
#include "commands/enode.h"
#include "commands/map.h"

namespace vorenn {
namespace {

template <typename T>
T** VariableOf(const RuntimeValue& v, uint32_t type) {
  return v.type == type ? static_cast<T**>(PointerOf(v)) : nullptr;
}
ENode** NodeVariable(const RuntimeValue& v) { return VariableOf<ENode>(v, kTypeENode); }
Map** MapVariable(const RuntimeValue& v) { return VariableOf<Map>(v, kTypeMap); }
Map* MapArg(const RuntimeValue& v) {
  Map** var = MapVariable(v);
  return var ? *var : nullptr;
}
ENode* NodeArg(const RuntimeValue& v) {
  ENode** var = NodeVariable(v);
  return var ? *var : nullptr;
}
bool IsKey(const RuntimeValue& v) { return v.type == kTypeBytes; }
std::string_view KeyOf(const RuntimeValue& v) { return BytesOfBlock(PointerOf(v)); }
bool IsName(const RuntimeValue& v) { return v.type == kTypeText; }
std::string_view NameOf(const RuntimeValue& v) { return TextOfBlock(PointerOf(v)); }

void SetBoolResult(RuntimeValue* result, bool b) { *result = MakeBool(b); }

// Broken internal structures surface as allocation failures; the command then reports false.
template <typename F>
void Guarded(RuntimeValue* result, F&& body) {
  try {
    body();
  } catch (const std::bad_alloc&) {
    SetBoolResult(result, false);
  }
}

void CmdMapCreate(RuntimeValue* result, int argc, RuntimeValue* args) {
  Guarded(result, [&] {
    Map** var = argc >= 1 ? MapVariable(args[0]) : nullptr;
    if (var == nullptr) return;
    Map* fresh = MapCreate();
    MapFree(*var);
    *var = fresh;
  });
}

void CmdMapClear(RuntimeValue* result, int argc, RuntimeValue* args) {
  Guarded(result, [&] { SetBoolResult(result, argc >= 1 && MapClear(MapArg(args[0]))); });
}

void CmdENodeSetAttribute(RuntimeValue* result, int argc, RuntimeValue* args) {
  Guarded(result, [&] {
    bool ok = argc >= 3 && IsName(args[1]) && ENodeSetAttribute(NodeArg(args[0]), NameOf(args[1]), args[2]);
    SetBoolResult(result, ok);
  });
}

void CmdMapSet(RuntimeValue* result, int argc, RuntimeValue* args) {
  Guarded(result, [&] {
    if (argc < 3 || !IsKey(args[1]) || (args[2].type != kTypeENode)) return SetBoolResult(result, false);
    SetBoolResult(result, MapSet(MapArg(args[0]), KeyOf(args[1]), NodeArg(args[2])));
  });
}

void CmdENodeCreate(RuntimeValue* result, int argc, RuntimeValue* args) {
  Guarded(result, [&] {
    ENode** var = argc >= 1 ? NodeVariable(args[0]) : nullptr;
    if (var == nullptr) return;
    ENode* fresh = ENodeCreate();
    ENodeFree(*var);
    *var = fresh;
  });
}

void CmdENodeFree(RuntimeValue*, int argc, RuntimeValue* args) {
  ENode** var = argc >= 1 ? NodeVariable(args[0]) : nullptr;
  if (var == nullptr) return;
  ENodeFree(*var);
  *var = nullptr;
}

void CmdMapRemove(RuntimeValue* result, int argc, RuntimeValue* args) {
  Guarded(result, [&] {
    SetBoolResult(result, argc >= 2 && IsKey(args[1]) && MapRemove(MapArg(args[0]), KeyOf(args[1])));
  });
}

void CmdMapGet(RuntimeValue* result, int argc, RuntimeValue* args) {
  Guarded(result, [&] {
    ENode** var = argc >= 3 ? NodeVariable(args[2]) : nullptr;
    if (var == nullptr || !IsKey(args[1])) return SetBoolResult(result, false);
    SetBoolResult(result, MapGet(MapArg(args[0]), KeyOf(args[1]), var));
  });
}

void CmdMapKeys(RuntimeValue* result, int argc, RuntimeValue* args) {
  *result = MakePointer(kTypeBytes | kArrayFlag, MapKeys(argc >= 1 ? MapArg(args[0]) : nullptr));
}

void CmdENodeGetBytes(RuntimeValue* result, int argc, RuntimeValue* args) {
  Guarded(result, [&] {
    if (argc < 3 || !IsName(args[1]) || args[2].type != kTypeBytes) return SetBoolResult(result, false);
    auto** var = static_cast<void**>(PointerOf(args[2]));
    SetBoolResult(result, ENodeGetBytes(NodeArg(args[0]), NameOf(args[1]), var));
  });
}

void CmdMapFree(RuntimeValue*, int argc, RuntimeValue* args) {
  Map** var = argc >= 1 ? MapVariable(args[0]) : nullptr;
  if (var == nullptr) return;
  MapFree(*var);
  *var = nullptr;
}

void CmdMapCopy(RuntimeValue* result, int argc, RuntimeValue* args) {
  Guarded(result, [&] {
    Map** target = argc >= 2 ? MapVariable(args[0]) : nullptr;
    if (target == nullptr) return;
    Map* copy = MapCopy(MapArg(args[1]));  // before freeing: source and target may be one variable
    MapFree(*target);
    *target = copy;
  });
}

intptr_t Notify(int code, intptr_t, intptr_t) {
  return code == kNotifyStart || code == kNotifyEnd ? 0 : -1;
}

}  // namespace

const CommandFn kDataStructureCommands[kDataStructureCommandCount] = {
    CmdMapCreate, CmdMapClear,  CmdENodeSetAttribute, CmdMapSet,    CmdENodeCreate, CmdENodeFree,
    CmdMapRemove, CmdMapGet,    CmdMapKeys,           CmdENodeGetBytes, CmdMapFree, CmdMapCopy,
};

LibraryDescriptor DataStructureLibrary(const TypeDescriptor* types) {
  return {"data structures", Notify, types != nullptr ? kDataStructureTypeCount : 0, types,
          kDataStructureCommandCount, kDataStructureCommands};
}

}  // namespace vorenn
