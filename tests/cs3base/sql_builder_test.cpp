// Tests of the SQL statement builder: whole statements, clause order, value
// kinds, escaping, like patterns, qualification and the value limit.
#include "cs3base/sql_builder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "env/environment.h"

namespace {

std::string Conditions(const CS3DataDB& buffer) {
    std::string out;
    EXPECT_EQ(0, BuildConditions(buffer, out));
    return out;
}

// An item of a buffer's list, or with list null a column of its row.
using List = CS3ItemList& (CS3DataDB::*)();
struct Item {
    List list;
    const char* name;
    const char* value;
    int kind;
};
const List sel = &CS3DataDB::SelectList, order = &CS3DataDB::OrderList, ge = &CS3DataDB::GeList,
           le = &CS3DataDB::LeList, eq = &CS3DataDB::EqList, ne = &CS3DataDB::NeList,
           like = &CS3DataDB::LikeList, in = &CS3DataDB::InList;

void Fill(CS3DataDB& b, const std::vector<Item>& items) {
    for (const Item& item : items) {
        if (item.list == nullptr) {
            b.SetColumn(item.name, item.value, false, item.kind);
        } else {
            AppendItem((b.*item.list)(), item.name, item.value, item.kind);
        }
    }
}

int Select(CS3DataDB& b) { return BuildSelectWithGroup(b, false); }
int Distinct(CS3DataDB& b) { return BuildSelectWithGroup(b, true); }
int Count(CS3DataDB& b) { return BuildCount(b, nullptr); }
int CountDistinctId(CS3DataDB& b) { return BuildCount(b, "DISTINCT ID"); }

class SqlBuilderWithEnv : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(0, CreateAppEnvironment()); }
    void TearDown() override { ReleaseEnvironment(); }
};

}  // namespace

// Statements built in turn from one buffer: each builder's result, the
// statement (null: not looked at) and its one bound value (null: none).
TEST_F(SqlBuilderWithEnv, Statements) {
    struct Built {
        int (*build)(CS3DataDB&);
        int result;
        const char* statement;
        const char* param = nullptr;
    };
    struct Row {
        const char* what;
        const char* table;
        std::vector<Item> items;
        std::vector<Built> built;
        const char* groupBy = "";
    };
    const Row rows[] = {
        {"select list, conditions and order",
         "TM_OFFICE",
         {{sel, "ID", "", kItemText}, {sel, "Name", "", kItemText},
          {eq, "SID_CORPORATE", "1", kItemNumber}, {eq, "ID", "5", kItemNumber},
          {order, "SEQNO", "1", kItemText}},
         {{Select, 0,
           "SELECT ID,Name FROM TM_OFFICE WHERE SID_CORPORATE=1 AND ID=5 ORDER BY SEQNO"}}},
        {"star, distinct, order directions and group by",
         "TM_USER",
         {{order, "SEQNO", "1", kItemText}, {order, "Name", "-1", kItemText}},
         {{Distinct, 0,
           "SELECT DISTINCT * FROM TM_USER ORDER BY SEQNO,Name DESC group by Name,SEQNO"}},
         "Name,SEQNO"},
        {"no table", "", {}, {{BuildSelectForUpdate, -62, ""}, {Select, -62, ""}}},
        {"no conditions", "T", {}, {{Select, 0, "SELECT * FROM T"}}},
        {"locking, count and maximum",
         "TM_GROUP",
         {{sel, "LASTID", "", kItemText}, {eq, "SID_CORPORATE", "1", kItemNumber},
          {order, "SEQNO", "1", kItemText}},
         {{BuildSelectForUpdate, 0,
           "SELECT LASTID FROM TM_GROUP with(updlock) WHERE SID_CORPORATE=1 ORDER BY SEQNO"},
          {Count, 0, "SELECT count(SID_CORPORATE) FROM TM_GROUP WHERE SID_CORPORATE=1"},
          {CountDistinctId, 0, "SELECT count(DISTINCT ID) FROM TM_GROUP WHERE SID_CORPORATE=1"},
          {BuildMaxSeqno, 0, "select max(SEQNO) from TM_GROUP where SID_CORPORATE=1"}}},
        {"a table list works on its first table",
         "TM_USER a,TM_GROUP b",
         {{eq, "a.DEFGROUP", "b.ID", kItemNumber}},
         {{BuildSelectForUpdate, 0,
           "SELECT * FROM TM_USER a with(updlock),TM_GROUP b WHERE a.DEFGROUP=b.ID"},
          {Count, 0,
           "SELECT count(a.SID_CORPORATE) FROM TM_USER a,TM_GROUP b WHERE a.DEFGROUP=b.ID"},
          {BuildMaxSeqno, 0, "select max(a.SEQNO) from TM_USER a,TM_GROUP b where a.DEFGROUP=b.ID"},
          {BuildDelete, 0, "DELETE a FROM TM_USER a,TM_GROUP b WHERE a.DEFGROUP=b.ID"}}},
        {"insert with key columns",
         "TM_OFFICE",
         {{nullptr, "Name", "Main office", kItemText}, {nullptr, "Tel", "03-1234", kItemText},
          {eq, "SID_CORPORATE", "1", kItemNumber}, {eq, "ID", "3", kItemNumber}},
         {{BuildInsert, 0,
           "INSERT INTO TM_OFFICE (Name,Tel,SID_CORPORATE,ID) VALUES "
           "(N'Main office',N'03-1234',1,3)"}}},
        {"value kinds of an insert",
         "T",
         {{nullptr, "A", "x'y", kItemText}, {nullptr, "B", "", kItemText},
          {nullptr, "C", "7", kItemNumber}, {nullptr, "D", "", kItemNumber},
          {nullptr, "E", "20261206", kItemFixed2}, {nullptr, "F", "", kItemFixed3},
          {nullptr, "G", "long'text", kItemParam}, {nullptr, "H", "", kItemParam},
          {eq, "K1", "", kItemText}, {eq, "K2", "", kItemFixed2}, {eq, "K3", "k'", kItemParam}},
         {{BuildInsert, 0,
           "INSERT INTO T (A,B,C,D,E,F,G,H,K1,K2,K3) VALUES "
           "(N'x''y',NULL,7,NULL,'20261206',NULL,?,NULL,N'','',N'k''')",
           "long'text"}}},
        {"value kinds of an update without a condition",
         "T",
         {{nullptr, "A", "x'y", kItemText}, {nullptr, "B", "", kItemText},
          {nullptr, "C", "7", kItemNumber}, {nullptr, "D", "", kItemNumber},
          {nullptr, "E", "20261206", kItemFixed2}, {nullptr, "F", "", kItemFixed3},
          {nullptr, "G", "long'text", kItemParam}, {nullptr, "H", "", kItemParam}},
         // Built twice: the second build binds its value once, not twice.
         {{BuildUpdate, 0,
           "UPDATE T SET A=N'x''y',B=NULL,C=7,D=NULL,E='20261206',F=NULL,G=?,H=NULL",
           "long'text"},
          {BuildUpdate, 0, nullptr, "long'text"}}},
        {"an update's condition",
         "T",
         {{nullptr, "A", "x'y", kItemText}, {nullptr, "G", "long'text", kItemParam},
          {eq, "ID", "4", kItemNumber}},
         {{BuildUpdate, 0, "UPDATE T SET A=N'x''y',G=? WHERE ID=4", "long'text"}}},
        // A fixed text keeps the backslash before a line break.
        {"fixed texts with a backslash before a line break",
         "T",
         {{nullptr, "Code", "a\\\nb", kItemFixed2}, {eq, "Key", "k\\\n", kItemFixed3}},
         {{BuildInsert, 0, "INSERT INTO T (Code,Key) VALUES ('a\\\\\n\nb','k\\\\\n\n')"},
          {BuildUpdate, 0, "UPDATE T SET Code='a\\\\\n\nb' WHERE Key='k\\\\\n\n'"}}},
        {"carriage returns leave row values",
         "T",
         {{nullptr, "Memo", "a\\\r\nb\r\n", kItemText}, {eq, "ID", "1", kItemNumber}},
         {{BuildUpdate, 0, "UPDATE T SET Memo=N'a\\\\\n\nb\n' WHERE ID=1"}}},
        {"nothing to write",
         "T",
         {},
         {{BuildUpdate, -110, nullptr}, {BuildInsert, -110, nullptr},
          {BuildDelete, 0, "DELETE FROM T"}}},
        {"only keys to write",
         "T",
         {{eq, "SID_CORPORATE", "1", kItemNumber}},
         {{BuildInsert, 0, "INSERT INTO T (SID_CORPORATE) VALUES (1)"},
          {BuildDelete, 0, "DELETE FROM T WHERE SID_CORPORATE=1"}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        CS3DataDB b;
        b.SetTable(row.table);
        b.SetGroupBy(row.groupBy);
        Fill(b, row.items);
        for (const Built& built : row.built) {
            EXPECT_EQ(built.result, built.build(b));
            if (built.statement != nullptr) {
                EXPECT_EQ(built.statement, b.Statement());
            }
            EXPECT_EQ(built.param ? std::vector<std::string>{built.param}
                                  : std::vector<std::string>{},
                      b.Params());
        }
    }
    std::string sql = "old";
    EXPECT_EQ(-62, BuildSelect("", {}, "", {}, false, sql));
    EXPECT_EQ(-62, BuildSelect(nullptr, {}, "", {}, false, sql));
    EXPECT_EQ("", sql);
}

// Condition items (list, name, value, kind) in the order they are added,
// and the WHERE text they give.
TEST(SqlBuilderConditions, Terms) {
    struct Row {
        const char* what;
        std::vector<Item> items;
        const char* expected;
    };
    const Row rows[] = {
        {"lists in fixed order with kinds",
         {{in, "ID", "1,2", kItemNumber}, {in, "GID", "select ID from G", kItemText},
          {ne, "Kind", "3", kItemNumber}, {ne, "Code", "ab", kItemFixed2},
          {ne, "Name", "", kItemText}, {eq, "SID_CORPORATE", "1", kItemNumber},
          {le, "Start", "20261231", kItemFixed3}, {le, "Title", "m", kItemText},
          {ge, "SEQNO", "10", kItemNumber}, {ge, "Day", "20260101", kItemFixed2},
          {ge, "Kana", "a", kItemParam}},
         "SEQNO>=10 AND Day>='20260101' AND Kana>=N'a' AND Start<='20261231' AND Title<=N'm' AND "
         "SID_CORPORATE=1 AND Kind!=3 AND Code!='ab' AND Name!=N'' AND ID IN(1,2) AND "
         "GID NOT IN(select ID from G)"},
        {"equal items regrouped by name",
         {{eq, "ID", "1", kItemNumber}, {eq, "Name", "x", kItemText}, {eq, "ID", "2", kItemNumber}},
         "(ID=1 OR ID=2) AND Name=N'x'"},
        {"three of one name",
         {{eq, "ID", "1", kItemNumber}, {eq, "ID", "2", kItemNumber}, {eq, "ID", "3", kItemNumber}},
         "(ID=1 OR ID=2 OR ID=3)"},
        {"one name of mixed kinds",
         {{eq, "C", "a", kItemFixed2}, {eq, "C", "", kItemText}, {eq, "C", "b'c", kItemText}},
         "(C='a' OR C IS NULL OR C=N'b''c')"},
        {"empty text", {{eq, "Name", "", kItemText}}, "Name IS NULL"},
        {"empty fixed text", {{eq, "Name", "", kItemFixed2}}, "Name=''"},
        // The CR goes as it goes from stored values; the backslash before the
        // line break stays.
        {"escaped texts",
         {{eq, "Name", "O'Brien", kItemText}, {eq, "Memo", "a\\\r\nb", kItemText}},
         "Name=N'O''Brien' AND Memo=N'a\\\\\n\nb'"},
        {"a fixed text cannot end its literal",
         {{eq, "Day", "1' OR '1'='1", kItemFixed2}},
         "Day='1'' OR ''1''=''1'"},
        {"empty numbers compare as NULL",
         {{ge, "Low", "", kItemNumber}, {eq, "Num", "", kItemNumber}, {eq, "Name", "", kItemNumber},
          {eq, "Name", "2", kItemNumber}, {ne, "Gid", "", kItemNumber}},
         "Low>=NULL AND Num IS NULL AND (Name IS NULL OR Name=2) AND Gid IS NOT NULL"},
        {"like pattern and search text",
         {{like, "Name", "%abc%", kItemLikeUpperAnd}, {like, "Kana", "x'y", kItemText}},
         "UPPER(Name) LIKE UPPER(N'%abc%') AND Kana LIKE N'%x''y%'"},
        {"inner wildcard escaped", {{like, "Name", "%50%%", kItemLikeOr}}, "Name LIKE N'%50[%]%'"},
        {"like escapes and an empty pattern",
         {{like, "Name", "a[b%c", kItemLikeAnd}, {like, "Kana", "5%[", kItemText},
          {like, "Mail", "", kItemLikeAnd}},
         "Name LIKE N'a[[]b[%]c' AND Kana LIKE N'%5[%][[]%' AND Mail IS NULL"},
        {"an OR chain",
         {{eq, "SID_CORPORATE", "1", kItemNumber}, {like, "Name", "%a%", kItemLikeOr},
          {like, "Kana", "%a%", kItemLikeUpperOr}, {like, "Mail", "%a%", kItemLikeOr},
          {like, "Tel", "%1%", kItemLikeAnd}},
         "SID_CORPORATE=1 AND (Name LIKE N'%a%' OR UPPER(Kana) LIKE UPPER(N'%a%') OR "
         "Mail LIKE N'%a%') AND Tel LIKE N'%1%'"},
        // A single chain term ended by another kind is closed at once; the
        // last like item on its own is a plain term.
        {"single chain terms",
         {{eq, "SID_CORPORATE", "1", kItemNumber}, {like, "Name", "a", kItemLikeOr},
          {like, "Tel", "1", kItemLikeAnd}, {like, "Mail", "m", kItemLikeOr}},
         "SID_CORPORATE=1 AND (Name LIKE N'a') AND Tel LIKE N'1' AND Mail LIKE N'm'"},
        {"like items of one name",
         {{like, "Name", "a", kItemText}, {like, "Name", "b", kItemText}},
         "(Name LIKE N'%a%' OR Name LIKE N'%b%')"},
        {"a chain that starts the condition",
         {{like, "Name", "a", kItemLikeOr}, {like, "Kana", "b", kItemLikeOr},
          {in, "ID", "1", kItemNumber}},
         "(Name LIKE N'a' OR Kana LIKE N'b') AND ID IN(1)"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        CS3DataDB b;
        Fill(b, row.items);
        EXPECT_EQ(row.expected, Conditions(b));
    }
}

TEST(SqlBuilderConditions, ValueLimitOf4096Bytes) {
    for (int kind : {kItemText, kItemLikeOr, kItemParam}) {
        SCOPED_TRACE(kind);
        CS3DataDB ok, over;
        ok.SetTable("T");
        over.SetTable("T");
        CS3ItemList& okList = kind == kItemLikeOr ? ok.LikeList() : ok.EqList();
        CS3ItemList& overList = kind == kItemLikeOr ? over.LikeList() : over.EqList();
        AppendItem(okList, "Name", std::string(4096, 'x').c_str(), kind);
        AppendItem(overList, "Name", std::string(4097, 'x').c_str(), kind);
        EXPECT_EQ(0, BuildSelectWithGroup(ok, false));
        EXPECT_EQ(-62, BuildSelectWithGroup(over, false));
        EXPECT_EQ(-62, BuildDelete(over));
        EXPECT_EQ("", over.Statement());
        std::string text;
        EXPECT_EQ(-62, BuildConditions(over, text));
    }
    // Numbers and fixed texts are not limited.
    CS3DataDB number;
    number.SetTable("T");
    AppendItem(number.InList(), "ID", std::string(5000, '1').c_str(), kItemNumber);
    EXPECT_EQ(0, BuildDelete(number));
}

TEST(SqlBuilderEscape, EscapeRules) {
    struct Row {
        const char* value;
        const char* set;
        const char* expected;
    };
    const Row rows[] = {
        {"", nullptr, ""},
        {"it's", nullptr, "it''s"},
        {"''", nullptr, "''''"},
        {"a\\\r\nb", nullptr, "a\\\\\n\r\nb"},
        {"a\\\nb", nullptr, "a\\\\\n\nb"},
        {"a\\b\\", nullptr, "a\\b\\"},
        {"50%", "%[", "50[%]"},
        {"[x]'", "%[", "[[]x]''"},
        {"\xE6\x97\xA5\xE6\x9C\xAC'", nullptr, "\xE6\x97\xA5\xE6\x9C\xAC''"},
        {"N'--;", nullptr, "N''--;"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.value);
        EXPECT_EQ(row.expected, EscapeText(row.value, row.set));
    }
    char out[4] = "zz";
    EXPECT_EQ(0u, EscapeValue(out, nullptr, nullptr));
    EXPECT_STREQ("", out);
    // Worst cases fill exactly the documented room.
    std::string backslashes;
    for (int i = 0; i < 100; ++i) backslashes += "\\\n";
    EXPECT_EQ(400u, EscapeText(backslashes.c_str(), nullptr).size());
    EXPECT_EQ(300u, EscapeText(std::string(100, '%').c_str(), kLikeEscapeSet).size());
}

TEST(SqlBuilderQualify, ColumnQualification) {
    struct Row {
        const char* table;
        const char* alias;
        const char* expected;
    };
    const Row rows[] = {
        {"TM_OFFICE", "", "ID"},
        {"TM_OFFICE", nullptr, "ID"},
        {"TM_OFFICE", "u", "u.ID"},
        {"TM_USER a,TM_GROUP b", "", "a.ID"},
        {"TM_USER,TM_GROUP", "", "TM_USER.ID"},
        {"(select * from X) z,TM_GROUP b", "", "a.ID"},
        {"TM_USER AS a LEFT OUTER JOIN TM_GROUP AS b ON a.DEFGROUP=b.ID", "", "a.ID"},
        {"TM_USER AS a left outer join TM_GROUP AS b ON a.X=b.Y", "", "a.ID"},
        {"TM_USER a INNER JOIN TM_GROUP b ON a.X=b.Y", "", "a.ID"},
        {"X RIGHT OUTER JOIN Y", "", "a.ID"},
        {"TM_LEFT OUTERS", "", "ID"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.table);
        EXPECT_EQ(row.expected, QualifyColumn(row.table, row.alias, "ID"));
    }
}

TEST_F(SqlBuilderWithEnv, LongRowValuesUseTheSharedBuffer) {
    CS3DataDB b;
    b.SetTable("T");
    std::string big(10000, 'q');
    big[5000] = '\'';
    b.SetColumn("Memo", big.c_str(), false);
    ASSERT_EQ(0, BuildInsert(b));
    EXPECT_EQ(std::string("INSERT INTO T (Memo) VALUES (N'") + big.substr(0, 5001) + "'" +
                  big.substr(5001) + "')",
              b.Statement());
}

TEST(SqlBuilderNoEnv, TextRowValuesNeedTheEnvironment) {
    CS3DataDB b;
    b.SetTable("T");
    b.SetColumn("A", "x", false);
    EXPECT_EQ(-62, BuildInsert(b));
    EXPECT_EQ(-62, BuildUpdate(b));
    CS3DataDB key;
    key.SetTable("T");
    AppendItem(key.EqList(), "K", "k", kItemText);
    EXPECT_EQ(-62, BuildInsert(key));
    CS3DataDB numbers;
    numbers.SetTable("T");
    numbers.SetColumn("A", "1", false, kItemNumber);
    EXPECT_EQ(0, BuildInsert(numbers));
}

TEST_F(SqlBuilderWithEnv, CountRowsStatement) {
    const struct {
        std::vector<std::string> tables;
        const char* extra;
        const char* expected;
    } rows[] = {
        {{"TM_USER"}, nullptr,
         "select COUNT(TM_USER.SID_CORPORATE) from TM_USER where TM_USER.SID_CORPORATE=1"},
        {{"TM_USER a", "TM_GROUP b"}, "a.DEFGROUP=b.ID",
         "select COUNT( a.SID_CORPORATE) from TM_USER a,TM_GROUP b where  a.SID_CORPORATE=1 "
         "and a.DEFGROUP=b.ID"},
        {{"TM_USER a,TM_GROUP b"}, "",
         "select COUNT( a.SID_CORPORATE) from TM_USER a,TM_GROUP b where  a.SID_CORPORATE=1"},
        {{"TM_USER AS a LEFT OUTER JOIN TM_GROUP AS b ON a.X=b.Y"}, "",
         "select COUNT( a.SID_CORPORATE) from TM_USER AS a LEFT OUTER JOIN TM_GROUP AS b ON "
         "a.X=b.Y where  a.SID_CORPORATE=1"},
    };
    std::string sql;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.expected);
        ASSERT_EQ(0, BuildCountRows(row.tables, row.extra, sql));
        EXPECT_EQ(row.expected, sql);
    }
    EXPECT_EQ(-62, BuildCountRows({}, "", sql));
}
