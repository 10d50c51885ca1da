// Tests of the user record: the composed user ID, key conditions, written
// columns and their order, the password digest and the join to the default
// group, against SQLite files made from the shipped schema.
#include "cs3base/user.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "cs3base/password_digest.h"
#include "cs3base/record_io.h"
#include "db/session.h"
#include "env/catalog.h"
#include "env/environment.h"
#include "support/app_home.h"
#include "support/schema_db.h"
#include "support/session_db.h"
#include "support/session_test.h"
#include "support/sqlite_db.h"
#include "support/temp_dir.h"
#include "util/nu_string.h"

namespace {

// A cheap stand-in digest so that tests that only count columns need not
// pay for the real hash.
int FakeDigest(const char* plain, NUString& out) {
    out.Format("fake:%zu", std::string(plain ? plain : "").size());
    return 0;
}

class UserDbTest : public SessionDbTest {
protected:
    void SetUp() override { Open(SchemaScript()); }
    void TearDown() override {
        SetPasswordDigestRoutines(nullptr, nullptr);
        SessionDbTest::TearDown();
    }

    std::string UserColumn(int id, const std::string& column) {
        return Scalar("SELECT " + column + " FROM TM_USER WHERE SID_CORPORATE=1 AND ID=" +
                      std::to_string(id));
    }
    // Runs sql on the database through a second connection, after a commit.
    void Exec(const std::string& sql) {
        ASSERT_EQ(0, DBCommit());
        SqliteHolder other(SessionDbPath(dir));
        ASSERT_EQ("", other.Exec(sql));
    }
};

int Insert(CS3Object& record, int id) {
    CS3DataIO io;
    int rc = io.PrepareInsert(record);
    return rc == 0 ? io.Insert(record, std::to_string(id).c_str()) : rc;
}

int Update(CS3Object& record) {
    CS3DataIO io;
    int rc = io.PrepareUpdate(record, record.IdText());
    return rc == 0 ? io.Update(record, record.IdText()) : rc;
}

int InsertUser(int id, const char* name, const char* login, const char* group = "") {
    CS3User user;
    EXPECT_EQ(0, user.SetField("Name", name));
    EXPECT_EQ(0, user.SetField("UserID", login));
    EXPECT_EQ(0, user.SetField("Group", group));
    return Insert(user, id);
}

int InsertGroup(int id, const char* constId, const char* name) {
    CS3Group group;
    EXPECT_EQ(0, group.SetField("CONST_ID", constId));
    EXPECT_EQ(0, group.SetField("GROUPNAME", name));
    return Insert(group, id);
}

// The column list of the last INSERT INTO TM_USER the connection ran.
std::vector<std::string> InsertedColumns() {
    std::string insert;
    for (const std::string& s : Statements()) {
        if (s.rfind("INSERT INTO TM_USER ", 0) == 0) insert = s;
    }
    size_t open = insert.find('(');
    std::istringstream list(insert.substr(open + 1, insert.find(')') - open - 1));
    std::vector<std::string> columns;
    for (std::string column; std::getline(list, column, ',');) columns.push_back(column);
    return columns;
}

}  // namespace

// A login is composed as "<company>*<login>" with spaces as slashes, and
// " <identifier>" without a login; only the first "*" separates the company.
TEST(UserComposedId, ComposedAndReadBack) {
    ASSERT_EQ(0, CreateAppEnvironment());
    CS3User user, back, anonymous;
    ASSERT_EQ(0, user.SetField("userid", "Taro Yamada"));
    NUString composed;
    ASSERT_EQ(0, user.ComposedUserId(composed));
    EXPECT_STREQ("1*taro/yamada", composed.Get());
    ASSERT_EQ(0, back.SetLoginFromStored("1*taro/yamada"));
    EXPECT_STREQ("taro yamada", back.loginId.Value());
    ASSERT_EQ(0, back.SetLoginFromStored("12*a.b"));
    EXPECT_STREQ("a.b", back.loginId.Value());

    ASSERT_EQ(0, anonymous.SetIdInt(25));
    ASSERT_EQ(0, anonymous.ComposedUserId(composed));
    EXPECT_STREQ("1* 25", composed.Get());
    ASSERT_EQ(0, anonymous.SetField("UserID", "someone"));
    ASSERT_EQ(0, anonymous.SetLoginFromStored("1* 25"));
    EXPECT_TRUE(anonymous.loginId.IsEmpty());

    // A login with "*" is refused, and never composed when it got past the
    // field check.
    EXPECT_EQ(-10007, user.SetField("UserID", "a*b"));
    EXPECT_TRUE(user.loginId.IsEmpty());
    ASSERT_EQ(0, user.loginId.SetN("a*b", 3));
    EXPECT_EQ(kUserLoginRefused, user.ComposedUserId(composed));
    ReleaseEnvironment();
}

TEST(UserFormFields, NamesMatchWithoutCaseAndReachTheirFields) {
    CS3User user;
    EXPECT_EQ(0, user.SetField("NAME", "Hanako"));
    EXPECT_EQ(0, user.SetField("telhand", "090-1"));
    EXPECT_EQ(0, user.SetField("MailCloseCorp", "1"));
    EXPECT_EQ(0, user.SetField("Suspension", "1"));
    EXPECT_EQ(0, user.SetField("gender", "f"));
    EXPECT_EQ(0, user.SetField("birthday", "2001/2/3"));
    EXPECT_EQ(0, user.SetField("Level", "1"));
    EXPECT_STREQ("Hanako", user.name.Value());
    EXPECT_STREQ("090-1", user.telHand.Value());
    EXPECT_STREQ("1", user.mailCloseCorp.Value());
    EXPECT_STREQ("1", user.suspension.Value());
    EXPECT_STREQ("20010203", user.birthday.Value());
    EXPECT_EQ(-10007, user.SetField("gender", "x"));
    EXPECT_EQ(-10007, user.SetField("mailcloseother", "2"));
    EXPECT_TRUE(user.mailCloseOther.IsEmpty());
    EXPECT_EQ(-10007, user.SetField("mailuseother", "yes"));
    EXPECT_EQ(-70, user.SetField("nosuchfield", "x"));
}

TEST(UserFormFields, GroupAllOrZeroClearsTheDefaultGroup) {
    CS3User user;
    ASSERT_EQ(0, user.SetField("Group", "12"));
    EXPECT_STREQ("12", user.defaultGroup.Value());
    ASSERT_EQ(0, user.SetField("Group", "all"));
    EXPECT_TRUE(user.defaultGroup.IsEmpty());
    ASSERT_EQ(0, user.SetField("Group", "12"));
    ASSERT_EQ(0, user.SetField("Group", "0"));
    EXPECT_TRUE(user.defaultGroup.IsEmpty());
    EXPECT_EQ(-13006, user.SetField("Group", "abc"));
}

TEST(UserFormFields, AssignGroupAddsEachGroupOnce) {
    CS3User user;
    EXPECT_EQ(0, user.SetField("assigngroup", ""));
    EXPECT_EQ(0, user.groups.Count());
    EXPECT_EQ(0, user.SetField("assigngroup", "4"));
    EXPECT_EQ(0, user.SetField("AssignGroup", "9"));
    EXPECT_EQ(0, user.SetField("assigngroup", "4"));
    EXPECT_EQ((std::vector<int>{4, 9}), user.groups.Ids());
    EXPECT_EQ(-13006, user.SetField("assigngroup", "four"));
    EXPECT_EQ(2, user.groups.Count());
}

TEST(UserFormFields, PasswordEntrySetsTheResetFlag) {
    CS3User user;
    EXPECT_STREQ(kUnchangedPassword, user.password.Value());
    EXPECT_FALSE(user.ResetFailures());
    ASSERT_EQ(0, user.SetField("_word", "s3cret"));
    EXPECT_TRUE(user.ResetFailures());
    user.ClearFields();
    EXPECT_STREQ(kUnchangedPassword, user.password.Value());
    EXPECT_FALSE(user.ResetFailures());
    EXPECT_STREQ("0", user.suspension.Value());
}

TEST(UserName, EmptyNameStaysEmptyWithoutACatalogText) {
    CS3User user;
    EXPECT_STREQ("", user.GetName());
    ASSERT_EQ(0, user.SetField("Name", "Jiro"));
    EXPECT_STREQ("Jiro", user.GetName());
}

TEST(UserName, EmptyNameTakesTheCatalogText) {
    TempDir home;
    std::filesystem::create_directories(home.file("data"));
    ASSERT_TRUE(WriteHomeFile(home, "local/en_US/com", "comdatanothing=(none)\n"));
    ASSERT_EQ(0, CreateAppEnvironment());
    ASSERT_EQ(0, ReadConfiguration(home.path().c_str()));
    ASSERT_EQ(0, SetLanguage("en_US"));
    ASSERT_EQ(0, LoadCatalogFile("com"));

    CS3User user;
    EXPECT_STREQ("(none)", user.GetName());
    EXPECT_STREQ("(none)", user.name.Value());
    ReleaseEnvironment();
}

// A login is stored composed (spaces as slashes, none: the identifier) and
// read back as it was given.
TEST_F(UserDbTest, LoginIsStoredComposedAndReadBack) {
    const struct {
        int id;
        const char* login;
        const char* stored;
        const char* loaded;
    } rows[] = {{7, "Taro Yamada", "1*taro/yamada", "taro yamada"}, {25, "", "1* 25", ""}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.stored);
        ASSERT_EQ(0, InsertUser(row.id, "Taro", row.login));
        EXPECT_EQ(row.stored, UserColumn(row.id, "UserID"));
        CS3User user;
        ASSERT_EQ(0, user.LoadById(row.id));
        EXPECT_STREQ(row.loaded, user.loginId.Value());
        EXPECT_STREQ("Taro", user.name.Value());
        EXPECT_EQ(row.id, user.IdInt());
    }
}

TEST_F(UserDbTest, NewUserSortsByItsId) {
    ASSERT_EQ(0, InsertUser(25, "Nobody", ""));
    EXPECT_EQ("25", UserColumn(25, "SEQNO"));

    // A user that has its place keeps it through a load and save.
    Exec("UPDATE TM_USER SET SEQNO=3 WHERE ID=25");
    CS3User user;
    ASSERT_EQ(0, user.LoadById(25));
    EXPECT_STREQ("3", user.seqno.Value());
    ASSERT_EQ(0, user.SetField("Name", "Somebody"));
    ASSERT_EQ(0, Update(user));
    EXPECT_EQ("3", UserColumn(25, "SEQNO"));
    EXPECT_EQ("Somebody", UserColumn(25, "Name"));
}

// An empty name, or a login with "*" that got past the field check, is
// refused before anything is written; a read needs an identifier or a
// login it can compose.
TEST_F(UserDbTest, RefusedUsersNeverReachTheTable) {
    const struct {
        const char* name;
        const char* login;
        int result;
    } rows[] = {{"", "x", kUserNameEmpty}, {"Star", "a*b", kUserLoginRefused}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.result);
        CS3User user;
        if (*row.name != '\0') {
            ASSERT_EQ(0, user.SetField("Name", row.name));
        }
        ASSERT_EQ(0, user.loginId.SetN(row.login, static_cast<int>(std::strlen(row.login))));
        EXPECT_EQ(row.result, Insert(user, 3));
        EXPECT_EQ("0", Scalar("SELECT COUNT(*) FROM TM_USER"));
    }
    CS3User byLogin, keyless;
    EXPECT_EQ(-10007, byLogin.LoadByLoginId("a*b"));
    EXPECT_EQ(kUserNoKey, keyless.LoadFirst());
}

// Every field set: the columns in their fixed order, and each value back.
TEST_F(UserDbTest, ColumnsAreWrittenInTheirFixedOrderAndComeBack) {
    SetPasswordDigestRoutines(FakeDigest, nullptr);
    CS3User user;
    const char* values[][2] = {
        {"Name", "Full"},         {"UserID", "full"},        {"Mail", "f@x.jp"},
        {"level", "1"},           {"Kana", "fu"},            {"Office", "HQ"},
        {"Dept1", "D1"},          {"Dept2", "D2"},           {"Post", "Chief"},
        {"postcode", "abc"},      {"Tel1", "1"},             {"Tel2", "2"},
        {"Naisen", "3"},          {"TelFax", "4"},           {"TelHome", "5"},
        {"TelOther", "6"},        {"TelHand", "7"},          {"mailmobile", "m@x"},
        {"mailprivate", "p@x"},   {"mailother", "o@x"},      {"mailclosecorp", "1"},
        {"mailclosemobile", "0"}, {"mailcloseprivate", "1"}, {"mailcloseother", "0"},
        {"mailusecorp", "1"},     {"mailusemobile", "1"},    {"mailuseprivate", "0"},
        {"mailuseother", "1"},    {"pwdmoddate", "20260102030405"},
        {"gender", "o"},          {"birthday", "19991231"},  {"zipcode", "100-0001"},
        {"address", "Tokyo"},     {"suspension", "1"},       {"Group", "5"},
        {"_word", "pw"}};
    for (const auto& v : values) ASSERT_EQ(0, user.SetField(v[0], v[1])) << v[0];
    ClearStatements();
    ASSERT_EQ(0, Insert(user, 12));
    std::vector<std::string> expected = {
        "Name", "UserID", "Mail", "ADMIN", "DEFGROUP", "WORD", "login_failures",
        "login_fail_time", "Kana", "Office", "Dept1", "Dept2", "Post", "postcode", "Tel1", "Tel2",
        "Naisen", "TelFax", "TelHome", "TelOther", "TelHand", "SEQNO", "mailmobile",
        "mailprivate", "mailother", "mailclosecorp", "mailclosemobile", "mailcloseprivate",
        "mailcloseother", "mailusecorp", "mailusemobile", "mailuseprivate", "mailuseother",
        "pwdmoddate", "cretime", "updtime", "gender", "birthday", "zipcode", "address",
        "suspension_", "SID_CORPORATE", "ID"};
    EXPECT_EQ(expected, InsertedColumns());
    EXPECT_EQ("fake:2", UserColumn(12, "WORD"));
    EXPECT_EQ("5", UserColumn(12, "DEFGROUP"));

    CS3User loaded;
    ASSERT_EQ(0, loaded.LoadById(12));
    EXPECT_STREQ("f@x.jp", loaded.mail.Value());
    EXPECT_STREQ("1", loaded.level.Value());
    EXPECT_STREQ("Chief", loaded.post.Value());
    EXPECT_STREQ("abc", loaded.postcode.Value());
    EXPECT_STREQ("7", loaded.telHand.Value());
    EXPECT_STREQ("o@x", loaded.mailOther.Value());
    EXPECT_STREQ("1", loaded.mailCloseCorp.Value());
    EXPECT_STREQ("0", loaded.mailUsePrivate.Value());
    EXPECT_STREQ("1", loaded.mailUseOther.Value());
    EXPECT_STREQ("20260102030405", loaded.pwdModDate.Value());
    EXPECT_STREQ("o", loaded.gender.Value());
    EXPECT_STREQ("19991231", loaded.birthday.Value());
    EXPECT_STREQ("Tokyo", loaded.address.Value());
    EXPECT_STREQ("1", loaded.suspension.Value());
    EXPECT_STREQ("12", loaded.seqno.Value());
    EXPECT_EQ(14u, std::string(loaded.CreationTime()).size());
}

TEST_F(UserDbTest, OptionalColumnsAreLeftOutWhenUnset) {
    // No level, unchanged password, no first disclosure flag: none of their
    // columns is written; an empty default group is written as NULL, no
    // suspension as 0.
    CS3User user;
    ASSERT_EQ(0, user.SetField("Name", "Plain"));
    ASSERT_EQ(0, user.SetField("mailusecorp", "1"));
    ClearStatements();
    ASSERT_EQ(0, Insert(user, 6));
    std::vector<std::string> columns = InsertedColumns();
    for (const char* absent : {"ADMIN", "WORD", "login_failures", "mailclosecorp", "mailusecorp"}) {
        EXPECT_EQ(columns.end(), std::find(columns.begin(), columns.end(), absent)) << absent;
    }
    EXPECT_EQ("NULL", UserColumn(6, "DEFGROUP"));
    EXPECT_EQ("NULL", UserColumn(6, "WORD"));
    EXPECT_EQ("0", UserColumn(6, "suspension_"));
}

TEST_F(UserDbTest, PasswordIsStoredAsADigestThatVerifies) {
    CS3User user;
    ASSERT_EQ(0, user.SetField("Name", "Pw"));
    ASSERT_EQ(0, user.SetField("UserID", "pw"));
    ASSERT_EQ(0, user.SetField("_word", "correct horse"));
    ASSERT_EQ(0, Insert(user, 9));

    std::string word = UserColumn(9, "WORD");
    EXPECT_EQ(0u, word.find("$argon2id$")) << word;
    EXPECT_EQ(std::string::npos, word.find("correct horse"));
    EXPECT_EQ(0, PasswordVerify(word.c_str(), "correct horse"));
    EXPECT_EQ(kPasswordMismatch, PasswordVerify(word.c_str(), "correct horsE"));

    CS3User loaded;
    ASSERT_EQ(0, loaded.LoadById(9));
    EXPECT_STREQ(word.c_str(), loaded.StoredDigest());
    EXPECT_STREQ(kUnchangedPassword, loaded.password.Value());
    EXPECT_EQ(0, loaded.VerifyPassword("correct horse"));
    EXPECT_EQ(kPasswordMismatch, loaded.VerifyPassword("wrong"));
}

TEST_F(UserDbTest, UnchangedPasswordLeavesWordAndFailuresAlone) {
    SetPasswordDigestRoutines(FakeDigest, nullptr);
    CS3User user;
    ASSERT_EQ(0, user.SetField("Name", "Locked"));
    ASSERT_EQ(0, user.SetField("_word", "first"));
    ASSERT_EQ(0, Insert(user, 11));
    Exec("UPDATE TM_USER SET WORD='kept', login_failures=3, login_fail_time='20260101090000'"
         " WHERE ID=11");

    CS3User loaded;
    ASSERT_EQ(0, loaded.LoadById(11));
    ASSERT_EQ(0, loaded.SetField("Kana", "rokku"));
    ASSERT_EQ(0, loaded.SetField("_word", kUnchangedPassword));
    ASSERT_EQ(0, Update(loaded));
    EXPECT_EQ("rokku", UserColumn(11, "Kana"));
    EXPECT_EQ("kept", UserColumn(11, "WORD"));
    EXPECT_EQ("3", UserColumn(11, "login_failures"));
    EXPECT_EQ("20260101090000", UserColumn(11, "login_fail_time"));

    // A new password replaces the digest and resets the failure count.
    ASSERT_EQ(0, loaded.SetField("_word", "second"));
    ASSERT_EQ(0, Update(loaded));
    EXPECT_EQ("fake:6", UserColumn(11, "WORD"));
    EXPECT_EQ("NULL", UserColumn(11, "login_failures"));
    EXPECT_EQ("NULL", UserColumn(11, "login_fail_time"));
}

TEST_F(UserDbTest, JoinedReadsBringTheDefaultGroup) {
    ASSERT_EQ(0, InsertGroup(5, "000000001001", "Sales"));
    ASSERT_EQ(0, InsertUser(7, "Taro", "Taro Yamada", "5"));
    ASSERT_EQ(0, InsertUser(8, "Jiro", "jiro"));

    CS3User user;
    ClearStatements();
    ASSERT_EQ(0, user.LoadByLoginId("taro yamada"));
    EXPECT_EQ(7, user.IdInt());
    EXPECT_STREQ("Taro", user.name.Value());
    EXPECT_STREQ("taro yamada", user.loginId.Value());
    EXPECT_STREQ("5", user.defaultGroup.Value());
    EXPECT_EQ(5, user.group.IdInt());
    EXPECT_STREQ("Sales", user.group.Name().Value());
    EXPECT_STREQ("000000001001", user.group.ConstId().Value());
    EXPECT_EQ(1, CountStatements("FROM TM_USER AS a LEFT OUTER JOIN TM_GROUP AS b ON "
                                 "a.DEFGROUP=b.ID AND a.SID_CORPORATE=b.SID_CORPORATE WHERE "
                                 "a.SID_CORPORATE=1 AND a.UserID=N'1*taro/yamada'"));

    // No default group: the join finds nothing and the user still loads.
    CS3User second, missing;
    ASSERT_EQ(0, second.LoadByLoginId("jiro"));
    EXPECT_EQ(8, second.IdInt());
    EXPECT_TRUE(second.group.Name().IsEmpty());
    EXPECT_EQ(-110, missing.LoadByLoginId("nobody"));

    // By identifier the condition stays the user's identifier, and the
    // identifier read back is the user's, not the group's.
    CS3User byId, first;
    byId.SetJoinGroup(true);
    ClearStatements();
    ASSERT_EQ(0, byId.LoadById(7));
    EXPECT_STREQ("Sales", byId.group.Name().Value());
    EXPECT_EQ(1, CountStatements("WHERE a.SID_CORPORATE=1 AND a.ID=7"));
    EXPECT_EQ(0, CountStatements("?"));
    first.SetJoinGroup(true);
    ASSERT_EQ(0, first.SetIdInt(7));
    ASSERT_EQ(0, first.LoadFirst());
    EXPECT_STREQ("Taro", first.name.Value());
}
