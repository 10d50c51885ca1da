// The argument table: any command line parses to exactly what the table's
// rules give, read from a plain model of them.
#include <cstring>
#include <string>
#include <vector>

#include "app/kestrun_app.h"
#include "support.h"

namespace {

struct Expected {
    int result = 0;
    std::vector<std::pair<std::string, std::string>> options;
};

// For each name in table order: the first word equal to it and the word
// after it; a required option needs that word, not empty, not "-...".
Expected Model(const std::vector<std::string>& words, const std::vector<std::string>& names,
               const std::vector<unsigned char>& flags) {
    Expected expected;
    for (size_t n = 0; n < names.size(); ++n) {
        size_t i = 1;
        while (i < words.size() && words[i] != names[n]) ++i;
        if (i + 1 >= words.size()) {
            if (flags[n] == 1) return Expected{1, {}};
            continue;
        }
        const std::string& value = words[i + 1];
        if (flags[n] == 1 && (value.empty() || value[0] == '-')) return Expected{1, {}};
        expected.options.emplace_back(names[n], value);
    }
    return expected;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    static const char* const kNames[] = {"-h", "-s", "-x", "h", ""};
    std::vector<std::string> names;
    std::vector<unsigned char> flags;
    unsigned count = in.Below(4);
    for (unsigned i = 0; i < count; ++i) {
        unsigned pick = in.Below(6);
        names.push_back(pick < 5 ? kNames[pick] : in.Text(4));
        names.back().resize(strlen(names.back().c_str()));
        flags.push_back(in.Byte() & 1);
    }
    std::vector<std::string> words{"kestrun"};
    while (!in.empty() && words.size() < 12) {
        unsigned pick = in.Below(8);
        words.push_back(pick < 5 ? kNames[pick] : in.Text(pick == 7 ? 3000 : 12));
        words.back().resize(strlen(words.back().c_str()));
    }

    std::vector<const char*> argv;
    for (const std::string& word : words) argv.push_back(word.c_str());
    std::vector<const char*> table;
    for (const std::string& name : names) table.push_back(name.c_str());
    table.push_back(nullptr);

    ZAppKestrun app;
    int r = app.ParseArguments(static_cast<int>(argv.size()), argv.data(), table.data(), flags.data());
    Expected expected = Model(words, names, flags);
    FUZZ_CHECK(r == expected.result, "result " + std::to_string(r));
    if (r != 0) return 0;
    NUNVList& parsed = app.Arguments();
    FUZZ_CHECK(parsed.Count() == static_cast<int>(expected.options.size()),
               "count " + std::to_string(parsed.Count()));
    for (size_t i = 0; i < expected.options.size(); ++i) {
        char* name = nullptr;
        char* value = nullptr;
        parsed.NameAt(static_cast<int>(i), &name);
        parsed.ValueAt(static_cast<int>(i), &value);
        FUZZ_CHECK(name && expected.options[i].first == name, "name of option " + std::to_string(i));
        FUZZ_CHECK(value && expected.options[i].second == value,
                   "value of " + expected.options[i].first + " [" + Visible(value ? value : "") + "]");
    }

    // The home argument fits the caller's 2048-byte buffer or is refused.
    char home[2048];
    int h = app.GetHomeArgument(static_cast<int>(argv.size()), argv.data(), home, sizeof home);
    char* given = nullptr;
    bool has = parsed.Find("-h", &given) == 1 && given;
    FUZZ_CHECK(h == ((has && strlen(given) < sizeof home) ? 0 : 1), "home result " + std::to_string(h));
    if (h == 0) FUZZ_CHECK(strcmp(home, given) == 0, "home [" + Visible(home) + "]");
    return 0;
}
