// SQLite database files for tests in a build without SQLite: every use
// reports that SQLite is missing; SKIP_WITHOUT_SQLITE skips such tests.
#include "support/sqlite_db.h"

namespace {

const char kMissing[] = "this build has no SQLite library";

}  // namespace

bool SqliteAvailable() { return false; }

std::string MakeSqliteDb(const std::string&, const std::string&) { return kMissing; }

std::string SqliteScalar(const std::string&, const std::string&) { return std::string("<error: ") + kMissing + ">"; }

SqliteHolder::SqliteHolder(const std::string&) {}

SqliteHolder::~SqliteHolder() {}

std::string SqliteHolder::Exec(const std::string&) { return kMissing; }
