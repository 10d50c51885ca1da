// kestrun end to end with a step that upgrades the database: the step
// stand-in opens the installation's database while kestrun has it open and
// commits its change, over each route to the database.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "support/demo_home.h"
#include "support/odbc_driver.h"
#include "support/sqlite_db.h"
#include "support/temp_dir.h"
#include "support/test_platform.h"

namespace {

const char kOdbcDriver[] = "SQLite3 Test";

struct StepCase {
    const char* name;
    // The database through SQLite's ODBC driver, else the embedded provider.
    bool odbc;
    // TM_OFFICE rows of the installation's corporation.
    int offices;
};

void PrintTo(const StepCase& c, std::ostream* out) { *out << c.name; }

class KestrunStepDatabase : public ::testing::TestWithParam<StepCase> {};

}  // namespace

TEST_P(KestrunStepDatabase, StepChangeIsCommittedWhenTheRunSucceeds) {
    const StepCase& c = GetParam();
    SKIP_WITHOUT_SQLITE_FILES();
    if (!c.odbc) {
        SKIP_WITHOUT_SQLITE();
    }
    TempDir tmp;
    std::string home = tmp.path() + "/vrnl";
    ASSERT_EQ(MakeDemoHome(home), "");
    std::string database = home + "/data/vrnldb.sqlite";
    // The Windows build reaches the file over ODBC already (the host's
    // driver, named by the environment Wine starts with).
    if (c.odbc && SqliteAvailable()) {
        std::string library = FindOdbcLibrary("libsqlite3odbc.so");
        if (library.empty()) GTEST_SKIP() << "SQLite's ODBC driver is not installed";
        ASSERT_TRUE(RegisterOdbcDriver(tmp, kOdbcDriver, library));
        std::string config = home + "/data/app";
        ASSERT_TRUE(WriteWholeFile(config, ReadWholeFile(config) + "dbprovider=odbc\ndbdriver=" + kOdbcDriver +
                                               "\ndbname=" + HostFilePath(database) + "\n"));
    }
    for (int id = 2; id <= c.offices; ++id) {
        ASSERT_EQ(MakeSqliteDb(database, "INSERT INTO TM_OFFICE (SID_CORPORATE, ID, Name, SID_TZ, lang_id) VALUES (1, " +
                                             std::to_string(id) + ", 'Branch', 'JST', 'ja_JP')"),
                  "");
    }
    ProgramResult r = RunKestrun({"-h", home});
    EXPECT_EQ(r.out, kSuccess) << r.err;
    EXPECT_EQ(SqliteScalar(database, "SELECT RUN_COUNT FROM TM_STEP_VERSION WHERE STEP = 'bookmarkv30'"), "1");
}

INSTANTIATE_TEST_SUITE_P(Routes, KestrunStepDatabase,
                         ::testing::Values(StepCase{"SqliteOneOffice", false, 1}, StepCase{"OdbcOneOffice", true, 1},
                                           StepCase{"SqliteSeveralOffices", false, 3},
                                           StepCase{"OdbcSeveralOffices", true, 3}),
                         [](const ::testing::TestParamInfo<StepCase>& info) { return info.param.name; });
