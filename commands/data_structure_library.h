// The data-structure library (library 6): ENode and Map behind the one calling form of commands.
//
// Argument conventions of its commands:
// - An ENode or Map argument (type word 0x60001 or 0x60007) carries in low/high the address of the
//   variable that holds the object pointer (null = no object), so create and free commands can
//   set and empty the variable.
// - A key is a bytes block (null = empty); a name is a text block (null = empty).
// - A byte-array variable argument (type word of bytes) carries the address of a variable holding
//   a bytes block.
// An argument of the wrong type makes the command do nothing and report false.
#pragma once

#include <cstddef>  // engine/core/runtime_value.h uses offsetof
#include "engine/core/library.h"

namespace vorenn {

enum DataStructureCommand : int {
  kMapCreate = 0,
  kMapClear = 1,
  kENodeSetAttribute = 2,
  kMapSet = 3,
  kENodeCreate = 4,
  kENodeFree = 5,
  kMapRemove = 6,
  kMapGet = 7,
  kMapKeys = 8,
  kENodeGetBytes = 9,
  kMapFree = 10,
  kMapCopy = 11,
  kDataStructureCommandCount = 12,
};

extern const CommandFn kDataStructureCommands[kDataStructureCommandCount];

// ENode is type 1 and Map type 7 of the library, so its type table holds seven entries; the other
// five are never named by a value of this program.
constexpr int kDataStructureTypeCount = 7;

// The descriptor for the library table. `types` is the library's type table of
// kDataStructureTypeCount descriptors, built where the unit contract's type descriptor is defined;
// with null the library announces no data types.
LibraryDescriptor DataStructureLibrary(const TypeDescriptor* types = nullptr);

}  // namespace vorenn
