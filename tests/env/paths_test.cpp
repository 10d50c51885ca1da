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

TEST(CompanyDir, FromTheCompanyNumber) {
    TempDir home;
    NUString out;
    CMSioObjApp* env = Configure(home, "");
    ASSERT_EQ(CompanyDir(env->DataDir(), &out), 0);
    EXPECT_EQ(Text(out), home.path() + "/data/1/");
    ReleaseEnvironment();
    env = Configure(home, "cid=2\n");
    CompanyDir(env->DataDir(), &out);
    EXPECT_EQ(Text(out), home.path() + "/data/2/");
}

TEST(UserDirs, GroupedByMaxDir) {
    TempDir home;
    Configure(home, "dbdirfile=/f\ndbdirmaildata=/m/\n");
    std::string data = home.path() + "/data/";
    NUString out;
    ASSERT_EQ(UserDataDir("1234", &out), 0);
    EXPECT_EQ(Text(out), data + "1/user/2/1234");
    UserDataDir("999", &out);
    EXPECT_EQ(Text(out), data + "1/user/1/999");
    UserDataDir("1000", &out);
    EXPECT_EQ(Text(out), data + "1/user/2/1000");
    UserFileDir("7", &out, true);
    EXPECT_EQ(Text(out), "/f/1/user/1/7/");
    UserFileDir("7", &out, false);
    EXPECT_EQ(Text(out), "/f/1/user/1/7");
    UserMailDir(" 2001x", &out);
    EXPECT_EQ(Text(out), "/m/1/user/3/ 2001x");
}

TEST(UserDirs, MaxDirZeroPutsUsersDirectlyUnderUser) {
    TempDir home;
    Configure(home, "maxdir=0\ncid=4\n");
    NUString out;
    UserDataDir("1234", &out);
    EXPECT_EQ(Text(out), home.path() + "/data/4/user/1234");
}

TEST(UserDirs, NegativeExtremesDoNotOverflow) {
    TempDir home;
    Configure(home, "maxdir=-1\n");
    NUString out;
    ASSERT_EQ(UserDataDir("-2147483648", &out), 0);
    EXPECT_EQ(Text(out), home.path() + "/data/1/user/2147483649/-2147483648");
}

TEST(UserDirs, WithoutEnvironment) {
    NUString out;
    ASSERT_EQ(UserDataDir("5", &out), 0);
    EXPECT_EQ(Text(out), "0/user/5");
    CompanyDir("/base/", &out);
    EXPECT_EQ(Text(out), "0/");
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
