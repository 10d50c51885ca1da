// Reads of result columns by name (the statement buffer learns where each
// name lies once per result), list loads and bounded field values (their
// buffers grow with what they hold) answer as the plain rules say, over
// random tables, column orders, read plans and store sequences.
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "cs3base/field_value.h"
#include "cs3base/record_buffer.h"
#include "cs3base/record_list.h"
#include "db/session.h"
#include "env/environment.h"
#include "support/db_value.h"
#include "support/session_db.h"
#include "support/sqlite_db.h"
#include "support/temp_dir.h"

namespace {

enum Kind { kText, kInt, kDate, kDateTime };

struct Read {
    std::string name;
    Kind kind;
};

const char* const kTypes[] = {"INT", "NVARCHAR(20)", "DECIMAL(10,2)", "REAL", ""};
const char* const kValues[] = {
    "NULL",  "0",    "-7", "'12.0'",  "' 7'",       "'2026-12-06 10:00:00'",
    "'abc'", "12.5", "''", "'-3.9x'", "'20261206'", "4000000000"};
const char* const kAliases[] = {"a", "A", "b", "B", "ID", "id", "Name"};

int Below(std::mt19937& random, int n) {
    return std::uniform_int_distribution<int>(0, n - 1)(random);
}

// The rules: a name reads the first column of that name, letter case
// ignored (none: -111, the field untouched); NULL reads as ""; an integer
// read drops what follows the digits when a decimal point follows them,
// after leading blanks; a date read keeps the first 8 digits, a stamp 14.
std::string Expected(const SqliteResult& result, size_t row, const Read& read) {
    if (row >= result.rows.size()) return "-110:";
    size_t column = 0;
    while (column < result.names.size() && !SameNameNoCase(result.names[column], read.name)) ++column;
    if (column == result.names.size()) return "-111:";
    std::string text = result.rows[row][column].value_or("");
    if (read.kind == kInt) {
        size_t start = 0;
        while (start < text.size() && (text[start] == ' ' || text[start] == '\t')) ++start;
        text.erase(0, start);
        size_t end = text.empty() || (text[0] != '-' && text[0] != '+') ? 0 : 1;
        while (end < text.size() && std::isdigit(static_cast<unsigned char>(text[end]))) ++end;
        if (end < text.size() && text[end] == '.') text.resize(end);
    } else if (read.kind != kText) {
        std::string digits;
        for (char c : text) {
            if (std::isdigit(static_cast<unsigned char>(c)) &&
                digits.size() < (read.kind == kDate ? 8u : 14u)) {
                digits += c;
            }
        }
        text = digits;
    }
    return "0:" + text;
}

std::string Actual(CS3DataDB& buffer, const Read& read) {
    CS3String field;
    int rc = read.kind == kText   ? buffer.GetColumn(read.name.c_str(), field)
             : read.kind == kInt  ? buffer.GetColumnInt(read.name.c_str(), field)
             : read.kind == kDate ? buffer.GetColumnDate(read.name.c_str(), field)
                                  : buffer.GetColumnDateTime(read.name.c_str(), field);
    return std::to_string(rc) + ":" + field.Value();
}

class Member : public CS3Object {
public:
    int GetFields(CS3Data& buffer) override { return buffer.GetColumn("Name", name); }
    CS3String name;
};

class Members : public CS3DBIndex {
public:
    int TableName(NUString& buffer) override { return buffer.Set("TM_ITEM"); }
    int PrepareSelect(CS3DataDB& buffer) override {
        return AppendItem(buffer.OrderList(), "ID", "1", kItemNumber);
    }
    CS3Object* NewItem() override { return new Member(); }
};

class RecordReadDifferential : public ::testing::Test {
protected:
    void SetUp() override { SKIP_WITHOUT_SQLITE(); }
    void TearDown() override { ReleaseEnvironment(); }
    TempDir dir;
};

TEST_F(RecordReadDifferential, ColumnsByNameAndListsAnswerAsTheRules) {
    std::mt19937 random(20261208);
    std::string script = "CREATE TABLE TM_ITEM (SID_CORPORATE INT, ID INT, Name NVARCHAR(20));";
    std::vector<std::string> tables;
    for (int t = 0; t < 30; ++t) {
        int columns = 1 + Below(random, 4);
        std::string table = "t" + std::to_string(t);
        script += "CREATE TABLE " + table + " (";
        for (int c = 0; c < columns; ++c)
            script += (c ? ", c" : "c") + std::to_string(c) + " " + kTypes[Below(random, 5)];
        script += ");";
        for (int r = Below(random, 5); r > 0; --r) {
            script += "INSERT INTO " + table + " VALUES (";
            for (int c = 0; c < columns; ++c)
                script += (c ? ", " : "") + std::string(kValues[Below(random, 12)]);
            script += ");";
        }
        // Two selects of the table's columns under random aliases, in
        // different orders: one buffer reads both.
        for (int s = 0; s < 2; ++s) {
            std::string select = "SELECT ";
            for (int k = 1 + Below(random, 4); k > 0; --k) {
                select += "c" + std::to_string(Below(random, columns)) + " AS " +
                          kAliases[Below(random, 7)] + (k > 1 ? ", " : "");
            }
            tables.push_back(select + " FROM " + table + " ORDER BY rowid");
        }
    }
    // Identifiers in order with repeats (one record on several rows).
    for (int id = 1, row = 0; row < 40; ++row) {
        id += Below(random, 3) == 0 ? 0 : 1 + Below(random, 2);
        script += "INSERT INTO TM_ITEM VALUES (1, " + std::to_string(id) + ", 'n" +
                  std::to_string(row) + "');";
    }
    ASSERT_EQ(OpenSessionDb(dir, script), "");

    for (size_t q = 0; q < tables.size(); q += 2) {
        std::vector<Read> plan;
        for (int k = 1 + Below(random, 6); k > 0; --k) {
            plan.push_back({Below(random, 8) == 0 ? "zz" : kAliases[Below(random, 7)],
                            Kind(Below(random, 4))});
        }
        CS3DataDB buffer;
        for (size_t s = q; s < q + 2; ++s) {
            SCOPED_TRACE(tables[s]);
            SqliteResult reference = SqliteQuery(SessionDbPath(dir), tables[s]);
            ASSERT_EQ(reference.error, "");
            ASSERT_EQ(DBExecute(nullptr, tables[s].c_str(), 0, 0), 0);
            for (size_t row = 0; row <= reference.rows.size(); ++row) {
                for (const Read& read : plan) {
                    SCOPED_TRACE("row " + std::to_string(row) + " " + read.name);
                    EXPECT_EQ(Actual(buffer, read), Expected(reference, row, read));
                }
                EXPECT_EQ(buffer.NextRow(), row + 1 < reference.rows.size() ? 0 : -110);
            }
        }
    }

    // A list: the rows in order, a row with the identifier of the row
    // before it adds nothing, each member its row's identifier and name.
    Members list;
    ClearStatements();
    ASSERT_EQ(list.LoadFirst(), 0);
    std::string select;
    for (const std::string& s : Statements()) {
        if (select.empty() && s.rfind("SELECT", 0) == 0) select = s;
    }
    SqliteResult rows = SqliteQuery(SessionDbPath(dir), select);
    ASSERT_EQ(rows.error, "") << select;
    std::vector<std::string> expected, actual;
    for (size_t r = 0; r < rows.rows.size(); ++r) {
        auto id = Expected(rows, r, {"ID", kText}), name = Expected(rows, r, {"Name", kText});
        if (r > 0 && id == Expected(rows, r - 1, {"ID", kText})) continue;
        expected.push_back(id.substr(2) + "=" + name.substr(2));
    }
    for (int i = 0; i < list.ItemCount(); ++i) {
        auto* member = static_cast<Member*>(list.ItemAt(i));
        actual.push_back(std::string(member->IdText()) + "=" + member->name.Value());
    }
    EXPECT_EQ(actual, expected);
}

// A bounded value takes a text shorter than its capacity (up to the first
// NUL within the length given) and refuses a longer one with -62, keeping
// what it held; Append refuses a sum that reaches the capacity; Clear
// empties it.
TEST(FieldValueDifferential, BoundedValuesHoldWhatTheRulesSay) {
    std::mt19937 random(20261208);
    const int kCapacities[] = {1, 2, 15, 16, 17, 33, 64, 253};
    for (int capacity : kCapacities) {
        for (int sequence = 0; sequence < 20; ++sequence) {
            CS3String value(capacity);
            std::string held;
            for (int step = 0; step < 12; ++step) {
                std::string text(static_cast<size_t>(Below(random, capacity + 40)), 'a');
                for (char& c : text) c = static_cast<char>('a' + Below(random, 26));
                if (!text.empty() && Below(random, 8) == 0) {
                    text[static_cast<size_t>(Below(random, static_cast<int>(text.size())))] = '\0';
                }
                std::string prefix = text.c_str();
                int op = Below(random, 4);
                int rc = 0, expected = 0;
                if (op == 0) {
                    int length = Below(random, static_cast<int>(text.size()) + 1);
                    rc = value.SetN(text.data(), length);
                    std::string taken = prefix.substr(0, static_cast<size_t>(length));
                    expected = taken.size() >= static_cast<size_t>(capacity) ? -62 : 0;
                    if (expected == 0) held = taken;
                } else if (op == 1) {
                    rc = value.Append(text.c_str());
                    bool full = held.size() + prefix.size() >= static_cast<size_t>(capacity);
                    expected = !prefix.empty() && full ? -62 : 0;
                    if (expected == 0) held += prefix;
                } else if (op == 2) {
                    rc = value.SetN(value.Value(), static_cast<int>(strlen(value.Value())));
                } else {
                    value.Clear();
                    held.clear();
                }
                SCOPED_TRACE("capacity " + std::to_string(capacity) + " op " + std::to_string(op));
                ASSERT_EQ(rc, expected);
                ASSERT_EQ(std::string(value.Value()), held);
            }
        }
    }
}

}  // namespace
