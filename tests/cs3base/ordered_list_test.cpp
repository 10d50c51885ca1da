// Moving rows within the SEQNO order of a list, against real SQLite files.
#include "cs3base/ordered_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "db/session.h"
#include "env/environment.h"
#include "support/session_db.h"
#include "support/session_test.h"
#include "support/sqlite_db.h"
#include "support/temp_dir.h"

namespace {

// Rows A..F of group 1 with order numbers 1..6, and the same identifiers for
// company 2, which no move may touch.
const char kSchema[] =
    "CREATE TABLE TM_ITEM (SID_CORPORATE INT NOT NULL, ID INT NOT NULL, Name NVARCHAR(63),"
    " SEQNO INT, GRP INT, updtime NVARCHAR(14), PRIMARY KEY (SID_CORPORATE, ID));"
    "INSERT INTO TM_ITEM (SID_CORPORATE, ID, Name, SEQNO, GRP) VALUES"
    " (1,1,'A',1,1),(1,2,'B',2,1),(1,3,'C',3,1),(1,4,'D',4,1),(1,5,'E',5,1),(1,6,'F',6,1),"
    " (2,1,'a',1,1),(2,2,'b',2,1),(2,3,'c',3,1),(2,4,'d',4,1),(2,5,'e',5,1),(2,6,'f',6,1);";

class ItemList : public CS3DBIndex {
public:
    int TableName(NUString& buffer) override { return buffer.Set("TM_ITEM"); }
    int ListCondition(NUString& out) override { return out.Set(condition.c_str()); }
    int ExtraSetColumn(NUString& out) override { return out.Set(stamp.c_str()); }

    std::string condition;
    std::string stamp;
};

class OrderedListTest : public SessionDbTest {
protected:
    void SetUp() override { Open(kSchema); }

    int Move(std::vector<const char*> ids, const char* target, char direction) {
        return list.MoveItems(ids.data(), static_cast<int>(ids.size()), target, direction);
    }

    // "A1 B2 ..." of one group and company after committing the move.
    std::string Order(int company = 1, int group = 1) {
        return Scalar("select group_concat(Name || SEQNO, ' ') from (select Name, SEQNO from"
                      " TM_ITEM where SID_CORPORATE=" + std::to_string(company) +
                      " and GRP=" + std::to_string(group) + " order by SEQNO)");
    }

    ItemList list;
};

// Moves from the order A1..F6, each reset before the next; company 2's rows
// never move.
TEST_F(OrderedListTest, RowsMoveBeforeOrAfterTheTarget) {
    const struct {
        std::vector<const char*> ids;
        const char* target;
        char direction;
        const char* order;
        std::vector<std::string> before, after;  // the moved rows on each side
    } rows[] = {
        {{"5"}, "2", '+', "A1 E2 B3 C4 D5 F6", {}, {"5"}},
        {{"5"}, "2", '-', "A1 B2 E3 C4 D5 F6", {}, {"5"}},
        {{"2"}, "5", 'x', "A1 C2 D3 E4 B5 F6", {"2"}, {}},
        {{"2"}, "5", '+', "A1 C2 D3 B4 E5 F6", {"2"}, {}},
        // Given out of order: F (after), B (before), E (after), target D.
        {{"6", "2", "5"}, "4", '+', "A1 C2 B3 E4 F5 D6", {"2"}, {"5", "6"}},
        {{"6", "2", "5"}, "4", '-', "A1 C2 D3 B4 E5 F6", {"2"}, {"5", "6"}},
        // The target among the identifiers is left out.
        {{"1", "3"}, "3", '-', "B1 C2 A3 D4 E5 F6", {"1"}, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.order);
        ASSERT_EQ(Execute("update TM_ITEM set SEQNO=ID where SID_CORPORATE=1"), 0);
        EXPECT_EQ(Move(row.ids, row.target, row.direction), 0);
        EXPECT_EQ(Order(), row.order);
        EXPECT_EQ(list.MovedBefore(), row.before);
        EXPECT_EQ(list.MovedAfter(), row.after);
    }
    EXPECT_EQ(Order(2), "a1 b2 c3 d4 e5 f6");
}

TEST_F(OrderedListTest, TheListConditionLimitsTheMoveAndTheStampMarksRenumberedRows) {
    list.condition = "GRP=1";
    list.stamp = "updtime";
    // Group 2's rows share order numbers 3 and 4 with C and D.
    ASSERT_EQ(Execute("insert into TM_ITEM (SID_CORPORATE, ID, Name, SEQNO, GRP) values"
                      " (1,7,'G',3,2),(1,8,'H',4,2)"),
              0);
    EXPECT_EQ(Move({"5"}, "2", '+'), 0);
    EXPECT_EQ(Order(), "A1 E2 B3 C4 D5 F6");
    EXPECT_EQ(Order(1, 2), "G3 H4");
    std::string stamped = SqliteScalar(
        SessionDbPath(dir), "select group_concat(Name, '') from (select Name from TM_ITEM"
                            " where updtime is not null and length(updtime)=14 order by Name)");
    EXPECT_EQ(stamped, "BCDE");
    // A target outside the list is not found.
    EXPECT_EQ(Move({"5"}, "7", '+'), kMoveNoTarget);
}

// Moves refused before any row moves; read loosely, each identifier that is
// not a whole int would name rows 1, 2 or 5.
TEST_F(OrderedListTest, RefusedMoves) {
    std::vector<std::string> texts(101, "1");
    std::vector<const char*> many;
    for (const std::string& t : texts) many.push_back(t.c_str());
    EXPECT_EQ(Move(many, "2", '+'), kMoveTooMany);
    EXPECT_TRUE(Statements().empty());
    const struct {
        std::vector<const char*> ids;
        const char* target;
        int result;
    } rows[] = {
        {{"5"}, "12345678901", -99},     {{"5"}, "", -99},
        {{"5"}, nullptr, -99},           {{"5"}, "99", kMoveNoTarget},
        {{"2", "2"}, "2", kMoveNothingToMove}, {{"50", "51"}, "2", kMoveNothingToMove},
        {{}, "2", -99},                  {{"4294967297"}, "5", -99},
        {{"1x"}, "5", -99},              {{" 1"}, "5", -99},
        {{"5"}, "4294967298", -99},      {{"5"}, "2x", -99},
        {{"5"}, "+2", -99},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.ids.empty() ? "(none)" : row.ids[0]) + " to " +
                     (row.target ? row.target : "(null)"));
        EXPECT_EQ(Move(row.ids, row.target, '+'), row.result);
    }
    EXPECT_EQ(Order(), "A1 B2 C3 D4 E5 F6");
}

TEST_F(OrderedListTest, StatementsAsIssued) {
    ASSERT_EQ(Move({"5"}, "2", '+'), 0);
    std::vector<std::string> expected = {
        "select SID_CORPORATE from TM_ITEM with(updlock) where SID_CORPORATE=1",
        "select SEQNO from TM_ITEM where SID_CORPORATE=1 and ID=2",
        "select ID,SEQNO from TM_ITEM where SID_CORPORATE=1 and ID in (5) order by SEQNO",
        "update f set SEQNO=rownumcnt+2 from (select SEQNO, row_number() over(order by SEQNO)"
        " as rownumcnt from TM_ITEM where SID_CORPORATE=1 and SEQNO>=2 and SEQNO<5 and"
        " ID not in (5)) as f",
        "update f set SEQNO=rownumcnt+1 from (select SEQNO, row_number() over(order by SEQNO)"
        " as rownumcnt from TM_ITEM where SID_CORPORATE=1 and ID in (5)) as f",
    };
    std::vector<std::string> seen;
    for (const std::string& s : Statements()) {
        if (s != "BeginTransaction") seen.push_back(s);
    }
    EXPECT_EQ(seen, expected);
}

TEST(OrderedListStatements, ListConditionAndStamp) {
    OrderedListNames names{"TM_MEMBER", "SEQNO", "ID", "GID=7", "updtime", 3};
    EXPECT_EQ(MoveLockStatement(names),
              "select SID_CORPORATE from TM_MEMBER with(updlock) where SID_CORPORATE=3 and GID=7");
    EXPECT_EQ(TargetSeqnoStatement(names, 12),
              "select SEQNO from TM_MEMBER where SID_CORPORATE=3 and ID=12 and GID=7");
    EXPECT_EQ(IdListCondition(names, {4, 9}, true), "ID not in (4,9) and GID=7");
    EXPECT_EQ(RenumberStatement(names, 5, "20240102030405", "GID=7"),
              "update f set SEQNO=rownumcnt+5,updtime='20240102030405' from (select"
              " SEQNO,updtime, row_number() over(order by SEQNO) as rownumcnt from TM_MEMBER"
              " where GID=7) as f");
    EXPECT_EQ(BeforeGapCondition(names, '-', 6, 2, "ID not in (2)"),
              "SID_CORPORATE=3 and SEQNO<=6 and SEQNO>2 and ID not in (2)");
    EXPECT_EQ(AfterGapCondition(names, '+', 2, 5, "ID not in (5)"),
              "SID_CORPORATE=3 and SEQNO>=2 and SEQNO<5 and ID not in (5)");
}

}  // namespace
