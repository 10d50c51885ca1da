// The SQL builder's escaping: a value in an equality condition of each text
// kind finds exactly the row that holds it as stored, and a LIKE pattern
// built from a value matches that value, on a real SQLite database after
// the statement went through the SQLite rewrite.
#include <sqlite3.h>

#include <cstring>
#include <string>

#include "cs3base/record_buffer.h"
#include "cs3base/sql_builder.h"
#include "db/sql_dialect.h"
#include "support.h"

namespace {

sqlite3* Database() {
    static sqlite3* db = [] {
        sqlite3* opened = nullptr;
        sqlite3_open(":memory:", &opened);
        sqlite3_exec(opened, "CREATE TABLE t(c TEXT)", nullptr, nullptr, nullptr);
        return opened;
    }();
    return db;
}

// Rows of t that the condition finds; -1 when the statement fails.
int CountRows(const std::string& condition) {
    std::string sql = RewriteForSqlite("select count(*) from t where " + condition);
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(Database(), sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) return -1;
    int count = sqlite3_step(statement) == SQLITE_ROW ? sqlite3_column_int(statement, 0) : -1;
    sqlite3_finalize(statement);
    return count;
}

void CheckFound(const std::string& value, int kind) {
    CS3ItemList none;
    CS3ItemList items;
    AppendItem(items, "c", value.c_str(), kind);
    bool like = kind == kItemLikeAnd;
    std::string condition;
    int r = like ? BuildConditions(none, none, none, none, items, none, condition)
                 : BuildConditions(none, none, items, none, none, none, condition);
    FUZZ_CHECK(r == 0, "kind " + std::to_string(kind) + " result " + std::to_string(r));
    int count = CountRows(condition);
    FUZZ_CHECK(count == 1, "kind " + std::to_string(kind) + " value [" + Visible(value) +
                               "] condition [" + Visible(condition) + "] found " +
                               std::to_string(count));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string value(reinterpret_cast<const char*>(data), size);
    value.resize(strlen(value.c_str()));
    if (value.empty() || value.size() > kConditionValueMax) return 0;
    // The row holds the value as records store it, without CR bytes; the
    // conditions drop them too. A value of CR bytes alone is stored as NULL.
    std::string stored = WithoutCarriageReturns(value);
    if (stored.empty()) return 0;

    sqlite3_exec(Database(), "DELETE FROM t", nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(Database(), "INSERT INTO t VALUES (?)", -1, &insert, nullptr);
    sqlite3_bind_text(insert, 1, stored.data(), static_cast<int>(stored.size()), SQLITE_TRANSIENT);
    sqlite3_step(insert);
    sqlite3_finalize(insert);

    CheckFound(value, kItemText);
    CheckFound(value, kItemFixed2);
    CheckFound(value, kItemFixed3);
    CheckFound(value, kItemLikeAnd);
    return 0;
}
