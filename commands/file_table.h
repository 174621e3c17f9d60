// The table of open files. Every opening command registers a FileObject and hands out its number;
// every file command looks the number up first. Safe to use from several threads: the table is
// guarded, and a file looked up stays alive until its user lets go of it even when another thread
// closes the number meanwhile.
#pragma once

#include <cstdint>
#include <memory>

#include "commands/memory_file.h"

namespace vorenn {

// An open file as the file commands see it. Positions and lengths are 64-bit so that arithmetic on
// them never overflows; a file refuses to grow past its own limit.
class FileObject {
 public:
  virtual ~FileObject() = default;
  virtual int64_t Position() const = 0;
  virtual int64_t Length() const = 0;
  // Reads up to n bytes at the position and moves past them; the count read, or -1 on failure.
  virtual int64_t Read(void* buffer, int64_t n) = 0;
  // Writes n bytes at the position, growing the file as needed; false on failure (nothing written).
  virtual bool Write(const void* data, int64_t n) = 0;
  // Sets the position; false (position unchanged) for a negative one.
  virtual bool SetPosition(int64_t position) = 0;
  // Cuts or extends (with zero bytes) the file to `length`.
  virtual bool SetLength(int64_t length) = 0;
};

// Registers the file and returns its number (never 0).
FileNumber RegisterFile(std::unique_ptr<FileObject> file);
// The open file of that number, or null.
std::shared_ptr<FileObject> FindFile(FileNumber number);
// Removes the number; the file is freed once no one is using it. False for an unknown number.
bool UnregisterFile(FileNumber number);
// Removes every number.
void UnregisterAllFiles();

}  // namespace vorenn
