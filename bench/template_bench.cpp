// Template output of a 1 MB template with many variables: the framework's
// expander in buffer mode against a single-pass std::string replacement;
// and one object rendering a page many times into its collected output.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <unordered_map>

#include "util/template_output.h"

namespace {

constexpr int kVariables = 64;
constexpr size_t kTemplateBytes = 1 << 20;

std::string VarName(int i) { return "var" + std::to_string(i); }
std::string VarValue(int i) { return "value number " + std::to_string(i); }

// Table rows of plain markup, each with two variables.
const std::string& TemplateText() {
    static const std::string text = [] {
        std::string t;
        for (int i = 0; t.size() < kTemplateBytes; ++i) {
            t += "<tr><td class=\"name\">$" + VarName(i % kVariables) +
                 "$</td><td>some fixed text between the fields</td><td>$" +
                 VarName((i * 7 + 3) % kVariables) + "$</td></tr>\n";
        }
        return t;
    }();
    return text;
}

void Template_Framework(benchmark::State& state) {
    std::string text = TemplateText();
    size_t length = 0;
    for (auto _ : state) {
        NUTemplateToOutput t;
        t.SetTemplateText(text.data(), true);
        for (int i = 0; i < kVariables; ++i) {
            t.SetVar(VarName(i).c_str(), VarValue(i).c_str(), 0);
        }
        if (t.Render() != 0 || !t.OutputText()) {
            state.SkipWithError("render failed");
            break;
        }
        length = strlen(t.OutputText());
    }
    benchmark::DoNotOptimize(length);
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}

void Template_Baseline(benchmark::State& state) {
    const std::string& text = TemplateText();
    size_t length = 0;
    for (auto _ : state) {
        std::unordered_map<std::string, std::string> vars;
        for (int i = 0; i < kVariables; ++i) vars.emplace(VarName(i), VarValue(i));
        std::string out;
        out.reserve(text.size() * 2);
        size_t pos = 0;
        while (pos < text.size()) {
            size_t open = text.find('$', pos);
            if (open == std::string::npos) break;
            size_t close = text.find_first_of("$\n", open + 1);
            out.append(text, pos, open - pos);
            if (close == std::string::npos || text[close] == '\n') {
                out.append(text, open, close == std::string::npos ? close : close + 1 - open);
                pos = close == std::string::npos ? text.size() : close + 1;
                continue;
            }
            auto found = vars.find(text.substr(open + 1, close - open - 1));
            if (found != vars.end()) {
                out += found->second;
            } else {
                out.append(text, open, close + 1 - open);
            }
            pos = close + 1;
        }
        if (pos < text.size()) out.append(text, pos, std::string::npos);
        length = out.size();
        benchmark::DoNotOptimize(out.data());
    }
    benchmark::DoNotOptimize(length);
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}

// A page of 40 table rows with a variable and a form control each, rendered
// state.range(0) times by one object into its collected output: the cost
// per render must not grow with what was collected before.
void Template_Accumulate(benchmark::State& state) {
    std::string page;
    for (int row = 0; row < 40; ++row) {
        page += "<tr><td class=\"name\">$" + VarName(row % kVariables) +
                "$</td><td><input type=\"text\" name=\"" + VarName((row + 1) % kVariables) +
                "\"></td></tr>\n";
    }
    const int renders = static_cast<int>(state.range(0));
    size_t length = 0;
    for (auto _ : state) {
        NUTemplateToOutput t;
        t.SetTemplateText(page.data(), true);
        for (int i = 0; i < kVariables; ++i) {
            t.SetVar(VarName(i).c_str(), VarValue(i).c_str(), 0);
        }
        for (int i = 0; i < renders; ++i) {
            if (t.Render() != 0) {
                state.SkipWithError("render failed");
                return;
            }
        }
        length = strlen(t.OutputText());
    }
    benchmark::DoNotOptimize(length);
    state.SetItemsProcessed(state.iterations() * renders);
}

}  // namespace

BENCHMARK(Template_Framework)->Unit(benchmark::kMillisecond);
BENCHMARK(Template_Baseline)->Unit(benchmark::kMillisecond);
BENCHMARK(Template_Accumulate)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
