// Name-value files: the format's reading and writing rules, bad input, lock
// files within and across processes, and writes that fail part-way.
#include "util/nv_file.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "support/helper_process.h"
#include "support/temp_dir.h"
#include "util/file_os.h"

namespace fs = std::filesystem;

namespace {

using Texts = std::vector<std::string>;

// A file's text as the writer lays it out here: its lines end with the
// platform's line end.
std::string Written(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') {
            out += FileOs().lineEnd;
        } else {
            out += c;
        }
    }
    return out;
}

struct RestoreFileOs {
    NUFileOs saved = FileOs();
    ~RestoreFileOs() { FileOs() = saved; }
};

Texts Pairs(NUioObjList& obj) {
    Texts out;
    char* name = nullptr;
    char* value = nullptr;
    for (int i = 0; obj.GetAt(i, &name, &value) == 0; ++i) {
        out.push_back(std::string(name) + "=" + (value ? value : "(null)"));
    }
    return out;
}

struct ReadResult {
    int code;
    Texts pairs;
};

// Reads text as a name-value file (with its lock file present).
ReadResult ReadText(const std::string& text, bool keepComments = false, char separator = '=') {
    TempDir dir;
    std::string path = dir.file("data.txt");
    EXPECT_TRUE(WriteWholeFile(path, text));
    EXPECT_TRUE(WriteWholeFile(path + ".lk", ""));
    NUioObjList obj;
    obj.SetPath("data.txt", dir.path().c_str());
    NUFileIO io;
    io.SetSeparator(separator);
    ReadResult result;
    result.code = io.Read(&obj, false, keepComments);
    result.pairs = Pairs(obj);
    EXPECT_FALSE(io.HasLock());
    return result;
}

// Lock attempts of one try, without waiting.
struct OneTryIO : NUFileIO {
    OneTryIO() {
        retries = 1;
        waitSeconds = 0;
    }
};

// A file of the given name (and text, when given) in a fresh directory, the
// list that names it, and an I/O object.
struct NVFile {
    TempDir dir;
    NUioObjList obj;
    NUFileIO io;
    explicit NVFile(const char* name = "s.sts", const char* text = nullptr) {
        if (text) {
            EXPECT_TRUE(WriteWholeFile(dir.file(name), text));
        }
        obj.SetPath(name, dir.path().c_str());
    }
    // The pairs a fresh list reads from the file at name.
    Texts ReadBack(const char* name = "s.sts") {
        NUioObjList back;
        back.SetPath(name, dir.path().c_str());
        EXPECT_EQ(io.Read(&back, false, false), 0);
        return Pairs(back);
    }
};

}  // namespace

// ---- reading

TEST(NVFileRead, LineRules) {
    struct Row {
        std::string text;
        Texts expected;
        bool keepComments = false;
        char separator = '=';
    } rows[] = {
        {"a=1\r\nb = x # y\r\nc=2\t# note\r\n# d=4\r\n  #e=5\r\nf#g=6\r\n\tmore\r\n",
         {"a=1", "b= x # y", "c=2", "f#g=6\nmore"}},
        {"k=v1\nk=v2\n", {"k=v1", "k=v2"}},
        {"\tlead\nk=v\n", {"k=v"}},
        {"k=v\n\t# note\n", {"k=v\n# note"}},
        {"k=v\n\t\n\tx=y\n", {"k=v\n\nx=y"}},
        {"k=v\n\t   \n", {"k=v"}},
        {"url=a#b\nx=a # b\n", {"url=a#b", "x=a # b"}},
        // Only the value's first '#' can start a comment, and only after a TAB.
        {"x=a # b\t# c\td\n", {"x=a # b\t# c\td"}},
        {"x=a\tb # c\n", {"x=a\tb"}},
        {"  name  = value  \t \n", {"  name= value"}},
        {"=\nk=\n=v\n", {"=", "k=", "=v"}},
        {"a=b=c\n", {"a=b=c"}},
        {"blank\n\nno separator here\nk=v", {"k=v"}},
        {"x\t#=1\n#y=2\nz#=3\n", {"z#=3"}},
        {"a=1\rb=2\r\n", {"a=1\rb=2"}},
        {"", {}},
        {"a=1\nb=2", {"a=1", "b=2"}},
        // A NUL byte ends the line's text but never glues the next line on.
        {std::string("a=x\0y\nb=2\n", 11), {"a=x", "b=2"}},
        {"b=\x01\xff\xfe\x80\n", {"b=\x01\xff\xfe\x80"}},
        {"c=2\t# note\nd=x\t#y\t\n", {"c=2\t# note", "d=x\t#y"}, true},
        {"a:1=2\nb=3\n", {"a=1=2"}, false, ':'},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        ReadResult r = ReadText(row.text, row.keepComments, row.separator);
        EXPECT_EQ(r.code, 0);
        EXPECT_EQ(r.pairs, row.expected);
    }
}

TEST(NVFileRead, AddsToWhatTheObjectHolds) {
    NVFile f("f", "b=2\n");
    f.obj.Add("a", "1", nullptr);
    f.io.noLock = true;
    EXPECT_EQ(f.io.Read(&f.obj, false, false), 0);
    EXPECT_EQ(f.io.Read(&f.obj, false, false), 0);
    EXPECT_EQ(Pairs(f.obj), (Texts{"a=1", "b=2", "b=2"}));
}

TEST(NVFileRead, MissingFilesAndPaths) {
    TempDir dir;
    NUFileIO io;
    EXPECT_EQ(io.Read(nullptr, false, false), -1);
    NUioObjList noPath;
    EXPECT_EQ(io.Read(&noPath, false, false), -11);

    NUioObjList obj;
    obj.SetPath("data.sts", dir.path().c_str());
    ASSERT_TRUE(WriteWholeFile(dir.file("data.sts"), "k=v\n"));
    EXPECT_EQ(io.Read(&obj, false, false), -16);  // no lock file
    EXPECT_EQ(obj.Count(), 0);
    io.noLock = true;
    EXPECT_EQ(io.Read(&obj, false, false), 0);
    EXPECT_EQ(obj.Count(), 1);

    NUioObjList missing;
    missing.SetPath("nothing.sts", (dir.path() + "/nodir").c_str());
    EXPECT_EQ(io.Read(&missing, false, false), -16);
    fs::create_directories(dir.file("adir"));
    NUioObjList directory;
    directory.SetPath("adir", dir.path().c_str());
    EXPECT_EQ(io.Read(&directory, false, false), -10);
}

TEST(NVFileRead, FailedReadReportsTheError) {
    NVFile f("f", (std::string(5000, 'x') + "\nk=v\n").c_str());
    RestoreFileOs restore;
    FileOs().read = [](NUFileHandle, void*, size_t) -> long long {
        errno = EIO;
        return -1;
    };
    f.io.noLock = true;
    EXPECT_EQ(f.io.Read(&f.obj, false, false), -10);
}

namespace {

// Skips lines starting with "skip", stops at "stop", and counts lines in
// the context byte.
class FilteredList : public NUioObjList {
public:
    int FilterLine(char* line, unsigned char* ctx) override {
        ++*ctx;
        lastCtx = *ctx;
        if (strncmp(line, "skip", 4) == 0) return 1;
        if (strncmp(line, "stop", 4) == 0) return -42;
        return 0;
    }
    int lastCtx = 0;
};

}  // namespace

TEST(NVFileRead, FilterLineSkipsAndStops) {
    TempDir dir;
    ASSERT_TRUE(WriteWholeFile(dir.file("f"), "a=1\nskip=2\nb=3\nstop=4\nc=5\n"));
    FilteredList obj;
    obj.SetPath("f", dir.path().c_str());
    NUFileIO io;
    io.noLock = true;
    EXPECT_EQ(io.Read(&obj, false, false), -42);
    EXPECT_EQ(Pairs(obj), (Texts{"a=1", "b=3"}));
    EXPECT_EQ(obj.lastCtx, 4);
}

// ---- writing

TEST(NVFileWrite, FormatAndRoundTrip) {
    NVFile f;
    for (auto [name, value] : {std::pair{"x", "1"},
                               {"m", "a\r\nb\n"},
                               {"n", nullptr},
                               {"s", "trailing   "},
                               {"c", "v\t# kept"},
                               {"r", "a\rb"}}) {
        f.obj.Add(name, value, nullptr);
    }
    EXPECT_EQ(f.io.Write(&f.obj, false), 0);
    EXPECT_FALSE(f.io.HasLock());
    EXPECT_EQ(ReadWholeFile(f.dir.file("s.sts")),
              Written("x=1\nm=a\n\tb\n\t\nn=\ns=trailing   \nc=v\t# kept\nr=a\rb\n"));
    EXPECT_TRUE(fs::exists(f.dir.file("s.sts.lk")));
    EXPECT_FALSE(fs::exists(f.dir.file("s.sts.bk")));
    EXPECT_EQ(f.ReadBack(), (Texts{"x=1", "m=a\nb\n", "n=", "s=trailing", "c=v", "r=a\rb"}));
}

TEST(NVFileWrite, ValuesOfAnyLengthReadBackUnchanged) {
    Texts values;
    for (size_t at = 2040; at <= 2050; ++at) {
        values.push_back(std::string(at, 'a') + "  b " + std::string(3000, 'd') + " #e");
    }
    std::string big;
    for (int i = 0; big.size() < 8u << 20; ++i) big += "word " + std::to_string(i) + "\t";
    big += "end";
    values.push_back(big);
    std::string lines;
    for (int i = 0; lines.size() < 4u << 20; ++i) lines += "line " + std::to_string(i) + "\n";
    values.push_back(lines + "last");

    NVFile f;
    for (const std::string& value : values) f.obj.Add("k", value.c_str(), nullptr);
    ASSERT_EQ(f.io.Write(&f.obj, false), 0);
    Texts pairs = f.ReadBack();
    ASSERT_EQ(pairs.size(), values.size());
    for (size_t i = 0; i < values.size(); ++i) {
        EXPECT_TRUE(pairs[i] == "k=" + values[i]) << "value " << i << ", length " << pairs[i].size();
    }
}

namespace {

// A sink whose pairs include one with a null name.
class NullNameList : public NUioObjList {
public:
    int GetAt(int index, char** name, char** value) override {
        if (index == 0) {
            *name = nullptr;
            *value = const_cast<char*>("hidden");
            return 0;
        }
        return NUioObjList::GetAt(index - 1, name, value);
    }
};

}  // namespace

TEST(NVFileWrite, SkipsNullNamesAndUsesTheSeparator) {
    TempDir dir;
    NullNameList obj;
    obj.SetPath("f", dir.path().c_str());
    obj.Add("a", "1", nullptr);
    NUFileIO io;
    io.SetSeparator(':');
    EXPECT_EQ(io.Write(&obj, false), 0);
    EXPECT_EQ(ReadWholeFile(dir.file("f")), Written("a:1\n"));
}

TEST(NVFileWrite, CreatesMissingDirectoriesAndReplacesTheOldFile) {
    NVFile f;
    f.obj.SetPath("s.sts", f.dir.file("new/sub").c_str());
    f.obj.Add("k", "1", nullptr);
    EXPECT_EQ(f.io.Write(&f.obj, false), 0);
    f.obj.Add("k", "2", nullptr);
    EXPECT_EQ(f.io.Write(&f.obj, false), 0);
    EXPECT_EQ(ReadWholeFile(f.dir.file("new/sub/s.sts")), Written("k=1\nk=2\n"));
}

TEST(NVFileWrite, PathIsADirectoryOrMissing) {
    NVFile f("d.sts");
    fs::create_directories(f.dir.file("d.sts"));
    EXPECT_EQ(f.io.Write(&f.obj, false), -11);
    EXPECT_EQ(f.io.Write(nullptr, false), -1);
    NUioObjList noPath;
    EXPECT_EQ(f.io.Write(&noPath, false), -11);
}

TEST(NVFileWrite, FailuresLeaveTheOldFileIntact) {
    RestoreFileOs restore;
    NUFileOs& os = FileOs();
    struct Case {
        const char* what;
        void (*inject)(NUFileOs&);
        int expected;
    } cases[] = {
        {"disk full", [](NUFileOs& t) { t.write = [](NUFileHandle, const void*, size_t) {
             errno = ENOSPC;
             return -1;
         }; }, -12},
        {"sync fails", [](NUFileOs& t) { t.sync = [](NUFileHandle) {
             errno = EIO;
             return -1;
         }; }, -12},
        {"temporary not creatable", [](NUFileOs& t) { t.createWrite = [](const char*) {
             errno = EACCES;
             return kInvalidFileHandle;
         }; }, -10},
        {"rename refused", [](NUFileOs& t) { t.rename = [](const char*, const char*) {
             errno = EACCES;
             return -1;
         }; }, -13},
        {"target stays", [](NUFileOs& t) {
             t.rename = [](const char*, const char*) {
                 errno = EEXIST;
                 return -1;
             };
             t.removeFile = [](const char* path) {
                 if (std::string(path).ends_with(".bk")) return ::unlink(path);
                 errno = EACCES;
                 return -1;
             };
         }, -18},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        NVFile f("s.sts", "old=1\n");
        f.obj.Add("new", "2", nullptr);
        NUFileOs saved = os;
        c.inject(os);
        EXPECT_EQ(f.io.Write(&f.obj, false), c.expected);
        os = saved;
        EXPECT_EQ(ReadWholeFile(f.dir.file("s.sts")), "old=1\n");
        // Once the new contents are complete, a failed replacement keeps them.
        bool replacing = c.expected == -13 || c.expected == -18;
        EXPECT_EQ(ReadWholeFile(f.dir.file("s.sts.bk")), replacing ? Written("new=2\n") : "");
        EXPECT_EQ(fs::exists(f.dir.file("s.sts.bk")), replacing);
        EXPECT_FALSE(f.io.HasLock());
    }
}

TEST(NVFileWrite, NeverWritesThroughALinkPlantedAtTheTemporaryName) {
    for (bool stale : {true, false}) {
        SCOPED_TRACE(stale);
        NVFile f("s.sts", "old=1\n");
        f.obj.Add("new", "2", nullptr);
        std::string victim = f.dir.file("victim");
        ASSERT_TRUE(WriteWholeFile(victim, "victim"));
        std::string temporary = f.dir.file("s.sts.bk");
        if (stale) {
            ASSERT_TRUE(WriteWholeFile(temporary, "stale"));
        } else {
            std::error_code error;
            fs::create_symlink(victim, temporary, error);
            if (error) GTEST_SKIP() << "the system cannot create symbolic links here: " << error.message();
        }
        EXPECT_EQ(f.io.Write(&f.obj, false), 0);
        EXPECT_EQ(ReadWholeFile(victim), "victim");
        EXPECT_EQ(ReadWholeFile(f.dir.file("s.sts")), Written("new=2\n"));
        EXPECT_FALSE(fs::exists(temporary));
    }
}

// ---- locks

TEST(NVFileLock, LockAndKeepLockHoldTheWriteLock) {
    NVFile f;
    f.obj.Add("k", "v", nullptr);
    EXPECT_EQ(f.io.Lock(&f.obj), 0);
    EXPECT_TRUE(f.io.HasLock());
    OneTryIO other;
    EXPECT_EQ(other.Write(&f.obj, false), -17);
    EXPECT_EQ(f.io.Write(&f.obj, true), 0);
    EXPECT_TRUE(f.io.HasLock());
    EXPECT_EQ(other.LockShared(f.dir.file("s.sts").c_str()), -17);
    f.io.Unlock();
    EXPECT_EQ(other.LockShared(f.dir.file("s.sts").c_str()), 0);
    EXPECT_EQ(f.io.Lock(nullptr), -1);
}

TEST(NVFileLock, SharedWriterLetsReadersIn) {
    NVFile f;
    f.obj.Add("k", "v", nullptr);
    NUFileIO writer;
    writer.shareReaders = true;
    EXPECT_EQ(writer.Write(&f.obj, true), 0);
    EXPECT_EQ(f.ReadBack(), (Texts{"k=v"}));
}

TEST(NVFileLock, LockErrorsMapOntoCodes) {
    TempDir dir;
    NUFileIO io;
    io.retries = 1;
    EXPECT_EQ(io.LockShared(dir.file("none").c_str()), -16);
    fs::create_directories(dir.file("d.lk"));
    EXPECT_EQ(io.LockExclusive(dir.file("d").c_str()), -15);
    ASSERT_TRUE(WriteWholeFile(dir.file("plain"), ""));
    EXPECT_EQ(io.LockExclusive(dir.file("plain/x").c_str()), -15);
    EXPECT_EQ(io.LockShared(dir.file("plain/x").c_str()), -16);
    // No path: no lock, and the one held before is let go.
    ASSERT_EQ(io.LockExclusive(dir.file("s").c_str()), 0);
    EXPECT_EQ(io.LockShared(nullptr), -14);
    EXPECT_FALSE(io.HasLock());
    EXPECT_EQ(io.LockExclusive(nullptr), -15);
    EXPECT_FALSE(io.HasLock());
}

// A link planted at the lock file's name is refused as a bad lock path,
// never reported as a lock that someone holds.
TEST(NVFileLock, ALinkAtTheLockFileIsNoHeldLock) {
    TempDir dir;
    ASSERT_TRUE(WriteWholeFile(dir.file("victim"), ""));
    std::error_code error;
    fs::create_symlink(dir.file("victim"), dir.file("s.sts.lk"), error);
    if (error) GTEST_SKIP() << "the system cannot create symbolic links here: " << error.message();
    NUFileIO io;
    io.retries = 1;
    EXPECT_EQ(io.LockExclusive(dir.file("s.sts").c_str()), -15);
    io.shareReaders = true;
    EXPECT_EQ(io.LockExclusive(dir.file("s.sts").c_str()), -15);
}

TEST(NVFileLock, RemoveDeletesTheFileAndOptionallyTheLockFile) {
    NVFile f;
    f.obj.Add("k", "v", nullptr);
    ASSERT_EQ(f.io.Write(&f.obj, false), 0);
    EXPECT_EQ(f.io.Remove(&f.obj, true, true), 0);
    EXPECT_TRUE(f.io.HasLock());
    EXPECT_FALSE(fs::exists(f.dir.file("s.sts")));
    EXPECT_TRUE(fs::exists(f.dir.file("s.sts.lk")));
    EXPECT_EQ(f.io.Remove(&f.obj, false, false), 0);  // nothing left to delete: still 0
    EXPECT_FALSE(f.io.HasLock());
    EXPECT_TRUE(fs::exists(f.dir.file("s.sts.lk")));
    EXPECT_EQ(f.io.Remove(&f.obj, false, true), 0);
    EXPECT_FALSE(fs::exists(f.dir.file("s.sts.lk")));
    EXPECT_EQ(f.io.Remove(nullptr, false, false), -1);
    // A file that cannot be deleted (a directory in its place) stays: -18.
    fs::create_directories(f.dir.file("d.sts"));
    f.obj.SetPath("d.sts", f.dir.path().c_str());
    EXPECT_EQ(f.io.Remove(&f.obj, false, false), -18);
    EXPECT_TRUE(fs::is_directory(f.dir.file("d.sts")));
    EXPECT_FALSE(f.io.HasLock());
}

TEST(NVFileLockProcesses, TryOnceReadsAFileAnotherProcessIsWriting) {
    NVFile f("s.sts", "k=v\n");
    std::string path = f.dir.file("s.sts");
    HelperProcess writer([&path] {
        NUFileIO* held = new NUFileIO;  // kept open until the helper ends
        held->retries = 1;
        return held->LockExclusive(path.c_str());
    });
    ASSERT_EQ(writer.result(), 0);
    EXPECT_EQ(f.io.Read(&f.obj, true, false), -19);
    EXPECT_EQ(f.io.retries, 1);
    EXPECT_EQ(f.io.waitSeconds, 0);
    EXPECT_EQ(Pairs(f.obj), (Texts{"k=v"}));
    EXPECT_EQ(f.io.Read(&f.obj, false, false), -17);

    OneTryIO blocked;
    EXPECT_EQ(blocked.Write(&f.obj, false), -17);
    EXPECT_EQ(ReadWholeFile(path), "k=v\n");

    EXPECT_TRUE(writer.Kill());
    EXPECT_EQ(blocked.Write(&f.obj, false), 0);
}

namespace {

// The table the wrappers below call on, and their switches.
NUFileOs unwrapped;
bool deleteOnNextLock = false;
bool startHolderOnClose = false;
std::string lockedPath;
std::unique_ptr<HelperProcess> holder;

// A lock taken, as by another holder, in a process of its own: its result.
int TakeLockAndHold() {
    NUFileIO* held = new OneTryIO;  // kept open until the helper ends
    return held->LockExclusive(lockedPath.c_str());
}

}  // namespace

// A lock file deleted around the moment a lock on it is taken: however it
// goes, one process holds the lock and the next one is refused.
TEST(NVFileLockProcesses, LockFileDeletedAroundALockLeavesOneHolder) {
    const char* const cases[] = {"deleted between a waiter's open and its lock",
                                 "deleted by its remover while a waiter takes it"};
    for (const char* what : cases) {
        SCOPED_TRACE(what);
        NVFile f;
        lockedPath = f.dir.file("s.sts");
        unwrapped = FileOs();
        if (what == cases[0]) {
            holder = std::make_unique<HelperProcess>([] {
                NUFileOs before = FileOs();
                // Where a held file can be deleted, it goes right after
                // this open, as a remover that held the lock deletes it.
                deleteOnNextLock = true;
                FileOs().openLock = [](const char* path, NULockMode mode, int* error) {
                    NUFileHandle handle = unwrapped.openLock(path, mode, error);
                    if (handle != kInvalidFileHandle && deleteOnNextLock) {
                        deleteOnNextLock = false;
                        unwrapped.removeFile(path);
                    }
                    return handle;
                };
                unwrapped.openLock = before.openLock;
                int r = TakeLockAndHold();
                FileOs().openLock = before.openLock;
                return r;
            });
        } else {
            NUFileIO remover;
            // The waiter takes the lock the moment the remover releases it.
            startHolderOnClose = true;
            FileOs().closeHandle = [](NUFileHandle handle) {
                unwrapped.closeHandle(handle);
                if (!startHolderOnClose) return;
                startHolderOnClose = false;
                holder = std::make_unique<HelperProcess>(TakeLockAndHold);
            };
            EXPECT_EQ(remover.Remove(&f.obj, false, true), 0);
            FileOs() = unwrapped;
        }
        ASSERT_TRUE(holder);
        EXPECT_EQ(holder->result(), 0);
        OneTryIO next;
        EXPECT_EQ(next.LockExclusive(lockedPath.c_str()), -17);
        holder.reset();
    }
}
