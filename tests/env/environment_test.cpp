// The environment: defaults, each configuration key's reading rule, the
// daily switch, decorated log names, bad configuration files, the work
// buffer, the new-key check, the connection object and release.
#include "env/environment.h"

#include <gtest/gtest.h>

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

TEST(Environment, DefaultsWithoutConfigurationFile) {
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
    EXPECT_STREQ(env->DbServer(), "localhost");
    EXPECT_STREQ(env->DbUser(), "vrnl");
    EXPECT_STREQ(env->DbPassword(), "pmxq");
    EXPECT_STREQ(env->DbName(), "vrnldb");
    EXPECT_STREQ(env->DbProvider(), DefaultDBProvider());
    EXPECT_STREQ(env->DbDriver(), "FreeTDS");
    EXPECT_STREQ(env->DbAdoProvider(), "SQLOLEDB");
    EXPECT_STREQ(env->DocRoot(), "/vrnlres/");
    EXPECT_STREQ(env->ImageRoot(), "/vrnlres/images/");
    EXPECT_STREQ(env->SmartphoneRoot(), "/vrnlspres/");
    EXPECT_STREQ(env->FtsDbServer(), "localhost");
    EXPECT_STREQ(env->FtsDbUser(), "vrnlfts");
    EXPECT_STREQ(env->FtsDbPassword(), "pmxqtwa");
    EXPECT_STREQ(env->FtsDbName(), "vrnlftsdb");
    EXPECT_STREQ(env->ErrLogName(), "");
    EXPECT_STREQ(env->TraceFileName(), "");
    EXPECT_STREQ(env->TimeLogName(), "");
    EXPECT_STREQ(env->LockLogName(), "");
    EXPECT_FALSE(env->SqlTrace());
    EXPECT_FALSE(env->DbPooled());
    EXPECT_EQ(env->TempDelDay(), 3);
    EXPECT_EQ(env->RetryCount(), 5);
    EXPECT_EQ(env->RetryTime(), 10);
    EXPECT_EQ(env->DbTimeout(), -1);
    EXPECT_EQ(env->CompanyId(), 1);
    EXPECT_EQ(env->MaxDir(), 1000);
    EXPECT_EQ(env->MaxDispCount(), 500);
    EXPECT_EQ(env->DelUser(), 100);
    EXPECT_EQ(env->MaxFetchCount(), 5000);
    EXPECT_EQ(env->AutoSaveTime(), 5);
    EXPECT_EQ(env->SettingsList(), nullptr);
    // No error log: nothing is written anywhere.
    char current[512];
    SetLogPath(nullptr, current);
    EXPECT_STREQ(current, "");
}

TEST(Environment, HomeWithTrailingSeparatorKeepsItDoubled) {
    TempDir home;
    CreateAppEnvironment();
    ASSERT_EQ(ReadConfiguration((home.path() + "/").c_str()), 0);
    EXPECT_EQ(std::string(AppEnvironment()->DataDir()), home.path() + "//data/");
}

TEST(ConfigKeys, TextKeysAreStoredAsGiven) {
    SKIP_WITHOUT_SQLITE();
    TempDir home;
    CMSioObjApp* env = Configure(home,
                                 "dbs=db.example\ndbuser=u1\ndbpwd=p w#x\ndbname=base\n"
                                 "ftsdbs=f1\nftsdbuser=f2\nftsdbpwd=f3\nftsdbname=f4\n"
                                 "docroot=/res/\nlocklog=/var/lock\ndsvrnurl=http://d\n"
                                 "unauthurl=u\nlogouturl=l\nunauthaction=a\n"
                                 "dbprovider=sqlite\ndbdriver=ODBC Driver 18\ndbadoprovider=MSOLEDBSQL\n"
                                 "unknown=kept\n");
    EXPECT_STREQ(env->DbServer(), "db.example");
    EXPECT_STREQ(env->DbUser(), "u1");
    EXPECT_STREQ(env->DbPassword(), "p w#x");
    EXPECT_STREQ(env->DbName(), "base");
    EXPECT_STREQ(env->FtsDbServer(), "f1");
    EXPECT_STREQ(env->FtsDbUser(), "f2");
    EXPECT_STREQ(env->FtsDbPassword(), "f3");
    EXPECT_STREQ(env->FtsDbName(), "f4");
    EXPECT_STREQ(env->DocRoot(), "/res/");
    EXPECT_STREQ(env->ImageRoot(), "/res/images/");
    EXPECT_STREQ(env->LockLogName(), "/var/lock");
    EXPECT_STREQ(env->DsvrnUrl(), "http://d");
    EXPECT_STREQ(env->UnauthUrl(), "u");
    EXPECT_STREQ(env->LogoutUrl(), "l");
    EXPECT_STREQ(env->UnauthAction(), "a");
    EXPECT_STREQ(env->DbProvider(), "sqlite");
    EXPECT_STREQ(env->DbDriver(), "ODBC Driver 18");
    EXPECT_STREQ(env->DbAdoProvider(), "MSOLEDBSQL");
    ASSERT_EQ(env->SettingsList()->Count(), 18);
    char* name = nullptr;
    env->SettingsList()->NameAt(17, &name);
    EXPECT_STREQ(name, "unknown");
    EXPECT_EQ(Setting(env, 17), "kept");
}

TEST(ConfigKeys, IntegersUseTheDecimalReading) {
    TempDir home;
    CMSioObjApp* env = Configure(home,
                                 "tempdelday= 7\nretrycnt=abc\nretrytim=+12x\ndbtimeout=-30\n"
                                 "cid=2\nmaxdir=0\nmaxdispcount=99999999999\n"
                                 "deluser=-99999999999\nmaxfetchcount=\n");
    EXPECT_EQ(env->TempDelDay(), 7);
    EXPECT_EQ(env->RetryCount(), 0);
    EXPECT_EQ(env->RetryTime(), 12);
    EXPECT_EQ(env->DbTimeout(), -30);
    EXPECT_EQ(env->CompanyId(), 2);
    EXPECT_EQ(CompanyNumber(), 2);
    EXPECT_EQ(env->MaxDir(), 0);
    EXPECT_EQ(env->MaxDispCount(), INT_MAX);
    EXPECT_EQ(env->DelUser(), INT_MIN);
    EXPECT_EQ(env->MaxFetchCount(), 0);
    EXPECT_EQ(ReadDecimal(" \t-5 6"), -5);
    EXPECT_EQ(ReadDecimal("--5"), 0);
    EXPECT_EQ(ReadDecimal(nullptr), 0);
}

TEST(ConfigKeys, AutoSaveTimeIsCappedAt60) {
    TempDir home;
    EXPECT_EQ(Configure(home, "autosavetime=100\n")->AutoSaveTime(), 60);
    ReleaseEnvironment();
    EXPECT_EQ(Configure(home, "autosavetime=-5\n")->AutoSaveTime(), -5);
}

TEST(ConfigKeys, FlagsSwitchOnlyOn) {
    TempDir home;
    CMSioObjApp* env = Configure(home, "sqltrace=yes\nsqltrace=0\ndbpooled=TRUE\n");
    EXPECT_FALSE(env->SqlTrace());
    EXPECT_FALSE(env->DbPooled());
    ReleaseEnvironment();
    env = Configure(home, "sqltrace=1\nsqltrace=0\ndbpooled=true\ndbpooled=false\n");
    EXPECT_TRUE(env->SqlTrace());
    EXPECT_TRUE(env->DbPooled());
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

TEST(ConfigKeys, RepeatedKeyKeepsBothPairsAndTheLastValue) {
    TempDir home;
    CMSioObjApp* env = Configure(home, "dbname=first\ndbname=second\n");
    EXPECT_STREQ(env->DbName(), "second");
    ASSERT_EQ(env->SettingsList()->Count(), 2);
    EXPECT_EQ(Setting(env, 0), "first");
    EXPECT_EQ(Setting(env, 1), "second");
}

TEST(ConfigKeys, ContinuationExtendsOnlyTheSettingsList) {
    TempDir home;
    CMSioObjApp* env = Configure(home, "dbname=first\n\tline two\n");
    EXPECT_STREQ(env->DbName(), "first");
    EXPECT_EQ(Setting(env, 0), "first\nline two");
}

TEST(DailySwitch, ErrorLogOnTodaysDateBecomesTheCurrentLogFile) {
    TempDir home;
    std::string name = home.file("err" + TodayUtc9() + ".txt");
    CMSioObjApp* env = Configure(home, "errlogfname=" + name + "\n");
    EXPECT_EQ(std::string(env->ErrLogName()), name);
    LogAppend("written\n");
    EXPECT_NE(ReadWholeFile(name).find("written"), std::string::npos);
}

TEST(DailySwitch, ErrorLogOfAnotherDateIsCleared) {
    TempDir home;
    std::string name = home.file(std::string("err") + kOtherDate + "longtime.txt");
    CMSioObjApp* env = Configure(home, "errlogfname=" + name + "\n");
    EXPECT_STREQ(env->ErrLogName(), "");
    LogAppend("nowhere\n");
    EXPECT_FALSE(std::filesystem::exists(name));
    // Cleared, so its "longtime" does not switch on the slow-statement report.
    ASSERT_EQ(env->CreateConnection(), 0);
    EXPECT_FALSE(env->Connection()->slowWarn);
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

TEST(DecorateLogNames, TimeLogAndErrorLogGetTheProgramName) {
    TempDir home;
    std::string err = home.file("err" + TodayUtc9() + ".txt");
    CMSioObjApp* env = Configure(home, "timelog=time\nerrlogfname=" + err + "\n");
    EXPECT_TRUE(std::regex_match(env->TimeLogName(), std::regex(R"(time\.\d+)" + Pid() + R"(\.txt)")));
    ASSERT_EQ(DecorateLogNames("/opt/bin/kestrun.exe"), 0);
    EXPECT_TRUE(std::regex_match(env->TimeLogName(),
                                 std::regex(R"(time\.\d+)" + Pid() + R"(_kestrun\.txt)")));
    std::string decorated = home.file("err" + TodayUtc9() + "_kestrun.txt");
    EXPECT_EQ(std::string(env->ErrLogName()), decorated);
    char current[512];
    SetLogPath(decorated.c_str(), current);
    EXPECT_EQ(std::string(current), decorated);
}

TEST(DecorateLogNames, ProgramWithoutExtension) {
    TempDir home;
    std::string err = home.file("err" + TodayUtc9() + ".txt");
    CMSioObjApp* env = Configure(home, "errlogfname=" + err + "\n");
    ASSERT_EQ(DecorateLogNames("kestrun"), 0);
    EXPECT_EQ(std::string(env->ErrLogName()), home.file("err" + TodayUtc9() + "_kestrun.txt"));
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
}

TEST(CMSioObj, WithoutEnvironmentTheDirectoryIsEmpty) {
    CMSioObj obj("x.txt", true);
    EXPECT_STREQ(obj.GetDir(), "");
    char path[1024];
    ASSERT_EQ(obj.GetPath(path), 0);
    EXPECT_STREQ(path, "x.txt");
}
