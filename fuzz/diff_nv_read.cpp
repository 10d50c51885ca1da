// The name-value reader against a reference that takes the file line by
// line and applies the format's rules in their order, on files of blanks,
// separators, comments, continuations, CR, NUL and lines past 2047 bytes,
// with the bytes the rules turn on placed at and around the 2047-byte edges.
#include <algorithm>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "differential.h"
#include "util/file_os.h"
#include "util/nv_file.h"
#include "util/nv_io.h"

namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;

// A name ends within a line's first this many bytes.
constexpr size_t kNameBytes = 2047;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string TrimmedRight(std::string text) {
    while (!text.empty() && IsBlank(text.back())) text.pop_back();
    return text;
}

// The rules of the format, each applied once to a whole line: a TAB first
// continues the last value (never cut, a lone TAB a bare LF); a separator
// in the first 2047 bytes makes an entry unless a '#' at the start or after
// a blank comes before it; the value ends at a '#' that is its first and has
// a TAB before it; name and value lose their trailing blanks.
Pairs ReadReference(const std::string& file, char separator, bool keepComments) {
    Pairs pairs;
    size_t at = 0;
    while (at < file.size()) {
        size_t lf = file.find('\n', at);
        std::string line = file.substr(at, lf == std::string::npos ? std::string::npos : lf - at);
        at = lf == std::string::npos ? file.size() : lf + 1;
        if (lf != std::string::npos && !line.empty() && line.back() == '\r') line.pop_back();
        line = line.substr(0, line.find('\0'));  // a NUL ends the line's text
        if (!line.empty() && line[0] == '\t') {
            if (pairs.empty()) continue;
            pairs.back().second += line == "\t" ? "\n" : TrimmedRight("\n" + line.substr(1));
            continue;
        }
        size_t sep = line.find(separator);
        if (sep == std::string::npos || sep + 1 > kNameBytes) continue;
        bool comment = false;
        for (size_t i = 0; i < sep; ++i) {
            if (line[i] == '#' && (i == 0 || line[i - 1] == ' ' || line[i - 1] == '\t')) comment = true;
        }
        if (comment) continue;
        std::string value = line.substr(sep + 1);
        size_t hash = value.find('#');
        if (!keepComments && hash != std::string::npos && value.substr(0, hash).find('\t') != std::string::npos) {
            value.erase(hash);
        }
        pairs.emplace_back(TrimmedRight(line.substr(0, sep)), TrimmedRight(value));
    }
    return pairs;
}

const std::string kPieces[] = {
    "a", "k", "=", ":", "#", " ", "\t", "\n", "\r\n", "\r", std::string(1, '\0'), "\xE3",
    "\n\t", "\n#", "k=", "\t#",
};

// Reads file with NUFileIO and with the reference, and stops on the first
// pair that differs.
void CompareReaders(const std::string& file, char separator, bool keepComments) {
    const std::string path = ScratchDirectory() + "/reference.sts";
    FileOs().removeFile(path.c_str());
    NUFileHandle handle = FileOs().createWrite(path.c_str());
    FUZZ_CHECK(handle != kInvalidFileHandle, path);
    FUZZ_CHECK(FileOs().write(handle, file.data(), file.size()) == 0, path);
    FileOs().close(handle);

    NUioObjList obj;
    obj.SetPath("reference.sts", ScratchDirectory().c_str());
    NUFileIO io;
    io.noLock = true;
    io.SetSeparator(separator);
    int r = io.Read(&obj, false, keepComments);
    FUZZ_CHECK(r == 0, "result " + std::to_string(r));
    Pairs got;
    char* name = nullptr;
    char* value = nullptr;
    for (int i = 0; obj.GetAt(i, &name, &value) == 0; ++i) got.emplace_back(name, value ? value : "");
    Pairs want = ReadReference(file, separator, keepComments);
    std::string detail = "file [" + Visible(file.substr(0, 300)) + "] of " + std::to_string(file.size()) +
                         " bytes, " + std::to_string(got.size()) + " pairs, the reference " +
                         std::to_string(want.size());
    FUZZ_CHECK(got.size() == want.size(), detail);
    for (size_t i = 0; i < got.size(); ++i) {
        FUZZ_CHECK(got[i] == want[i], detail + "; pair " + std::to_string(i) + " [" +
                                          Visible(got[i].first.substr(0, 80)) + "]=[" +
                                          Visible(got[i].second.substr(0, 200)) + "], the reference [" +
                                          Visible(want[i].first.substr(0, 80)) + "]=[" +
                                          Visible(want[i].second.substr(0, 200)) + "]");
    }
}

// Offsets in a line around its first two 2047-byte edges.
size_t EdgeOffset(unsigned pick) { return (pick < 7 ? 2044 : 4091 - 7) + pick; }
constexpr unsigned kEdgeOffsets = 14;
const char kFillers[] = {'a', ' ', '\t'};
const char* const kEdgeBytes[] = {"=", "#", "\t#", " #", "\t", "\r", "\n", "\r\n", "x"};
constexpr size_t kEdgeByteCount = sizeof kEdgeBytes / sizeof kEdgeBytes[0];

// The current (last) line of file padded with filler up to offset.
void PadLine(std::string& file, size_t offset, char filler) {
    size_t lf = file.rfind('\n');
    size_t length = file.size() - (lf == std::string::npos ? 0 : lf + 1);
    if (length < offset) file.append(offset - length, filler);
}

}  // namespace

void CheckNameValueReader(FuzzInput& in) {
    bool keepComments = in.Byte() & 1;
    char separator = (in.Byte() & 1) ? ':' : '=';
    std::string file;
    for (unsigned parts = in.Below(8); parts > 0 && !in.empty(); --parts) {
        if (in.Below(4) == 0) {
            // The next byte lands at or next to one of the line's edges.
            // Read in this order on every compiler.
            size_t offset = EdgeOffset(in.Below(kEdgeOffsets));
            char filler = kFillers[in.Below(sizeof kFillers)];
            PadLine(file, offset, filler);
            file += kEdgeBytes[in.Below(kEdgeByteCount)];
            continue;
        }
        std::string piece;
        for (unsigned n = in.Below(6); n > 0; --n) piece += kPieces[in.Below(static_cast<unsigned>(std::size(kPieces)))];
        // A short piece repeated: lines that cross the 2047-byte edges with
        // blanks, separators and comments on every offset.
        size_t length = (in.Byte() & 3) == 0 ? in.Below(6000) : piece.size();
        while (!piece.empty() && file.size() < 12000 && length >= piece.size()) {
            file += piece;
            length -= piece.size();
        }
    }
    CompareReaders(file, separator, keepComments);
}

void CheckNameValueReaderEdges() {
    const char* const starts[] = {"", "k=", "\t", "# ", "k=a#b", "k=\t"};
    for (const char* start : starts) {
        for (char filler : kFillers) {
            std::string file;
            for (unsigned pick = 0; pick < kEdgeOffsets; ++pick) {
                for (const char* edge : kEdgeBytes) {
                    file += "z=0\n";
                    file += start;
                    PadLine(file, EdgeOffset(pick), filler);
                    file += edge;
                    file += "y\t#=\n";
                }
            }
            for (bool keepComments : {false, true}) CompareReaders(file, '=', keepComments);
        }
    }
}
