// Catalog lookup by number in a 10,000-message catalog: the framework's
// numbered-message lookup against a hash map of the same messages.
#include <benchmark/benchmark.h>

#include <string>
#include <unordered_map>

#include "bench_env.h"
#include "env/catalog.h"

namespace {

// Message numbers spread over the whole catalog.
int NumberAt(int64_t i) { return static_cast<int>((i * 7919) % kBenchMessages) + 1; }

void CatalogLookup_Framework(benchmark::State& state) {
    if (!OpenBenchEnvironment().empty()) {
        state.SkipWithError(OpenBenchEnvironment().c_str());
        return;
    }
    int64_t i = 0;
    for (auto _ : state) {
        char kind = 0;
        const char* text = MessageByNumber(NumberAt(i++), &kind);
        if (!text || kind != 'E') {
            state.SkipWithError("message missing");
            break;
        }
        benchmark::DoNotOptimize(text);
    }
    state.SetItemsProcessed(state.iterations());
}

void CatalogLookup_Baseline(benchmark::State& state) {
    std::unordered_map<int, std::string> messages;
    for (int n = 1; n <= kBenchMessages; ++n) {
        messages.emplace(n, "Message number " + std::to_string(n) +
                                " of the catalog, with a little text");
    }
    int64_t i = 0;
    for (auto _ : state) {
        auto found = messages.find(NumberAt(i++));
        if (found == messages.end()) {
            state.SkipWithError("message missing");
            break;
        }
        benchmark::DoNotOptimize(found->second.data());
    }
    state.SetItemsProcessed(state.iterations());
}

}  // namespace

BENCHMARK(CatalogLookup_Framework);
BENCHMARK(CatalogLookup_Baseline);
