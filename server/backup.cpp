#include "server/backup.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstdio>
#include <stdexcept>

namespace vorenn::server {

namespace {

class Database {
 public:
  Database(const std::string& path, int flags) {
    if (sqlite3_open_v2(path.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
      std::string message = db_ ? sqlite3_errmsg(db_) : "out of memory";
      sqlite3_close(db_);
      throw std::runtime_error("cannot open " + path + ": " + message);
    }
    sqlite3_busy_timeout(db_, 10000);
  }
  ~Database() { sqlite3_close(db_); }
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;
  sqlite3* get() const { return db_; }

 private:
  sqlite3* db_ = nullptr;
};

std::string IntegrityOf(sqlite3* db) {
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &stmt, nullptr) != SQLITE_OK) {
    return sqlite3_errmsg(db);
  }
  std::string result = sqlite3_step(stmt) == SQLITE_ROW
                           ? reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0))
                           : sqlite3_errmsg(db);
  sqlite3_finalize(stmt);
  return result;
}

void Copy(const std::string& source, const std::string& destination) {
  // Read-write without create: a mistyped path is an error, not a new empty database; and a reader
  // of a WAL database needs to be able to take part in its locking.
  Database from(source, SQLITE_OPEN_READWRITE);
  Database to(destination, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
  sqlite3_backup* backup = sqlite3_backup_init(to.get(), "main", from.get(), "main");
  if (!backup) throw std::runtime_error(std::string("cannot start the backup: ") + sqlite3_errmsg(to.get()));
  // All pages in one step: the copy is one read transaction of the source, so it is one moment of
  // it, and in WAL mode the server's writers go on meanwhile.
  int step = SQLITE_OK;
  for (int tries = 0; tries < 100; ++tries) {
    step = sqlite3_backup_step(backup, -1);
    if (step != SQLITE_BUSY && step != SQLITE_LOCKED) break;
    sqlite3_sleep(100);
  }
  sqlite3_backup_finish(backup);
  if (step != SQLITE_DONE) {
    throw std::runtime_error(std::string("the backup failed: ") + sqlite3_errstr(step));
  }
  std::string integrity = IntegrityOf(to.get());
  if (integrity != "ok") throw std::runtime_error("the copy failed its integrity check: " + integrity);
}

}  // namespace

void BackupDatabase(const std::string& url, const std::string& destination) {
  if (url.rfind("sqlite:", 0) != 0) {
    throw std::runtime_error("backup copies SQLite databases; for PostgreSQL use pg_dump (docs/deploy.md)");
  }
  std::string source = url.substr(7);
  std::string partial = destination + ".partial";
  std::remove(partial.c_str());
  // Like the database itself, the copy holds password hashes: its owner's alone.
  int fd = ::open(partial.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) throw std::runtime_error("cannot create " + partial);
  ::close(fd);
  try {
    Copy(source, partial);
  } catch (...) {
    std::remove(partial.c_str());
    throw;
  }
  if (std::rename(partial.c_str(), destination.c_str()) != 0) {
    std::remove(partial.c_str());
    throw std::runtime_error("cannot move the copy to " + destination);
  }
}

}  // namespace vorenn::server
