// NUFileIO: the name-value file format, read and written under lock files,
// written through a temporary file and a replacing rename.
#include "util/nv_file.h"

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <string>

#include "util/file_os.h"
#include "util/log.h"
#include "util/utf8_text.h"

namespace {

std::string LockPath(const char* path) { return std::string(path) + ".lk"; }

// Splits a file into physical lines the way a text-mode read does: a line
// ends after an LF, and CR LF is read as LF. A line is read whole, however
// long, so the line rules apply once to all of it.
class LineReader {
public:
    explicit LineReader(NUFileHandle file) : handle(file) {}

    // 1 with the line in out (without its LF, or its CR LF), 0 at the end of
    // the file, -1 when reading fails.
    int Next(std::string& out) {
        out.clear();
        while (Fill()) {
            const char* start = buffer + pos;
            size_t available = end - pos;
            const void* lf = memchr(start, '\n', available);
            if (lf) {
                size_t n = static_cast<size_t>(static_cast<const char*>(lf) - start);
                out.append(start, n);
                pos += n + 1;
                if (!out.empty() && out.back() == '\r') out.pop_back();
                return 1;
            }
            out.append(start, available);
            pos = end;
        }
        if (failed) return -1;
        return out.empty() ? 0 : 1;
    }

private:
    bool Fill() {
        if (pos < end) return true;
        if (atEnd || failed) return false;
        long long n = FileOs().read(handle, buffer, sizeof buffer);
        if (n < 0) failed = true;
        if (n <= 0) {
            atEnd = true;
            return false;
        }
        pos = 0;
        end = static_cast<size_t>(n);
        return true;
    }

    NUFileHandle handle;
    char buffer[4096];
    size_t pos = 0;
    size_t end = 0;
    bool atEnd = false;
    bool failed = false;
};

// A line is a comment when a '#' before its first separator starts the line
// or follows a space or TAB.
bool IsCommentLine(const char* line, char separator) {
    for (size_t i = 0; line[i] && line[i] != separator; ++i) {
        if (line[i] == '#' && (i == 0 || line[i - 1] == ' ' || line[i - 1] == '\t')) return true;
    }
    return false;
}

// A name ends within the first this many bytes of its line: a line whose
// first separator stands later is no entry.
constexpr size_t kNameBytes = 2047;

// Cuts the value at its comment: its first '#', when a TAB stands before it
// in the value.
void CutValueComment(char* value) {
    char* hash = strchr(value, '#');
    if (hash && memchr(value, '\t', static_cast<size_t>(hash - value))) *hash = '\0';
}

// Appends one pair in the file format: the value's further lines follow
// with a leading TAB; a CR right before an LF is dropped.
void AppendPair(std::string& out, const char* name, char separator, const char* value,
                const char* lineEnd) {
    out += name;
    out += separator;
    if (value) {
        const char* start = value;
        for (;;) {
            const char* lf = strchr(start, '\n');
            if (!lf) {
                out += start;
                break;
            }
            const char* stop = (lf > start && lf[-1] == '\r') ? lf - 1 : lf;
            out.append(start, stop);
            out += lineEnd;
            out += '\t';
            start = lf + 1;
        }
    }
    out += lineEnd;
}

// The directory to flush after a rename into place.
std::string DirectoryToSync(const char* path) {
    std::string dir(strlen(path) + 1, '\0');
    DirectoryPart(dir.data(), path, static_cast<int>(dir.size()));
    dir.resize(strlen(dir.c_str()));
    if (dir.empty() && (path[0] == '/' || path[0] == '\\')) dir = "/";
    return dir;
}

}  // namespace

NUFileIO::~NUFileIO() { Unlock(); }

void NUFileIO::SetSeparator(char c) { separator = c; }

void NUFileIO::TrimRight(char* text) { TrimTrailingSpace(text); }

int NUFileIO::LockShared(const char* path) {
    Unlock();
    if (!path) return -14;
    lockHandle = OpenLockRead(retries, LockPath(path).c_str(), waitSeconds);
    if (lockHandle != kInvalidFileHandle) return 0;
    if (errno == ENOENT || errno == ENOTDIR || errno == EBADF) return -16;
    if (errno == EACCES || errno == EAGAIN) return -17;
    return -14;
}

int NUFileIO::LockExclusive(const char* path) {
    Unlock();
    if (!path) return -15;
    std::string lockPath = LockPath(path);
    lockHandle = shareReaders ? OpenLockShared(lockPath.c_str(), retries, waitSeconds)
                              : OpenLockExclusive(lockPath.c_str(), retries, waitSeconds);
    if (lockHandle != kInvalidFileHandle) return 0;
    if (errno == EACCES || errno == EAGAIN) return -17;
    return -15;
}

void NUFileIO::Unlock() {
    CloseFileHandle(lockHandle);
    lockHandle = kInvalidFileHandle;
}

int NUFileIO::Read(NUioObj* obj, bool tryOnce, bool keepComments) {
    if (!obj) return -1;
    char path[kNUPathSize] = {};
    int r = obj->GetPath(path);
    if (r != 0) return r;

    int unlockedResult = 0;
    if (!noLock) {
        if (tryOnce) {
            retries = 1;
            waitSeconds = 0;
        }
        r = LockShared(path);
        if (r == -17 && tryOnce) {
            unlockedResult = -19;
        } else if (r != 0) {
            return r;
        }
    }

    NUFileOs& os = FileOs();
    NUFileHandle file = os.openRead(path);
    if (file == kInvalidFileHandle) {
        r = (errno == ENOENT || errno == ENOTDIR) ? -16 : -10;
    } else {
        r = ReadPairs(obj, file, keepComments);
        os.close(file);
    }
    if (!noLock) Unlock();
    return r != 0 ? r : unlockedResult;
}

int NUFileIO::ReadPairs(NUioObj* obj, NUFileHandle file, bool keepComments) {
    LineReader reader(file);
    std::string text;
    // Continuation lines gathered for the last value and appended in one
    // call before anything else reaches obj, so a value of many lines is
    // joined once instead of once per line.
    std::string continued;
    auto appendContinued = [&]() {
        if (continued.empty()) return 0;
        int r = obj->AppendToLast(continued.c_str());
        continued.clear();
        return r == -7 ? 0 : r;
    };
    unsigned char ctx = 0;
    int got;
    while ((got = reader.Next(text)) == 1) {
        char* line = text.data();
        int r = obj->FilterLine(line, &ctx);
        if (r == 1) continue;
        if (r != 0) {
            appendContinued();
            return r;
        }
        if (line[0] == '\t') {
            // Continuation: the TAB becomes the line break of the value.
            line[0] = '\n';
            if (line[1]) TrimRight(line);
            continued += line;
            continue;
        }
        char* sep = strchr(line, separator);
        if (!sep || static_cast<size_t>(sep - line) >= kNameBytes ||
            IsCommentLine(line, separator)) {
            continue;
        }
        r = appendContinued();
        if (r != 0) return r;
        *sep = '\0';
        char* value = sep + 1;
        TrimRight(line);
        if (!keepComments) CutValueComment(value);
        TrimRight(value);
        r = obj->Add(line, value, &ctx);
        if (r != 0) return r;
    }
    int r = appendContinued();
    if (got < 0) return -10;
    return r;
}

int NUFileIO::Write(NUioObj* obj, bool keepLock) {
    if (!obj) return -1;
    char path[kNUPathSize] = {};
    int r = obj->GetPath(path);
    if (r != 0) return r;
    if (FileOs().isDirectory(path) == 1) return -11;
    if (!(keepLock && HasLock())) {
        r = LockExclusive(path);
        if (r != 0) return r;
    }
    r = WriteReplacing(obj, path);
    if (!keepLock) Unlock();
    return r;
}

int NUFileIO::WriteReplacing(NUioObj* obj, const char* path) {
    NUFileOs& os = FileOs();
    std::string text;
    char* name = nullptr;
    char* value = nullptr;
    for (int i = 0; obj->GetAt(i, &name, &value) == 0; ++i) {
        if (name) AppendPair(text, name, separator, value, os.lineEnd);
    }

    // The new contents reach stable storage before they replace the old
    // file, so a crash leaves either the old file or the new one.
    // A stale temporary file (or a link planted at its name) goes first; the
    // new one is created fresh, so nothing is written through a link.
    std::string temporary = std::string(path) + ".bk";
    if (os.removeFile(temporary.c_str()) != 0 && errno != ENOENT) return -10;
    NUFileHandle file = os.createWrite(temporary.c_str());
    if (file == kInvalidFileHandle) return -10;
    bool written = os.write(file, text.data(), text.size()) == 0 && os.sync(file) == 0;
    written = os.close(file) == 0 && written;
    if (!written) {
        os.removeFile(temporary.c_str());
        return -12;
    }
    // A failed replacement keeps the old file, and the temporary file
    // beside it keeps the new contents.
    if (RenameReplace(temporary.c_str(), path) != 0) return errno == EEXIST ? -18 : -13;
    // The new file is complete and on disk. Should its directory entry not
    // reach the disk, a power cut brings the old file back whole, never a
    // false one: a failed flush of the directory is logged, not a failure.
    std::string dir = DirectoryToSync(path);
    if (os.syncDirectory(dir.c_str()) != 0) {
        LogAppend("fsync dir[%s] path[%s] errno=[%d]\n", dir.c_str(), path, errno);
    }
    return 0;
}

int NUFileIO::Lock(NUioObj* obj) {
    if (!obj) return -1;
    char path[kNUPathSize] = {};
    int r = obj->GetPath(path);
    if (r != 0) return r;
    return LockExclusive(path);
}

int NUFileIO::Remove(NUioObj* obj, bool keepLock, bool removeLockFile) {
    if (!obj) return -1;
    char path[kNUPathSize] = {};
    int r = obj->GetPath(path);
    if (r != 0) return r;
    if (!(keepLock && HasLock())) {
        r = LockExclusive(path);
        if (r != 0) return r;
    }
    NUFileOs& os = FileOs();
    r = os.removeFile(path) == 0 || errno == ENOENT ? 0 : -18;
    if (keepLock) return r;
    if (!removeLockFile) {
        Unlock();
        return r;
    }
    // A lock file is deleted only while nobody else can hold it, so that no
    // one waits on, or locks, a file that is gone: where a held file can be
    // deleted, before the lock is released; elsewhere after, and a lock
    // taken in between keeps the file from deletion (it then stays).
    std::string lockPath = LockPath(path);
    if (os.heldFilesDeletable && os.sameFileAtPath(lockHandle, lockPath.c_str()) == 1) {
        os.removeFile(lockPath.c_str());
    }
    Unlock();
    if (!os.heldFilesDeletable) os.removeFile(lockPath.c_str());
    return r;
}
