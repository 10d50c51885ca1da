// Installation paths: company and user directories, the temporary
// directory of the day, temporary file names and their uniqueness.
#include "env/paths.h"

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <regex>
#include <string>

#include "env/environment.h"
#include "support/app_home.h"
#include "support/temp_dir.h"
#include "util/process.h"

namespace {

std::string UtcDate() {
    time_t t = time(nullptr);
    tm parts{};
    parts = *gmtime(&t);
    char text[9];
    strftime(text, sizeof text, "%Y%m%d", &parts);
    return text;
}

std::string Text(const NUString& s) { return s.Get(); }

}  // namespace

// Company and user directories: users grouped by maxdir ("@" stands for
// the home's data directory).
TEST(UserDirs, GroupedByMaxDirUnderTheCompany) {
    using Dir = int (*)(const char*, NUString*);
    Dir data = &UserDataDir;
    Dir mail = &UserMailDir;
    Dir file = [](const char* user, NUString* out) { return UserFileDir(user, out, true); };
    Dir bare = [](const char* user, NUString* out) { return UserFileDir(user, out, false); };
    Dir company = [](const char*, NUString* out) {
        return CompanyDir(AppEnvironment() ? AppEnvironment()->DataDir() : "/base/", out);
    };
    struct Row {
        const char* config;  // null: no environment
        Dir dir;
        const char* user;
        const char* expected;
    } rows[] = {
        {"", company, "", "@1/"},
        {"cid=2\n", company, "", "@2/"},
        {"dbdirfile=/f\ndbdirmaildata=/m/\n", data, "1234", "@1/user/2/1234"},
        {"", data, "999", "@1/user/1/999"},
        {"", data, "1000", "@1/user/2/1000"},
        {"dbdirfile=/f\n", file, "7", "/f/1/user/1/7/"},
        {"dbdirfile=/f\n", bare, "7", "/f/1/user/1/7"},
        {"dbdirmaildata=/m/\n", mail, " 2001x", "/m/1/user/3/ 2001x"},
        {"maxdir=0\ncid=4\n", data, "1234", "@4/user/1234"},
        // Negative extremes do not overflow.
        {"maxdir=-1\n", data, "-2147483648", "@1/user/2147483649/-2147483648"},
        {nullptr, data, "5", "0/user/5"},
        {nullptr, company, "", "0/"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.config ? row.config : "(none)") + row.user);
        TempDir home;
        if (row.config) Configure(home, row.config);
        NUString out;
        ASSERT_EQ(row.dir(row.user, &out), 0);
        std::string expected = row.expected;
        if (expected[0] == '@') expected = home.path() + "/data/" + expected.substr(1);
        EXPECT_EQ(Text(out), expected);
        ReleaseEnvironment();
    }
}

TEST(DataDirKey, MovesDirectoriesButNotTheConfigurationFile) {
    TempDir home;
    TempDir other;
    CMSioObjApp* env = Configure(home, "dbdirdata=" + other.path() + "\n");
    EXPECT_EQ(std::string(env->DataDir()), other.path() + "/");
    NUString out;
    UserDataDir("1", &out);
    EXPECT_EQ(Text(out), other.path() + "/1/user/1/1");
    NUString tmp;
    env->GetTempDir(&tmp, false);
    EXPECT_EQ(Text(tmp).rfind(other.path() + "/1/tmp/", 0), 0u);
}

TEST(TempDirectory, DayOfTheUtcDate) {
    TempDir home;
    CMSioObjApp* env = Configure(home, "");
    NUString out;
    out.Set("pre:");
    ASSERT_EQ(env->GetTempDir(&out, true), 0);
    EXPECT_EQ(Text(out), "pre:" + home.path() + "/data/1/tmp/" + UtcDate() + "/");
    NUString bare;
    env->GetTempDir(&bare, false);
    EXPECT_EQ(Text(bare), home.path() + "/data/1/tmp/" + UtcDate());
}

TEST(TempFileName, NameFromHintProcessStampAndSequence) {
    TempDir home;
    CMSioObjApp* env = Configure(home, "");
    NUString dir;
    env->GetTempDir(&dir, true);
    std::string pid = std::to_string(CurrentProcessId());
    char first[1024];
    char second[1024];
    ASSERT_EQ(TempFileName("C:\\x/y:_kestrun_", first), 0);
    ASSERT_EQ(TempFileName(nullptr, second), 0);
    std::string escaped = std::regex_replace(Text(dir), std::regex(R"([.^$|()\[\]{}*+?\\])"),
                                             R"(\$&)");
    EXPECT_TRUE(std::regex_match(first, std::regex(escaped + "temp_kestrun_" + pid +
                                                   R"(\d{16}\.1\.000)")))
        << first;
    EXPECT_TRUE(std::regex_match(second, std::regex(escaped + "temp" + pid + R"(\d{16}\.2\.000)")))
        << second;
    EXPECT_FALSE(std::filesystem::exists(first));
}

TEST(TempFileName, WithoutEnvironmentSequenceIsZero) {
    char name[1024];
    ASSERT_EQ(TempFileName("h", name), 0);
    EXPECT_TRUE(std::regex_match(name, std::regex(R"(temph\d+\d{16}\.0\.000)"))) << name;
}

TEST(TempFileName, NameThatDoesNotFitIsRefused) {
    TempDir home;
    CMSioObjApp* env = Configure(home, "dbdirdata=/" + std::string(1000, 'd') + "\n");
    char name[1024];
    EXPECT_EQ(TempFileName("hint", name), -114);
    EXPECT_FALSE(env->ErrorTrace().IsEmpty());
}

TEST(UniqueTempName, ExistingCandidateTakesTheNextSuffix) {
    TempDir dir;
    std::string base = dir.file("temp_x_1.1");
    std::string name = base + ".000";
    ASSERT_EQ(UniqueTempName(name.data()), 0);
    EXPECT_EQ(name, base + ".000");
    WriteWholeFile(base + ".000", "");
    WriteWholeFile(base + ".001", "");
    ASSERT_EQ(UniqueTempName(name.data()), 0);
    EXPECT_EQ(name, base + ".002");
}

TEST(UniqueTempName, FailsAfterOneHundredReplacements) {
    TempDir dir;
    CreateAppEnvironment();
    std::string base = dir.file("t.1");
    for (int i = 0; i <= 99; ++i) {
        char suffix[8];
        snprintf(suffix, sizeof suffix, ".%03d", i);
        WriteWholeFile(base + suffix, "");
    }
    std::string name = base + ".000";
    ASSERT_EQ(UniqueTempName(name.data()), 0);
    EXPECT_EQ(name, base + ".100");
    WriteWholeFile(base + ".100", "");
    name = base + ".000";
    EXPECT_EQ(UniqueTempName(name.data()), -114);
    EXPECT_FALSE(AppEnvironment()->ErrorTrace().IsEmpty());
}
