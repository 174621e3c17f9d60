// File commands over the table of open files, and the in-memory file that the web-access and JSON
// modules use as a growable byte buffer and to hand records from one thread to another.
//
// A FileNumber names an open file; a number that is not open makes every command do nothing and
// return its failure value (false, -1, empty). The table may be used from any thread; a given file
// is used by one thread at a time. An in-memory file keeps its bytes in one buffer whose capacity
// is always a multiple of 1024 bytes; it never holds more than 2^31 - 1 bytes, and a write that
// would pass that fails.
//
// Record layout of WriteData and ReadData (little-endian, no padding, no type tags):
//   value kind                     bytes
//   byte, short, integer, long     1, 2, 4, 8: the raw value
//   float, double                  4, 8: the IEEE value
//   bool, subroutine pointer       4 (bool as 0 or 1)
//   date-time                      8: the IEEE double
//   text                           its bytes, then one zero byte
//   byte array                     int32 byte count n, then the n bytes
//   array of a kind                its elements one after the other, each as above; an array of a
//                                  fixed-width kind is one block of count x width bytes
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/runtime_value.h"

namespace vorenn {

using FileNumber = int32_t;

enum SeekOrigin : int32_t { kSeekFromStart = 1, kSeekFromEnd = 2, kSeekFromCurrent = 3 };

// A new empty in-memory file, registered in the file table; never 0.
FileNumber OpenMemoryFile();
// Removes the number from the table and frees the file; an unknown number does nothing.
void CloseFile(FileNumber file);
// Closes every open file; the library calls it when the program ends.
void CloseAllFiles();

// True once the position is 0.
bool SeekToFileStart(FileNumber file);
// Moves the position by `offset` from the origin (kSeekFromStart, kSeekFromEnd, kSeekFromCurrent).
// Another origin, or a position that would fall before the start, does nothing and gives false.
// The position may lie past the end; a later write fills the gap with zero bytes.
bool SeekFile(FileNumber file, int32_t origin, int32_t offset);
// The length in bytes, -1 for an unknown file.
int32_t GetFileLength(FileNumber file);
// True when the position is at or past the end, or the file is unknown. Otherwise false, unless
// `terminatorCheck`: then true when the byte at the position is 0 or 26; the position is kept.
bool IsEndOfFile(FileNumber file, bool terminatorCheck = false);

// Up to `count` bytes from the position (fewer at the end, none for count <= 0).
std::vector<uint8_t> ReadBytes(FileNumber file, int32_t count);
// Writes the arrays one after the other at the position. On failure the position is set back and
// the result is false.
bool WriteBytes(FileNumber file, std::span<const uint8_t> bytes);
bool WriteBytes(FileNumber file, std::span<const std::span<const uint8_t>> arrays);

// One line from the position without its line end (LF, or CR LF). A zero byte or Ctrl-Z (26) also
// ends the line but stays in the file, so later reads meet it again. Double-byte characters are
// never split. At the end of the file: the empty text.
std::string ReadLine(FileNumber file);

// Writes each value in its ToText form (numbers, bool, date-time and text; other kinds are
// skipped), with no separator. On failure the position is set back and the result is false.
bool WriteText(FileNumber file, std::span<const RuntimeValue> values);
bool WriteText(FileNumber file, std::string_view text);

// Writes each value in the record layout above; omitted values and kinds that are not basic are
// skipped. On failure the position is set back and the result is false.
bool WriteData(FileNumber file, std::span<const RuntimeValue> values);
// Reads one variable after the other (records passed by reference, see commands/command_values.h).
// A text variable reads up to and past a zero byte (at the end of the file the bytes so far, if
// any); other kinds must be read in full. A variable whose kind is not basic, or a short read, gives
// false with the position set back to where the command began; variables read before the failure
// keep their new values.
bool ReadData(FileNumber file, std::span<const RuntimeValue> variables);

// Cuts `count` bytes at the position: later bytes move down and the file shrinks. count <= 0 leaves
// the file as it is. The position stays where it was. False for an unknown or failing file.
bool DeleteData(FileNumber file, int32_t count);

}  // namespace vorenn
