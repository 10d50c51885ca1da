// UTF-8 search and cuts: FindText, FindTextNoCase, CutAtByte and
// CutToChars against references written from their rules, on texts of
// whole, truncated and stray multi-byte sequences between ASCII runs, and
// on every lead byte followed by ASCII runs of every length up to seven.
#include <algorithm>
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

// The continuation bytes 0x80 to 0xBF.
const std::string& Continuations() {
    static const std::string bytes = [] {
        std::string all;
        for (int c = 0x80; c <= 0xBF; ++c) all += static_cast<char>(c);
        return all;
    }();
    return bytes;
}

unsigned char At(const std::string& s, size_t i) {
    return i < s.size() ? static_cast<unsigned char>(s[i]) : 0;
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

// The search's steps: from 0, each step is the lead length of the byte it
// starts at, 2 for a byte that cannot lead; a match is the whole needle
// compared at a step. -1 when none.
long Find(const std::string& hay, const std::string& needle, bool noCase) {
    std::vector<size_t> steps;
    for (size_t p = 0; p < hay.size(); p += LeadLength(At(hay, p)) ? LeadLength(At(hay, p)) : 2) {
        steps.push_back(p);
    }
    for (size_t p : steps) {
        if (needle.empty()) return static_cast<long>(p);
        std::string here = hay.substr(p, needle.size());
        if (here.size() < needle.size()) continue;
        bool same = true;
        for (size_t i = 0; i < needle.size(); ++i) {
            same = same && (noCase ? Lower(here[i]) == Lower(needle[i]) : here[i] == needle[i]);
        }
        if (same) return static_cast<long>(p);
    }
    return -1;
}

// The cut at position keeps no partial character at its end: the last byte
// before the position that is not a continuation byte starts the last
// character, which is dropped when its lead length asks for more bytes
// than stand before the position. Nothing but continuation bytes keeps
// nothing.
std::string CutAt(const std::string& text, size_t position, bool clamp) {
    if (position >= text.size()) {
        if (!clamp) return text;
        position = text.size();
    }
    if (position == 0) return "";
    size_t last = text.find_last_not_of(Continuations(), position - 1);
    if (last == std::string::npos) return "";
    return text.substr(0, LeadLength(At(text, last)) > position - last ? last : position);
}

// The text as characters: a lead followed by all the continuation bytes
// its length asks for is one character (two units past three bytes unless
// fourByteAsOne); a lead whose continuation bytes run out before the text
// does is one broken byte, one unit, as is any byte that cannot lead; a
// lead whose continuation bytes reach the text's end unfinished ends the
// text. The cut keeps the characters that fit in count units.
std::string CutChars(const std::string& text, int count, bool fourByteAsOne, bool* cut) {
    *cut = false;
    if (count <= 0) return "";
    size_t kept = 0;
    int units = 0;
    for (size_t p = 0; p < text.size();) {
        size_t length = LeadLength(At(text, p));
        size_t run = std::min(text.find_first_not_of(Continuations(), p + 1), text.size()) - (p + 1);
        size_t bytes = 1;
        if (length > 1 && run >= length - 1) {
            bytes = length;
        } else if (length > 1 && p + 1 + run == text.size()) {
            break;
        }
        units += (bytes > 3 && !fourByteAsOne) ? 2 : 1;
        if (units > count) break;
        p += bytes;
        kept = p;
    }
    *cut = kept < text.size();
    return text.substr(0, kept);
}

// Whole, truncated and stray sequences, and ASCII of both cases.
const char* const kPieces[] = {
    "a", "A", "b", "B", "x", " ", "ab", "aB", "aaaaa", "\xE3\x81\x82", "\x81\x82", "\xE3\x81",
    "\xE3", "\xC3\xA9", "\xC3", "\xF0\x9F\x98\x80", "\xF0\x9F", "\x80", "\xBF", "\xC0", "\xC1",
    "\xF5", "\xFE", "\xFF", "\xF8\x88\x80\x80\x80", "\xFC\x84\x80\x80\x80\x80", "\xEF\xBD\xB1",
    "\xF0", "\xF8", "\xFC",
};

std::string Show(const std::string& text) { return "[" + Visible(text) + "]"; }

// Both searches of needle in text against the steps.
void CompareSearch(const std::string& text, const std::string& needle) {
    for (bool noCase : {false, true}) {
        const char* got = noCase ? FindTextNoCase(text.c_str(), needle.c_str())
                                 : FindText(text.c_str(), needle.c_str());
        long at = got ? static_cast<long>(got - text.c_str()) : -1;
        long want = Find(text, needle, noCase);
        FUZZ_CHECK(at == want, "text " + Show(text) + " needle " + Show(needle) + (noCase ? " no case" : "") +
                                   " found at " + std::to_string(at) + ", the steps at " + std::to_string(want));
    }
}

// CutAtByte at position and CutToChars to count, with the flag of each.
void CompareCuts(const std::string& text, size_t position, int count, bool flag) {
    std::vector<char> buffer(text.c_str(), text.c_str() + text.size() + 1);
    CutAtByte(position, buffer.data(), flag);
    std::string want = CutAt(text, position, flag);
    FUZZ_CHECK(want == buffer.data(), "text " + Show(text) + " CutAtByte " + std::to_string(position) +
                                          " gave " + Show(buffer.data()) + ", the rule " + Show(want));
    std::memcpy(buffer.data(), text.c_str(), text.size() + 1);
    bool wasCut = CutToChars(buffer.data(), count, flag);
    bool wantCut = false;
    want = CutChars(text, count, flag, &wantCut);
    FUZZ_CHECK(want == buffer.data() && wasCut == wantCut,
               "text " + Show(text) + " CutToChars " + std::to_string(count) + " gave " + Show(buffer.data()) +
                   ", the rule " + Show(want));
}

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
    CompareSearch(text, needle);
    for (bool flag : {false, true}) {
        size_t position = in.Below(static_cast<unsigned>(text.size()) + 4);
        CompareCuts(text, position, static_cast<int>(in.Below(90)), flag);
    }
}

void CheckUtf8Steps() {
    for (const char* before : {"", "\xC3"}) {
        for (int lead = 0x80; lead <= 0xFF; ++lead) {
            for (size_t run = 0; run <= 7; ++run) {
                std::string text = before + std::string(1, static_cast<char>(lead)) +
                                   std::string("bcdefgh").substr(0, run) + "aB\xE3\x81\x82" "a";
                for (size_t from = 0; from < text.size(); ++from) {
                    CompareSearch(text, text.substr(from, 1));
                    CompareSearch(text, text.substr(from, 2));
                }
                for (size_t at = 0; at <= text.size() + 1; ++at) {
                    for (bool flag : {false, true}) CompareCuts(text, at, static_cast<int>(at), flag);
                }
            }
        }
    }
}
