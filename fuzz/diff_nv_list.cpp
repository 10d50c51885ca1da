// Name-value lists, plain and indexed as the catalogs keep them: every
// operation sequence agrees with a plain vector of optional names and
// values, searched from the front, by name and by number.
#include <climits>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "differential.h"
#include "util/nv_indexed_list.h"
#include "util/nv_list.h"

namespace {

using Text = std::optional<std::string>;
struct Pair {
    Text name;
    Text value;
};

bool LowerEquals(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

// A number lookups ask for: a few hundred around zero, or an edge of int.
int PickNumber(FuzzInput& in) {
    static const int kEdges[] = {INT_MIN, INT_MIN + 1, INT_MAX, 7, 0, -1};
    unsigned pick = in.Below(8);
    if (pick < 6) return kEdges[pick];
    return static_cast<int>(in.Below(600)) - 300;
}

// Names come from a small set so that lookups hit, from a few hundred
// numbered ones so that an index grows and its probe runs collide, or are
// numbers, as "%d" writes them or nearly; some are null.
Text PickName(FuzzInput& in) {
    static const char* const kNames[] = {"k",   "K",  "a",  "",           "key",        "Key",
                                         "b#c", "07", "-0", "+7",         " 7",         "7 ",
                                         "0x7", "--1", "2147483648", "-2147483649", "-"};
    unsigned pick = in.Below(12);
    if (pick == 7) return std::nullopt;
    if (pick == 8) {
        std::string name = in.Text(8);
        return name.substr(0, strlen(name.c_str()));
    }
    if (pick == 9) return "n" + std::to_string(in.Below(600));
    if (pick == 10) return std::to_string(PickNumber(in));
    if (pick == 11) return std::string(kNames[7 + in.Below(10)]);
    return std::string(kNames[pick]);
}

Text PickValue(FuzzInput& in) {
    if (in.Below(8) == 0) return std::nullopt;
    std::string value = in.Text(24);
    return value.substr(0, strlen(value.c_str()));
}

const char* Ptr(const Text& text) { return text ? text->c_str() : nullptr; }
int Size(const Text& text) { return text ? static_cast<int>(text->size()) + 1 : 0; }

std::string Show(const Text& text) { return text ? "[" + Visible(*text) + "]" : "null"; }

void Compare(NUNVList& list, const std::vector<Pair>& model) {
    FUZZ_CHECK(list.Count() == static_cast<int>(model.size()),
               "count " + std::to_string(list.Count()) + " model " + std::to_string(model.size()));
    for (size_t i = 0; i < model.size(); ++i) {
        char* name = nullptr;
        char* value = nullptr;
        list.NameAt(static_cast<int>(i), &name);
        list.ValueAt(static_cast<int>(i), &value);
        Text gotName = name ? Text(name) : std::nullopt;
        Text gotValue = value ? Text(value) : std::nullopt;
        FUZZ_CHECK(gotName == model[i].name, "name " + Show(gotName) + " model " + Show(model[i].name));
        FUZZ_CHECK(gotValue == model[i].value,
                   "value " + Show(gotValue) + " model " + Show(model[i].value));
    }
}

// Index of the first pair that a lookup of name finds, or -1.
int ModelFind(const std::vector<Pair>& model, const Text& name, bool noCase) {
    for (size_t i = 0; i < model.size(); ++i) {
        if (!name) return static_cast<int>(i);
        if (!model[i].name) continue;
        if (noCase ? LowerEquals(*model[i].name, *name) : *model[i].name == *name) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

bool Matches(const Pair& pair, const Text& name) { return !name || pair.name == name; }

// A lookup of number finds the first pair named as "%d" writes it, at (-1:
// none).
void CheckFindNumber(NUNVList& list, const std::vector<Pair>& model, int number, int at) {
    char* value = nullptr;
    int r = list.FindNumber(number, &value);
    std::string name = std::to_string(number);
    FUZZ_CHECK(r == (at >= 0 ? 1 : 0), "find number " + name + " gave " + std::to_string(r));
    if (at < 0) return;
    Text got = value ? Text(value) : std::nullopt;
    FUZZ_CHECK(got == model[at].value, "find number " + name + " value " + Show(got));
}

// Every name of the model is found with the value of its first pair, and a
// name it lacks is not found; so is every number of the batches.
void FindEveryName(NUNVList& list, const std::vector<Pair>& model) {
    std::unordered_map<std::string, size_t> first;
    for (size_t i = 0; i < model.size(); ++i) {
        if (model[i].name) first.emplace(*model[i].name, i);
    }
    for (const auto& [name, at] : first) {
        char* value = nullptr;
        FUZZ_CHECK(list.Find(name.c_str(), &value) == 1,
                   "find [" + Visible(name) + "] of " + std::to_string(model.size()) + " pairs");
        Text got = value ? Text(value) : std::nullopt;
        FUZZ_CHECK(got == model[at].value, "find [" + Visible(name) + "] value " + Show(got));
    }
    char* value = nullptr;
    FUZZ_CHECK(list.Find("absent", &value) == (first.count("absent") ? 1 : 0), "find absent");
    for (int number = -1; number <= 600; ++number) {
        auto found = first.find(std::to_string(number));
        CheckFindNumber(list, model, number, found == first.end() ? -1 : static_cast<int>(found->second));
    }
}

}  // namespace

void CheckNameValueList(FuzzInput& in, bool indexed) {
    int capacity = 1 + static_cast<int>(in.Below(4));
    std::unique_ptr<NUNVList> owned(indexed ? new NUNVIndexedList(capacity) : new NUNVList(capacity));
    NUNVList& list = *owned;
    std::vector<Pair> model;
    // An index needs hundreds of names before it grows.
    const int steps = indexed ? 3000 : 64;
    unsigned fresh = 0;
    for (int step = 0; step < steps && !in.empty(); ++step) {
        unsigned op = in.Below(12);
        if (op == 10) {
            // A batch of new names, a few of them known ones, drives the list
            // (and an index through each of its growths); then every name is
            // looked up.
            unsigned seed = in.Byte();
            unsigned batch = model.size() < 1700 ? in.Below(indexed ? 700 : 40) : 0;
            if (batch == 0) continue;
            for (unsigned n = batch; n > 0; --n) {
                seed = seed * 1103515245u + 12345u;
                unsigned kind = (seed >> 16) % 8;
                std::string name = kind == 0   ? "n" + std::to_string((seed >> 8) % 600)
                                   : kind == 1 ? std::to_string((seed >> 8) % 600)
                                               : "g" + std::to_string(fresh++);
                FUZZ_CHECK(list.AddText(name.c_str(), name.c_str()) == 0, "add " + name);
                model.push_back(Pair{name, name});
            }
            FindEveryName(list, model);
            Compare(list, model);
            continue;
        }
        Text name = PickName(in);
        switch (op) {
        case 0:
        case 1: {
            Text value = PickValue(in);
            int index = static_cast<int>(in.Below(static_cast<unsigned>(model.size()) + 3)) - 1;
            int r = list.Insert(Ptr(name), Ptr(value), Size(value), index, false);
            bool valid = index >= 0 && index <= static_cast<int>(model.size());
            FUZZ_CHECK(r == (valid ? 0 : -5), "insert result " + std::to_string(r));
            if (valid) model.insert(model.begin() + index, Pair{name, value});
            break;
        }
        case 2: {
            Text value = PickValue(in);
            FUZZ_CHECK(list.Add(Ptr(name), Ptr(value), Size(value)) == 0, "add");
            model.push_back(Pair{name, value});
            break;
        }
        case 3: {
            Text value = PickValue(in);
            int replaced = 0;
            for (Pair& pair : model) {
                if (!Matches(pair, name)) continue;
                pair.value = value;
                ++replaced;
            }
            int r = list.SetByName(Ptr(name), Ptr(value), Size(value));
            FUZZ_CHECK(r == replaced, "set by name " + std::to_string(r) + " model " +
                                          std::to_string(replaced));
            break;
        }
        case 4: {
            Text value = PickValue(in);
            int index = static_cast<int>(in.Below(static_cast<unsigned>(model.size()) + 2)) - 1;
            bool valid = index >= 0 && index < static_cast<int>(model.size());
            int r = list.SetAt(Ptr(value), Size(value), index);
            FUZZ_CHECK(r == (valid ? 0 : -7), "set at " + std::to_string(r));
            if (valid) model[index].value = value;
            break;
        }
        case 5: {
            size_t before = model.size();
            std::erase_if(model, [&](const Pair& pair) { return Matches(pair, name); });
            int r = list.RemoveByName(Ptr(name));
            FUZZ_CHECK(r == static_cast<int>(before - model.size()), "remove by name " + std::to_string(r));
            break;
        }
        case 6: {
            int index = static_cast<int>(in.Below(static_cast<unsigned>(model.size()) + 2)) - 1;
            bool valid = index >= 0 && index < static_cast<int>(model.size());
            int r = list.RemoveAt(index);
            FUZZ_CHECK(r == (valid ? 0 : -7), "remove at " + std::to_string(r));
            if (valid) model.erase(model.begin() + index);
            break;
        }
        case 7:
        case 8: {
            bool noCase = op == 8;
            char* value = nullptr;
            int r = noCase ? list.FindNoCase(Ptr(name), &value) : list.Find(Ptr(name), &value);
            int at = ModelFind(model, name, noCase);
            FUZZ_CHECK(r == (at >= 0 ? 1 : 0), "find " + Show(name) + " gave " + std::to_string(r));
            if (at >= 0) {
                Text got = value ? Text(value) : std::nullopt;
                FUZZ_CHECK(got == model[at].value, "find " + Show(name) + " value " + Show(got));
            }
            break;
        }
        case 9: {
            int number = PickNumber(in);
            CheckFindNumber(list, model, number, ModelFind(model, std::to_string(number), false));
            break;
        }
        default: {
            NUNVList* copy = list.Clone();
            FUZZ_CHECK(copy != nullptr, "clone");
            Compare(*copy, model);
            delete copy;
            break;
        }
        }
        // Every step on a short list; on a long one now and then, and at
        // the end.
        if (model.size() <= 300 || step % 32 == 0) Compare(list, model);
    }
    Compare(list, model);
}
