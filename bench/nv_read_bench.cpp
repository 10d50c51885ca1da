// Name-value file read of 100,000 lines: the framework's reader against a
// getline-and-split loop over the same file.
#include <benchmark/benchmark.h>

#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "support/temp_dir.h"
#include "util/nv_file.h"
#include "util/nv_io.h"

namespace {

constexpr int kLines = 100000;

// A configuration-like file: one pair a line, a comment every 50 lines.
const std::string& NvFile() {
    static TempDir dir;
    static const std::string path = [] {
        std::string text;
        for (int i = 0; i < kLines; ++i) {
            if (i % 50 == 0) text += "# section " + std::to_string(i) + "\n";
            text += "key" + std::to_string(i) + "=value of line " + std::to_string(i) +
                    " with a few more words\n";
        }
        std::string file = dir.file("pairs");
        WriteWholeFile(file, text);
        return file;
    }();
    return path;
}

// One read each way: true when it gave every pair. Not inlined, so that
// scripts/bench --instructions can count them alone.
[[gnu::noinline]] bool NvRead_FrameworkStep(const std::string& path) {
    NUioObjList pairs;
    pairs.SetPath(path.c_str(), "");
    NUFileIO io;
    io.noLock = true;
    if (io.Read(&pairs, false, false) != 0 || pairs.Count() != kLines) return false;
    benchmark::DoNotOptimize(pairs.List());
    return true;
}

[[gnu::noinline]] bool NvRead_BaselineStep(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::pair<std::string, std::string>> pairs;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        pairs.emplace_back(line.substr(0, eq), line.substr(eq + 1));
    }
    benchmark::DoNotOptimize(pairs.data());
    return pairs.size() == static_cast<size_t>(kLines);
}

void NvRead_Framework(benchmark::State& state) {
    const std::string& path = NvFile();
    for (auto _ : state) {
        if (!NvRead_FrameworkStep(path)) {
            state.SkipWithError("read failed");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * kLines);
}

void NvRead_Baseline(benchmark::State& state) {
    const std::string& path = NvFile();
    for (auto _ : state) {
        if (!NvRead_BaselineStep(path)) {
            state.SkipWithError("read failed");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * kLines);
}

}  // namespace

BENCHMARK(NvRead_Framework)->Unit(benchmark::kMillisecond);
BENCHMARK(NvRead_Baseline)->Unit(benchmark::kMillisecond);
