// The office settings and the start-up catalogs over a real SQLite database:
// the office's language, the "com" fallback, and office rows written and
// read back.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "cs3base/record_io.h"
#include "cxiocom/office.h"
#include "db/session.h"
#include "env/catalog.h"
#include "support/app_home.h"
#include "support/schema_db.h"
#include "support/session_db.h"
#include "support/sqlite_db.h"
#include "support/temp_dir.h"

namespace {

class OfficeDbTest : public testing::Test {
protected:
    void SetUp() override { SKIP_WITHOUT_SQLITE(); }
    void TearDown() override { ReleaseEnvironment(); }

    // Opens a session on a schema database with extra SQL run first.
    void Open(const std::string& sql = "") {
        ASSERT_EQ(OpenSessionDb(home, SchemaScript() + sql), "");
    }
    void Catalog(const std::string& lang, const std::string& name, const std::string& text) {
        ASSERT_TRUE(WriteHomeFile(home, "local/" + lang + "/" + name, text));
    }
    static std::string OfficeRow(const std::string& lang) {
        return "INSERT INTO TM_OFFICE (SID_CORPORATE, ID, Name, lang_id, SID_TZ) VALUES (1, 1, "
               "'Main office', '" + lang + "', '');";
    }

    TempDir home;
};

}  // namespace

TEST_F(OfficeDbTest, NoOfficeRowMeansTheDefaultLanguage) {
    Open();
    CXioOffice office;
    EXPECT_EQ(office.LoadFirst(), -110);
    EXPECT_STREQ(office.LanguageId(), "ja_JP");
    EXPECT_STREQ(office.TimeZoneId(), "JST");
    EXPECT_EQ(LoadOfficeSettings(), 0);
    ASSERT_NE(AppEnvironment()->Office(), nullptr);
    EXPECT_STREQ(CurrentLanguageCode(), "ja_JP");
}

TEST_F(OfficeDbTest, OfficeLanguageLosesItsTrailingBlanks) {
    Open(OfficeRow("en_US   "));
    Zi18nLang* lang = AppEnvironment()->CurrentLanguage();
    ASSERT_NE(lang, nullptr);
    EXPECT_STREQ(lang->Code(), "en_US");
    EXPECT_STREQ(AppEnvironment()->Office()->LanguageId(), "en_US");
    EXPECT_STREQ(AppEnvironment()->Office()->TimeZoneId(), "JST");
    EXPECT_STREQ(AppEnvironment()->Office()->Name(), "Main office");
}

TEST_F(OfficeDbTest, StartupLoadsTheOfficeLanguagesCatalogs) {
    Open(OfficeRow("en_US"));
    Catalog("en_US", "com", "greet=Hello\n");
    Catalog("en_US", "com_locale", "comtimehm2=%H:%M\n");
    Catalog("en_US", "version", "version=3.0\n");
    Catalog("en_US", "message", "-110=W:No data.\n");
    EXPECT_EQ(LoadStartupCatalogs(), 0);
    EXPECT_STREQ(LookupText("greet"), "Hello");
    EXPECT_STREQ(LookupText("comtimehm2"), "%H:%M");
    EXPECT_STREQ(LookupText("version"), "3.0");
    char kind = 0;
    EXPECT_STREQ(MessageByNumber(-110, &kind), "No data.");
    EXPECT_EQ(kind, 'W');
}

// The office language's "com" catalog that cannot be read falls back to the
// default language's; a missing one, or an unknown language, starts without
// texts. When the fallback's cannot be read either (also when it is the
// office's own language, whose second attempt must not pass as loaded),
// startup ends.
TEST_F(OfficeDbTest, ComCatalogFallback) {
    struct Row {
        const char* office;
        const char* unreadable;  // languages whose com is a directory
        int result;
        const char* language;
        const char* greet;
    } rows[] = {
        {"en_US", "en_US", 0, "ja_JP", "Konnichiwa"},
        {"en_US", "", 0, "en_US", nullptr},
        {"xx_YY", "", 0, "xx_YY", nullptr},
        {"en_US", "en_US ja_JP", -30000, nullptr, nullptr},
        {"ja_JP", "ja_JP", -30000, nullptr, nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.office) + " / " + row.unreadable);
        TempDir other;
        ASSERT_EQ(OpenSessionDb(other, SchemaScript() + OfficeRow(row.office)), "");
        for (const char* lang : {"en_US", "ja_JP"}) {
            if (std::string(row.unreadable).find(lang) != std::string::npos) {
                std::filesystem::create_directories(other.path() + "/local/" + lang + "/com");
            } else if (std::string(lang) == "ja_JP") {
                ASSERT_TRUE(WriteHomeFile(other, "local/ja_JP/com", "greet=Konnichiwa\n"));
            }
        }
        EXPECT_EQ(LoadStartupCatalogs(), row.result);
        if (row.language) {
            EXPECT_STREQ(CurrentLanguageCode(), row.language);
            EXPECT_STREQ(LookupText("greet"), row.greet);
            EXPECT_STREQ(MessageByNumber(-10, nullptr), "-10");
        }
        ReleaseEnvironment();
    }
}

TEST_F(OfficeDbTest, DatabaseFailureEndsStartupAndIsTriedAgain) {
    Open("DROP TABLE TM_OFFICE;");
    int ret = LoadOfficeSettings();
    EXPECT_NE(ret, 0);
    EXPECT_NE(ret, -110);
    EXPECT_EQ(AppEnvironment()->Office(), nullptr);
    EXPECT_EQ(AppEnvironment()->CurrentLanguage(), nullptr);
    EXPECT_EQ(LoadCatalogFile("com"), -70011);
    EXPECT_EQ(LoadStartupCatalogs(), ret);
    EXPECT_EQ(LookupText("greet"), nullptr);
    // A language set by hand still serves lookups.
    Catalog("ja_JP", "com", "greet=Konnichiwa\n");
    ASSERT_EQ(SetLanguage("ja_JP"), 0);
    EXPECT_EQ(LoadCatalogFile("com"), 0);
    EXPECT_STREQ(LookupText("greet"), "Konnichiwa");
}

TEST_F(OfficeDbTest, WrittenRowReadsBack) {
    Open();
    {
        CXioOffice office;
        ASSERT_EQ(office.SetField("Name", "Main office"), 0);
        ASSERT_EQ(office.SetField("mailuse", "off"), 0);
        ASSERT_EQ(office.SetField("login_failures_permitted", "5"), 0);
        ASSERT_EQ(office.SetField("pwdlimit", "90"), 0);
        ASSERT_EQ(office.SetField("pwdwarning", "14"), 0);
        CS3DataIO io;
        ASSERT_EQ(io.PrepareInsert(office), 0);
        ASSERT_EQ(io.Insert(office, "1"), 0);
    }
    ASSERT_EQ(DBCommit(), 0);
    EXPECT_EQ(SqliteScalar(SessionDbPath(home), "SELECT login_lock_reset_time FROM TM_OFFICE"),
              "60");
    EXPECT_EQ(SqliteScalar(SessionDbPath(home), "SELECT deligetlasttime FROM TM_OFFICE"), "NULL");
    CXioOffice read;
    ASSERT_EQ(read.LoadFirst(), 0);
    EXPECT_STREQ(read.Name(), "Main office");
    EXPECT_STREQ(read.ColumnValue("mailuse"), "0");
    EXPECT_STREQ(read.ColumnValue("login_lock_reset_time"), "60");
    EXPECT_STREQ(read.ColumnValue("pwdwarning"), "14");
    EXPECT_STREQ(read.LanguageId(), "ja_JP");
    EXPECT_STREQ(read.ColumnValue("login_inputpos"), "mc");
}

TEST_F(OfficeDbTest, LanguageAndZoneIdentifiersAreChecked) {
    Open("INSERT INTO LTM_TIMEZONE (SID_CORPORATE, id, TIME_OFFSET) VALUES (1, 'JST', '+0900'),"
         " (1, 'PST', '-0800');");
    ASSERT_TRUE(WriteHomeFile(home, "local/mst_langlist.txt", "ja_JP=\nen_US=\n"));
    CXioOffice office;
    EXPECT_EQ(office.SetField("lang_id", "EN_us"), 0);
    EXPECT_STREQ(office.LanguageId(), "en_US");
    EXPECT_EQ(office.SetField("lang_id", "de_DE"), -907);
    EXPECT_STREQ(office.LanguageId(), "en_US");
    EXPECT_EQ(office.SetField("SID_TZ", "pst"), 0);
    EXPECT_STREQ(office.TimeZoneId(), "PST");
    EXPECT_EQ(office.SetField("SID_TZ", "XYZ"), -908);
    EXPECT_EQ(office.SetField("SID_TZ", ""), 0);
    EXPECT_STREQ(office.TimeZoneId(), "");
}
