// How a library describes one of its data types (unit types among them): names, state flags, the
// event and property tables by number, and the interface function that hands out the type's
// operations. Properties and events carry no names the engine relies on; both sides know them by
// index.
#pragma once

#include <cstdint>

namespace vorenn {

// Type state flags.
enum TypeState : uint32_t {
  kTypeStateNeverShown = 0x00008000,  // a unit that never shows (timers); visibility is ignored
};

struct PropertyDescriptor {
  const char* name;         // GBK
  const char* englishName;
  const char* description;
  uint16_t kind;            // transfer kind: 1000 integer, 1003 logical, 1005 text, ...
  uint16_t state;
  uint32_t extra;
};

struct EventDescriptor {
  const char* name;  // GBK
  const char* description;
  uint32_t state;
  int argumentCount;
};

// The interface function maps an operation number (1 create, 4 set property, 5 get data,
// 6 get property, ...) to the operation, or null when the type lacks it.
using TypeInterfaceFn = void* (*)(int operation);

struct TypeDescriptor {
  const char* name;  // GBK
  const char* englishName;
  const char* description;
  int commandCount;
  const int* commands;  // indices into the library's command table
  uint32_t state;       // TypeState bits
  uint32_t image;
  int eventCount;
  const EventDescriptor* events;
  int propertyCount;
  const PropertyDescriptor* properties;
  TypeInterfaceFn interface;
  int elementCount;
  const void* elements;
};

}  // namespace vorenn
