// The office record: defaults, flag values, SetField rules, the columns it
// writes (password and lock-out rules) and the read rules.
#include "cxiocom/office.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "env/environment.h"
#include "support/session_db.h"
#include "support/sqlite_db.h"
#include "support/temp_dir.h"

namespace {

// The value written for column in the buffer's first row, or "(absent)".
std::string Written(CS3DataDB& buffer, const char* column) {
    CS3DataRow* row = buffer.FirstRowPtr();
    const CS3Item* item = row ? row->columns.Find(column) : nullptr;
    return item ? item->value : "(absent)";
}

// A row of a plain store holding the given columns.
void Row(CS3Data& data, std::initializer_list<std::pair<const char*, const char*>> columns) {
    data.AddRow("1");
    for (auto& c : columns) data.SetColumn(c.first, c.second, false);
}

}  // namespace

TEST(OfficeRecord, DefaultsBeforeAnyRow) {
    CXioOffice office;
    EXPECT_STREQ(office.LanguageId(), "ja_JP");
    EXPECT_STREQ(office.TimeZoneId(), "JST");
    EXPECT_STREQ(office.DstMinutes(), "0");
    EXPECT_STREQ(office.ColumnValue("login_inputpos"), "mc");
    EXPECT_STREQ(office.ColumnValue("mailuse"), "1");
    EXPECT_STREQ(office.ColumnValue("mailfrom"), "0");
    EXPECT_STREQ(office.ColumnValue("pwdlimitadmin"), "0");
    EXPECT_STREQ(office.ColumnValue("cost_use_flg"), "1");
    EXPECT_STREQ(office.ColumnValue("Name"), "");
    EXPECT_EQ(office.ColumnValue("nosuch"), nullptr);
    NUString table;
    EXPECT_EQ(office.TableName(table), 0);
    EXPECT_STREQ(table.Get(), "TM_OFFICE");
}

// SetField steps on one office, in order, grouped by field: each step's
// result, then the column's value after it (null: not looked at).
TEST(OfficeRecord, SetFieldRules) {
    struct Step {
        const char* text;
        int result;
        const char* value;
    };
    struct Field {
        const char* field;
        const char* column;
        std::vector<Step> steps;
    };
    const Field fields[] = {
        {"mailuse", "mailuse", {{"on", 0, "1"}}},
        {"MAILUSE", "mailuse", {{"off", 0, "0"}}},
        {"mailuse", "mailuse", {{"checked", 0, "1"}, {"", 0, nullptr}, {"yes", -10007, ""}}},
        {"mailfrom", "mailfrom", {{"2", 0, nullptr}, {"3", -10007, ""}}},
        {"login_inputpos", "login_inputpos",
         {{"tl", 0, "tl"}, {"br", 0, "br"}, {"mc", 0, "mc"}, {"tx", -10007, ""}, {"tr", 0, "tr"},
          {"xl", -10007, ""}, {"ml", 0, "ml"}, {"tlc", -10007, ""}, {"t", -10007, nullptr},
          {"", -10007, nullptr}}},
        {"isloggingaccess", "isloggingaccess",
         {{"12", 0, nullptr}, {"abc", -13006, nullptr}, {"1234", -62, "12"}}},
        {"dst_min", "dst_min",
         {{"30", 0, "60"}, {"0", 0, "0"}, {"x", -13006, nullptr}, {"", 0, ""}}},
        {"pwdlimit", "pwdlimit", {{"-1", -64, "-1"}}},
        {"pwdwarning", "pwdwarning", {{"7", 0, nullptr}, {"1.5", -13009, nullptr}}},
        {"save", "_save", {{"-3", -10007, "-3"}}},
        {"save", "save", {{"4", 0, "4"}}},
        {"login_failures_permitted", "login_failures_permitted",
         {{"0", -13010, nullptr}, {"-1", -64, nullptr}, {"", 0, nullptr}, {"9999", 0, nullptr},
          {"10000", -63, nullptr}}},
        {"login_lock_reset_time", "", {{"999999", 0, nullptr}, {"1000000", -63, nullptr}}},
        {"nosuch", "", {{"x", -70, nullptr}}},
        {nullptr, "", {{"x", -70, nullptr}}},
        // Read-only columns cannot be set by name.
        {"sflg", "", {{"1", -70, nullptr}}},
        {"skind", "", {{"1", -70, nullptr}}},
        {"deliinterval", "", {{"1", -70, nullptr}}},
        {"deligetlasttime", "", {{"1", -70, nullptr}}},
        {"_save", "", {{"1", -70, nullptr}}},
        {"name", "Name", {{"Main office", 0, "Main office"}}},
        {"TEL", "Tel", {{"03-1234", 0, "03-1234"}}},
        {"zip_code1", "zip_code1", {{"100", 0, "100"}}},
    };
    CXioOffice office;
    for (const Field& field : fields) {
        for (const Step& step : field.steps) {
            SCOPED_TRACE(std::string(field.field ? field.field : "(null)") + "=" + step.text);
            EXPECT_EQ(office.SetField(field.field, step.text), step.result);
            if (step.value != nullptr) {
                EXPECT_STREQ(office.ColumnValue(field.column), step.value);
            }
        }
    }
}

TEST(OfficeWrite, NameIsRequired) {
    CXioOffice office;
    CS3DataDB buffer;
    EXPECT_EQ(office.PutFields(buffer), -10006);
    EXPECT_EQ(buffer.FirstRowPtr(), nullptr);
}

TEST(OfficeWrite, PasswordWarningMustComeBeforeTheLimit) {
    CXioOffice office;
    office.SetField("Name", "Main office");
    office.SetField("pwdlimit", "90");
    office.SetField("pwdwarning", "90");
    CS3DataDB refused;
    EXPECT_EQ(office.PutFields(refused), -1052);
    office.SetField("pwdwarning", "91");
    EXPECT_EQ(office.PutFields(refused), -1052);
    office.SetField("pwdwarning", "89");
    CS3DataDB buffer;
    EXPECT_EQ(office.PutFields(buffer), 0);
    EXPECT_EQ(Written(buffer, "pwdlimit"), "90");
    EXPECT_EQ(Written(buffer, "pwdwarning"), "89");
    // No limit, or no warning: anything goes.
    office.SetField("pwdlimit", "0");
    office.SetField("pwdwarning", "200");
    CS3DataDB noLimit;
    EXPECT_EQ(office.PutFields(noLimit), 0);
    office.SetField("pwdlimit", "30");
    office.SetField("pwdwarning", "");
    CS3DataDB noWarning;
    EXPECT_EQ(office.PutFields(noWarning), 0);
}

TEST(OfficeWrite, LockOutDefaults) {
    CXioOffice office;
    office.SetField("Name", "Main office");
    office.SetField("login_failures_permitted", "5");
    CS3DataDB limited;
    EXPECT_EQ(office.PutFields(limited), 0);
    EXPECT_EQ(Written(limited, "login_failures_permitted"), "5");
    EXPECT_EQ(Written(limited, "login_lock_reset_time"), "60");
    EXPECT_STREQ(office.ColumnValue("login_lock_reset_time"), "60");

    office.SetField("login_lock_reset_time", "15");
    CS3DataDB kept;
    EXPECT_EQ(office.PutFields(kept), 0);
    EXPECT_EQ(Written(kept, "login_lock_reset_time"), "15");

    office.SetField("login_failures_permitted", "");
    CS3DataDB unlimited;
    EXPECT_EQ(office.PutFields(unlimited), 0);
    EXPECT_EQ(Written(unlimited, "login_failures_permitted"), "");
    EXPECT_EQ(Written(unlimited, "login_lock_reset_time"), "");
}

TEST(OfficeWrite, ColumnsInOrderWithoutTheReadOnlyOnes) {
    CXioOffice office;
    office.SetField("Name", "Main office");
    office.SetField("mailuse", "on");
    CS3DataDB buffer;
    buffer.SetOperationCode(kOpInsert);
    ASSERT_EQ(office.PutFields(buffer), 0);
    CS3DataRow* row = buffer.FirstRowPtr();
    ASSERT_NE(row, nullptr);
    std::string names;
    for (const CS3Item& item : row->columns) names += item.name + ",";
    EXPECT_EQ(names,
              "Name,Mail,Url,Tel,Fax,loginimg,loginlogo,loginmime,login_design,login_inputpos,"
              "mailuse,mailfrom,mailfromaddr,pwdlimit,pwdwarning,pwdlimitadmin,isloggingaccess,"
              "SID_TZ,lang_id,dst_min,zip_code1,zip_code2,address,_save,mbloginidsave,"
              "mbloginpwdsave,mbloginsidterm,login_failures_permitted,login_lock_reset_time,"
              "cost_use_flg,cretime,updtime,");
    EXPECT_EQ(Written(buffer, "mailuse"), "1");
    EXPECT_EQ(Written(buffer, "lang_id"), "ja_JP");
    EXPECT_EQ(Written(buffer, "login_design"), "0");
    EXPECT_EQ(Written(buffer, "cretime").size(), 14u);
}

TEST(OfficeRead, TrimsLanguageAndZoneAndFillsTheirDefaults) {
    CXioOffice office;
    CS3Data row;
    Row(row, {{"Name", "Main office"}, {"lang_id", "en_US  \t\r\n"}, {"SID_TZ", "PST   "},
              {"mailuse", "0"}, {"pwdlimit", "30"}});
    EXPECT_EQ(office.GetFields(row), 0);
    EXPECT_STREQ(office.Name(), "Main office");
    EXPECT_STREQ(office.LanguageId(), "en_US");
    EXPECT_STREQ(office.TimeZoneId(), "PST");
    EXPECT_STREQ(office.ColumnValue("mailuse"), "0");
    EXPECT_STREQ(office.ColumnValue("pwdlimit"), "30");

    CXioOffice empty;
    CS3Data blanks;
    Row(blanks, {{"Name", "x"}, {"lang_id", ""}, {"SID_TZ", "  "}});
    EXPECT_EQ(empty.GetFields(blanks), 0);
    EXPECT_STREQ(empty.LanguageId(), "ja_JP");
    // The zone's default fills an empty value before the cut: blanks end empty.
    EXPECT_STREQ(empty.TimeZoneId(), "");
    // Columns the row lacks keep their defaults.
    EXPECT_STREQ(empty.ColumnValue("login_inputpos"), "mc");
}

TEST(OfficeRead, DeliveryIntervalIsReadAsAnInteger) {
    SKIP_WITHOUT_SQLITE();
    TempDir dir;
    ASSERT_EQ(OpenSessionDb(dir, "CREATE TABLE TM_OFFICE (SID_CORPORATE INT, Name NVARCHAR(255),"
                                 " deliinterval REAL); INSERT INTO TM_OFFICE VALUES (1, 'x', 15.0);"),
              "");
    CXioOffice office;
    EXPECT_EQ(office.LoadFirst(), 0);
    EXPECT_STREQ(office.ColumnValue("deliinterval"), "15");
    ReleaseEnvironment();
}

TEST(OfficeRecord, FileDirectory) {
    TempDir home;
    std::filesystem::create_directories(home.path() + "/data");
    CreateAppEnvironment();
    ASSERT_EQ(ReadConfiguration(home.path().c_str()), 0);
    CXioOffice office;
    NUString dir;
    EXPECT_EQ(office.OfficeFileDir(&dir), 0);
    EXPECT_EQ(std::string(dir.Get()), home.path() + "/file/1/office");
    ReleaseEnvironment();
}
