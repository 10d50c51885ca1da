// Tests of record objects against real SQLite files: load, insert, update,
// delete, save, assignment rows, ID counters, generated keys, times, and
// text values that must come back unchanged.
#include "cs3base/record.h"

#include <gtest/gtest.h>

#include <strings.h>

#include <iterator>
#include <string>
#include <vector>

#include "cs3base/date_value.h"
#include "cs3base/record_io.h"
#include "cs3base/record_key.h"
#include "cs3base/record_list.h"
#include "cs3base/sql_builder.h"
#include "db/session.h"
#include "env/environment.h"
#include "support/named_record.h"
#include "support/record_lists.h"
#include "support/session_db.h"
#include "support/session_test.h"
#include "support/sqlite_db.h"
#include "support/temp_dir.h"
#include "util/date_time.h"

namespace {

const char kSchema[] =
    "CREATE TABLE T_REC (SID_CORPORATE INT NOT NULL, ID INT NOT NULL, Name NVARCHAR(255),"
    " Memo NVARCHAR(255), Num INT, Day NVARCHAR(8), cretime NVARCHAR(14), updtime NVARCHAR(14),"
    " PRIMARY KEY (SID_CORPORATE, ID));"
    "CREATE TABLE T_RECID (SID_CORPORATE INT NOT NULL, TABLENAME NVARCHAR(32) NOT NULL,"
    " LASTID INT, PRIMARY KEY (SID_CORPORATE, TABLENAME));"
    "CREATE TABLE T_KEYED (SID_CORPORATE INT NOT NULL, ID NVARCHAR(12) NOT NULL,"
    " Name NVARCHAR(255), cretime NVARCHAR(14), updtime NVARCHAR(14),"
    " PRIMARY KEY (SID_CORPORATE, ID));"
    "CREATE TABLE T_ASSIGN (SID_CORPORATE INT NOT NULL, ID INT NOT NULL,"
    " SID_ASSIGN INT NOT NULL CHECK (SID_ASSIGN > 0), PRIMARY KEY (SID_CORPORATE, ID, SID_ASSIGN));"
    "CREATE TABLE T_TEXT (SID_CORPORATE INT NOT NULL, ID INT NOT NULL, Body NVARCHAR(4000));"
    "CREATE TABLE T_PROBE (SID_CORPORATE INT NOT NULL, K NVARCHAR(64) NOT NULL, V NVARCHAR(64),"
    " TAG INT, PRIMARY KEY (SID_CORPORATE, K));";

// A record with a numeric key and a few typed columns.
class TestRecord : public CS3Object {
public:
    CS3LongStrH name;
    CS3LongStr memo;
    CS3Int num{11};
    CS3DateStr day;

    int TableName(NUString& buffer) override { return buffer.Set("T_REC"); }
    int PutFields(CS3DataDB& buffer) override {
        if (name.IsEmpty()) return -10006;
        int rc = buffer.SetColumn("Name", name.Value(), false);
        if (rc == 0) rc = buffer.SetColumn("Memo", memo.Value(), false);
        if (rc == 0) rc = buffer.SetColumnNumber("Num", num);
        if (rc == 0) rc = buffer.SetColumnFixed2("Day", day);
        if (rc == 0) rc = PutTimes(buffer);
        return rc;
    }
    int GetFields(CS3Data& buffer) override {
        int rc = buffer.GetColumn("Name", name);
        if (rc == 0) rc = buffer.GetColumn("Memo", memo);
        if (rc == 0) rc = buffer.GetColumnInt("Num", num);
        if (rc == 0) rc = buffer.GetColumnDate("Day", day);
        if (rc == 0) rc = GetTimes(buffer);
        return rc;
    }
    int SetField(const char* field, const char* text) override {
        if (strcasecmp(field, "Name") == 0) return name.Set(text);
        if (strcasecmp(field, "Memo") == 0) return memo.Set(text);
        if (strcasecmp(field, "Num") == 0) return num.Set(text);
        if (strcasecmp(field, "Day") == 0) return day.Set(text);
        return CS3Object::SetField(field, text);
    }
    void ClearFields() override {
        name.Clear();
        memo.Clear();
        num.Clear();
        day.Clear();
        CS3Object::ClearFields();
    }
    int AfterInsert(CS3DataDB&) override {
        ++inserts;
        return 0;
    }
    int AfterUpdate(CS3DataDB&) override {
        ++updates;
        return afterUpdate;
    }
    int AfterDelete(CS3DataDB&) override {
        ++deletes;
        return 0;
    }
    int AfterLoad(CS3DataDB&) override {
        ++loads;
        return 0;
    }
    int BeforeSave(CS3DataDB&) override { return beforeSave; }
    int inserts = 0, updates = 0, deletes = 0, loads = 0;
    int afterUpdate = 0;  // what AfterUpdate answers
    int beforeSave = 0;   // what BeforeSave answers
};

// One row per assigned value in a link table.
class AssignRecord : public CS3Object {
public:
    int TableName(NUString& buffer) override { return buffer.Set("T_ASSIGN"); }
    int PutFields(CS3DataDB&) override { return 0; }
};

class RecordDbTest : public SessionDbTest {
protected:
    void SetUp() override { Open(kSchema); }
    void TearDown() override {
        SetRecordKeyClock(nullptr);
        SetRecordKeyPause(nullptr);
        SessionDbTest::TearDown();
    }
};

int InsertRecord(int id, const char* name, const char* memo = "") {
    TestRecord r;
    r.name.Set(name);
    r.memo.Set(memo);
    r.num.Set("7");
    r.day.Set("20261206");
    CS3DataIO io;
    int rc = io.PrepareInsert(r);
    return rc == 0 ? io.Insert(r, std::to_string(id).c_str()) : rc;
}

// Prepares an insert of r and saves it (insert, else update) in one operation.
int SaveRecord(TestRecord& r) {
    CS3DataIO io;
    int rc = io.PrepareInsert(r);
    return rc == 0 ? io.Save(r) : rc;
}

// Prepares an update of the row under key and updates it from r.
int UpdateRecord(TestRecord& r, const char* key) {
    CS3DataIO io;
    int rc = io.PrepareUpdate(r, key);
    return rc == 0 ? io.Update(r, key) : rc;
}

// Stores a T_PROBE row through the builder: value as its key (equal list)
// and as its column V (row), both of kind; the statement's result.
int StoreProbe(const char* value, int kind, int tag) {
    CS3DataDB b;
    b.SetTable("T_PROBE");
    b.CS3Data::SetColumn("V", value, false, kind);
    b.CS3Data::SetColumn("TAG", std::to_string(tag).c_str(), false, kItemNumber);
    SetItem(b.EqList(), "SID_CORPORATE", "1", kItemNumber);
    SetItem(b.EqList(), "K", value, kind);
    int rc = BuildInsert(b);
    std::vector<char*> params;
    for (std::string& param : b.Params()) params.push_back(param.data());
    return rc != 0 ? rc
                   : DBExecute(params.empty() ? nullptr : params.data(), b.Statement().c_str(), 0,
                               static_cast<int>(params.size()));
}

// The tags of the T_PROBE rows whose column equals value (of kind), or that
// the like list's search text finds, as the builder's condition finds them,
// comma-separated.
std::string ProbeTags(const char* column, const char* value, int kind,
                      CS3ItemList& (CS3DataDB::*list)() = &CS3DataDB::EqList) {
    CS3DataDB b;
    b.SetTable("T_PROBE");
    SetItem(b.SelectList(), "group_concat(TAG)", "", kItemText);
    SetItem((b.*list)(), column, value, kind);
    NUString tags;
    EXPECT_EQ(0, BuildSelectWithGroup(b, false));
    EXPECT_EQ(0, DBExecute(nullptr, b.Statement().c_str(), 0, 0));
    DBGetFirstColumn(&tags, nullptr);
    return tags.Get();
}

// A T_PROBE row as a record keyed by text in column K.
class ProbeRecord : public CS3Object {
public:
    ProbeRecord() : CS3Object(1, 65) {}
    CS3Int tag{11};
    int TableName(NUString& buffer) override { return buffer.Set("T_PROBE"); }
    int IdColumn(NUString& buffer) override { return buffer.Set("K"); }
    int PutFields(CS3DataDB& buffer) override { return buffer.SetColumnNumber("TAG", tag); }
    int GetFields(CS3Data& buffer) override { return buffer.GetColumnInt("TAG", tag); }
};

// The T_PROBE rows as a list of ProbeRecord members, in TAG order.
class ProbeList : public CS3DBIndex {
public:
    ProbeList() { Id().SetTextMode(1); }
    int TableName(NUString& buffer) override { return buffer.Set("T_PROBE"); }
    int IdColumn(NUString& buffer) override { return buffer.Set("K"); }
    int PrepareSelect(CS3DataDB& buffer) override {
        return AppendItem(buffer.OrderList(), "TAG", "1", kItemNumber);
    }
    CS3Object* NewItem() override { return new ProbeRecord(); }
    // The members' tags, comma-separated.
    std::string Tags() {
        std::string tags;
        for (int i = 0; i < ItemCount(); ++i) {
            if (!tags.empty()) tags += ",";
            tags += static_cast<ProbeRecord*>(ItemAt(i))->tag.Value();
        }
        return tags;
    }
};

// The tags of "1,2,3" without found (and without 3 when it was not stored).
std::string TagsLeft(const std::string& found, bool stored) {
    std::string left;
    for (const char* tag : {"1", "2", "3"}) {
        if (tag != found && (stored || tag[0] != '3'))
            left += left.empty() ? tag : std::string(",") + tag;
    }
    return left;
}

// The key a text names, written from the rule: CR bytes dropped, then
// trailing blanks.
std::string KeyOf(const std::string& text) {
    std::string key;
    for (char c : text) {
        if (c != '\r') key += c;
    }
    while (!key.empty() && key.back() == ' ') key.pop_back();
    return key;
}

}  // namespace

TEST_F(RecordDbTest, LoadsReadTheirCompanysRowOrLeaveTheFieldsCleared) {
    ASSERT_EQ(0, InsertRecord(3, "Main office", "memo"));
    ASSERT_EQ(0, Execute("INSERT INTO T_REC (SID_CORPORATE, ID, Name) VALUES (2, 5, 'x')"));
    EXPECT_EQ("Main office", Scalar("SELECT Name FROM T_REC WHERE SID_CORPORATE=1 AND ID=3"));

    TestRecord r, byText, first;
    ASSERT_EQ(0, r.LoadById(3));
    EXPECT_STREQ("Main office", r.name.Value());
    EXPECT_STREQ("memo", r.memo.Value());
    EXPECT_STREQ("7", r.num.Value());
    EXPECT_STREQ("20261206", r.day.Value());
    EXPECT_EQ(3, r.IdInt());
    EXPECT_EQ(14u, std::string(r.CreationTime()).size());
    EXPECT_STREQ(r.CreationTime(), r.UpdateTime());
    EXPECT_EQ(1, r.loads);
    ASSERT_EQ(0, byText.LoadByText("3"));
    EXPECT_STREQ("Main office", byText.name.Value());
    ASSERT_EQ(0, first.LoadFirst());
    EXPECT_EQ(3, first.IdInt());
    EXPECT_STREQ("Main office", first.name.Value());

    // No row of identifier 99, and row 5 is another company's.
    for (int id : {99, 5}) {
        SCOPED_TRACE(id);
        TestRecord missing;
        missing.name.Set("stale");
        missing.SetTimes("20200101000000", "");
        EXPECT_EQ(-110, missing.LoadById(id));
        EXPECT_TRUE(missing.name.IsEmpty());
        EXPECT_STREQ("", missing.CreationTime());
        EXPECT_EQ(0, missing.loads);
    }
    ASSERT_EQ(0, Execute("DELETE FROM T_REC WHERE SID_CORPORATE=1"));
    TestRecord none;
    EXPECT_EQ(-110, none.LoadFirst());
}

TEST_F(RecordDbTest, UpdateKeepsCreationTimeAndDeleteRemoves) {
    ASSERT_EQ(0, Execute("INSERT INTO T_REC (SID_CORPORATE, ID, Name, cretime, updtime) VALUES "
                         "(1, 4, 'old', '20200101000000', '20200101000000')"));
    TestRecord r;
    ASSERT_EQ(0, r.LoadById(4));
    r.name.Set("new name");
    r.memo.Set("line1\r\nline2");
    r.ClearUpdateTime();
    ASSERT_EQ(0, UpdateRecord(r, "4"));
    EXPECT_EQ(1, r.updates);
    EXPECT_EQ("new name", Scalar("SELECT Name FROM T_REC WHERE ID=4"));
    EXPECT_EQ("line1\nline2", Scalar("SELECT Memo FROM T_REC WHERE ID=4"));
    EXPECT_EQ("20200101000000", Scalar("SELECT cretime FROM T_REC WHERE ID=4"));
    EXPECT_NE("20200101000000", Scalar("SELECT updtime FROM T_REC WHERE ID=4"));

    // A missing key, and an empty key, reach no row: neither update nor
    // delete may touch others.
    TestRecord missing, keyless;
    missing.name.Set("x");
    EXPECT_EQ(-110, UpdateRecord(missing, "77"));
    keyless.name.Set("everyone");
    EXPECT_EQ(-110, UpdateRecord(keyless, ""));
    EXPECT_EQ(-110, keyless.DeleteByText(""));
    EXPECT_EQ("new name", Scalar("SELECT Name FROM T_REC WHERE ID=4"));
    EXPECT_EQ("1", Scalar("SELECT count(*) FROM T_REC"));

    TestRecord d;
    ASSERT_EQ(0, d.DeleteByText("4"));
    EXPECT_EQ("0", Scalar("SELECT count(*) FROM T_REC"));
    EXPECT_EQ(-110, d.DeleteByText("4"));
}

// Writes refused before their statement, in turn on one operation: each
// fails and writes nothing, and the operation keeps the first refusal of
// a record other than its first one.
TEST_F(RecordDbTest, RefusedWritesReachNoRowAndMarkTheOperationOnce) {
    const struct {
        const char* name;
        int beforeSave;
        int result;
        int error;  // the operation's error afterwards
    } rows[] = {{"", 0, -10006, 0}, {"x", -77, -77, -77}, {"", 0, -10006, -77}};
    CS3DataIO io;
    TestRecord records[std::size(rows)];
    for (size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(i);
        records[i].name.Set(rows[i].name);
        records[i].beforeSave = rows[i].beforeSave;
        ASSERT_EQ(0, io.PrepareInsert(records[i]));
        EXPECT_EQ(rows[i].result, io.Insert(records[i], std::to_string(i + 1).c_str()));
        EXPECT_EQ(rows[i].error, io.Error());
    }
    EXPECT_EQ("0", Scalar("SELECT count(*) FROM T_REC"));
}

TEST_F(RecordDbTest, SaveInsertsThenUpdatesAfterDuplicateKey) {
    TestRecord r, again, failing;
    r.SetIdInt(6);
    r.name.Set("first");
    ASSERT_EQ(0, SaveRecord(r));
    EXPECT_EQ(1, r.inserts);
    EXPECT_EQ(0, r.updates);
    std::string created = Scalar("SELECT cretime FROM T_REC WHERE ID=6");

    again.SetIdInt(6);
    again.name.Set("second");
    again.SetTimes("20000101000000", "");
    ASSERT_EQ(0, SaveRecord(again));
    EXPECT_EQ(0, again.inserts);
    EXPECT_EQ(1, again.updates);
    EXPECT_EQ("1", Scalar("SELECT count(*) FROM T_REC"));
    EXPECT_EQ("second", Scalar("SELECT Name FROM T_REC WHERE ID=6"));
    EXPECT_EQ(created, Scalar("SELECT cretime FROM T_REC WHERE ID=6"));

    // A record whose own step after the update fails fails the save.
    failing.SetIdInt(6);
    failing.name.Set("third");
    failing.afterUpdate = -77;
    EXPECT_EQ(-77, SaveRecord(failing));
}

TEST_F(RecordDbTest, AValueWithCarriageReturnsFindsItsOwnRow) {
    // Stored as "a\nb": conditions drop CR bytes as SetColumn does.
    ASSERT_EQ(0, InsertRecord(1, "a\r\nb", "\r"));
    struct Row {
        CS3ItemList& (CS3DataDB::*list)();
        const char* column;
        const char* value;
        int kind;
        int count;
    };
    const Row rows[] = {{&CS3DataDB::EqList, "Name", "a\r\nb", kItemText, 1},
                        {&CS3DataDB::EqList, "Name", "a\r\nb", kItemFixed2, 1},
                        {&CS3DataDB::EqList, "Memo", "\r", kItemText, 1},
                        {&CS3DataDB::NeList, "Name", "a\r\nb", kItemText, 0},
                        {&CS3DataDB::GeList, "Name", "a\r\nb", kItemText, 1},
                        {&CS3DataDB::LikeList, "Name", "\r\nb", kItemText, 1},
                        {&CS3DataDB::LikeList, "Name", "a\r\n%", kItemLikeAnd, 1},
                        {&CS3DataDB::LikeList, "Name", "%A\r\nB", kItemLikeUpperAnd, 1}};
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.column) + " kind " + std::to_string(row.kind));
        CS3DataDB b;
        b.SetTable("T_REC");
        AppendItem((b.*row.list)(), row.column, row.value, row.kind);
        ASSERT_EQ(0, BuildCount(b, nullptr));
        EXPECT_EQ(row.count, ExecuteCount(b.Statement().c_str())) << b.Statement();
    }
}

// A value is searched exactly as it is stored, whatever its kind: stored as
// a key and a column, it finds by either and deletes the row it stored, or,
// when its key is refused as taken, the one row holding that key; never
// another.
TEST_F(RecordDbTest, EveryValueFindsAndDeletesTheRowItStored) {
    const char* const texts[] = {
        "a\rb", "ab", "zz\r", "a\r\nb", "x'y", "a\\\r\nb", "\xE6\x97\xA5\r", "N'quoted'",
        "x'); DROP TABLE T_PROBE; --", "-- not a comment", "a;b;", "back\\slash", "trailing\\",
        "\\", "slash before line\\\nnext", "line1\r\nline2\r\n", "[%]_50%", "''''",
        "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E \xF0\x9F\x98\x80 caf\xC3\xA9"};
    const char* const numbers[] = {"3", "1", "-4"};
    const struct {
        int kind;
        const char* background[2];
        const char* const* probes;
        size_t count;
    } kinds[] = {{kItemText, {"ab", "zz"}, texts, std::size(texts)},
                 {kItemFixed2, {"ab", "zz"}, texts, std::size(texts)},
                 {kItemFixed3, {"ab", "zz"}, texts, std::size(texts)},
                 {kItemParam, {"ab", "zz"}, texts, std::size(texts)},
                 {kItemNumber, {"1", "2"}, numbers, std::size(numbers)}};
    for (const auto& k : kinds) {
        for (size_t i = 0; i < k.count; ++i) {
            const char* probe = k.probes[i];
            SCOPED_TRACE("kind " + std::to_string(k.kind) + " value " +
                         ::testing::PrintToString(probe));
            ASSERT_EQ(0, Execute("DELETE FROM T_PROBE"));
            ASSERT_EQ(0, StoreProbe(k.background[0], k.kind, 1));
            ASSERT_EQ(0, StoreProbe(k.background[1], k.kind, 2));
            bool stored = StoreProbe(probe, k.kind, 3) == 0;
            std::string found = ProbeTags("K", probe, k.kind);
            if (stored) {
                EXPECT_EQ(found, "3");
            } else {
                EXPECT_TRUE(found == "1" || found == "2") << found;
            }
            EXPECT_EQ(ProbeTags("V", probe, k.kind), found);
            if (stored && k.kind != kItemNumber) {
                // Read back whole, and found by itself as a like search text.
                EXPECT_EQ(WithoutCarriageReturns(probe),
                          Scalar("SELECT V FROM T_PROBE WHERE TAG=3"));
                std::string like = ProbeTags("V", probe, kItemText, &CS3DataDB::LikeList);
                EXPECT_NE(std::string::npos, ("," + like + ",").find(",3,")) << like;
            }

            CS3DataDB del;
            del.SetTable("T_PROBE");
            SetItem(del.EqList(), "K", probe, k.kind);
            ASSERT_EQ(0, BuildDelete(del));
            int deleted = DBExecute(nullptr, del.Statement().c_str(), 0, 0);
            EXPECT_EQ(deleted, found.empty() ? -110 : 0);
            EXPECT_EQ(
                Scalar("SELECT group_concat(TAG) FROM (SELECT TAG FROM T_PROBE ORDER BY TAG)"),
                TagsLeft(found, stored));
        }
    }

    // The same through records keyed by text: a key is stored under the
    // rule's form, refused when that form is taken, and every read by key
    // (a load, a member load, a list's exclusion) and a delete by key reach
    // the one row stored under it.
    struct Read {
        const char* name;
        std::string (*tagOf)(const char* key);  // the tag found under key
    };
    const Read reads[] = {
        {"load by key",
         [](const char* key) {
             ProbeRecord r;
             int rc = r.LoadByText(key);
             return rc == 0 ? std::string(r.tag.Value()) : rc == -110 ? "" : std::to_string(rc);
         }},
        {"member load",
         [](const char* key) {
             ProbeList list;
             CS3Object* member = new ProbeRecord();
             member->SetId(key);
             list.AddItem(member);
             int rc = LoadListMembers(list, "K");
             if (rc != 0) return std::to_string(rc);
             return member->ReadFieldsFlag() ? list.Tags() : std::string();
         }},
        {"list read without it",
         [](const char* key) {
             ProbeList list;
             CS3Object* excluded = new ProbeRecord();
             excluded->SetId(key);
             list.Exclusions().AddItem(excluded);
             int rc = list.LoadFirst();
             if (rc != 0) return std::to_string(rc);
             ProbeList all;
             if (all.LoadFirst() != 0) return std::string("?");
             // The one tag the exclusion took out, or "" when it took none.
             std::string kept = "," + list.Tags() + ",", every = "," + all.Tags() + ",";
             for (std::string tag : {",1,", ",2,", ",3,"}) {
                 if (every.find(tag) != std::string::npos && kept.find(tag) == std::string::npos)
                     return tag.substr(1, 1);
             }
             return std::string();
         }},
    };
    const char* const keys[] = {"a\rb", "a\r\rb", "k \r", "k\r ", "k ",  "a \rb",
                                "zz\r", "x'y",     "a\\\r\nb", "\xE6\x97\xA5\r"};
    const char* const background[] = {"ab", "k"};
    for (const char* key : keys) {
        SCOPED_TRACE("key " + ::testing::PrintToString(key));
        ASSERT_EQ(0, Execute("DELETE FROM T_PROBE"));
        std::string found = "3";
        for (int i = 0; i < 3; ++i) {
            ProbeRecord r;
            r.tag.SetInt(i + 1);
            const char* text = i < 2 ? background[i] : key;
            if (i == 2 && KeyOf(key) == KeyOf(background[0])) found = "1";
            if (i == 2 && KeyOf(key) == KeyOf(background[1])) found = "2";
            CS3DataIO io;
            ASSERT_EQ(0, io.PrepareInsert(r));
            EXPECT_EQ(found == "3" || i < 2 ? 0 : -50, io.Insert(r, text));
        }
        const bool stored = found == "3";
        EXPECT_EQ(KeyOf(key), Scalar("SELECT K FROM T_PROBE WHERE TAG=" + found));
        for (const Read& read : reads) {
            SCOPED_TRACE(read.name);
            EXPECT_EQ(found, read.tagOf(key));
        }
        ProbeRecord d;
        EXPECT_EQ(0, d.DeleteByText(key));
        EXPECT_EQ(Scalar("SELECT group_concat(TAG) FROM (SELECT TAG FROM T_PROBE ORDER BY TAG)"),
                  TagsLeft(found, stored));
    }
}

TEST_F(RecordDbTest, StatementsOverAJoinWorkOnTheMainTable) {
    // Both tables have SID_CORPORATE and SEQNO: bare names are ambiguous.
    for (const char* sql : {"CREATE TABLE T_JA (SID_CORPORATE INT, ID INT, SEQNO INT, BID INT)",
                            "CREATE TABLE T_JB (SID_CORPORATE INT, ID INT, SEQNO INT)",
                            "INSERT INTO T_JA VALUES (1, 1, 5, 1), (1, 2, 7, 9), (2, 3, 9, 1)",
                            "INSERT INTO T_JB VALUES (1, 1, 50)"}) {
        ASSERT_EQ(0, Execute(sql)) << sql;
    }
    const std::string join =
        "T_JA AS a LEFT OUTER JOIN T_JB AS b ON a.SID_CORPORATE=b.SID_CORPORATE AND a.BID=b.ID";
    CS3DataDB b;
    b.SetTable(join.c_str());
    AppendItem(b.EqList(), QualifyColumn(b, nullptr, "SID_CORPORATE").c_str(), "1", kItemNumber);
    ASSERT_EQ(0, BuildCount(b, nullptr));
    EXPECT_EQ(2, ExecuteCount(b.Statement().c_str())) << b.Statement();
    ASSERT_EQ(0, BuildMaxSeqno(b));
    EXPECT_EQ(7, ExecuteCount(b.Statement().c_str())) << b.Statement();
    // SQL Server takes the hint after the table it locks, not after the
    // join condition; SQLite has no hints.
    ASSERT_EQ(0, BuildSelectForUpdate(b));
    EXPECT_EQ("SELECT * FROM T_JA AS a with(updlock) LEFT OUTER JOIN T_JB AS b ON "
              "a.SID_CORPORATE=b.SID_CORPORATE AND a.BID=b.ID WHERE a.SID_CORPORATE=1",
              b.Statement());
    EXPECT_EQ(0, DBExecute(nullptr, b.Statement().c_str(), 0, 0));
    AppendItem(b.EqList(), "b.SEQNO", "50", kItemNumber);
    ASSERT_EQ(0, BuildDelete(b));
    EXPECT_EQ("DELETE a FROM " + join + " WHERE a.SID_CORPORATE=1 AND b.SEQNO=50", b.Statement());
    EXPECT_EQ(0, DBExecute(nullptr, b.Statement().c_str(), 0, 0));
    EXPECT_EQ("2,3", Scalar("SELECT group_concat(ID) FROM (SELECT ID FROM T_JA ORDER BY ID)"));
    EXPECT_EQ("1", Scalar("SELECT count(*) FROM T_JB"));
}

TEST_F(RecordDbTest, SaveWithoutIdentifierNeverUpdatesTheCompany) {
    ASSERT_EQ(0, Execute("CREATE TABLE T_NAMED (SID_CORPORATE INT NOT NULL, ID INT, Name "
                         "NVARCHAR(255), Memo NVARCHAR(255) UNIQUE, Num INT, Day NVARCHAR(8), "
                         "cretime NVARCHAR(14), updtime NVARCHAR(14))"));
    ASSERT_EQ(0, Execute("INSERT INTO T_NAMED (SID_CORPORATE, ID, Name, Memo) VALUES "
                         "(1, 1, 'old', 'm')"));
    class Named : public TestRecord {
        int TableName(NUString& buffer) override { return buffer.Set("T_NAMED"); }
    } r;
    r.name.Set("new");
    r.memo.Set("m");
    EXPECT_EQ(-50, SaveRecord(r));
    EXPECT_EQ("old", Scalar("SELECT Name FROM T_NAMED"));
}

// The ID counter of T_REC from each state of its row: the next number, or
// the refusal, and the counter rows afterwards.
TEST_F(RecordDbTest, NextIdCountsOnOrRefusesAndLeavesTheCounter) {
    const struct {
        const char* setup;  // statement run on an empty T_RECID first ("": none)
        const char* key;    // the counter row's TABLENAME
        int next;
        const char* after;  // TABLENAME=LASTID of every counter row
    } rows[] = {
        {"", "T_REC", 1, "T_REC=1"},
        {"INSERT INTO T_RECID VALUES (1, 'T_REC', 41)", "T_REC", 42, "T_REC=42"},
        {"INSERT INTO T_RECID VALUES (1, 'T_REC', 0)", "T_REC", 1, "T_REC=1"},
        // Beyond the largest identifier, or below 0, the next value would be
        // 0 or negative, which callers read as success without an identifier
        // or as an error code.
        {"INSERT INTO T_RECID VALUES (1, 'T_REC', 2147483647)", "T_REC", -6100002,
         "T_REC=2147483647"},
        {"INSERT INTO T_RECID VALUES (1, 'T_REC', -1)", "T_REC", -6100002, "T_REC=-1"},
        {"INSERT INTO T_RECID VALUES (1, 'T_REC', -5)", "T_REC", -6100002, "T_REC=-5"},
        {"INSERT INTO T_RECID VALUES (1, 'T_REC', '7x')", "T_REC", -6100002, "T_REC=7x"},
        {"", "", 1, "=1"},
        {"INSERT INTO T_RECID VALUES (1, '', 1)", "", 2, "=2"},
        // Every insert of the counter row collides with a row that the same
        // statement creates first, so the allocation repeats until its bound.
        {"CREATE TRIGGER T_RECID_CLASH BEFORE INSERT ON T_RECID WHEN NEW.LASTID=1 BEGIN INSERT "
         "INTO T_RECID VALUES (NEW.SID_CORPORATE, NEW.TABLENAME, 5); END",
         "T_REC", -50, "NULL"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.setup);
        ASSERT_EQ(0, Execute("DELETE FROM T_RECID"));
        if (*row.setup != '\0') {
            ASSERT_EQ(0, Execute(row.setup));
        }
        NamedRecord counter("T_REC", "T_RECID");
        counter.counterKey = row.key;
        {
            CS3DataIO io;
            EXPECT_EQ(row.next, io.NextId(counter));
        }
        EXPECT_EQ(row.after,
                  Scalar("SELECT group_concat(TABLENAME || '=' || LASTID) FROM T_RECID"));
    }
    TestRecord noCounter;
    CS3DataIO io;
    EXPECT_EQ(-58, io.NextId(noCounter));
}

TEST_F(RecordDbTest, InsertWithNextIdNumbersTheRecord) {
    ASSERT_EQ(0, Execute("INSERT INTO T_RECID VALUES (1, 'T_REC', 9)"));
    NamedRecord counter("T_REC", "T_RECID");
    TestRecord r;
    r.name.Set("numbered");
    CS3DataIO io;
    ASSERT_EQ(0, io.InsertWithNextId(counter, r));
    EXPECT_EQ(10, r.IdInt());
    EXPECT_EQ("numbered", Scalar("SELECT Name FROM T_REC WHERE ID=10"));
}

TEST_F(RecordDbTest, InsertNewUsesGeneratedKeys) {
    NamedRecord a("T_KEYED", "", true), b("T_KEYED", "", true), loaded("T_KEYED", "", true);
    a.name.Set("a");
    b.name.Set("b");
    ASSERT_EQ(0, a.InsertNew());
    ASSERT_EQ(0, b.InsertNew());
    EXPECT_EQ(12u, std::string(a.IdText()).size());
    EXPECT_STRNE(a.IdText(), b.IdText());
    EXPECT_EQ("2", Scalar("SELECT count(*) FROM T_KEYED"));

    ASSERT_EQ(0, loaded.LoadByText(a.IdText()));
    EXPECT_STREQ("a", loaded.name.Value());
    loaded.name.Set("renamed");
    std::string key = a.IdText();
    ASSERT_EQ(0, loaded.UpdateByText(key.c_str()));
    EXPECT_EQ("renamed", Scalar("SELECT Name FROM T_KEYED WHERE ID='" + key + "'"));

    TestRecord numeric;
    EXPECT_EQ(-99, numeric.InsertNew());
    EXPECT_EQ(-99, numeric.UpdateByText("1"));
}

namespace {
ClockTime stoppedClock{2026, 12, 6, 1, 2, 3, 4};
int keyPauses = 0;

// Key generation on a clock that moves one millisecond per pause.
void StopKeyClock() {
    keyPauses = 0;
    SetRecordKeyClock([](ClockTime* t) { *t = stoppedClock; });
    SetRecordKeyPause([](int ms) {
        keyPauses += ms;
        stoppedClock.millisecond += ms;
    });
}
}  // namespace

// A generated key taken by another process is replaced after a pause; a
// duplicate of another column is given up after the bound of 99 pauses.
TEST_F(RecordDbTest, InsertNewRetriesOnlyATakenKey) {
    StopKeyClock();
    char taken[kRecordKeyLength + 1];
    RecordKeyOf(stoppedClock, taken);
    ASSERT_EQ(0, Execute("CREATE UNIQUE INDEX T_KEYED_NAME ON T_KEYED (Name)"));
    ASSERT_EQ(0, Execute(std::string("INSERT INTO T_KEYED (SID_CORPORATE, ID, Name) VALUES (1, '") +
                         taken + "', 'same')"));
    NamedRecord mine("T_KEYED", "", true), same("T_KEYED", "", true);
    mine.name.Set("mine");
    ASSERT_EQ(0, mine.InsertNew());
    EXPECT_STRNE(taken, mine.IdText());
    EXPECT_EQ(1, keyPauses);
    EXPECT_EQ("2", Scalar("SELECT count(*) FROM T_KEYED"));

    // One pause past the last key (the clock stands still), then 99 retries.
    keyPauses = 0;
    same.name.Set("same");
    EXPECT_EQ(-50, same.InsertNew());
    EXPECT_EQ(100, keyPauses);
}

TEST_F(RecordDbTest, AssignmentRowsReplaceOrAppendAndSkipRefusedValues) {
    AssignRecord link;
    const int first[] = {3, 1, 2}, second[] = {9}, more[] = {10, 11};
    ASSERT_EQ(0, link.SaveAssignmentsById(5, 3, first, false));
    EXPECT_EQ("3", Scalar("SELECT count(*) FROM T_ASSIGN WHERE ID=5"));
    ASSERT_EQ(0, link.SaveAssignmentsById(5, 1, second, false));
    EXPECT_EQ("9", Scalar("SELECT group_concat(SID_ASSIGN) FROM T_ASSIGN WHERE ID=5"));
    ASSERT_EQ(0, link.SaveAssignments("5", 2, more, true));
    EXPECT_EQ("3", Scalar("SELECT count(*) FROM T_ASSIGN WHERE ID=5"));
    EXPECT_EQ(0, link.SaveAssignments("5", 0, nullptr, true));
    EXPECT_EQ(-99, link.SaveAssignments("5", 2, nullptr, true));
    ASSERT_EQ(0, link.SaveAssignments("5", 0, nullptr, false));
    EXPECT_EQ("0", Scalar("SELECT count(*) FROM T_ASSIGN"));

    // -1 breaks the table's check and is skipped; a duplicate fails.
    const int values[] = {-1, 2}, twice[] = {2};
    ASSERT_EQ(0, link.SaveAssignmentsById(7, 2, values, false));
    EXPECT_EQ("2", Scalar("SELECT group_concat(SID_ASSIGN) FROM T_ASSIGN WHERE ID=7"));
    EXPECT_EQ(-50, link.SaveAssignmentsById(7, 1, twice, true));
}

TEST_F(RecordDbTest, FieldsByNameAndReadFieldsFlag) {
    TestRecord r;
    EXPECT_EQ(0, r.SetField("NAME", "by name"));
    EXPECT_EQ(0, r.SetField("num", "12"));
    EXPECT_EQ(-13006, r.SetField("Num", "12x"));
    EXPECT_EQ(-70, r.SetField("Nope", "x"));
    CS3DataIO io;
    ASSERT_EQ(0, io.PrepareInsert(r));
    ASSERT_EQ(0, io.Insert(r, "2"));

    TestRecord idOnly;
    idOnly.SetReadFieldsFlag(false);
    ASSERT_EQ(0, idOnly.LoadById(2));
    EXPECT_TRUE(idOnly.name.IsEmpty());
    EXPECT_EQ(0, idOnly.loads);
}

TEST_F(RecordDbTest, FetchIntoASeparateTarget) {
    ASSERT_EQ(0, InsertRecord(9, "nine"));
    TestRecord query, target;
    CS3DataIO io;
    ASSERT_EQ(0, io.PrepareRead(query));
    ASSERT_EQ(0, io.Fetch(query, &target));
    EXPECT_EQ(9, target.IdInt());
    EXPECT_STREQ("nine", target.name.Value());
    EXPECT_EQ(1, target.loads);
    EXPECT_TRUE(query.name.IsEmpty());
    EXPECT_EQ(0, query.loads);

    // The identifier of the current result row, read into a record.
    TestRecord last;
    CS3DataDB* buffer = nullptr;
    ASSERT_EQ(0, io.PrepareRead(last));
    ASSERT_EQ(0, io.BufferOf(last, &buffer));
    ASSERT_EQ(0, last.ExecuteSelect(*buffer));
    ASSERT_EQ(0, io.ReadLastId(last));
    EXPECT_EQ(9, last.IdInt());

    // A fetch past the first record that finds no row is the operation's error.
    ASSERT_EQ(0, Execute("DELETE FROM T_REC"));
    TestRecord missing;
    ASSERT_EQ(0, io.PrepareRead(missing));
    EXPECT_EQ(0, io.Error());
    int rc = io.Fetch(missing, &target);
    EXPECT_NE(0, rc);
    EXPECT_EQ(rc, io.Error());
}

TEST_F(RecordDbTest, BufferBookkeepingOfAnOperation) {
    TestRecord first;
    CS3Object bare;
    CS3DataIO io;
    CS3DataDB* buffer = nullptr;
    EXPECT_EQ(-121, io.BufferOf(first, &buffer));
    EXPECT_EQ(-121, io.Save(first));
    ASSERT_EQ(0, io.PrepareRead(first));
    EXPECT_EQ(0, first.StatementIndex());
    ASSERT_EQ(0, io.BufferOf(first, &buffer));
    EXPECT_STREQ("T_REC", buffer->Table());
    ASSERT_EQ(1u, buffer->EqList().size());
    EXPECT_EQ("SID_CORPORATE", buffer->EqList()[0].name);
    EXPECT_EQ(0, io.Error());

    // A failing second record gives its buffer back and marks the operation.
    EXPECT_EQ(-58, io.PrepareRead(bare));
    EXPECT_EQ(-1, bare.StatementIndex());
    EXPECT_EQ(-58, io.Error());
    EXPECT_EQ(1, io.Count());

    // An unknown operation code is refused.
    buffer->SetOperationCode(kOpRead);
    EXPECT_EQ(-99, io.Execute(first));
    ASSERT_EQ(0, io.MarkUpdate(first));
    EXPECT_EQ(kOpUpdate, buffer->OperationCode());
    ASSERT_EQ(0, io.MarkInsert(first));
    EXPECT_EQ(kOpInsert, buffer->OperationCode());

    CS3DataIO other;
    EXPECT_EQ(-55, other.BufferOf(first, &buffer));
    EXPECT_EQ(-58, bare.LoadById(1));
}

TEST_F(RecordDbTest, CountsRows) {
    ASSERT_EQ(0, InsertRecord(1, "a"));
    ASSERT_EQ(0, InsertRecord(2, "b"));
    ASSERT_EQ(0, Execute("INSERT INTO T_REC (SID_CORPORATE, ID, Name) VALUES (2, 3, 'c')"));
    EXPECT_EQ(2, CountRows("T_REC", nullptr));
    EXPECT_EQ(1, CountRows("T_REC r", "r.Name='b'"));
    CS3DataDB buffer;
    buffer.SetTable("T_REC");
    SetItem(buffer.EqList(), "SID_CORPORATE", "1", kItemNumber);
    EXPECT_EQ(2, buffer.Count(0));
}

// Answers of the base class no other test reaches: a record class that
// writes nothing, the unsupported operations, the order direction, and a
// load without an environment.
TEST(RecordObject, AnswersOfTheBaseClass) {
    CS3Object r;
    CS3DataDB buffer;
    EXPECT_EQ(-54, r.PutFields(buffer));
    EXPECT_EQ(-99, r.UnsupportedOperation37());
    EXPECT_EQ(-99, r.UnsupportedOperation38());
    EXPECT_EQ(-6100402, r.UnsupportedOperation48());
    EXPECT_EQ(-6100401, r.SetOrder("0"));
    EXPECT_STREQ("1", r.OrderDirection());
    ASSERT_EQ(0, r.SetOrder("-1"));
    EXPECT_STREQ("-1", r.OrderDirection());
    ASSERT_EQ(0, r.SetOrder(""));
    EXPECT_STREQ("1", r.OrderDirection());
    TestRecord record;
    EXPECT_NE(0, record.LoadById(1));
}
