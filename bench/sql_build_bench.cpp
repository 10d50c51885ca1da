// SQL statement building per second: a select with conditions, an insert
// and an update, each from a fresh statement buffer as a record fills it.
#include <benchmark/benchmark.h>

#include "bench_env.h"
#include "cs3base/record_buffer.h"
#include "cs3base/sql_builder.h"

namespace {

// The environment holds the builder's shared escape buffer.
bool Ready(benchmark::State& state) {
    if (OpenBenchEnvironment().empty()) return true;
    state.SkipWithError(OpenBenchEnvironment().c_str());
    return false;
}

void SqlBuild_Select(benchmark::State& state) {
    if (!Ready(state)) return;
    for (auto _ : state) {
        CS3DataDB b;
        b.SetTable("TM_USER a,TM_GROUP b");
        for (const char* column : {"ID", "Name", "Kana", "Mail", "SEQNO"}) {
            AppendItem(b.SelectList(), column, "", kItemText);
        }
        AppendItem(b.EqList(), "SID_CORPORATE", "1", kItemNumber);
        AppendItem(b.EqList(), "Kind", "member", kItemText);
        AppendItem(b.GeList(), "updtime", "20260101000000", kItemFixed2);
        AppendItem(b.NeList(), "Status", "9", kItemNumber);
        AppendItem(b.LikeList(), "Name", "%O'Brien 50%%", kItemLikeOr);
        AppendItem(b.LikeList(), "Kana", "%obrien%", kItemLikeOr);
        AppendItem(b.InList(), "GroupID", "1,2,3,5,8,13", kItemNumber);
        AppendItem(b.OrderList(), "SEQNO", "1", kItemText);
        AppendItem(b.OrderList(), "Name", "-1", kItemText);
        if (BuildSelectWithGroup(b, false) != 0) {
            state.SkipWithError("select failed");
            break;
        }
        benchmark::DoNotOptimize(b.Statement().data());
    }
    state.SetItemsProcessed(state.iterations());
}

// The row of an insert or update: text, number, date and parameter values.
void FillRow(CS3DataDB& b) {
    b.SetTable("TM_USER");
    b.SetColumn("Name", "Ann O'Neill", false);
    b.SetColumn("Kana", "an oneiru", false);
    b.SetColumn("Mail", "ann@example.com", false);
    b.SetColumn("SEQNO", "42", false, kItemNumber);
    b.SetColumn("Birthday", "19800214", false, kItemFixed2);
    b.SetColumn("Memo", "first line\r\nsecond line", false, kItemParam);
    b.SetColumn("updtime", "20261207120000", false, kItemFixed2);
}

// One statement built from a filled row by build (BuildInsert, BuildUpdate).
void BuildFromRow(benchmark::State& state, int (*build)(CS3DataDB&), const char* failure) {
    if (!Ready(state)) return;
    for (auto _ : state) {
        CS3DataDB b;
        FillRow(b);
        AppendItem(b.EqList(), "SID_CORPORATE", "1", kItemNumber);
        AppendItem(b.EqList(), "ID", "1234", kItemNumber);
        if (build(b) != 0) {
            state.SkipWithError(failure);
            break;
        }
        benchmark::DoNotOptimize(b.Statement().data());
    }
    state.SetItemsProcessed(state.iterations());
}

void SqlBuild_Insert(benchmark::State& state) { BuildFromRow(state, BuildInsert, "insert failed"); }

void SqlBuild_Update(benchmark::State& state) { BuildFromRow(state, BuildUpdate, "update failed"); }

}  // namespace

BENCHMARK(SqlBuild_Select);
BENCHMARK(SqlBuild_Insert);
BENCHMARK(SqlBuild_Update);
