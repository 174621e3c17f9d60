// The PostgreSQL storage, for several server processes sharing one database. Amounts are NUMERIC
// columns; a character being changed is locked with SELECT ... FOR UPDATE, so changes of one
// character from any process happen one after another.
#pragma once

#include <memory>
#include <string>

#include "server/storage.h"

namespace vorenn::server {

// `url` is a libpq connection URI. Creates the tables when missing. Throws StorageError.
std::unique_ptr<Storage> OpenPostgresStorage(const std::string& url, int connections);

}  // namespace vorenn::server
