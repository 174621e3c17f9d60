// Mouse pointers: the game's standard pointer numbers, the units' own numbers, and the cursors
// made from a unit's pointer data.
//
// Pointer data (property 7 and properties of the pointer kind): empty for the default pointer, or
// at least 4 bytes whose first little-endian word is a standard pointer number (game numbering
// outside the engine, unit numbering inside), or a cursor image (not supported: default pointer).
//
//   game  unit   pointer          game  unit   pointer
//   0     0      default          8     32520  size west-east
//   1     32513  arrow            9     32521  up arrow
//   2     32514  cross            10    32522  wait
//   3     32515  I-beam           11    32523  no
//   4     32516  size all         12    32524  arrow and wait
//   5     32517  size NE-SW       13    32525  help
//   6     32518  size north-south 14    32526  hand
//   7     32519  size NW-SE
// Numbers outside the table pass unchanged.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "platform/native_window.h"

namespace vorenn {

uint32_t UnitPointerOfGame(uint32_t gamePointer);
uint32_t GamePointerOfUnit(uint32_t unitPointer);

// Data shorter than 4 bytes is returned unchanged; otherwise the first word is translated.
std::vector<uint8_t> PointerDataToUnit(std::span<const uint8_t> gameData);
std::vector<uint8_t> PointerDataToGame(std::span<const uint8_t> unitData);

// The cursor kept in a record's cursor slot for pointer data in unit numbering: the unit pointer
// number, or 0 (default pointer) for empty or unusable data.
uintptr_t CursorOfPointerData(std::span<const uint8_t> unitData);
platform::PointerShape PointerShapeOfCursor(uintptr_t cursor);

}  // namespace vorenn
