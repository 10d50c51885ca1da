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

// One lookup each way; not inlined, so that scripts/bench --instructions
// can count them alone.
[[gnu::noinline]] const char* CatalogLookup_FrameworkStep(int number, char* kind) {
    return MessageByNumber(number, kind);
}

using Messages = std::unordered_map<int, std::string>;

[[gnu::noinline]] const char* CatalogLookup_BaselineStep(const Messages& messages, int number) {
    auto found = messages.find(number);
    return found == messages.end() ? nullptr : found->second.data();
}

void CatalogLookup_Framework(benchmark::State& state) {
    if (!OpenBenchEnvironment().empty()) {
        state.SkipWithError(OpenBenchEnvironment().c_str());
        return;
    }
    // The catalog file is read by the first lookup: before the timing.
    char first = 0;
    if (!MessageByNumber(1, &first)) {
        state.SkipWithError("message missing");
        return;
    }
    int64_t i = 0;
    for (auto _ : state) {
        char kind = 0;
        const char* text = CatalogLookup_FrameworkStep(NumberAt(i++), &kind);
        if (!text || kind != 'E') {
            state.SkipWithError("message missing");
            break;
        }
        benchmark::DoNotOptimize(text);
    }
    state.SetItemsProcessed(state.iterations());
}

void CatalogLookup_Baseline(benchmark::State& state) {
    Messages messages;
    for (int n = 1; n <= kBenchMessages; ++n) {
        messages.emplace(n, "Message number " + std::to_string(n) +
                                " of the catalog, with a little text");
    }
    int64_t i = 0;
    for (auto _ : state) {
        const char* text = CatalogLookup_BaselineStep(messages, NumberAt(i++));
        if (!text) {
            state.SkipWithError("message missing");
            break;
        }
        benchmark::DoNotOptimize(text);
    }
    state.SetItemsProcessed(state.iterations());
}

}  // namespace

BENCHMARK(CatalogLookup_Framework);
BENCHMARK(CatalogLookup_Baseline);
