// kestrun end to end with a step that upgrades the database: the step
// stand-in opens the installation's database while kestrun has it open and
// commits its change, over each route to the database.
#include <gtest/gtest.h>

#include <iostream>
#include <string>

#include "support/demo_home.h"
#include "support/odbc_driver.h"
#include "support/sqlite_db.h"
#include "support/temp_dir.h"
#include "support/test_platform.h"

// Rows: the database through SQLite's ODBC driver or the embedded
// provider, with one or several TM_OFFICE rows of the installation's
// corporation.
TEST(KestrunStepDatabase, StepChangeIsCommittedWhenTheRunSucceeds) {
    SKIP_WITHOUT_SQLITE_FILES();
    const char kOdbcDriver[] = "SQLite3 Test";
    const struct {
        const char* name;
        bool odbc;
        int offices;
    } cases[] = {{"SQLite, one office", false, 1},
                 {"ODBC, one office", true, 1},
                 {"SQLite, several offices", false, 3},
                 {"ODBC, several offices", true, 3}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (!c.odbc && !SqliteAvailable()) {
            std::cout << "[ SKIPPED ] " << c.name << ": this build has no SQLite library\n";
            continue;
        }
        TempDir tmp;
        std::string home = tmp.path() + "/vrnl";
        ASSERT_EQ(MakeDemoHome(home), "");
        std::string database = home + "/data/vrnldb.sqlite";
        // The Windows build reaches the file over ODBC already (the host's
        // driver, named by the environment Wine starts with).
        if (c.odbc && SqliteAvailable()) {
            std::string library = FindOdbcLibrary("libsqlite3odbc.so");
            if (library.empty()) {
                std::cout << "[ SKIPPED ] " << c.name << ": SQLite's ODBC driver is not installed\n";
                continue;
            }
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
}
