// The SQLite storage: one database file in WAL mode with full synchronisation, so an answered change
// survives a crash of the server or the machine. Writers inside one process queue on a mutex; other
// processes on the same file wait through SQLite's busy time-out.
#pragma once

#include <memory>
#include <string>

#include "server/storage.h"

namespace vorenn::server {

// Opens (and creates, with its folder) the database at `path`. Throws StorageError.
std::unique_ptr<Storage> OpenSqliteStorage(const std::string& path, int connections);

}  // namespace vorenn::server
