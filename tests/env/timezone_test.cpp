// Languages and time zones against real list files and a real SQLite
// database made from the shipped schema: identifier checks, the zone list
// with its order and display names, the cache, and daylight-saving minutes.
#include "env/timezone.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "cs3base/user.h"
#include "db/session.h"
#include "env/environment.h"
#include "env/lang_id_list.h"
#include "support/app_home.h"
#include "support/schema_db.h"
#include "support/session_db.h"
#include "support/sqlite_db.h"
#include "support/temp_dir.h"
#include "util/date_time.h"

namespace {

const char kZones[] =
    "INSERT INTO LTM_TIMEZONE (SID_CORPORATE, id, TIME_OFFSET) VALUES"
    " (1, 'JST', '+0900'), (1, 'KST', '+0900'), (1, 'EST', '-0500'),"
    " (1, 'GMT', '+0000'), (1, 'IST', '+0530'), (1, 'HST', '-1000'),"
    " (1, 'NOOFF', ''), (2, 'XST', '+0100');";

const char kNames[] =
    "JST=Tokyo\nKST=Seoul\nEST=New York\nGMT=London\nIST=Kolkata\nHST=Hawaii\nNOOFF=Nowhere\n";

// An installation home whose session runs on a database made from the
// shipped schema with the zones above.
class TimeZones : public ::testing::Test {
protected:
    void SetUp() override {
        SKIP_WITHOUT_SQLITE();
        ASSERT_EQ(OpenSessionDb(home, SchemaScript() + kZones), "");
        dbPath = SessionDbPath(home);
        env = AppEnvironment();
        std::filesystem::create_directories(home.path() + "/local/ja_JP");
    }
    void TearDown() override { ReleaseEnvironment(); }

    void Sql(const std::string& sql) { ASSERT_EQ(SqliteHolder(dbPath).Exec(sql), ""); }
    void WriteNames(const std::string& text, const std::string& lang = "ja_JP") {
        WriteHomeFile(home, "local/" + lang + "/mst_timezone.txt", text);
    }
    void WriteLangList(const std::string& text) {
        WriteWholeFile(home.path() + "/local/mst_langlist.txt", text);
    }

    TempDir home;
    std::string dbPath;
    CMSioObjApp* env = nullptr;
};

std::string Ids(CXioCIndexTimeZone& list) {
    std::string ids;
    for (int i = 0; i < list.Count(); ++i) ids += std::string(list.At(i)->IdText()) + ",";
    return ids;
}

}  // namespace

TEST_F(TimeZones, LanguageIdentifiersMatchWithoutCaseAndKeepTheFileSpelling) {
    WriteLangList("ja_JP=Japanese\nen_US=English\nzh_CN=\n");
    EXPECT_STREQ(ValidLanguageId("ja_jp"), "ja_JP");
    EXPECT_STREQ(ValidLanguageId("EN_us"), "en_US");
    EXPECT_STREQ(ValidLanguageId("zh_CN"), "zh_CN");
    EXPECT_EQ(ValidLanguageId("de_DE"), nullptr);
    EXPECT_EQ(ValidLanguageId("ja_JP "), nullptr);
    EXPECT_EQ(ValidLanguageId(""), nullptr);
    EXPECT_EQ(ValidLanguageId(nullptr), nullptr);
}

TEST_F(TimeZones, MissingLanguageListFailsEveryCheckAndIsReadAgainLater) {
    EXPECT_EQ(env->CreateLangIdList(), kLangListUnreadable);
    EXPECT_EQ(env->LangIdList(), nullptr);
    EXPECT_EQ(ValidLanguageId("ja_JP"), nullptr);
    WriteLangList("ja_JP=Japanese\n");
    EXPECT_STREQ(ValidLanguageId("JA_JP"), "ja_JP");
}

TEST_F(TimeZones, UnreadableOrBinaryLanguageListIsRefusedOrReadSafely) {
    std::filesystem::create_directories(home.path() + "/local/mst_langlist.txt");
    EXPECT_EQ(env->CreateLangIdList(), kLangListUnreadable);
    std::filesystem::remove(home.path() + "/local/mst_langlist.txt");
    const char binary[] = "\xff\xfe\x00\x01=\x80\n\x01\x02\nen_US=English\n";
    WriteLangList(std::string(binary, sizeof binary - 1));
    EXPECT_STREQ(ValidLanguageId("en_us"), "en_US");
    EXPECT_EQ(ValidLanguageId("\xff\xfe"), nullptr);
}

TEST_F(TimeZones, ListIsSortedByNumericOffsetThenIdentifier) {
    CXioCIndexTimeZone list(false);
    ASSERT_EQ(list.Load(), 0);
    // Numeric, not text, order: -1000 before -0500; the empty offset reads
    // as 0 and sorts with +0000; the other company's row is not listed.
    EXPECT_EQ(Ids(list), "HST,EST,GMT,NOOFF,IST,JST,KST,");
    EXPECT_STREQ(list.At(0)->Offset(), "-1000");
    EXPECT_EQ(list.At(7), nullptr);
    EXPECT_EQ(list.At(-1), nullptr);
    EXPECT_STREQ(list.At(0)->DisplayName(), "");
}

// The list with names writes each zone's offset before its name, from the
// current language's name file, whose binary bytes are read safely.
TEST_F(TimeZones, ListWithNamesWritesUtcOffsetAndName) {
    const char junk[] = "\x00\xff\xfe=\x01\n\x80\x81\x82\n=\n";
    WriteNames(std::string(junk, sizeof junk - 1) + kNames);
    CXioCIndexTimeZone list(true);
    ASSERT_EQ(list.Load(), 0);
    const char* rows[][2] = {{"jst", "(UTC+09:00) Tokyo"},   {"HST", "(UTC-10:00) Hawaii"},
                             {"IST", "(UTC+05:30) Kolkata"}, {"NOOFF", "(UTC:) Nowhere"},
                             {"KST", "(UTC+09:00) Seoul"}};
    for (const auto& row : rows) EXPECT_STREQ(list.FindNoCase(row[0])->DisplayName(), row[1]);
    EXPECT_EQ(list.FindNoCase("XST"), nullptr);
}

TEST_F(TimeZones, DisplayNamesComeFromTheCurrentLanguage) {
    Sql("INSERT INTO TM_OFFICE (SID_CORPORATE, lang_id) VALUES (1, 'en_US')");
    WriteNames("JST=Tokio\n");
    WriteNames(kNames, "en_US");
    CXioCIndexTimeZone list(true);
    ASSERT_EQ(list.Load(), 0);
    EXPECT_STREQ(list.FindNoCase("JST")->DisplayName(), "(UTC+09:00) Tokyo");
    CXioCTimeZone zone;
    ASSERT_EQ(zone.LoadByText("GMT"), 0);
    EXPECT_STREQ(zone.DisplayName(), "(UTC+00:00) London");
}

// A missing name fails the list with names, not one zone; a name file that
// cannot be read fails both.
TEST_F(TimeZones, MissingOrUnreadableNames) {
    struct Row {
        const char* what;
        const char* names;  // the name file's text; null: a directory in its place
        int list;
        int zone;  // LoadByText("JST")
        const char* name;
    } rows[] = {
        {"no name file", "", kTzNoDisplayName, 0, ""},
        {"a zone without name", "JST=Tokyo\n", kTzNoDisplayName, 0, "(UTC+09:00) Tokyo"},
        {"unreadable", nullptr, kTzListNameFileUnreadable, kTzNameFileUnreadable, nullptr},
    };
    std::string file = home.path() + "/local/ja_JP/mst_timezone.txt";
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        std::filesystem::remove_all(file);
        if (!row.names) std::filesystem::create_directories(file);
        if (row.names && *row.names) WriteNames(row.names);
        CXioCIndexTimeZone list(true);
        EXPECT_EQ(list.Load(), row.list);
        CXioCTimeZone zone;
        EXPECT_EQ(zone.LoadByText("JST"), row.zone);
        if (row.name) {
            EXPECT_STREQ(zone.DisplayName(), row.name);
        }
    }
    // No name for this one: the name stays unset.
    std::filesystem::remove_all(file);
    CXioCTimeZone zone;
    ASSERT_EQ(zone.LoadByText("EST"), 0);
    EXPECT_STREQ(zone.Offset(), "-0500");
    EXPECT_STREQ(zone.DisplayName(), "");
    EXPECT_EQ(zone.LoadByText("XST"), kRecNoRow);
}

TEST_F(TimeZones, SettingColumnsByName) {
    CXioCTimeZone zone;
    EXPECT_EQ(zone.SetField("time_offset", "-0330"), 0);
    EXPECT_EQ(zone.SetField("TMZNAME", "Newfoundland"), 0);
    EXPECT_EQ(zone.SetField("id", "NST"), kRecUnknownField);
    EXPECT_STREQ(zone.Offset(), "-0330");
    EXPECT_STREQ(zone.DisplayName(), "Newfoundland");
    EXPECT_EQ(zone.SetDisplayName("Newfoundland"), 0);
    EXPECT_STREQ(zone.DisplayName(), "(UTC-03:30) Newfoundland");
    CXioLCTimeZone plain;
    EXPECT_EQ(plain.SetField("tmzname", "x"), kRecUnknownField);
}

TEST_F(TimeZones, ValidTimeZoneIdentifierAsStored) {
    EXPECT_STREQ(ValidTimeZoneId("jst"), "JST");
    EXPECT_STREQ(ValidTimeZoneId("Hst"), "HST");
    EXPECT_EQ(ValidTimeZoneId("XST"), nullptr);
    EXPECT_EQ(ValidTimeZoneId(""), nullptr);
    EXPECT_EQ(ValidTimeZoneId(nullptr), nullptr);
}

TEST_F(TimeZones, CacheReadsAZoneOnceAndKeepsIt) {
    Zi18nTZ* est = TimeZoneById("EST");
    ASSERT_NE(est, nullptr);
    EXPECT_STREQ(est->Id(), "EST");
    EXPECT_STREQ(est->Offset(), "-0500");
    // Changing the row does not change the cached zone.
    Sql("UPDATE LTM_TIMEZONE SET TIME_OFFSET='-0400' WHERE id='EST'");
    EXPECT_EQ(TimeZoneById("EST"), est);
    EXPECT_EQ(env->TZCache()->Count(), 1);
    // The cache matches identifiers exactly; the table, like SQL Server's
    // usual collation, finds the row without regard to case.
    Zi18nTZ* lower = TimeZoneById("est");
    ASSERT_NE(lower, nullptr);
    EXPECT_NE(lower, est);
    EXPECT_STREQ(lower->Id(), "est");
    EXPECT_STREQ(lower->Offset(), "-0400");
}

TEST_F(TimeZones, UnknownOrEmptyZonesAreCachedWithTheDefaultOffset) {
    Zi18nTZ* unknown = TimeZoneById("XYZ");
    ASSERT_NE(unknown, nullptr);
    EXPECT_STREQ(unknown->Id(), "XYZ");
    EXPECT_STREQ(unknown->Offset(), "+0900");
    EXPECT_STREQ(TimeZoneById("NOOFF")->Offset(), "+0900");
    EXPECT_STREQ(TimeZoneById("")->Offset(), "+0900");
    // Longer than any key: no row, and the identifier is cut to 11 bytes.
    Zi18nTZ* longer = TimeZoneById("America/Los_Angeles");
    ASSERT_NE(longer, nullptr);
    EXPECT_STREQ(longer->Id(), "America/Los");
    EXPECT_EQ(TimeZoneById("America/Los_Angeles"), longer);
    EXPECT_EQ(TimeZoneById(nullptr), nullptr);
}

TEST_F(TimeZones, IdentifiersAsLongAsTheKeyColumnAreListedAndCached) {
    Sql("INSERT INTO LTM_TIMEZONE (SID_CORPORATE, id, TIME_OFFSET) VALUES"
        " (1, 'Europe/Kiev', '+0200')");
    CXioCIndexTimeZone list(false);
    ASSERT_EQ(list.Load(), 0);
    EXPECT_EQ(Ids(list), "HST,EST,GMT,NOOFF,Europe/Kiev,IST,JST,KST,");
    EXPECT_STREQ(ValidTimeZoneId("europe/kiev"), "Europe/Kiev");
    Zi18nTZ* kiev = TimeZoneById("Europe/Kiev");
    ASSERT_NE(kiev, nullptr);
    EXPECT_STREQ(kiev->Offset(), "+0200");
}

TEST_F(TimeZones, CacheGrowsBeyondItsFirstCapacity) {
    for (int i = 0; i < 200; ++i) ASSERT_NE(TimeZoneById(("Z" + std::to_string(i)).c_str()), nullptr);
    EXPECT_EQ(env->TZCache()->Count(), 200);
    EXPECT_STREQ(TimeZoneById("Z150")->Id(), "Z150");
    EXPECT_EQ(env->TZCache()->Count(), 200);
}

TEST_F(TimeZones, ZoneFieldsAreCut) {
    Zi18nTZ zone("ABCDEFGHIJKLMNOP", "+09000000");
    EXPECT_STREQ(zone.Id(), "ABCDEFGHIJK");
    EXPECT_STREQ(zone.Offset(), "+090000");
    Zi18nTZ empty(nullptr, nullptr);
    EXPECT_STREQ(empty.Id(), "");
    EXPECT_STREQ(empty.Offset(), "");
}

TEST_F(TimeZones, OfficeZoneComesFromTheOfficeRowAndIsRemembered) {
    Sql("INSERT INTO TM_OFFICE (SID_CORPORATE, SID_TZ, dst_min) VALUES (1, 'EST  ', 1)");
    Zi18nTZ* office = OfficeTimeZone();
    ASSERT_NE(office, nullptr);
    EXPECT_STREQ(office->Id(), "EST");
    EXPECT_STREQ(office->Offset(), "-0500");
    Sql("UPDATE TM_OFFICE SET SID_TZ='HST'");
    EXPECT_EQ(OfficeTimeZone(), office);
    // Without a current user the user's zone is the office's.
    EXPECT_EQ(UserTimeZone(), office);
    const char* offset = nullptr;
    EXPECT_EQ(TimeZoneOffsetText(&offset), kTzNoCurrentUser);
    EXPECT_STREQ(offset, "-0500");
}

// Without an office row, or with an empty zone, the office's zone is JST;
// an unknown zone keeps its name with the default offset.
TEST_F(TimeZones, OfficeWithoutRowOrWithAnEmptyOrUnknownZone) {
    for (const char* zone : {"", "''", "'ZZZ'"}) {
        SCOPED_TRACE(zone);
        if (*zone)
            Sql(std::string("INSERT INTO TM_OFFICE (SID_CORPORATE, SID_TZ) VALUES (1, ") + zone +
                ")");
        ReleaseEnvironment();
        ASSERT_EQ(OpenSessionDb(home, ""), "");
        Zi18nTZ* office = OfficeTimeZone();
        ASSERT_NE(office, nullptr);
        EXPECT_STREQ(office->Id(), std::string(zone) == "'ZZZ'" ? "ZZZ" : "JST");
        EXPECT_STREQ(office->Offset(), "+0900");
        Sql("DELETE FROM TM_OFFICE");
    }
}

TEST_F(TimeZones, SelectingTheOfficeZoneSetsTheDateZone) {
    Sql("INSERT INTO TM_OFFICE (SID_CORPORATE, SID_TZ, dst_min) VALUES (1, 'IST', 1)");
    ASSERT_EQ(SelectOfficeTimeZone(), 0);
    ASSERT_NE(TimeZoneInForce(), nullptr);
    EXPECT_STREQ(TimeZoneInForce()->Id(), "IST");
    EXPECT_STREQ(DstInForce(), "1");
    const char* dst = nullptr;
    EXPECT_STREQ(GetTimeZone(&dst), "+0530");
    EXPECT_STREQ(dst, "1");
}

// A database failure gives no zone and leaves nothing remembered: once the
// database is back, the next request reads again.
TEST_F(TimeZones, ADatabaseFailureGivesNoZoneAndIsReadAgain) {
    DBClose();
    EXPECT_EQ(ValidTimeZoneId("JST"), nullptr);
    EXPECT_EQ(env->TZList(), nullptr);
    EXPECT_EQ(TimeZoneById("JST"), nullptr);
    EXPECT_EQ(env->TZCache()->Count(), 0);
    EXPECT_EQ(OfficeTimeZone(), nullptr);
    EXPECT_EQ(SelectOfficeTimeZone(), kTzNotFound);
    EXPECT_EQ(SelectUserTimeZone(), kTzNotFound);
    const char* offset = "unchanged";
    EXPECT_EQ(TimeZoneOffsetText(&offset), kTzNotFound);
    EXPECT_EQ(offset, nullptr);
    EXPECT_EQ(TimeZoneInForce(), nullptr);
    ASSERT_EQ(DBOpen(), 0);
    EXPECT_STREQ(ValidTimeZoneId("JST"), "JST");
    EXPECT_EQ(SelectOfficeTimeZone(), 0);
    EXPECT_STREQ(GetTimeZone(nullptr), "+0900");
}

TEST_F(TimeZones, UserZoneAndDaylightSettingComeFirst) {
    Sql("INSERT INTO TM_OFFICE (SID_CORPORATE, SID_TZ, dst_min) VALUES (1, 'EST', 0)");
    CS3User user;
    user.extraText1.Set("HST");
    user.dstMinutes.Set("1");
    env->SetCurrentUser(&user, "7");
    ASSERT_EQ(SelectUserTimeZone(), 0);
    EXPECT_STREQ(TimeZoneInForce()->Id(), "HST");
    EXPECT_STREQ(DstInForce(), "60");
    const char* dst = nullptr;
    EXPECT_STREQ(GetTimeZone(&dst), "-1000");
    EXPECT_STREQ(dst, "60");
    const char* offset = nullptr;
    EXPECT_EQ(TimeZoneOffsetText(&offset), 0);
    EXPECT_STREQ(offset, "-1000");
    // The office variant ignores the user.
    ASSERT_EQ(SelectOfficeTimeZone(), 0);
    EXPECT_STREQ(TimeZoneInForce()->Id(), "EST");
    EXPECT_STREQ(DstInForce(), "0");
    env->SetCurrentUser(nullptr, nullptr);
}

TEST_F(TimeZones, UserWithoutZoneOrDaylightSettingTakesTheOffices) {
    Sql("INSERT INTO TM_OFFICE (SID_CORPORATE, SID_TZ, dst_min) VALUES (1, 'KST', 1)");
    CS3User user;
    env->SetCurrentUser(&user, "7");
    ASSERT_EQ(SelectUserTimeZone(), 0);
    EXPECT_STREQ(TimeZoneInForce()->Id(), "KST");
    EXPECT_EQ(TimeZoneInForce(), OfficeTimeZone());
    EXPECT_STREQ(DstInForce(), "1");
    env->SetCurrentUser(nullptr, nullptr);
}

TEST(DstMinutes, IntegersMeanAnHourOrNone) {
    EXPECT_EQ(DstMinutes(nullptr), 0);
    EXPECT_EQ(DstMinutes(""), 0);
    EXPECT_EQ(DstMinutes("1"), 60);
    EXPECT_EQ(DstMinutes("30"), 60);
    EXPECT_EQ(DstMinutes("-60"), 60);
    EXPECT_EQ(DstMinutes("0"), 0);
    EXPECT_EQ(DstMinutes("x"), -1);
    EXPECT_EQ(DstMinutes("on"), -1);
    EXPECT_EQ(DstMinutes("1.5"), -1);
}

TEST(TimeZonesWithoutEnvironment, OperationsGiveNothing) {
    EXPECT_EQ(ValidLanguageId("ja_JP"), nullptr);
    EXPECT_EQ(ValidTimeZoneId("JST"), nullptr);
    EXPECT_EQ(TimeZoneById("JST"), nullptr);
    EXPECT_EQ(TimeZoneInForce(), nullptr);
    EXPECT_STREQ(DstInForce(), "");
    EXPECT_EQ(OfficeTimeZone(), nullptr);
    EXPECT_EQ(UserTimeZone(), nullptr);
    const char* offset = nullptr;
    EXPECT_EQ(TimeZoneOffsetText(&offset), -99);
    EXPECT_EQ(SelectOfficeTimeZone(), -99);
    EXPECT_EQ(SelectUserTimeZone(), -99);
}
