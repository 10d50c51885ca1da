// UTF-8 search and cuts: FindText, FindTextNoCase, CutAtByte and
// CutToChars against plain walks from the start of the text, on texts of
// whole, truncated and stray multi-byte sequences between ASCII runs.
#include <cstring>
#include <string>
#include <vector>

#include "differential.h"
#include "util/utf8_text.h"

namespace {

// Sequence length of a lead byte: 1 to 6, or 0 for a byte that cannot lead.
size_t LeadLength(unsigned char c) {
    if (c < 0x80) return 1;
    if (c >= 0xC2 && c <= 0xDF) return 2;
    if (c >= 0xE0 && c <= 0xEF) return 3;
    if (c >= 0xF0 && c <= 0xF4) return 4;
    if (c >= 0xF8 && c <= 0xFB) return 5;
    if (c >= 0xFC && c <= 0xFD) return 6;
    return 0;
}

bool IsContinuation(unsigned char c) { return c >= 0x80 && c <= 0xBF; }

unsigned char At(const std::string& s, size_t i) {
    return i < s.size() ? static_cast<unsigned char>(s[i]) : 0;
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

// Position p of the first match on the search's steps: the whole needle
// compared at p, else p moves on by the lead length of its byte (2 for a
// byte that cannot lead). -1 when none.
long Find(const std::string& hay, const std::string& needle, bool noCase) {
    for (size_t p = 0; p < hay.size();) {
        bool match = true;
        for (size_t i = 0; i < needle.size() && match; ++i) {
            char a = static_cast<char>(At(hay, p + i));
            char b = needle[i];
            match = noCase ? Lower(a) == Lower(b) : a == b;
        }
        if (match) return static_cast<long>(p);
        size_t step = LeadLength(static_cast<unsigned char>(hay[p]));
        p += step == 0 ? 2 : step;
    }
    return -1;
}

// The text cut at position: an ASCII byte before it ends a whole
// character; else the character whose lead stands before it is dropped
// when it still needs bytes past the position; only continuation bytes
// back to the start leave nothing.
std::string CutAt(const std::string& text, size_t position, bool clamp) {
    if (position >= text.size()) {
        if (!clamp) return text;
        position = text.size();
    }
    if (position == 0) return "";
    if (At(text, position - 1) < 0x80) return text.substr(0, position);
    size_t lead = position - 1;
    while (IsContinuation(At(text, lead))) {
        if (lead == 0) return "";
        --lead;
    }
    size_t have = position - lead;
    return text.substr(0, LeadLength(At(text, lead)) > have ? lead : position);
}

// The first count character units: a lead followed by all its continuation
// bytes is one character (two units past three bytes unless fourByteAsOne);
// any other byte is one unit. A character cut off by the text's end, or one
// of two units where one is left, ends the walk.
std::string CutChars(const std::string& text, int count, bool fourByteAsOne, bool* cut) {
    *cut = false;
    if (count <= 0) return "";
    size_t p = 0;
    int units = 0;
    while (p < text.size() && units < count) {
        size_t want = LeadLength(At(text, p));
        size_t have = 1;
        while (want > 1 && have < want && p + have < text.size() && IsContinuation(At(text, p + have))) {
            ++have;
        }
        if (want > 1 && have < want && p + have == text.size()) break;
        size_t bytes = (want > 1 && have == want) ? want : 1;
        int cost = (bytes > 3 && !fourByteAsOne) ? 2 : 1;
        if (units + cost > count) break;
        units += cost;
        p += bytes;
    }
    *cut = p < text.size();
    return text.substr(0, p);
}

// Whole, truncated and stray sequences, and ASCII of both cases.
const char* const kPieces[] = {
    "a", "A", "b", "B", "x", " ", "ab", "aB", "aaaaa", "\xE3\x81\x82", "\x81\x82", "\xE3\x81",
    "\xE3", "\xC3\xA9", "\xC3", "\xF0\x9F\x98\x80", "\xF0\x9F", "\x80", "\xBF", "\xC0", "\xC1",
    "\xF5", "\xFE", "\xFF", "\xF8\x88\x80\x80\x80", "\xFC\x84\x80\x80\x80\x80", "\xEF\xBD\xB1",
    "\xF0", "\xF8", "\xFC",
};

std::string Show(const std::string& text) { return "[" + Visible(text) + "]"; }

}  // namespace

void CheckUtf8SearchAndCut(FuzzInput& in) {
    const size_t kinds = sizeof kPieces / sizeof kPieces[0];
    std::string text = in.Pieces(kPieces, kinds, 80);
    std::string needle;
    if (in.Byte() & 1) {
        size_t from = in.Below(static_cast<unsigned>(text.size()) + 1);
        needle = text.substr(from, in.Below(8));
        if (in.Byte() & 1) {
            for (char& c : needle) c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
        }
    } else {
        needle = in.Pieces(kPieces, kinds, 3);
    }
    std::string detail = "text " + Show(text) + " needle " + Show(needle);
    for (bool noCase : {false, true}) {
        const char* got = noCase ? FindTextNoCase(text.c_str(), needle.c_str())
                                 : FindText(text.c_str(), needle.c_str());
        long at = got ? static_cast<long>(got - text.c_str()) : -1;
        long want = Find(text, needle, noCase);
        FUZZ_CHECK(at == want, detail + (noCase ? " no case" : "") + " found at " +
                                   std::to_string(at) + ", the walk at " + std::to_string(want));
    }

    std::vector<char> buffer(text.size() + 1);
    for (bool flag : {false, true}) {
        size_t position = in.Below(static_cast<unsigned>(text.size()) + 4);
        std::memcpy(buffer.data(), text.c_str(), text.size() + 1);
        CutAtByte(position, buffer.data(), flag);
        std::string want = CutAt(text, position, flag);
        FUZZ_CHECK(want == buffer.data(), detail + " CutAtByte " + std::to_string(position) +
                                              " gave " + Show(buffer.data()) + ", the walk " + Show(want));

        int count = static_cast<int>(in.Below(90));
        std::memcpy(buffer.data(), text.c_str(), text.size() + 1);
        bool wasCut = CutToChars(buffer.data(), count, flag);
        bool wantCut = false;
        want = CutChars(text, count, flag, &wantCut);
        FUZZ_CHECK(want == buffer.data() && wasCut == wantCut,
                   detail + " CutToChars " + std::to_string(count) + " gave " + Show(buffer.data()) +
                       ", the walk " + Show(want));
    }
}
