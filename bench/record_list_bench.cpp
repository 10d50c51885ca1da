// Record list load of 100,000 rows from SQLite: a list through the record
// layer against a raw prepare/step loop that copies the same columns.
#include <benchmark/benchmark.h>

#include <sqlite3.h>

#include <string>
#include <vector>

#include "bench_env.h"
#include "cs3base/number_value.h"
#include "cs3base/record_list.h"
#include "support/session_db.h"

namespace {

class Item : public CS3Object {
public:
    int GetFields(CS3Data& buffer) override {
        int r = buffer.GetColumn("Name", name);
        return r != 0 ? r : buffer.GetColumnInt("HITS", hits);
    }
    CS3ShortStr name;
    CS3Int hits;
};

class Items : public CS3DBIndex {
public:
    int TableName(NUString& buffer) override { return buffer.Set("TM_ITEM"); }
    int PrepareSelect(CS3DataDB& buffer) override {
        return AppendItem(buffer.OrderList(), "ID", "1", kItemNumber);
    }
    CS3Object* NewItem() override { return new Item(); }
};

// One list load; false when it did not give every row. Not inlined, so
// that scripts/bench --instructions can count it alone.
[[gnu::noinline]] bool RecordListLoad_FrameworkStep() {
    Items list;
    return list.LoadFirst() == 0 && list.ItemCount() == kBenchItemRows &&
           list.ItemAt(kBenchItemRows - 1) != nullptr;
}

// The SELECT the record layer runs for the list, taken from a first load.
const std::string& ListStatement() {
    static const std::string statement = [] {
        ClearStatements();
        if (!RecordListLoad_FrameworkStep()) return std::string();
        for (const std::string& s : Statements()) {
            if (s.rfind("SELECT", 0) == 0 && s.find("TM_ITEM") != std::string::npos) return s;
        }
        return std::string();
    }();
    return statement;
}

struct RawItem {
    int id;
    std::string name;
    int hits;
};

// One raw load of the list's rows; null, or what failed. Not inlined (as
// above).
[[gnu::noinline]] const char* RecordListLoad_BaselineStep(sqlite3* db) {
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, ListStatement().c_str(), -1, &statement, nullptr) != SQLITE_OK) {
        return sqlite3_errmsg(db);
    }
    int idColumn = -1, nameColumn = -1, hitsColumn = -1;
    for (int c = 0; c < sqlite3_column_count(statement); ++c) {
        std::string column = sqlite3_column_name(statement, c);
        if (column == "ID") idColumn = c;
        if (column == "Name") nameColumn = c;
        if (column == "HITS") hitsColumn = c;
    }
    std::vector<RawItem> items;
    while (sqlite3_step(statement) == SQLITE_ROW) {
        const unsigned char* name = sqlite3_column_text(statement, nameColumn);
        items.push_back({sqlite3_column_int(statement, idColumn),
                         name ? reinterpret_cast<const char*>(name) : "",
                         sqlite3_column_int(statement, hitsColumn)});
    }
    sqlite3_finalize(statement);
    if (items.size() != static_cast<size_t>(kBenchItemRows)) return "rows missing";
    benchmark::DoNotOptimize(items.data());
    return nullptr;
}

void RecordListLoad_Framework(benchmark::State& state) {
    if (!OpenBenchEnvironment().empty()) {
        state.SkipWithError(OpenBenchEnvironment().c_str());
        return;
    }
    for (auto _ : state) {
        if (!RecordListLoad_FrameworkStep()) {
            state.SkipWithError("list load failed");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * kBenchItemRows);
}

void RecordListLoad_Baseline(benchmark::State& state) {
    if (!OpenBenchEnvironment().empty() || ListStatement().empty()) {
        state.SkipWithError("no session or no list statement");
        return;
    }
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(BenchDbPath().c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        state.SkipWithError("cannot open the database");
        return;
    }
    for (auto _ : state) {
        const char* failure = RecordListLoad_BaselineStep(db);
        if (failure) {
            state.SkipWithError(failure);
            break;
        }
    }
    sqlite3_close(db);
    state.SetItemsProcessed(state.iterations() * kBenchItemRows);
}

}  // namespace

BENCHMARK(RecordListLoad_Framework)->Unit(benchmark::kMillisecond);
BENCHMARK(RecordListLoad_Baseline)->Unit(benchmark::kMillisecond);
