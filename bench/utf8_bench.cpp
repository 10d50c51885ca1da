// UTF-8 cutting and searching on 1 MB of mixed text: the framework's
// character-aware functions against plain byte loops.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

#include "util/utf8_text.h"

namespace {

constexpr size_t kTextBytes = 1 << 20;
// Found only at the very end of the text.
constexpr const char* kNeedle = "終端マーカー";

// ASCII, three-byte Japanese, half-width katakana and a four-byte emoji.
const std::string& MixedText() {
    static const std::string text = [] {
        const std::string piece = "Meeting room 3 会議室の予約 ｶｲｷﾞｼﾂ 😀 notes: 明日10時から ";
        std::string t;
        while (t.size() + piece.size() < kTextBytes) t += piece;
        return t + kNeedle;
    }();
    return text;
}

// Characters of the text (four-byte ones counted once).
long CharacterCount(const std::string& text) {
    long n = 0;
    for (unsigned char c : text) n += (c & 0xC0) != 0x80;
    return n;
}

void Utf8Cut_Framework(benchmark::State& state) {
    std::string text = MixedText();
    int keep = static_cast<int>(CharacterCount(text) - 3);
    for (auto _ : state) {
        if (!CutToChars(text.data(), keep, true)) {
            state.SkipWithError("not cut");
            break;
        }
        size_t cut = strlen(text.c_str());
        benchmark::DoNotOptimize(cut);
        text[cut] = MixedText()[cut];
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}

void Utf8Cut_Baseline(benchmark::State& state) {
    std::string text = MixedText();
    long keep = CharacterCount(text) - 3;
    for (auto _ : state) {
        const unsigned char* b = reinterpret_cast<const unsigned char*>(text.c_str());
        long taken = 0;
        size_t p = 0;
        for (; b[p]; ++p) {
            if ((b[p] & 0xC0) != 0x80 && taken++ == keep) break;
        }
        if (!b[p]) {
            state.SkipWithError("not cut");
            break;
        }
        text[p] = '\0';
        benchmark::DoNotOptimize(text.data());
        text[p] = MixedText()[p];
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}

void Utf8Find_Framework(benchmark::State& state) {
    const std::string& text = MixedText();
    for (auto _ : state) {
        const char* found = FindText(text.c_str(), kNeedle);
        if (!found) {
            state.SkipWithError("not found");
            break;
        }
        benchmark::DoNotOptimize(found);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}

void Utf8Find_Baseline(benchmark::State& state) {
    const std::string& text = MixedText();
    size_t needleLength = strlen(kNeedle);
    for (auto _ : state) {
        const char* b = text.c_str();
        const char* found = nullptr;
        for (size_t p = 0; b[p]; ++p) {
            if (b[p] == kNeedle[0] && strncmp(b + p, kNeedle, needleLength) == 0) {
                found = b + p;
                break;
            }
        }
        if (!found) {
            state.SkipWithError("not found");
            break;
        }
        benchmark::DoNotOptimize(found);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}

}  // namespace

BENCHMARK(Utf8Cut_Framework)->Unit(benchmark::kMicrosecond);
BENCHMARK(Utf8Cut_Baseline)->Unit(benchmark::kMicrosecond);
BENCHMARK(Utf8Find_Framework)->Unit(benchmark::kMicrosecond);
BENCHMARK(Utf8Find_Baseline)->Unit(benchmark::kMicrosecond);
