#include "commands/file_table.h"

#include <mutex>
#include <unordered_map>

namespace vorenn {
namespace {

struct FileTable {
  std::mutex mutex;
  std::unordered_map<FileNumber, std::shared_ptr<FileObject>> files;
  // Numbers are not reused soon, so a stale number held by a caller does not name a new file.
  FileNumber next = 1;
};

FileTable& Table() {
  static FileTable table;
  return table;
}

}  // namespace

FileNumber RegisterFile(std::unique_ptr<FileObject> file) {
  FileTable& table = Table();
  std::lock_guard lock(table.mutex);
  FileNumber number = table.next;
  while (number == 0 || table.files.count(number) != 0) number = number == INT32_MAX ? 1 : number + 1;
  table.next = number == INT32_MAX ? 1 : number + 1;
  table.files.emplace(number, std::shared_ptr<FileObject>(std::move(file)));
  return number;
}

std::shared_ptr<FileObject> FindFile(FileNumber number) {
  FileTable& table = Table();
  std::lock_guard lock(table.mutex);
  auto it = table.files.find(number);
  return it == table.files.end() ? nullptr : it->second;
}

bool UnregisterFile(FileNumber number) {
  std::shared_ptr<FileObject> file;  // freed outside the lock
  FileTable& table = Table();
  std::lock_guard lock(table.mutex);
  auto it = table.files.find(number);
  if (it == table.files.end()) return false;
  file = std::move(it->second);
  table.files.erase(it);
  return true;
}

void UnregisterAllFiles() {
  std::unordered_map<FileNumber, std::shared_ptr<FileObject>> files;
  FileTable& table = Table();
  {
    std::lock_guard lock(table.mutex);
    files.swap(table.files);
  }
}

}  // namespace vorenn
