// Template output: one object renders several times in buffer mode while
// its variables and template change, and its collected output must equal
// the concatenation of a reference's renders. The reference substitutes
// $name$ variables and walks the tags one by one from the front; it fills a
// form control through the Fill operation of a fresh object holding the same
// variables, so only the substitution, the tag walk, the work buffers and
// the collecting differ from the object under test.
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "differential.h"
#include "util/nv_list.h"
#include "util/template_output.h"

namespace {

using Vars = std::vector<std::pair<std::string, std::string>>;

bool StartsWith(const std::string& s, size_t at, const char* prefix) {
    return s.compare(at, strlen(prefix), prefix) == 0;
}

// $name$ replaced: by the first variable of that name, or for a name
// starting "LL" by the first message of the rest (else the rest itself); an
// unknown name stays as written, and a '$' without a second one on its line
// is copied with the rest of that line.
std::string Substituted(const std::string& text, const Vars& vars, const Vars& messages) {
    std::string out;
    size_t p = 0;
    while (p < text.size()) {
        size_t dollar = text.find('$', p);
        if (dollar == std::string::npos) {
            out += text.substr(p);
            break;
        }
        out += text.substr(p, dollar - p);
        size_t close = text.find('$', dollar + 1);
        size_t lf = text.find('\n', dollar + 1);
        if (close == std::string::npos || lf < close) {
            size_t next = lf == std::string::npos ? text.size() : lf + 1;
            out += text.substr(dollar, next - dollar);
            p = next;
            continue;
        }
        std::string name = text.substr(dollar + 1, close - dollar - 1);
        bool word = name.compare(0, 2, "LL") == 0;
        std::string key = word ? name.substr(2) : name;
        std::string piece = word ? key : "$" + name + "$";
        for (const auto& pair : word ? messages : vars) {
            if (pair.first == key) {
                piece = pair.second;
                break;
            }
        }
        out += piece;
        p = close + 1;
    }
    return out;
}

using Fill = int (NUTemplateToOutput::*)(char**, int*, const char*, int);

// The tag filled by fill on a buffer of its own.
std::string Filled(NUTemplateToOutput& helper, Fill fill, const std::string& tag, int* result) {
    int capacity = 1;
    char* buf = static_cast<char*>(calloc(1, 1));
    *result = (helper.*fill)(&buf, &capacity, tag.data(), static_cast<int>(tag.size()));
    std::string out = buf;
    free(buf);
    return out;
}

// Text copied up to each '<'; the tag runs to the next '>', else the next
// LF, else the end; a form control is filled, a filled textarea's content
// is dropped up to "</textarea>", any other tag is copied.
std::string Walked(const std::string& text, NUTemplateToOutput& helper) {
    std::string out;
    bool dropping = false;
    size_t p = 0;
    while (p < text.size()) {
        size_t lt = text.find('<', p);
        if (!dropping) out += text.substr(p, lt == std::string::npos ? lt : lt - p);
        if (lt == std::string::npos) break;
        size_t close = text.find('>', lt);
        if (close == std::string::npos) close = text.find('\n', lt);
        size_t end = close == std::string::npos ? text.size() : close + 1;
        std::string tag = text.substr(lt, end - lt);
        p = end;
        int result = 0;
        if (StartsWith(tag, 0, "</textarea>")) {
            dropping = false;
            out += tag;
        } else if (dropping) {
            continue;
        } else if (StartsWith(tag, 0, "<textarea")) {
            out += Filled(helper, &NUTemplateToOutput::FillTextarea, tag, &result);
            dropping = result == 1;
        } else if (StartsWith(tag, 0, "<form ")) {
            out += Filled(helper, &NUTemplateToOutput::FillForm, tag, &result);
        } else if (StartsWith(tag, 0, "<input ")) {
            out += Filled(helper, &NUTemplateToOutput::FillInput, tag, &result);
        } else if (StartsWith(tag, 0, "<select ")) {
            out += Filled(helper, &NUTemplateToOutput::FillSelect, tag, &result);
        } else if (StartsWith(tag, 0, "<option")) {
            out += Filled(helper, &NUTemplateToOutput::FillOption, tag, &result);
        } else {
            out += tag;
        }
        FUZZ_CHECK(result >= 0, "fill of [" + Visible(tag) + "] gave " + std::to_string(result));
    }
    return out;
}

const char* const kNames[] = {"a", "b", "q", "s", "t", "f", "LLw", "c1", "c2", "c3", "c4", "c5"};
const char* const kPieces[] = {
    "$", "$a$", "$b$", "$q$", "$c1$", "$c3$", "$LLw$", "$LLz$", "$nope$", "\n", " ", "x", "<",
    ">", "\"", "=", "<td>", "</td>", "<tr>", "<t", "<te", "</te", "<o", "<i", "<in", "<f", "<s",
    "<input type=\"text\" name=\"q\">", "<input name=a value=\"1\">", "<input ",
    "<input type=checkbox name=b checked>", "<input type=\"radio\" name=\"a\" value=\"2\">",
    "<select name=\"s\">", "<option value=\"1\" selected>", "<option value=\"2\">", "<option",
    "<textarea name=\"t\">", "<textarea>", "</textarea>", "<form name=\"f\" action=x>",
    "<form ", "\xE3\x81\x82", "\xE3", "1", "2",
};
const size_t kPieceKinds = std::size(kPieces);

std::string Value(FuzzInput& in) { return in.Pieces(kPieces, kPieceKinds, 4); }

}  // namespace

void CheckTemplateOutput(FuzzInput& in) {
    NUTemplateToOutput t;
    Vars vars;
    Vars messages;
    NUNVList messageList;
    for (unsigned n = in.Below(4); n > 0; --n) {
        std::string name = in.Byte() & 1 ? "w" : "z";
        messages.emplace_back(name, Value(in));
        messageList.AddText(name.c_str(), messages.back().second.c_str());
    }
    t.SetMessageSource(&messageList);
    std::string defaultSelect = in.Byte() & 1 ? "1" : "-";
    t.SetDefaultSelectValue(defaultSelect.c_str());
    // Every template stays alive until the object is gone.
    std::vector<std::unique_ptr<std::string>> texts;
    std::string expected;
    size_t collected = 0;
    for (unsigned renders = 1 + in.Below(64); renders > 0 && !in.empty(); --renders) {
        for (unsigned changes = in.Below(12); changes > 0; --changes) {
            std::string name = kNames[in.Below(static_cast<unsigned>(std::size(kNames)))];
            if (in.Below(4) == 0) {
                t.RemoveVar(name.c_str());
                std::erase_if(vars, [&](const auto& pair) { return pair.first == name; });
            } else {
                std::string value = Value(in);
                t.SetVar(name.c_str(), value.c_str(), 0);
                vars.emplace_back(name, value);
            }
        }
        if (texts.empty() || in.Below(4) == 0) {
            // A row of pieces, repeated: a page of many like rows.
            std::string row = in.Pieces(kPieces, kPieceKinds, 12);
            auto text = std::make_unique<std::string>();
            for (unsigned rows = 1 + in.Below(40); rows > 0; --rows) *text += row;
            texts.push_back(std::move(text));
            t.SetTemplateText(texts.back()->data(), true);
        }
        const std::string& text = *texts.back();
        int r = t.Render();
        FUZZ_CHECK(r == 0, "render result " + std::to_string(r));

        NUTemplateToOutput helper;
        for (const auto& pair : vars) helper.SetVar(pair.first.c_str(), pair.second.c_str(), 0);
        helper.SetMessageSource(&messageList);
        helper.SetDefaultSelectValue(defaultSelect.c_str());
        // An expansion starts with the default selection; a select without a
        // variable sets just that.
        int started = 0;
        Filled(helper, &NUTemplateToOutput::FillSelect, "<select >", &started);
        std::string rendered = Walked(Substituted(text, vars, messages), helper);
        expected += rendered;
        const char* output = t.OutputText() ? t.OutputText() : "";
        std::string added = strlen(output) >= collected ? std::string(output + collected) : "(shorter)";
        size_t at = 0;
        while (at < added.size() && at < rendered.size() && added[at] == rendered[at]) ++at;
        size_t from = at > 100 ? at - 100 : 0;
        FUZZ_CHECK(added == rendered, "template [" + Visible(text.substr(0, 300)) + "] rendered [" +
                                          Visible(added.substr(from, 200)) + "], the reference [" +
                                          Visible(rendered.substr(from, 200)) + "] from byte " +
                                          std::to_string(from));
        collected = expected.size();
    }
    const char* output = t.OutputText() ? t.OutputText() : "";
    FUZZ_CHECK(expected == output, "the collected output differs from the renders joined");
}
