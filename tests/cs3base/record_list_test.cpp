// Record lists: paging, duplicates and exclusions, top mode, batch loading,
// identifier ranges and name-value record sets, against real SQLite files.
#include "cs3base/record_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "cs3base/record_io.h"
#include "cs3base/sql_builder.h"
#include "cxiocom/office.h"
#include "db/session.h"
#include "env/environment.h"
#include "support/record_lists.h"
#include "support/session_db.h"
#include "support/session_test.h"
#include "support/sqlite_db.h"
#include "support/temp_dir.h"

namespace {

// Company 1 has rows 1..count named "n<id>"; company 2 has one row.
std::string ItemsScript(int count) {
    return "CREATE TABLE TM_ITEM (SID_CORPORATE INT NOT NULL, ID INT NOT NULL, Name NVARCHAR(63),"
           " HITS INT DEFAULT 0, PRIMARY KEY (SID_CORPORATE, ID));"
           "CREATE TABLE TM_TAG (SID_CORPORATE INT NOT NULL, ITEM_ID INT, TAG NVARCHAR(20));"
           "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
           std::to_string(count) +
           ") INSERT INTO TM_ITEM (SID_CORPORATE, ID, Name) SELECT 1, i, 'n' || i FROM n;"
           "INSERT INTO TM_ITEM (SID_CORPORATE, ID, Name) VALUES (2, 1, 'other');";
}

class Item : public CS3Object {
public:
    int GetFields(CS3Data& buffer) override { return buffer.GetColumn("Name", name); }
    CS3ShortStr name;
};

class Items : public CS3DBIndex {
public:
    int TableName(NUString& buffer) override { return buffer.Set(table.c_str()); }
    int PrepareSelect(CS3DataDB& buffer) override {
        buffer.SetGroupBy(groupBy.c_str());
        return AppendItem(buffer.OrderList(), order.c_str(), "1", kItemNumber);
    }
    int AddKeyConditions(CS3DataDB& buffer) override {
        return upTo.empty() ? 0 : SetItem(buffer.LeList(), upToColumn.c_str(), upTo.c_str(), 1);
    }
    int DeleteCondition(NUString& out) override { return out.Set(deleteCondition.c_str()); }
    int OnIdRange(int low, int high) override {
        ranges.push_back({low, high});
        return 0;
    }
    CS3Object* NewItem() override { return new Item(); }

    Item* At(int i) { return static_cast<Item*>(ItemAt(i)); }

    std::string table = "TM_ITEM";
    std::string order = "ID";
    std::string upTo, upToColumn = "ID";
    std::string deleteCondition, groupBy;
    std::vector<IdRange> ranges;
};

class RecordListDb : public SessionDbTest {
protected:
    void SetUp() override { SKIP_WITHOUT_SQLITE(); }
    void Open(int rows) { SessionDbTest::Open(ItemsScript(rows)); }

    Items list;
};

// "low-high" of each range, comma-separated.
std::string RangesText(const std::vector<IdRange>& ranges) {
    std::string text;
    for (const IdRange& r : ranges) {
        text += (text.empty() ? "" : ",") + std::to_string(r.low) + "-" + std::to_string(r.high);
    }
    return text;
}

TEST(RecordListPages, ARequestBeyondTheLastPageShowsTheLastPage) {
    EXPECT_EQ(LastPageStart(45, 20), 40);
    EXPECT_EQ(LastPageStart(40, 20), 20);
    EXPECT_EQ(LastPageStart(0, 20), 0);
    EXPECT_EQ(ClampPageStart(60, 20, 45), 40);
    EXPECT_EQ(ClampPageStart(40, 20, 40), 20);
    EXPECT_EQ(ClampPageStart(10, 20, 45), 10);
    EXPECT_EQ(ClampPageStart(30, 20, 15), 0);
    EXPECT_EQ(ClampPageStart(30, 0, 45), 0);
}

// Ranges of at most the given size cover every identifier exactly once.
TEST(RecordListRanges, RangesCoverEveryIdentifierExactlyOnce) {
    const struct {
        int low, high, size;
        const char* ranges;  // null: not looked at
    } rows[] = {
        {1, 2500, 1000, "1-1000,1001-2000,2001-2500"},
        {1, 2500, 0, "1-1000,1001-2000,2001-2500"},  // no size: 1000
        {7, 7, 1000, "7-7"},
        {10, 9, 1000, ""},
        {INT_MAX - 5, INT_MAX, 4, "2147483642-2147483645,2147483646-2147483647"},
        {5, 2500, 1000, nullptr},
        {1, 1000, 1000, nullptr},
        {-30, 44, 7, nullptr},
        {3, 3, 1, nullptr},
        {0, 99, 100, nullptr},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::to_string(row.low) + ".." + std::to_string(row.high) + "/" +
                     std::to_string(row.size));
        std::vector<IdRange> ranges = SplitIdRange(row.low, row.high, row.size);
        if (row.ranges != nullptr) {
            EXPECT_EQ(row.ranges, RangesText(ranges));
            continue;
        }
        std::vector<int> hits(static_cast<size_t>(row.high - row.low + 1), 0);
        for (const IdRange& r : ranges) {
            EXPECT_LE(r.high - r.low + 1, row.size);
            for (int id = r.low; id <= r.high; ++id) ++hits.at(static_cast<size_t>(id - row.low));
        }
        EXPECT_EQ(std::count(hits.begin(), hits.end(), 1), static_cast<long>(hits.size()));
    }
}

TEST(RecordListTop, TheVerbIsRewrittenWithTheRowCount) {
    std::string sql = "SELECT * FROM T WHERE SID_CORPORATE=1";
    EXPECT_EQ(RewriteSelectTop(sql, 40), 0);
    EXPECT_EQ(sql, "select top 40 * FROM T WHERE SID_CORPORATE=1");
    sql = "SELECT DISTINCT ID FROM T";
    EXPECT_EQ(RewriteSelectTop(sql, 5), 0);
    EXPECT_EQ(sql, "select distinct top 5 ID FROM T");
    sql.clear();
    EXPECT_EQ(RewriteSelectTop(sql, 5), -99);
}

// A page of a list of rows 1..rows: the page it shows, the total, and the
// members (none before the first one read, then rows first+1 onwards), and
// how often a statement ran.
TEST_F(RecordListDb, PagesHoldTheRowsOfTheirPage) {
    const struct {
        const char* what;
        int rows;
        const char* upTo;  // the list's condition ID<=upTo ("": none)
        bool top;
        int start, size;
        int pageStart, total;  // not looked at in top mode
        int count, first;
        const char* statement;
        int runs;
    } pages[] = {
        {"beyond the end: the last page", 45, "", false, 60, 20, 40, 45, 45, 40, "select COUNT(",
         1},
        {"a middle page", 45, "", false, 20, 20, 20, 45, 40, 20, "select COUNT(", 1},
        {"the count honours the conditions", 45, "30", false, 100, 20, 20, 30, 30, 20, "COUNT(", 1},
        {"without paging no count", 300, "", false, 0, 0, 0, 300, 300, 0, "COUNT(", 0},
        {"top mode: start plus size rows", 45, "", true, 20, 20, -1, -1, 40, 20,
         "select top 40 * FROM TM_ITEM", 1},
        {"top mode near the largest page: the rows that came", 45, "", true, INT_MAX - 5, 20, -1,
         -1, 45, 45, "select top 2147483647 * FROM TM_ITEM", 1},
    };
    for (const auto& page : pages) {
        SCOPED_TRACE(page.what);
        TempDir rowsDir;
        ASSERT_EQ(OpenSessionDb(rowsDir, ItemsScript(page.rows)), "");
        Items items;
        items.upTo = page.upTo;
        items.SetTopMode(page.top);
        // A load of another page first: the page's load replaces its members.
        items.SetPage(60, 20);
        ASSERT_EQ(items.LoadFirst(), 0);
        ClearStatements();
        items.SetPage(page.start, page.size);
        ASSERT_EQ(items.LoadFirst(), 0);
        if (!page.top) {
            EXPECT_EQ(items.PageStart(), page.pageStart);
            EXPECT_EQ(items.TotalCount(), page.total);
        }
        ASSERT_EQ(items.ItemCount(), page.count);
        for (int i = 0; i < page.count; ++i) {
            if (i < page.first) {
                ASSERT_EQ(items.ItemAt(i), nullptr) << i;
                continue;
            }
            ASSERT_NE(items.At(i), nullptr) << i;
            ASSERT_EQ(items.At(i)->IdInt(), i + 1);
            ASSERT_STREQ(items.At(i)->name.Value(), ("n" + std::to_string(i + 1)).c_str());
        }
        EXPECT_EQ(CountStatements(page.statement), page.runs);
        EXPECT_EQ(CountStatements("COUNT("), page.top ? 0 : page.runs);
        ReleaseEnvironment();
    }
}

TEST_F(RecordListDb, ARowWhoseIdentifierAMemberCannotHoldFailsTheList) {
    Open(3);
    ASSERT_EQ(Execute("insert into TM_ITEM (SID_CORPORATE, ID) values (1, 2000000000)"), 0);
    EXPECT_NE(list.LoadFirst(), 0);
}

TEST_F(RecordListDb, ARecordOnConsecutiveJoinRowsIsOneMember) {
    Open(5);
    ASSERT_EQ(Execute("insert into TM_TAG values (1,1,'x'),(1,1,'y'),(1,1,'z'),(1,3,'x'),(1,3,'y')"),
              0);
    list.table =
        "TM_ITEM AS a LEFT OUTER JOIN TM_TAG AS b ON a.ID=b.ITEM_ID AND"
        " a.SID_CORPORATE=b.SID_CORPORATE";
    list.order = "a.ID";
    list.upTo = "3";
    list.upToColumn = "a.ID";
    ASSERT_EQ(list.LoadFirst(), 0);
    ASSERT_EQ(list.ItemCount(), 3);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(list.At(i)->IdInt(), i + 1);
}

TEST_F(RecordListDb, ExcludedIdentifiersAreLeftOutAndConsumed) {
    Open(10);
    for (int id : {3, 7, 42}) {
        CS3Object* excluded = new CS3Object();
        excluded->SetIdInt(id);
        list.Exclusions().AddItem(excluded);
    }
    ASSERT_EQ(list.LoadFirst(), 0);
    ASSERT_EQ(list.ItemCount(), 8);
    EXPECT_EQ(list.At(2)->IdInt(), 4);
    EXPECT_EQ(list.At(5)->IdInt(), 8);
    ASSERT_EQ(list.Exclusions().ItemCount(), 1);
    EXPECT_EQ(list.Exclusions().ItemAt(0)->IdInt(), 42);
}

TEST_F(RecordListDb, IdentifiersFirstThenMemberFieldsInBatchesOf1000) {
    Open(2500);
    list.SetStatusFlag(false);
    ASSERT_EQ(list.LoadFirst(), 0);
    EXPECT_EQ(CountStatements("SELECT ID FROM TM_ITEM WHERE SID_CORPORATE=1 ORDER BY ID"), 1);
    ASSERT_EQ(list.ItemCount(), 2500);
    EXPECT_STREQ(list.At(0)->name.Value(), "");

    list.SetStatusFlag(true);
    ClearStatements();
    ASSERT_EQ(LoadListMembers(list, nullptr), 0);
    std::vector<long> idsPerStatement;
    for (const std::string& s : Statements()) {
        if (s.find(" and ID in (") == std::string::npos) continue;
        EXPECT_EQ(s.rfind("SELECT * FROM TM_ITEM WHERE SID_CORPORATE=1 and ID in (", 0), 0u) << s;
        idsPerStatement.push_back(std::count(s.begin(), s.end(), ',') + 1);
    }
    EXPECT_EQ(idsPerStatement, (std::vector<long>{1000, 1000, 500}));
    for (int i = 0; i < 2500; ++i) {
        ASSERT_TRUE(list.At(i)->ReadFieldsFlag()) << i;
        ASSERT_STREQ(list.At(i)->name.Value(), ("n" + std::to_string(i + 1)).c_str());
    }
}

// Loads the fields of the members of list with the given identifiers (text
// keys when textKeys) through LoadMembers.
int LoadMembersOf(Items& list, std::vector<std::string> ids, bool textKeys) {
    for (const std::string& key : ids) {
        CS3Object* member = new Item();
        member->Id().SetTextMode(textKeys ? 1 : 0);
        member->SetId(key.c_str());
        list.AddItem(member);
    }
    return LoadListMembers(list, "ID");
}

TEST_F(RecordListDb, AMemberWithoutARowKeepsItsReadFlagCleared) {
    Open(3);
    ASSERT_EQ(LoadMembersOf(list, {"99"}, false), 0);
    EXPECT_FALSE(list.At(0)->ReadFieldsFlag());
}

TEST_F(RecordListDb, MembersKeyedByTextLoadWithQuotedKeys) {
    Open(0);
    for (const char* sql : {"CREATE TABLE TM_KEYED (SID_CORPORATE INT, ID NVARCHAR(20), Name "
                            "NVARCHAR(63))",
                            "INSERT INTO TM_KEYED VALUES (1, 'k 3', 'three'), (1, 'k''2', 'two')"}) {
        ASSERT_EQ(Execute(sql), 0) << sql;
    }
    list.table = "TM_KEYED";
    ASSERT_EQ(LoadMembersOf(list, {"k 3", "k'2"}, true), 0);
    EXPECT_EQ(CountStatements("and ID in (N'k 3',N'k''2')"), 1);
    EXPECT_STREQ(list.At(0)->name.Value(), "three");
    EXPECT_STREQ(list.At(1)->name.Value(), "two");
}

TEST_F(RecordListDb, AGroupedListTakesItsBatchConditionInTheWhereClause) {
    Open(3);
    list.groupBy = "ID,Name";
    ASSERT_EQ(LoadMembersOf(list, {"1", "2"}, false), 0);
    EXPECT_EQ(CountStatements("WHERE SID_CORPORATE=1 and ID in (1,2) group by ID,Name"), 1);
    EXPECT_STREQ(list.At(1)->name.Value(), "n2");
}

TEST_F(RecordListDb, IdentifierRangesProcessEveryRowOnceAndCommitEachRange) {
    Open(2500);
    ASSERT_EQ(list.ForEachIdRange("update TM_ITEM set HITS=HITS+1 where 1=1", "TM_ITEM", "ID"), 0);
    EXPECT_EQ(RangesText(list.ranges), "1-1000,1001-2000,2001-2500");
    EXPECT_EQ(std::count(Statements().begin(), Statements().end(), "commit"), 3);
    EXPECT_EQ(Scalar("select count(*) from TM_ITEM where SID_CORPORATE=1 and HITS=1"), "2500");
    EXPECT_EQ(Scalar("select HITS from TM_ITEM where SID_CORPORATE=2"), "0");
}

TEST_F(RecordListDb, OneRowIsOneRangeAndAFailedStatementIsRolledBack) {
    Open(1);
    ASSERT_EQ(list.ForEachIdRange("update TM_ITEM set HITS=HITS+1 where 1=1", "TM_ITEM", "ID"), 0);
    EXPECT_EQ(RangesText(list.ranges), "1-1");

    list.ranges.clear();
    ClearStatements();
    EXPECT_LT(list.ForEachIdRange("update TM_ITEM set NOPE=1 where 1=1", "TM_ITEM", "ID"), -999999);
    EXPECT_TRUE(list.ranges.empty());
    EXPECT_EQ(std::count(Statements().begin(), Statements().end(), "rollback"), 1);

    ASSERT_EQ(Execute("delete from TM_ITEM where SID_CORPORATE=1"), 0);
    EXPECT_EQ(list.ForEachIdRange("update TM_ITEM set HITS=HITS+1 where 1=1", "TM_ITEM", "ID"), 0);
    EXPECT_TRUE(list.ranges.empty());

    // Read loosely, 3000000000 wrapped below MINID and no range ran.
    ASSERT_EQ(Execute("INSERT INTO TM_ITEM (SID_CORPORATE, ID) VALUES (1, 3000000000)"), 0);
    EXPECT_EQ(list.ForEachIdRange("update TM_ITEM set HITS=HITS+1 where 1=1", "TM_ITEM", "ID"), -99);
    EXPECT_TRUE(list.ranges.empty());
}

TEST_F(RecordListDb, DeleteAllKeepsToTheCompanyAndTheCondition) {
    Open(45);
    list.deleteCondition = "ID>40";
    EXPECT_EQ(list.DeleteAll(), 0);
    EXPECT_EQ(CountStatements("delete from TM_ITEM where SID_CORPORATE=1 and ID>40"), 1);
    EXPECT_EQ(list.DeleteAll(), -110);
    list.deleteCondition.clear();
    EXPECT_EQ(list.DeleteAll(), 0);
    EXPECT_EQ(Scalar("select count(*) from TM_ITEM"), "1");
}

// --- Member operations without a database. ---

CS3Index* ListOf(std::vector<int> ids) {
    CS3Index* list = new CS3Index();
    for (int id : ids) {
        CS3Object* member = new CS3Object();
        member->SetIdInt(id);
        list->AddItem(member);
    }
    return list;
}

std::vector<int> IdsOf(CS3Index& list) {
    std::vector<int> ids;
    for (int i = 0; i < list.ItemCount(); ++i)
        ids.push_back(list.ItemAt(i) ? list.ItemAt(i)->IdInt() : -1);
    return ids;
}

TEST(RecordListMembers, MergingComparingAndSorting) {
    std::unique_ptr<CS3Index> a(ListOf({5, 3, 9})), b(ListOf({3, 4}));
    EXPECT_FALSE(a->ContainsId("3"));  // false: a member has it
    EXPECT_TRUE(a->ContainsId("4"));
    EXPECT_FALSE(a->IsDisjoint(*b));
    EXPECT_FALSE(a->IsDisjoint(*a));
    std::unique_ptr<CS3Index> c(ListOf({1, 2}));
    EXPECT_TRUE(a->IsDisjoint(*c));

    ASSERT_EQ(a->AppendItems(*b, false), 0);
    EXPECT_EQ(IdsOf(*a), (std::vector<int>{5, 3, 9, 4}));
    ASSERT_EQ(a->AppendItems(*b, true), 0);
    EXPECT_EQ(IdsOf(*a), (std::vector<int>{5, 3, 9, 4, 3, 4}));
    a->AddItem(nullptr);
    a->SortById();
    EXPECT_EQ(IdsOf(*a), (std::vector<int>{3, 3, 4, 4, 5, 9, -1}));
    EXPECT_EQ(a->FindByName("9"), 5);
    EXPECT_EQ(a->FindByName("8"), -1);

    ASSERT_EQ(a->ReplaceItems(*c, false), 0);
    EXPECT_EQ(IdsOf(*a), (std::vector<int>{1, 2}));
    ASSERT_EQ(a->Absorb(*b), 0);
    EXPECT_EQ(IdsOf(*a), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(a->TotalCount(), 4);
    EXPECT_EQ(b->ItemCount(), 0);
}

TEST(RecordListMembers, RemovingAMemberAndTheKeepTotalFlag) {
    std::unique_ptr<CS3Index> a(ListOf({1, 2, 3}));
    ASSERT_EQ(a->RemoveItemAt(1), 0);
    EXPECT_EQ(IdsOf(*a), (std::vector<int>{1, 3}));
    EXPECT_EQ(a->TotalCount(), 2);
    a->SetKeepTotal(true);
    ASSERT_EQ(a->RemoveItemAt(0), 0);
    EXPECT_EQ(a->TotalCount(), 2);
    EXPECT_EQ(a->RemoveItemAt(5), -99);
}

TEST(RecordListMembers, IdentifiersTravelThroughAStoreRow) {
    std::unique_ptr<CS3Index> a(ListOf({7, 8, 7}));
    CS3Data store;
    ASSERT_EQ(a->SaveToStore("members", store, true), 0);
    store.AddSubItem("_lastid", false, nullptr);
    std::unique_ptr<CS3Index> b(new CS3Index());
    ASSERT_EQ(b->LoadFromStore("members", store), 0);
    EXPECT_EQ(IdsOf(*b), (std::vector<int>{7, 8}));
    EXPECT_EQ(b->LoadFromStore("missing", store), -110);
}

// --- Name-value record sets. ---

class ItemSet : public CS3DBNURecords {
public:
    int TableName(NUString& buffer) override { return buffer.Set("TM_ITEM"); }
    int PrepareSelect(CS3DataDB& buffer) override {
        AppendItem(buffer.SelectList(), "ID", "", 1);
        AppendItem(buffer.SelectList(), "Name", "", 1);
        return AppendItem(buffer.OrderList(), "ID", "1", 1);
    }
    int AddKeyConditions(CS3DataDB& buffer) override {
        if (!name.empty()) SetItem(buffer.EqList(), "Name", name.c_str(), kItemText);
        return from.empty() ? 0 : SetItem(buffer.GeList(), "ID", from.c_str(), 1);
    }
    std::string from, name;
};

TEST(RecordSetCount, TheCompanyTermAndTheOrderAreLeftOut) {
    auto condition = [](CS3DataDB& b) {
        std::string out;
        EXPECT_EQ(CountConditionOf(b, out), 0);
        return out;
    };
    CS3DataDB b;
    b.SetTable("T");
    AppendItem(b.GeList(), "a", "1", kItemNumber);
    AppendItem(b.EqList(), "x.SID_CORPORATE", "1", kItemNumber);
    AppendItem(b.EqList(), "ID", "5", kItemNumber);
    AppendItem(b.OrderList(), "x", "1", kItemNumber);
    EXPECT_EQ(condition(b), "a>=1 AND ID=5");
    CS3DataDB company;
    AppendItem(company.EqList(), "SID_CORPORATE", "1", kItemNumber);
    EXPECT_EQ(condition(company), "");
    CS3DataDB none;
    EXPECT_EQ(condition(none), "");
}

TEST_F(RecordListDb, ARecordSetCountIsNotShapedBySearchText) {
    Open(3);
    ItemSet set;
    set.name = "n2' order by ID";
    set.SetPage(0, 20);
    ASSERT_EQ(set.LoadFirst(), 0);
    EXPECT_EQ(set.TotalCount(), 0);
    EXPECT_EQ(CountStatements("and Name=N'n2'' order by ID'"), 1);
}

TEST_F(RecordListDb, ARecordSetOverAJoinReadsEachValueAtItsPosition) {
    Open(2);
    ASSERT_EQ(Execute("INSERT INTO TM_TAG VALUES (1, 2, 'red')"), 0);
    class JoinSet : public CS3DBNURecords {
        int TableName(NUString& buffer) override {
            return buffer.Set("TM_ITEM AS a LEFT OUTER JOIN TM_TAG AS b ON a.ID=b.ITEM_ID");
        }
        int PrepareSelect(CS3DataDB& buffer) override {
            return AppendItem(buffer.OrderList(), "a.ID", "1", kItemNumber);
        }
    } set;
    ASSERT_EQ(set.LoadFirst(), 0);
    ASSERT_EQ(set.RowCount(), 2);
    EXPECT_EQ(set.ColumnCount(), 6);
    EXPECT_STREQ(set.Value(1, "ID"), "2");
    EXPECT_STREQ(set.Value(1, "ITEM_ID"), "2");
    EXPECT_STREQ(set.Value(1, "TAG"), "red");
    EXPECT_STREQ(set.Value(0, "TAG"), "");
}

TEST_F(RecordListDb, ARecordSetPageIsCountedAndReadIntoNameValueRows) {
    Open(45);
    ItemSet set;
    set.SetPage(40, 20);
    ASSERT_EQ(set.LoadFirst(), 0);
    EXPECT_EQ(set.TotalCount(), 45);
    ASSERT_EQ(set.RowCount(), 5);
    ASSERT_EQ(set.ColumnCount(), 2);
    EXPECT_STREQ(set.ColumnName(1), "Name");
    EXPECT_STREQ(set.Value(0, "name"), "n41");
    EXPECT_STREQ(set.ValueAt(4, 0), "45");
    EXPECT_EQ(CountStatements("select top 60 ID,Name FROM TM_ITEM"), 1);

    ItemSet later;
    later.from = "10";
    later.SetPage(0, 20);
    ASSERT_EQ(later.LoadFirst(), 0);
    EXPECT_EQ(later.TotalCount(), 36);
    EXPECT_EQ(later.RowCount(), 20);
    EXPECT_STREQ(later.Value(0, "ID"), "10");

    ItemSet all;
    ASSERT_EQ(all.LoadFirst(), 0);
    EXPECT_EQ(all.RowCount(), 45);
    EXPECT_EQ(all.TotalCount(), 45);
}

// A member whose fields cannot be read from the row of identifier 2.
class RefusingItem : public Item {
public:
    int GetFields(CS3Data& buffer) override {
        int rc = Item::GetFields(buffer);
        return rc == 0 && std::string(name.Value()) == "n2" ? -99 : rc;
    }
};

// Each read stops before the last of its rows; afterwards another
// connection, which does not wait, must be able to write the database.
TEST_F(RecordListDb, ReadsThatStopBeforeTheEndLetGoOfTheDatabase) {
    ASSERT_EQ(OpenSessionDb(dir, ItemsScript(3) +
                                     "CREATE TABLE TM_OFFICE (SID_CORPORATE INT, Name NVARCHAR(255));"
                                     "INSERT INTO TM_OFFICE VALUES (1, 'a'), (1, 'b'), (1, 'c');"),
              "");
    struct Read {
        const char* name;
        std::function<int()> run;
        int expected;
    };
    const Read reads[] = {
        {"the office's first row", [] { return CXioOffice().LoadFirst(); }, 0},
        {"a list page of one row",
         [] {
             Items items;
             items.SetPage(0, 1);
             return items.LoadFirst();
         },
         0},
        {"member fields up to a member that cannot read its row",
         [] {
             Items items;
             for (int id : {1, 2, 3}) {
                 CS3Object* member = new RefusingItem();
                 member->SetIdInt(id);
                 items.AddItem(member);
             }
             return LoadListMembers(items, "ID");
         },
         -99},
    };
    SqliteHolder other(SessionDbPath(dir));
    for (const Read& read : reads) {
        SCOPED_TRACE(read.name);
        EXPECT_EQ(read.run(), read.expected);
        EXPECT_EQ(other.Exec("UPDATE TM_ITEM SET HITS = HITS + 1 WHERE SID_CORPORATE = 2"), "");
        DBCloseRecordset();
    }
}

TEST(RecordSetRows, RowsAndColumnsByNameOrPosition) {
    CS3NURecords set;
    int row = set.AddRow();
    ASSERT_EQ(row, 0);
    ASSERT_EQ(set.SetValue(row, "ID", "4"), 0);
    ASSERT_EQ(set.SetValue(row, "Name", "four"), 0);
    ASSERT_EQ(set.SetValue(row, "name", "FOUR"), 0);
    ASSERT_EQ(set.AddRow(), 1);
    EXPECT_EQ(set.ColumnCount(), 2);
    EXPECT_STREQ(set.Value(0, "NAME"), "FOUR");
    EXPECT_STREQ(set.Value(1, "Name"), "");
    EXPECT_EQ(set.RemoveColumn("id"), 0);
    EXPECT_EQ(set.RemoveColumn("id"), -110);
    EXPECT_STREQ(set.Value(0, "ID"), "");
    EXPECT_EQ(set.RemoveRow(0), 0);
    EXPECT_EQ(set.RowCount(), 1);
    EXPECT_EQ(set.RemoveRow(3), -99);
}

}  // namespace
