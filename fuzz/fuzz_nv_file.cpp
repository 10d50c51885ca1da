// Name-value files: pairs that the format can carry come back from Read
// exactly as Write wrote them, and Read survives any file's bytes.
#include <cstring>
#include <string>
#include <vector>

#include "support.h"
#include "util/file_os.h"
#include "util/nv_file.h"
#include "util/nv_io.h"

namespace {

// Longest value line the property covers.
constexpr size_t kValueMax = 5000;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

void TrimBlanks(std::string& text) {
    while (!text.empty() && IsBlank(text.back())) text.pop_back();
}

// A name the format keeps: no separator, line break or NUL, no leading TAB
// (a continuation), no trailing blank, and no '#' that would make the line
// a comment.
std::string FileName(std::string name) {
    std::string out;
    for (char c : name) {
        if (c == '=' || c == '\n' || c == '\r' || c == '\0') c = '_';
        if (c == '#' && (out.empty() || out.back() == ' ' || out.back() == '\t')) c = '_';
        out += c;
    }
    if (!out.empty() && out[0] == '\t') out[0] = '_';
    TrimBlanks(out);
    return out;
}

// A value the format keeps: no NUL, and no line of it ends in a blank.
std::string FileValue(const std::string& value) {
    std::string out;
    std::string line;
    for (char c : value) {
        if (c == '\0') c = '_';
        if (c == '\n') {
            TrimBlanks(line);
            out += line + '\n';
            line.clear();
        } else {
            line += c;
        }
    }
    TrimBlanks(line);
    return out + line;
}

void WriteFile(const std::string& path, const std::string& bytes) {
    NUFileHandle file = FileOs().createWrite(path.c_str());
    if (file == kInvalidFileHandle) return;
    FileOs().write(file, bytes.data(), bytes.size());
    FileOs().close(file);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Nothing here needs stable storage; skipping the flushes keeps runs fast.
    FileOs().sync = [](NUFileHandle) { return 0; };
    FileOs().syncDirectory = [](const char*) { return 0; };
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    const std::string dir = ScratchDirectory();
    if (in.Byte() & 1) {
        // Any bytes as a file: Read must not fail on its content.
        NUioObjList obj;
        obj.SetPath("any.sts", dir.c_str());
        bool keepComments = in.Byte() & 1;
        WriteFile(dir + "/any.sts", in.Rest());
        NUFileIO io;
        io.noLock = true;
        int r = io.Read(&obj, false, keepComments);
        FUZZ_CHECK(r == 0, "result " + std::to_string(r));
        return 0;
    }

    std::vector<std::pair<std::string, std::string>> pairs;
    NUioObjList written;
    written.SetPath("pairs.sts", dir.c_str());
    unsigned n = 1 + in.Below(6);
    for (unsigned i = 0; i < n; ++i) {
        std::string name = FileName(in.Text(40));
        std::string value;
        if (in.Byte() & 1) {
            // A short piece repeated: long lines whose blanks and '#' fall on
            // every offset, the reader's chunk boundaries included.
            std::string piece = in.Text(16);
            size_t length = in.Below(kValueMax + 1);
            while (!piece.empty() && value.size() + piece.size() <= length) value += piece;
        } else {
            value = in.Text(kValueMax);
        }
        value = FileValue(value);
        pairs.emplace_back(name, value);
        written.Add(name.c_str(), value.c_str(), nullptr);
    }
    NUFileIO writer;
    int r = writer.Write(&written, false);
    FUZZ_CHECK(r == 0, "write result " + std::to_string(r));

    NUioObjList read;
    read.SetPath("pairs.sts", dir.c_str());
    NUFileIO reader;
    reader.noLock = true;
    r = reader.Read(&read, false, true);
    FUZZ_CHECK(r == 0, "read result " + std::to_string(r));
    FUZZ_CHECK(read.Count() == static_cast<int>(pairs.size()),
               std::to_string(read.Count()) + " pairs read of " + std::to_string(pairs.size()));
    for (size_t i = 0; i < pairs.size(); ++i) {
        char* name = nullptr;
        char* value = nullptr;
        read.GetAt(static_cast<int>(i), &name, &value);
        std::string got = value ? value : "";
        FUZZ_CHECK(pairs[i].first == name, "name [" + Visible(pairs[i].first) + "] read as [" +
                                               Visible(name) + "]");
        FUZZ_CHECK(pairs[i].second == got, "value of " + std::to_string(pairs[i].second.size()) +
                                               " bytes [" + Visible(pairs[i].second) +
                                               "] read as [" + Visible(got) + "]");
    }
    return 0;
}
