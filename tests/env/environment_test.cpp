// The environment: defaults, each configuration key's reading rule, the
// daily switch, decorated log names, bad configuration files, the work
// buffer, the new-key check, the connection object and release.
#include "env/environment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <ctime>
#include <filesystem>
#include <regex>
#include <string>

#include "db/connection.h"
#include "db/driver.h"
#include "support/app_home.h"
#include "support/sqlite_db.h"
#include "support/temp_dir.h"
#include "support/trace_text.h"
#include "util/log.h"
#include "util/process.h"

namespace {

// Today's date as YYYYMMDD in UTC+9, the default zone.
std::string TodayUtc9() {
    time_t t = time(nullptr) + 9 * 3600;
    tm parts{};
    parts = *gmtime(&t);
    char text[9];
    strftime(text, sizeof text, "%Y%m%d", &parts);
    return text;
}

// A date that is not today in any zone.
const char kOtherDate[] = "20000101";

std::string Setting(CMSioObjApp* env, int index) {
    char* value = nullptr;
    env->SettingsList()->ValueAt(index, &value);
    return value ? value : "(null)";
}

std::string Pid() { return std::to_string(CurrentProcessId()); }

// The decoded last line of the error trace.
std::string LastTraceLine(CMSioObjApp* env) {
    std::string trace = env->ErrorTrace().Get();
    if (trace.empty()) return "";
    trace.pop_back();
    return DecodeHex(trace.substr(trace.rfind('\n') + 1));
}

}  // namespace

TEST(Environment, FreeOperationsWithoutEnvironment) {
    EXPECT_EQ(AppEnvironment(), nullptr);
    EXPECT_EQ(ReadConfiguration("/tmp"), -99);
    EXPECT_EQ(DecorateLogNames("kestrun"), -99);
    EXPECT_EQ(ReserveWorkBuffer(10), -99);
    char* buffer = reinterpret_cast<char*>(1);
    EXPECT_EQ(GetWorkBuffer(&buffer), -99);
    EXPECT_EQ(buffer, nullptr);
    EXPECT_EQ(CheckNewKey("k"), -99);
    EXPECT_EQ(CompanyNumber(), 0);
    ReleaseEnvironment();
}

TEST(Environment, CreateOnceAndRelease) {
    EXPECT_EQ(CreateAppEnvironment(), 0);
    CMSioObjApp* env = AppEnvironment();
    ASSERT_NE(env, nullptr);
    EXPECT_EQ(CreateAppEnvironment(), 0);
    EXPECT_EQ(AppEnvironment(), env);
    ReleaseEnvironment();
    EXPECT_EQ(AppEnvironment(), nullptr);
    ReleaseEnvironment();
}

#define TEXT_OF(getter) [](CMSioObjApp* e) { return std::string(e->getter()); }
#define NUMBER_OF(getter) [](CMSioObjApp* e) { return std::to_string(e->getter()); }

// Each key's value without a configuration file, and what its line sets:
// texts stored as given, integers read as decimals.
TEST(ConfigKeys, DefaultsAndConfiguredValues) {
    struct Key {
        const char* line;  // "" for a value no line of its own sets
        std::string (*get)(CMSioObjApp*);
        const char* byDefault;
        const char* configured;
    } keys[] = {
        {"dbs=db.example", TEXT_OF(DbServer), "localhost", "db.example"},
        {"dbuser=u1", TEXT_OF(DbUser), "vrnl", "u1"},
        {"dbpwd=p w#x", TEXT_OF(DbPassword), "pmxq", "p w#x"},
        {"dbname=base", TEXT_OF(DbName), "vrnldb", "base"},
        {"ftsdbs=f1", TEXT_OF(FtsDbServer), "localhost", "f1"},
        {"ftsdbuser=f2", TEXT_OF(FtsDbUser), "vrnlfts", "f2"},
        {"ftsdbpwd=f3", TEXT_OF(FtsDbPassword), "pmxqtwa", "f3"},
        {"ftsdbname=f4", TEXT_OF(FtsDbName), "vrnlftsdb", "f4"},
        {"docroot=/res/", TEXT_OF(DocRoot), "/vrnlres/", "/res/"},
        {"", TEXT_OF(ImageRoot), "/vrnlres/images/", "/res/images/"},
        {"", TEXT_OF(SmartphoneRoot), "/vrnlspres/", "/vrnlspres/"},
        {"locklog=/var/lock", TEXT_OF(LockLogName), "", "/var/lock"},
        {"dsvrnurl=http://d", TEXT_OF(DsvrnUrl), "", "http://d"},
        {"unauthurl=u", TEXT_OF(UnauthUrl), "", "u"},
        {"logouturl=l", TEXT_OF(LogoutUrl), "", "l"},
        {"unauthaction=a", TEXT_OF(UnauthAction), "", "a"},
        {"dbprovider=odbc", TEXT_OF(DbProvider), DefaultDBProvider(), "odbc"},
        {"dbdriver=ODBC Driver 18", TEXT_OF(DbDriver), "FreeTDS", "ODBC Driver 18"},
        {"dbadoprovider=MSOLEDBSQL", TEXT_OF(DbAdoProvider), "SQLOLEDB", "MSOLEDBSQL"},
        {"", TEXT_OF(ErrLogName), "", ""},
        {"", TEXT_OF(TraceFileName), "", ""},
        {"", TEXT_OF(TimeLogName), "", ""},
        {"tempdelday= 7", NUMBER_OF(TempDelDay), "3", "7"},
        {"retrycnt=abc", NUMBER_OF(RetryCount), "5", "0"},
        {"retrytim=+12x", NUMBER_OF(RetryTime), "10", "12"},
        {"dbtimeout=-30", NUMBER_OF(DbTimeout), "-1", "-30"},
        {"cid=2", NUMBER_OF(CompanyId), "1", "2"},
        {"", [](CMSioObjApp*) { return std::to_string(CompanyNumber()); }, "1", "2"},
        {"maxdir=0", NUMBER_OF(MaxDir), "1000", "0"},
        {"maxdispcount=99999999999", NUMBER_OF(MaxDispCount), "500", "2147483647"},
        {"deluser=-99999999999", NUMBER_OF(DelUser), "100", "-2147483648"},
        {"maxfetchcount=", NUMBER_OF(MaxFetchCount), "5000", "0"},
        {"autosavetime=100", NUMBER_OF(AutoSaveTime), "5", "60"},  // capped at 60
        // A flag switches on with its one word, and a later line does not
        // switch it off.
        {"sqltrace=1\nsqltrace=0", NUMBER_OF(SqlTrace), "0", "1"},
        {"dbpooled=true\ndbpooled=false", NUMBER_OF(DbPooled), "0", "1"},
    };
    TempDir home;
    CreateAppEnvironment();
    CMSioObjApp* env = AppEnvironment();
    EXPECT_STREQ(env->HomeDir(), "");
    ASSERT_EQ(ReadConfiguration(home.path().c_str()), 0);
    EXPECT_EQ(std::string(env->HomeDir()), home.path() + "/");
    EXPECT_EQ(std::string(env->DataDir()), home.path() + "/data/");
    EXPECT_EQ(std::string(env->FileDir()), home.path() + "/file/");
    EXPECT_EQ(std::string(env->PageDir()), home.path() + "/page/");
    EXPECT_EQ(std::string(env->MailDataDir()), home.path() + "/wmldata/");
    EXPECT_EQ(env->SettingsList(), nullptr);
    // No error log: nothing is written anywhere.
    char current[512];
    SetLogPath(nullptr, current);
    EXPECT_STREQ(current, "");
    std::string text;
    for (const Key& key : keys) {
        SCOPED_TRACE(key.line);
        EXPECT_EQ(key.get(env), key.byDefault);
        if (*key.line) text += std::string(key.line) + "\n";
    }
    ReleaseEnvironment();
    int lines = static_cast<int>(std::count(text.begin(), text.end(), '\n')) + 1;
    env = Configure(home, text + "unknown=kept\n");
    for (const Key& key : keys) {
        SCOPED_TRACE(key.line);
        EXPECT_EQ(key.get(env), key.configured);
    }
    ASSERT_EQ(env->SettingsList()->Count(), lines);
    char* name = nullptr;
    env->SettingsList()->NameAt(lines - 1, &name);
    EXPECT_STREQ(name, "unknown");
    EXPECT_EQ(Setting(env, lines - 1), "kept");
    ReleaseEnvironment();
    EXPECT_EQ(Configure(home, "autosavetime=-5\n")->AutoSaveTime(), -5);
}

TEST(ConfigKeys, DecimalReading) {
    EXPECT_EQ(ReadDecimal(" \t-5 6"), -5);
    EXPECT_EQ(ReadDecimal("--5"), 0);
    EXPECT_EQ(ReadDecimal(nullptr), 0);
}

TEST(Environment, HomeWithTrailingSeparatorKeepsItDoubled) {
    TempDir home;
    CreateAppEnvironment();
    ASSERT_EQ(ReadConfiguration((home.path() + "/").c_str()), 0);
    EXPECT_EQ(std::string(AppEnvironment()->DataDir()), home.path() + "//data/");
}

TEST(ConfigKeys, FlagsSwitchOnlyOnWithTheirWord) {
    TempDir home;
    CMSioObjApp* env = Configure(home, "sqltrace=yes\ndbpooled=TRUE\n");
    EXPECT_FALSE(env->SqlTrace());
    EXPECT_FALSE(env->DbPooled());
}

TEST(ConfigKeys, DirectoryKeys) {
    TempDir home;
    CMSioObjApp* env = Configure(home, "dbdirdata=\ndbdirfile=/srv/f\ndbdirmaildata=D:\\mail\\\n");
    EXPECT_EQ(std::string(env->DataDir()), home.path() + "/data/");
    EXPECT_STREQ(env->FileDir(), "/srv/f/");
    EXPECT_STREQ(env->MailDataDir(), "D:\\mail\\");
    ReleaseEnvironment();
    env = Configure(home, "dbdirdata=D:\\data\n");
    EXPECT_STREQ(env->DataDir(), "D:\\data/");
}

// A repeated key keeps both pairs and the last value; a continuation line
// extends only the settings list.
TEST(ConfigKeys, RepeatedKeysAndContinuations) {
    TempDir home;
    CMSioObjApp* env = Configure(home, "dbname=first\n\tline two\ndbname=second\n");
    EXPECT_STREQ(env->DbName(), "second");
    ASSERT_EQ(env->SettingsList()->Count(), 2);
    EXPECT_EQ(Setting(env, 0), "first\nline two");
    EXPECT_EQ(Setting(env, 1), "second");
}

// An error log named with today's date becomes the current log file; one of
// another date is cleared, so its "longtime" does not switch on the
// slow-statement report either.
TEST(DailySwitch, ErrorLogOnlyOnTodaysDate) {
    for (bool today : {true, false}) {
        SCOPED_TRACE(today);
        TempDir home;
        std::string name = home.file("err" + (today ? TodayUtc9() : kOtherDate) + "longtime.txt");
        CMSioObjApp* env = Configure(home, "errlogfname=" + name + "\n");
        EXPECT_EQ(std::string(env->ErrLogName()), today ? name : "");
        LogAppend("written\n");
        EXPECT_EQ(ReadWholeFile(name).find("written") != std::string::npos, today);
        ASSERT_EQ(env->CreateConnection(), 0);
        EXPECT_EQ(env->Connection()->slowWarn, today);
        ReleaseEnvironment();
    }
}

TEST(DailySwitch, TraceFileNeedsTodaysDateAndGetsAUniqueName) {
    TempDir home;
    CMSioObjApp* env = Configure(home, "tracefname=sql.txt\n");
    EXPECT_STREQ(env->TraceFileName(), "");
    ReleaseEnvironment();
    env = Configure(home, std::string("tracefname=sql") + kOtherDate + ".txt\n");
    EXPECT_STREQ(env->TraceFileName(), "");
    ReleaseEnvironment();
    env = Configure(home, "tracefname=/l/sql" + TodayUtc9() + ".txt.old\n");
    std::string stem = "/l/sql" + TodayUtc9();
    EXPECT_TRUE(std::regex_match(env->TraceFileName(),
                                 std::regex(stem + R"(\.\d+)" + Pid() + R"(\.txt)")))
        << env->TraceFileName();
    ASSERT_EQ(DecorateLogNames("C:\\bin\\kestrun.exe"), 0);
    EXPECT_TRUE(std::regex_match(env->TraceFileName(),
                                 std::regex(stem + R"(\.\d+)" + Pid() + R"(_kestrun\.txt)")))
        << env->TraceFileName();
}

// The program's name, without directory and extension, joins the time
// log's and the error log's names; the decorated error log is the current one.
TEST(DecorateLogNames, TimeLogAndErrorLogGetTheProgramName) {
    for (const char* program : {"/opt/bin/kestrun.exe", "kestrun"}) {
        SCOPED_TRACE(program);
        TempDir home;
        std::string err = home.file("err" + TodayUtc9() + ".txt");
        CMSioObjApp* env = Configure(home, "timelog=time\nerrlogfname=" + err + "\n");
        EXPECT_TRUE(std::regex_match(env->TimeLogName(), std::regex(R"(time\.\d+)" + Pid() + R"(\.txt)")));
        ASSERT_EQ(DecorateLogNames(program), 0);
        EXPECT_TRUE(std::regex_match(env->TimeLogName(),
                                     std::regex(R"(time\.\d+)" + Pid() + R"(_kestrun\.txt)")));
        std::string decorated = home.file("err" + TodayUtc9() + "_kestrun.txt");
        EXPECT_EQ(std::string(env->ErrLogName()), decorated);
        char current[512];
        SetLogPath(decorated.c_str(), current);
        EXPECT_EQ(std::string(current), decorated);
        ReleaseEnvironment();
    }
}

TEST(DecorateLogNames, WithoutProgramOnlyActivatesTheErrorLog) {
    TempDir home;
    CMSioObjApp* env = Configure(home, "timelog=t.txt\n");
    std::string timeName = env->TimeLogName();
    SetLogPath("/somewhere.txt", nullptr);
    ASSERT_EQ(DecorateLogNames(nullptr), 0);
    EXPECT_EQ(env->TimeLogName(), timeName);
    char current[512];
    SetLogPath(nullptr, current);
    EXPECT_STREQ(current, "");  // no error log: no current log file
}

TEST(DecorateLogNames, LongNamesAreCutTo1023Bytes) {
    TempDir home;
    CMSioObjApp* env = Configure(home, "timelog=" + std::string(3000, 't') + "\n");
    ASSERT_EQ(DecorateLogNames("kestrun"), 0);
    EXPECT_EQ(strlen(env->TimeLogName()), 1023u);
}

TEST(BadConfiguration, UnreadableFileGives11008) {
    TempDir home;
    std::filesystem::create_directories(home.path() + "/data/app");
    CreateAppEnvironment();
    EXPECT_EQ(ReadConfiguration(home.path().c_str()), -11008);
    EXPECT_NE(LastTraceLine(AppEnvironment()).find("[CMSioObjApp:"), std::string::npos);
    EXPECT_NE(LastTraceLine(AppEnvironment()).find("iret=["), std::string::npos);
}

TEST(BadConfiguration, BinaryBytesLongLinesAndManyKeys) {
    TempDir home;
    static const char kBinary[] = "dbname=a\x01\x02\xff\xfe" "b\n\x00\x00garbage\n";
    std::string text(kBinary, sizeof kBinary - 1);
    text += "dbuser=" + std::string(100 * 1024, 'v') + "\n";
    text += std::string(5000, 'x') + "\n";
    for (int i = 0; i < 5000; ++i) text += "key" + std::to_string(i) + "=" + std::to_string(i) + "\n";
    text += "dbs=last\n";
    int r = 1;
    CMSioObjApp* env = Configure(home, text, &r);
    EXPECT_EQ(r, 0);
    EXPECT_EQ(std::string(env->DbName()), "a\x01\x02\xff\xfe" "b");
    // The reader hands over the first chunk of a long line; the rest only
    // extends the pair in the settings list.
    std::string user = env->DbUser();
    EXPECT_GT(user.size(), 1000u);
    EXPECT_EQ(user.find_first_not_of('v'), std::string::npos);
    EXPECT_STREQ(env->DbServer(), "last");
    EXPECT_GE(env->SettingsList()->Count(), 5003);
}

TEST(WorkBuffer, ReservedOnFirstRequestAndGrown) {
    CreateAppEnvironment();
    char* buffer = nullptr;
    EXPECT_EQ(GetWorkBuffer(&buffer), -10);
    ASSERT_EQ(ReserveWorkBuffer(10), 0);
    EXPECT_EQ(AppEnvironment()->WorkBufferSize(), 6001);
    ASSERT_EQ(GetWorkBuffer(&buffer), 0);
    ASSERT_NE(buffer, nullptr);
    ASSERT_EQ(ReserveWorkBuffer(3000), 0);
    EXPECT_EQ(AppEnvironment()->WorkBufferSize(), 6001);
    ASSERT_EQ(ReserveWorkBuffer(5000), 0);
    EXPECT_EQ(AppEnvironment()->WorkBufferSize(), 10001);
    ASSERT_EQ(GetWorkBuffer(&buffer), 0);
    buffer[10000] = 'x';
}

TEST(CheckNewKey, RefusesTheSameKeyTwiceInARow) {
    TempDir dir;
    CreateAppEnvironment();
    SetLogPath(dir.file("log.txt").c_str(), nullptr);
    EXPECT_EQ(CheckNewKey(nullptr), -99);
    EXPECT_EQ(CheckNewKey("K1"), 0);
    EXPECT_EQ(CheckNewKey("K1"), -6100001);
    EXPECT_NE(ReadTextFile(dir.file("log.txt")).find("dupkey[K1][K1]\n"), std::string::npos);
    EXPECT_EQ(LastTraceLine(AppEnvironment()).substr(LastTraceLine(AppEnvironment()).find("key[")),
              "key[K1:K1]");
    EXPECT_EQ(CheckNewKey("K2"), 0);
    EXPECT_EQ(CheckNewKey(std::string(40, 'k').c_str()), 0);
    EXPECT_EQ(std::string(AppEnvironment()->LastKey()), std::string(31, 'k'));
}

TEST(Connection, CreatedWithTheConfiguredSettings) {
    SKIP_WITHOUT_SQLITE();
    TempDir home;
    std::string err = home.file("err" + TodayUtc9() + "longtime.txt");
    CMSioObjApp* env =
        Configure(home, "retrycnt=2\nretrytim=3\ndbprovider=sqlite\nerrlogfname=" + err + "\n");
    ASSERT_EQ(env->CreateConnection(), 0);
    CdDBConnection* first = env->Connection();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->connectAttempts, 2);
    EXPECT_EQ(first->connectWaitSeconds, 3);
    EXPECT_TRUE(first->slowWarn);
    EXPECT_NE(first->callback, nullptr);
    ASSERT_EQ(env->CreateConnection(), 0);
    env->ReleaseConnection();
    EXPECT_EQ(env->Connection(), nullptr);
    ASSERT_EQ(env->CreateConnection(), 0);
    ReleaseEnvironment();  // deletes the connection
}

TEST(CurrentUser, RegistersTheUsersLockLog) {
    TempDir home;
    CMSioObjApp* env = Configure(home, "locklog=" + home.file("lock") + "\n");
    CS3User* user = reinterpret_cast<CS3User*>(&home);  // never dereferenced
    ASSERT_EQ(env->SetCurrentUser(user, "42"), 0);
    LogToRegistered(1, "RETRY\n");
    EXPECT_NE(ReadWholeFile(home.file("lock42.txt")).find("RETRY"), std::string::npos);
    env->SetCurrentUser(nullptr, nullptr);
    LogToRegistered(1, "none\n");
    EXPECT_EQ(ReadWholeFile(home.file("lock42.txt")).find("none"), std::string::npos);
}

TEST(CMSioObj, PathInDataOrCompanyDirectory) {
    TempDir home;
    Configure(home, "cid=3\n");
    CMSioObj plain("plain.txt", false);
    CMSioObj company("c.sts", true);
    char path[1024];
    ASSERT_EQ(plain.GetPath(path), 0);
    EXPECT_EQ(std::string(path), home.path() + "/data/plain.txt");
    ASSERT_EQ(company.GetPath(path), 0);
    EXPECT_EQ(std::string(path), home.path() + "/data/3/c.sts");
    char name[4];
    EXPECT_EQ(company.GetName(name, sizeof name), 0);
    EXPECT_STREQ(name, "c.s");
    company.SetName("");
    EXPECT_EQ(company.GetName(name, sizeof name), -99);
    EXPECT_EQ(company.GetPath(path), -11);
    CMSioObj longName(std::string(1100, 'n').c_str(), false);
    EXPECT_EQ(longName.GetPath(path), -1);
    // Without environment the directory is empty.
    ReleaseEnvironment();
    CMSioObj bare("x.txt", true);
    EXPECT_STREQ(bare.GetDir(), "");
    ASSERT_EQ(bare.GetPath(path), 0);
    EXPECT_STREQ(path, "x.txt");
}
