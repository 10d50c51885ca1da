// The batch application's pure steps, in process: the argument table, the
// home argument, the child's arguments, the step status judgement, the
// status object and the write test of a location.
#include "app/batch_app.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "app/batch_status.h"
#include "app/cgi_batch.h"
#include "app/kestrun_app.h"
#include "db/connection.h"
#include "db/session.h"
#include "env/environment.h"
#include "support/app_home.h"
#include "support/session_db.h"
#include "support/sqlite_db.h"
#include "support/temp_dir.h"
#include "support/trace_text.h"
#include "util/file_os.h"
#include "util/log.h"

namespace {

// Opens the protected state of the driver for the tests.
class TestKestrun : public ZAppKestrun {
public:
    using ZAppKestrun::statusDir;
    using ZAppKestrun::workDir;
};

// Parses args (argv[0] added) with the table names/flags; returns the result.
int Parse(ZAppBat& app, std::vector<const char*> args, std::vector<const char*> names,
          std::vector<unsigned char> flags) {
    args.insert(args.begin(), "kestrun");
    names.push_back(nullptr);
    return app.ParseArguments(static_cast<int>(args.size()), args.data(), names.data(), flags.data());
}

std::string Option(ZAppBat& app, const char* name) {
    char* value = nullptr;
    return app.Arguments().Find(name, &value) == 1 && value ? value : "<absent>";
}

}  // namespace

// A required option needs a value not starting with "-"; an optional one
// takes the next word as it is; the first occurrence counts; an absent
// optional option is no error; the options found are listed in table order.
TEST(ZAppBatParseArguments, OptionsTakeTheirValues) {
    const std::vector<const char*> names{"-h", "-s", "-q"};
    const std::vector<unsigned char> flags{1, 0, 0};
    const struct {
        std::vector<const char*> args;
        int result;
        std::vector<std::string> found;  // "-h", "-s", "-q" values; "<absent>"
    } cases[] = {
        {{}, 1, {}},
        {{"-h"}, 1, {}},
        {{"-h", "-s"}, 1, {}},
        {{"-h", ""}, 1, {}},
        {{"x", "-h"}, 1, {}},
        {{"-x", "1", "-h", "/srv/vrnl"}, 0, {"/srv/vrnl", "<absent>", "<absent>"}},
        {{"-s", "-dir", "-h", "home", "-h", "second"}, 0, {"home", "-dir", "<absent>"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.size() ? c.args.back() : "no arguments");
        TestKestrun app;
        EXPECT_EQ(Parse(app, c.args, names, flags), c.result);
        for (size_t i = 0; i < c.found.size(); ++i) EXPECT_EQ(Option(app, names[i]), c.found[i]) << names[i];
    }
    TestKestrun app;
    ASSERT_EQ(Parse(app, {"-s", "x", "-h", "home"}, names, flags), 0);
    char* name = nullptr;
    ASSERT_EQ(app.Arguments().NameAt(0, &name), 0);
    EXPECT_STREQ(name, "-h");
    ASSERT_EQ(app.Arguments().NameAt(1, &name), 0);
    EXPECT_STREQ(name, "-s");
}

TEST(ZAppBatGetHomeArgument, RefusesValuesThatDoNotFitTheBuffer) {
    std::string fits(2047, 'h'), tooLong(2048, 'h');
    char buffer[2048];
    TestKestrun ok;
    ASSERT_EQ(Parse(ok, {"-h", fits.c_str()}, {"-h"}, {1}), 0);
    EXPECT_EQ(ok.GetHomeArgument(0, nullptr, buffer, sizeof buffer), 0);
    EXPECT_EQ(std::string(buffer), fits);

    TestKestrun refused;
    ASSERT_EQ(Parse(refused, {"-h", tooLong.c_str()}, {"-h"}, {1}), 0);
    testing::internal::CaptureStdout();
    EXPECT_EQ(refused.GetHomeArgument(0, nullptr, buffer, sizeof buffer), 1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "No such directry.\n");
}

TEST(ZAppBatOpenDB, ProgramNameIsTheBaseNameOfArgv0CutAt62Bytes) {
    std::string longName(70, 'k');
    std::string argv0 = "/opt/vrnl/" + longName;
    const char* argv[] = {argv0.c_str(), nullptr};
    // Without an environment the database stays closed; the name is taken first.
    TestKestrun batch;
    EXPECT_NE(batch.OpenDB(1, argv), 0);
    EXPECT_EQ(std::string(batch.ProgramName()), longName.substr(0, 62));
    ZAppCgiBat companion;
    EXPECT_NE(companion.OpenDB(1, argv), 0);
    EXPECT_EQ(std::string(companion.ProgramName()), longName.substr(0, 62));

    const char* shortArgv[] = {"bin/kestrun", nullptr};
    TestKestrun named;
    named.OpenDB(1, shortArgv);
    EXPECT_STREQ(named.ProgramName(), "kestrun");
    TestKestrun unnamed;
    unnamed.OpenDB(0, shortArgv);
    EXPECT_STREQ(unnamed.ProgramName(), "err");
}

TEST(ZAppKestrunChildArguments, QuotedInTheirOrderWithEmptyValuesWithoutEnvironment) {
    TestKestrun app;
    app.workDir.Set("/srv/vrnl/kestv30r15");
    const char* array[64] = {};
    ASSERT_EQ(app.BuildChildArguments(array), 0);
    std::vector<std::string> args;
    for (int i = 0; array[i]; ++i) args.push_back(array[i]);
    EXPECT_EQ(args, (std::vector<std::string>{"\"/srv/vrnl/kestv30r15/updbatbookmarkv30.exe\"",
                                              "\"/srv/vrnl/kestv30r15\"", "\"\"", "\"\"", "0", "\"\"",
                                              "\"\"", "\"\"", "\"\"", "\"\"", "1"}));
    EXPECT_EQ(app.BuildChildArguments(nullptr), -99);
    EXPECT_EQ(app.RunChild(nullptr), -99);
}

TEST(ZAppKestrunCheckStepStatus, JudgesTheStatusKey) {
    TempDir dir;
    TestKestrun app;
    app.statusDir.Set(dir.path().c_str());
    EXPECT_EQ(app.CheckStepStatus(), -6100020);
    const std::pair<const char*, int> cases[] = {{"status=0\n", 0},
                                                 {"a=1\r\nstatus=0  \r\n", 0},
                                                 {"status=1\n", -9910002},
                                                 {"status=00\n", -9910002},
                                                 {"other=0\n", -9910002},
                                                 {"status=\n", -9910002},
                                                 {"status=5\nstatus=0\n", -9910002}};
    for (const auto& [text, expected] : cases) {
        ASSERT_TRUE(WriteWholeFile(dir.file("bookmarkv30.sts"), text));
        EXPECT_EQ(app.CheckStepStatus(), expected) << text;
    }
    // A directory in its place cannot be read.
    std::filesystem::remove(dir.file("bookmarkv30.sts"));
    std::filesystem::create_directory(dir.file("bookmarkv30.sts"));
    EXPECT_EQ(app.CheckStepStatus(), -6100020);
}

// The run's record is never lost: when the driver log cannot be written, or
// an earlier run's log (or anything else in its place) cannot be replaced,
// the record goes to the temporary directory, standard error says where, and
// what stands at the log's name stays.
TEST(ZAppKestrunDriverLog, LogThatCannotBeWrittenLeavesTheRecordInTheTemporaryDirectory) {
    NUFileOs saved = FileOs();
    const struct {
        const char* what;
        bool longPath;     // the log's path does not fit the log path buffer
        bool oldLogStays;  // an earlier run's log cannot be removed
        bool directory;    // a directory stands at the log's name
    } cases[] = {{"path too long", true, false, false},
                 {"old log stays", false, true, false},
                 {"a directory in its place", false, false, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        Configure(dir, "");
        TestKestrun app;
        std::string statusDir = dir.file("log");
        while (c.longPath && statusDir.size() < 500) statusDir += "/" + std::string(100, 's');
        app.statusDir.Set(statusDir.c_str());
        std::string log = statusDir + "/kestrun.log";
        std::string kept = c.directory ? log + "/kept" : log;
        if (c.oldLogStays || c.directory) {
            std::filesystem::create_directories(c.directory ? log : statusDir);
            ASSERT_TRUE(WriteWholeFile(kept, "earlier run\n"));
        }
        if (c.oldLogStays) {
            FileOs().removeFile = [](const char*) {
                errno = EACCES;
                return -1;
            };
        }
        TraceError("[T:%d] ret[%d]", 1, -5);
        testing::internal::CaptureStderr();
        EXPECT_EQ(app.WriteDriverLog(-5, "text"), 0);
        FileOs() = saved;
        std::string err = testing::internal::GetCapturedStderr();
        EXPECT_NE(err.find("Failed to write the log file. path[" + log + "]"), std::string::npos);
        const std::string where = "The error record was written to [";
        size_t at = err.find(where);
        ASSERT_NE(at, std::string::npos) << err;
        at += where.size();
        std::string path = err.substr(at, err.find("].", at) - at);
        EXPECT_TRUE(path.starts_with(dir.path() + "/data/")) << path;
        std::string record = ReadWholeFile(path);
        EXPECT_NE(record.find(" -5::text"), std::string::npos) << record;
        EXPECT_NE(DecodeTrace(record).find("[T:1] ret[-5]"), std::string::npos) << record;
        EXPECT_TRUE(AppEnvironment()->ErrorTrace().IsEmpty());
        if (c.oldLogStays || c.directory) {
            EXPECT_EQ(ReadWholeFile(kept), "earlier run\n");
        }
        ReleaseEnvironment();
    }
}

TEST(ZioBatchObjTest, SetDirectoryPlacesTheFile) {
    ZioBatchObj status("kestrun.sts");
    char path[1024];
    for (const char* dir : {"/srv/log", "/srv/log/"}) {
        ASSERT_EQ(status.SetDirectory(dir), 0);
        ASSERT_EQ(status.GetPath(path), 0);
        EXPECT_STREQ(path, "/srv/log/kestrun.sts");
    }
    EXPECT_EQ(status.SetDirectory(nullptr), -99);
}

TEST(ZioBatchObjTest, StatusValuesAreReplacedInPlace) {
    ZioBatchObj status("s");
    ASSERT_EQ(SetStatusValue(&status, "startdate", "1"), 0);
    ASSERT_EQ(SetStatusValue(&status, "status", "-5"), 0);
    ASSERT_EQ(SetStatusValue(&status, "startdate", "2"), 0);
    char *name = nullptr, *value = nullptr;
    ASSERT_EQ(status.Count(), 2);
    ASSERT_EQ(status.GetAt(0, &name, &value), 0);
    EXPECT_STREQ(name, "startdate");
    EXPECT_STREQ(value, "2");
}

TEST(ZAppBatSaveCheckFile, WritesAndRemovesTheFileOrRefusesWithItsCode) {
    TempDir dir;
    std::string longPath = dir.path();
    while (longPath.size() < 1100) longPath += "/" + std::string(200, 'a');
    struct Case {
        const char* name;
        const char* label;
        std::string path;
        int result;
        std::string out;
    } cases[] = {
        {"written and removed", "-s", dir.file("sub/check.txt"), 0, ""},
        {"no label", nullptr, dir.file("sub/check.txt"), -99, "Argument error.\n"},
        {"path beyond the buffer", "-s", longPath, -1, "Save path error. path=[" + longPath + "]\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestKestrun app;
        testing::internal::CaptureStdout();
        EXPECT_EQ(app.SaveCheckFile(c.label, c.path.c_str(), false), c.result);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), c.out);
        std::error_code ec;
        EXPECT_FALSE(std::filesystem::exists(c.path, ec));
        EXPECT_FALSE(std::filesystem::exists(c.path + ".lk", ec));
    }
}

namespace {

// A reader that keeps the run's commit waiting, and lets go once the
// commit has failed: the failure is transient.
SqliteHolder* reader = nullptr;
int ReleaseReaderAfterFailedCommit(const char* what, int result, int, const char*) {
    if (reader && std::string(what) == "commit" && result != 0) reader->Exec("COMMIT");
    return 0;
}

}  // namespace

TEST(ZAppBatObjEnd, FailedCommitIsRolledBackNotCommittedByTheCompanion) {
    SKIP_WITHOUT_SQLITE();
    TempDir dir;
    ASSERT_EQ(OpenSessionDb(dir, "CREATE TABLE T_RUN (N INT);", "dbtimeout=1\n"), "");
    SqliteHolder holder(SessionDbPath(dir));
    TestKestrun app;
    ASSERT_EQ(app.CreateCompanion(), 0);
    ASSERT_EQ(DBExecute(nullptr, "INSERT INTO T_RUN VALUES (1)", 0, 0), 0);
    ASSERT_EQ(holder.Exec("BEGIN; SELECT count(*) FROM T_RUN;"), "");
    reader = &holder;
    AppEnvironment()->Connection()->callback = ReleaseReaderAfterFailedCommit;
    EXPECT_EQ(app.End(0), -1000004);
    reader = nullptr;
    ReleaseEnvironment();
    EXPECT_EQ(SqliteScalar(SessionDbPath(dir), "SELECT count(*) FROM T_RUN"), "0");
}
