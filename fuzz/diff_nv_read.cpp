// The name-value reader against a reference that takes the file line by
// line and applies the format's rules in their order, on files of blanks,
// separators, comments, continuations, CR, NUL and lines past 2047 bytes.
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

// A name ends, and a comment may start afresh, within each piece of this many
// bytes of a line.
constexpr size_t kPiece = 2047;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string TrimmedRight(std::string text) {
    while (!text.empty() && IsBlank(text.back())) text.pop_back();
    return text;
}

// Where the value (at offset from in its line) ends: at the first '#' of a
// stretch when a TAB stands before it in that stretch. The stretches are
// the value, and the rest of each 2047-byte piece of the line after the
// value's start.
size_t ValueEnd(const std::string& value, size_t from) {
    size_t end = value.size();
    std::vector<size_t> starts{0};
    for (size_t edge = kPiece; edge < from + value.size(); edge += kPiece) {
        if (edge > from) starts.push_back(edge - from);
    }
    for (size_t start : starts) {
        size_t stop = start == 0 ? value.size() : std::min(value.size(), start + kPiece);
        size_t hash = value.find('#', start);
        if (hash >= stop) continue;
        size_t tab = value.find('\t', start);
        if (tab < hash) end = std::min(end, hash);
    }
    return end;
}

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
            std::string more = "\n" + line.substr(1);
            if (line.size() > 1) more = TrimmedRight(more);
            if (!pairs.empty()) pairs.back().second += more;
            continue;
        }
        size_t sep = line.find(separator);
        if (sep == std::string::npos || sep >= kPiece) continue;
        bool comment = false;
        for (size_t i = 0; i < sep; ++i) {
            if (line[i] == '#' && (i == 0 || line[i - 1] == ' ' || line[i - 1] == '\t')) comment = true;
        }
        if (comment) continue;
        std::string value = line.substr(sep + 1);
        if (!keepComments) value.resize(ValueEnd(value, sep + 1));
        pairs.emplace_back(TrimmedRight(line.substr(0, sep)), TrimmedRight(value));
    }
    return pairs;
}

const std::string kPieces[] = {
    "a", "k", "=", ":", "#", " ", "\t", "\n", "\r\n", "\r", std::string(1, '\0'), "\xE3",
    "\n\t", "\n#", "k=", "\t#",
};

}  // namespace

void CheckNameValueReader(FuzzInput& in) {
    bool keepComments = in.Byte() & 1;
    char separator = (in.Byte() & 1) ? ':' : '=';
    std::string file;
    for (unsigned parts = in.Below(8); parts > 0 && !in.empty(); --parts) {
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
