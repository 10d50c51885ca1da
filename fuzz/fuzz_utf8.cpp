// UTF-8 utilities and byte strings: every cut keeps a prefix (or, for the
// column cut, a suffix) of its text, stays within its limit, and never
// splits a well-formed character, whatever broken bytes surround it.
#include <cstring>
#include <string>
#include <vector>

#include "support.h"
#include "util/nu_string.h"
#include "util/utf8_text.h"

namespace {

// Length of the well-formed UTF-8 character at text[i] (1 to 4), 0 when
// the byte there does not start one.
size_t WellFormedAt(const std::string& text, size_t i) {
    auto at = [&](size_t k) { return k < text.size() ? static_cast<unsigned char>(text[k]) : 0u; };
    auto in = [](unsigned c, unsigned lo, unsigned hi) { return c >= lo && c <= hi; };
    unsigned c = at(i);
    if (c != 0 && c < 0x80) return 1;
    if (in(c, 0xC2, 0xDF)) return in(at(i + 1), 0x80, 0xBF) ? 2 : 0;
    if (in(c, 0xE0, 0xEF)) {
        unsigned lo = c == 0xE0 ? 0xA0 : 0x80;
        unsigned hi = c == 0xED ? 0x9F : 0xBF;
        return in(at(i + 1), lo, hi) && in(at(i + 2), 0x80, 0xBF) ? 3 : 0;
    }
    if (in(c, 0xF0, 0xF4)) {
        unsigned lo = c == 0xF0 ? 0x90 : 0x80;
        unsigned hi = c == 0xF4 ? 0x8F : 0xBF;
        return in(at(i + 1), lo, hi) && in(at(i + 2), 0x80, 0xBF) && in(at(i + 3), 0x80, 0xBF) ? 4
                                                                                                : 0;
    }
    return 0;
}

// The text's well-formed characters as [start, end) byte ranges, read from
// the start; every other byte stands alone.
struct Chars {
    explicit Chars(const std::string& text) {
        for (size_t i = 0; i < text.size();) {
            size_t n = WellFormedAt(text, i);
            if (n > 0) spans.push_back({i, i + n});
            i += n > 0 ? n : 1;
        }
    }
    // True when position falls inside a well-formed character.
    bool Splits(size_t position) const {
        for (const auto& span : spans) {
            if (span.first < position && position < span.second) return true;
        }
        return false;
    }
    // End of the last well-formed character that ends at or before limit.
    size_t LastWholeEnd(size_t limit) const {
        size_t end = 0;
        for (const auto& span : spans) {
            if (span.second <= limit) end = span.second;
        }
        return end;
    }
    bool AllWellFormed(size_t length) const {
        size_t covered = 0;
        for (const auto& span : spans) covered += span.second - span.first;
        return covered == length;
    }
    std::vector<std::pair<size_t, size_t>> spans;
};

std::string Describe(const std::string& text, size_t limit, const std::string& got) {
    return "text [" + Visible(text) + "] limit " + std::to_string(limit) + " gave [" + Visible(got) +
           "]";
}

// A cut of text to limit bytes that gave got.
void CheckByteCut(const char* unit, const std::string& text, const Chars& chars, size_t limit,
                  const std::string& got) {
    std::string detail = std::string(unit) + ": " + Describe(text, limit, got);
    FUZZ_CHECK(got.size() <= limit || got.size() == text.size(), detail);
    FUZZ_CHECK(text.compare(0, got.size(), got) == 0, detail);
    FUZZ_CHECK(!chars.Splits(got.size()), detail);
    FUZZ_CHECK(got.size() >= chars.LastWholeEnd(limit < text.size() ? limit : text.size()), detail);
}

// Units of a well-formed text as CutToChars counts them.
long Units(const std::string& text, bool fourByteAsOne) {
    long units = 0;
    for (size_t i = 0; i < text.size();) {
        size_t n = WellFormedAt(text, i);
        units += (n == 4 && !fourByteAsOne) ? 2 : 1;
        i += n;
    }
    return units;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    size_t limit = in.Below(80);
    bool flag = in.Byte() & 1;
    std::string text = in.Rest();
    text.resize(strlen(text.c_str()));
    Chars chars(text);
    std::vector<char> buffer(text.begin(), text.end());
    buffer.push_back('\0');

    CutAtBytePosition(buffer.data(), limit);
    CheckByteCut("CutAtBytePosition", text, chars, limit, buffer.data());

    std::memcpy(buffer.data(), text.c_str(), text.size() + 1);
    CutAtByte(limit, buffer.data(), flag);
    CheckByteCut("CutAtByte", text, chars, limit, buffer.data());

    std::vector<char> copy(limit + 1);
    CopyCut(copy.data(), copy.size(), text.c_str());
    std::string copied = copy.data();
    FUZZ_CHECK(copied.size() <= limit && text.compare(0, copied.size(), copied) == 0,
               Describe(text, limit, copied));

    static const char kSuffix[] = "...";
    NUString cut;
    cut.SetCutBytes(text.c_str(), static_cast<int>(limit), kSuffix);
    std::string got = cut.Get();
    if (got.size() != text.size() || got != text) {
        FUZZ_CHECK(got.size() <= limit || limit < 3, "SetCutBytes: " + Describe(text, limit, got));
        if (limit >= 3) {
            FUZZ_CHECK(got.size() >= 3 && got.compare(got.size() - 3, 3, kSuffix) == 0,
                       "SetCutBytes: " + Describe(text, limit, got));
            std::string kept = got.substr(0, got.size() - 3);
            CheckByteCut("SetCutBytes", text, chars, limit - 3, kept);
        }
    }

    std::memcpy(buffer.data(), text.c_str(), text.size() + 1);
    int count = static_cast<int>(limit);
    bool wasCut = CutToChars(buffer.data(), count, flag);
    got = buffer.data();
    std::string detail = "CutToChars: " + Describe(text, limit, got);
    FUZZ_CHECK(text.compare(0, got.size(), got) == 0, detail);
    FUZZ_CHECK(!chars.Splits(got.size()), detail);
    FUZZ_CHECK(wasCut == (got.size() < text.size()) || count <= 0, detail);
    if (chars.AllWellFormed(text.size())) {
        FUZZ_CHECK(Units(got, flag) <= count, detail);
        if (got.size() < text.size()) {
            size_t next = WellFormedAt(text, got.size());
            FUZZ_CHECK(Units(text.substr(0, got.size() + next), flag) > count, detail);
        }
    }

    // Fewer units than the suffix's bytes give the suffix alone.
    cut.SetCutChars(text.c_str(), count, kSuffix, flag);
    got = cut.Get();
    if (count > 3 && got != text && got.size() >= 3 && got.compare(got.size() - 3, 3, kSuffix) == 0) {
        std::string kept = got.substr(0, got.size() - 3);
        detail = "SetCutChars: " + Describe(text, limit, got);
        FUZZ_CHECK(text.compare(0, kept.size(), kept) == 0, detail);
        FUZZ_CHECK(!chars.Splits(kept.size()), detail);
        if (chars.AllWellFormed(text.size())) FUZZ_CHECK(Units(got, flag) <= count, detail);
    }

    std::memcpy(buffer.data(), text.c_str(), text.size() + 1);
    KeepLastColumns(buffer.data());
    got = buffer.data();
    detail = "KeepLastColumns: " + Describe(text, 64, got);
    FUZZ_CHECK(got.size() <= text.size(), detail);
    size_t start = text.size() - got.size();
    FUZZ_CHECK(text.compare(start, got.size(), got) == 0, detail);
    FUZZ_CHECK(!chars.Splits(start), detail);
    return 0;
}
