#include "support/session_test.h"

#include "db/session.h"
#include "env/environment.h"
#include "support/session_db.h"
#include "support/sqlite_db.h"

void SessionDbTest::Open(const std::string& script, const std::string& extraConfig) {
    SKIP_WITHOUT_SQLITE();
    ASSERT_EQ("", OpenSessionDb(dir, script, extraConfig));
}

void SessionDbTest::TearDown() { ReleaseEnvironment(); }

int SessionDbTest::Execute(const std::string& sql) {
    int rc = DBExecute(nullptr, sql.c_str(), 0, 0);
    return rc == -110 ? 0 : rc;
}

std::string SessionDbTest::Scalar(const std::string& sql) {
    EXPECT_EQ(0, DBCommit());
    return SqliteScalar(SessionDbPath(dir), sql);
}
