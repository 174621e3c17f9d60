// `vorenn-server backup FILE`: a consistent copy of a live SQLite database, taken with SQLite's
// online backup while the server keeps serving. (A plain file copy of a database in WAL mode can
// miss every change still in the -wal file.) PostgreSQL databases are backed up with pg_dump.
#pragma once

#include <string>

namespace vorenn::server {

// Copies the database of `url` ("sqlite:PATH") to `destination` and checks the copy's integrity.
// The copy is written beside the destination and renamed into place only when complete and sound,
// so a failed backup never leaves a half file under the destination's name. Throws
// std::runtime_error with the reason.
void BackupDatabase(const std::string& url, const std::string& destination);

}  // namespace vorenn::server
