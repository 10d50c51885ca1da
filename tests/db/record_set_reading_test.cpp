// Record sets read as the caller moves (columns by position or by name in
// any order, a commit or an early close in between) answer exactly as the
// whole result read at once: random and adversarial tables and queries.
#include <gtest/gtest.h>

#include <cctype>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "db/connection.h"
#include "db/driver.h"
#include "support/db_value.h"
#include "support/sqlite_db.h"
#include "support/temp_dir.h"

namespace {

// What the connection must answer for a result held whole in memory: the
// reference the streamed record set is compared with.
class WholeResult {
public:
    explicit WholeResult(SqliteResult read) : result(std::move(read)) {}

    bool AtEnd() const { return !open || row >= result.rows.size(); }
    bool Open() const { return open; }
    int Count() const { return open ? Columns() : 0; }
    int Columns() const { return static_cast<int>(result.names.size()); }
    const std::string& ColumnName(int index) const {
        return result.names[static_cast<size_t>(index)];
    }
    void Close() { open = false; }

    std::string MoveNext() {
        if (AtEnd()) return "-1008";
        ++row;
        return "0";
    }
    std::string Name(int index) const {
        if (!open || index < 0 || index >= Count()) return "-1007";
        return "0:" + result.names[static_cast<size_t>(index)];
    }
    // A name stands for the first column of that name, letter case ignored.
    int ColumnOf(const std::string& name) const {
        for (size_t i = 0; i < result.names.size(); ++i) {
            if (SameNameNoCase(result.names[i], name)) return static_cast<int>(i);
        }
        return -1;
    }
    // withKind: the value kind too (1 decimal or numeric, 2 long Unicode text).
    std::string Value(int index, bool withKind) const {
        if (!open) return "-1008";
        if (index < 0 || index >= Count()) return "-1013";
        if (AtEnd()) return "-1110";
        const std::optional<std::string>& cell = result.rows[row][static_cast<size_t>(index)];
        std::string text = "0:" + (cell ? "'" + *cell + "'" : std::string("NULL"));
        if (!withKind) return text;
        std::string type = result.declared[static_cast<size_t>(index)];
        type = type.substr(0, type.find('('));
        int kind = 0;
        if (type == "DECIMAL" || type == "NUMERIC") {
            kind = 1;
        } else if (type == "NTEXT" && cell) {
            kind = 2;
        }
        return text + ":k" + std::to_string(kind);
    }

private:
    SqliteResult result;
    bool open = true;
    size_t row = 0;
};

enum class Read { ByIndex, ByName, InPlace };

// The connection's answer to the same reads.
std::string StreamedValue(CdDBConnection& connection, Read how, int index, const char* name) {
    if (how == Read::InPlace) {
        const char* text = nullptr;
        int rc = connection.PeekValueByName(&text, name);
        if (rc != 0) return std::to_string(rc);
        return "0:" + (text ? "'" + std::string(text) + "'" : std::string("NULL"));
    }
    char* out = nullptr;
    int kind = -1;
    int rc = how == Read::ByName ? connection.GetValueByName(&out, name)
                                 : connection.GetValue(&out, index, &kind);
    std::string text = out ? "'" + std::string(out) + "'" : std::string("NULL");
    delete[] out;
    if (rc != 0) return std::to_string(rc);
    return "0:" + text + (how == Read::ByName ? "" : ":k" + std::to_string(kind));
}

std::string StreamedName(CdDBConnection& connection, int index) {
    char name[256] = "";
    int rc = connection.FieldName(name, index);
    return rc != 0 ? std::to_string(rc) : "0:" + std::string(name);
}

const char* const kTypes[] = {"INT",         "NVARCHAR(20)", "DECIMAL(10,2)", "NTEXT",
                              "VARCHAR(10)", "REAL",         "NUMERIC",       ""};
const char* const kValues[] = {
    "NULL", "''", "' '", "0", "-1", "2147483647", "9223372036854775807", "-9223372036854775808",
    "12.5", "-0.25", "1e300", "'x'", "'O''Brien'", "'日本語テキスト'", "'😀 done'", "'tail  '",
    "printf('%.5000c', 'y')", "'12'", "'abc'"};
const char* const kNames[] = {"id", "ID", "Id", "v", "V", "x", "c0", "C1", "nosuch"};
const int kRowCounts[] = {0, 1, 2, 3, 5, 17, 300};

template <class T, size_t N>
const T& Pick(std::mt19937& random, const T (&items)[N]) {
    return items[std::uniform_int_distribution<size_t>(0, N - 1)(random)];
}

int Below(std::mt19937& random, int n) {
    return std::uniform_int_distribution<int>(0, n - 1)(random);
}

// A table t of up to five columns c0.. of random declared types and rows of
// adversarial values, and the one-row table other that a change opens a
// transaction on.
std::string TableScript(std::mt19937& random, int* columns) {
    *columns = 1 + Below(random, 5);
    std::string script =
        "BEGIN; CREATE TABLE other (n INT); INSERT INTO other VALUES (0);"
        "CREATE TABLE t (";
    for (int c = 0; c < *columns; ++c) {
        script += (c ? ", c" : "c") + std::to_string(c) + " " + Pick(random, kTypes);
    }
    script += ");";
    int rows = Pick(random, kRowCounts);
    for (int r = 0; r < rows; ++r) {
        script += "INSERT INTO t VALUES (";
        for (int c = 0; c < *columns; ++c)
            script += (c ? ", " : "") + std::string(Pick(random, kValues));
        script += ");";
    }
    return script + "COMMIT;";
}

// A SELECT over t with columns, expressions and aliases whose names repeat.
std::string RandomQuery(std::mt19937& random, int columns) {
    const char* const kShapes[] = {"%", "%", "% || ''", "% + 0", "NULL", "length(%)", "1"};
    std::string sql = "select ";
    int items = 1 + Below(random, 6);
    for (int i = 0; i < items; ++i) {
        std::string shape = Pick(random, kShapes);
        std::string column = "c" + std::to_string(Below(random, columns));
        size_t at = shape.find('%');
        if (at != std::string::npos) shape.replace(at, 1, column);
        sql += (i ? ", " : "") + shape;
        if (Below(random, 2) == 0) sql += std::string(" AS ") + Pick(random, kNames);
    }
    sql += " from t";
    if (Below(random, 4) == 0) sql += " where rowid % 3 <> 1";
    sql += Below(random, 3) == 0 ? " order by rowid desc" : " order by rowid";
    return sql;
}

class RecordSetReading : public ::testing::Test {
protected:
    void SetUp() override { SKIP_WITHOUT_SQLITE(); }

    // Runs sql on the connection and on the reference, then random reads,
    // moves, commits and closes on both; false after the first difference,
    // reported with the steps that led to it.
    bool Compare(CdDBConnection& connection, const std::string& path, const std::string& sql,
                 std::mt19937& random) {
        WholeResult whole(SqliteQuery(path, sql));
        std::string steps = sql;
        auto same = [&](const std::string& step, const std::string& expected,
                        const std::string& streamed) {
            steps += "\n  " + step + " -> " + streamed;
            if (expected == streamed) return true;
            ADD_FAILURE() << steps << "   (whole: " << expected << ")";
            return false;
        };
        // A change first, so that a commit or rollback while reading has a
        // transaction to end.
        if (connection.Execute("UPDATE other SET n = n + 1", nullptr, 0, nullptr, 0) != 0 ||
            connection.Execute(sql.c_str(), nullptr, 0, nullptr, 0) != 0) {
            ADD_FAILURE() << sql << ": " << connection.LastMessage();
            return false;
        }
        int afterEnd = 0;
        for (int step = 0; afterEnd < 3 && step < 2000; ++step) {
            if (!same("open", whole.Open() ? "1" : "0", connection.IsRecordsetOpen() ? "1" : "0") ||
                !same("eof", whole.AtEnd() ? "1" : "0", connection.IsEOF() ? "1" : "0") ||
                !same("count", std::to_string(whole.Count()),
                      std::to_string(connection.FieldCount()))) {
                return false;
            }
            if (whole.AtEnd()) ++afterEnd;
            int choice = Below(random, 100);
            int index = Below(random, whole.Count() + 2) - 1;
            std::string name = Below(random, 2) == 0 && whole.Columns() > 0
                                   ? whole.ColumnName(Below(random, whole.Columns()))
                                   : Pick(random, kNames);
            bool ok = true;
            if (choice < 30) {
                ok = same("next", whole.MoveNext(), connection.MoveNext() == 0 ? "0" : "-1008");
            } else if (choice < 55) {
                ok = same("value " + std::to_string(index), whole.Value(index, true),
                          StreamedValue(connection, Read::ByIndex, index, nullptr));
            } else if (choice < 75) {
                ok = same("by name " + name, whole.Value(whole.ColumnOf(name), false),
                          StreamedValue(connection, Read::ByName, 0, name.c_str()));
            } else if (choice < 93) {
                ok = same("in place " + name, whole.Value(whole.ColumnOf(name), false),
                          StreamedValue(connection, Read::InPlace, 0, name.c_str()));
            } else if (choice < 96) {
                ok = same("name " + std::to_string(index), whole.Name(index),
                          StreamedName(connection, index));
            } else if (choice < 99) {
                bool commit = Below(random, 2) == 0;
                int rc = commit ? connection.Commit() : connection.Rollback(0);
                ok = same(commit ? "commit" : "rollback", "0", std::to_string(rc));
            } else {
                whole.Close();
                ok = same("close", "0", std::to_string(connection.CloseRecordset()));
            }
            if (!ok) return false;
        }
        connection.Rollback(0);
        connection.CloseRecordset();
        return true;
    }

    TempDir dir;
};

}  // namespace

TEST_F(RecordSetReading, StreamedRowsAnswerAsTheWholeResult) {
    for (unsigned seed = 1; seed <= 60; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 random(seed);
        int columns = 0;
        std::string file = "t" + std::to_string(seed) + ".db";
        ASSERT_EQ(MakeSqliteDb(dir.file(file), TableScript(random, &columns)), "");
        DBDriverSettings settings;
        settings.dataDir = dir.path();
        CdDBDriverConnection connection(CreateDBDriver("sqlite", settings));
        connection.connectAttempts = 1;
        ASSERT_EQ(connection.Open("vrnl", "", "", file.c_str(), -1), 0);
        // Scratch data: the transactions of the comparison need not touch
        // the disk (settings made outside any transaction).
        connection.noTransactions = true;
        ASSERT_EQ(connection.Execute("PRAGMA synchronous = OFF", nullptr, 0, nullptr, 0), 0);
        ASSERT_EQ(connection.Execute("PRAGMA journal_mode = MEMORY", nullptr, 0, nullptr, 0), 0);
        connection.noTransactions = false;
        for (int query = 0; query < 6; ++query) {
            if (!Compare(connection, dir.file(file), RandomQuery(random, columns), random)) return;
        }
    }
}
