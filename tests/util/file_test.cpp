// File and directory operations: path splitting, tree removal, renames,
// directory creation, and lock files within and across processes.
#include "util/file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <filesystem>
#include <string>
#include <vector>

#include "support/helper_process.h"
#include "support/temp_dir.h"
#include "support/test_platform.h"
#include "util/file_os.h"
#include "util/log.h"
#include "util/path_limit.h"
#include "util/system_errno.h"

namespace fs = std::filesystem;

namespace {

bool Exists(const std::string& path) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(path, ec));
}

// Captures the current log file and the registered lock log in dir.
struct LogCapture {
    explicit LogCapture(const TempDir& dir)
        : logPath(dir.file("current.log")), lockPath(dir.file("lock.log")) {
        SetLogPath(logPath.c_str(), nullptr);
        RegisterLogFile(lockPath.c_str());
    }
    ~LogCapture() {
        SetLogPath(nullptr, nullptr);
        ReleaseLogFiles();
    }
    std::string Log() const { return ReadWholeFile(logPath); }
    std::string LockLog() const { return ReadWholeFile(lockPath); }
    std::string logPath;
    std::string lockPath;
};

// Puts the OS call table back when a test that changed it ends.
struct RestoreFileOs {
    NUFileOs saved = FileOs();
    ~RestoreFileOs() { FileOs() = saved; }
};

size_t CountOf(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

}  // namespace

// ---- path splitting

// The parts of a path, with "/" and "\\" as separators and a drive letter
// before them; each cut to the room given.
TEST(FilePaths, Parts) {
    const auto directory = [](char* out, const char* path, int size) {
        DirectoryPart(out, path, size);
    };
    const auto base = [](char* out, const char* path, int size) { BaseName(path, size, out); };
    const auto stem = [](char* out, const char* path, int) { StripExtension(out, path); };
    struct Row {
        void (*part)(char* out, const char* path, int size);
        const char* path;
        int size;
        const char* expected;
    } rows[] = {
        {directory, "a/b/c.txt", 64, "a/b"},
        {directory, "a\\b\\c.txt", 64, "a\\b"},
        {directory, "a/b\\c", 64, "a/b"},
        {directory, "C:/name", 64, ""},
        {directory, "C:\\name", 64, ""},
        {directory, "C:name", 64, ""},
        {directory, "C:/dir/name", 64, "C:/dir"},
        {directory, "name", 64, ""},
        {directory, "/name", 64, ""},
        {directory, "", 64, ""},
        {directory, "abc/def/g", 4, "abc"},
        {directory, "abcdef/g", 4, "abc"},
        {directory, "dir/", 64, "dir"},
        {directory, "a/b", 0, "junk"},  // no room at all: nothing is written
        {directory, nullptr, 8, ""},
        {base, "a/b/kestrun.exe", 64, "kestrun.exe"},
        {base, "a\\b\\kestrun.exe", 64, "kestrun.exe"},
        {base, "C:kestrun", 64, "kestrun"},
        {base, "kestrun", 64, "kestrun"},
        {base, "dir/", 64, ""},
        {base, "a/0123456789", 5, "0123"},
        {base, "a/0123", 5, "0123"},
        {stem, "kestrun.sts", 64, "kestrun"},
        {stem, "a.b.c", 64, "a.b"},
        {stem, "noext", 64, "noext"},
        {stem, ".profile", 64, ".profile"},
        {stem, "dir.d/file", 64, "dir"},
        {stem, "", 64, ""},
        {stem, nullptr, 64, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path ? row.path : "(null)");
        char out[64] = "junk";
        row.part(out, row.path, row.size);
        EXPECT_STREQ(out, row.expected);
    }
    StripExtension(nullptr, "a.b");  // nothing to write into: no crash
    const char* path = "C:\\vrnl/bin\\kestrun.exe";
    EXPECT_EQ(LastPathComponent(path), path + 12);
    EXPECT_STREQ(LastPathComponent("D:"), "");
}

// ---- existence and directories

TEST(FileDirectories, PathExistsIgnoresOneTrailingSeparator) {
    TempDir dir;
    EXPECT_EQ(PathExists(dir.path().c_str()), 1);
    EXPECT_EQ(PathExists((dir.path() + "/").c_str()), 1);
    EXPECT_EQ(PathExists(dir.file("missing").c_str()), 0);
    EXPECT_EQ(PathExists(nullptr), 0);
    EXPECT_EQ(PathExists("/"), 1);
}

// Every missing parent is made, not the last component; a path without a
// directory, or with a file on the way, fails.
TEST(FileDirectories, CreateDirectoriesMakesEveryMissingParentButNotTheLastComponent) {
    TempDir dir;
    std::string file = dir.file("a/b/c/status.sts");
    EXPECT_EQ(CreateDirectories(file.c_str()), 0);
    EXPECT_TRUE(fs::is_directory(dir.file("a/b/c")));
    EXPECT_FALSE(Exists(file));
    EXPECT_EQ(CreateDirectories("name-without-directory"), -1);
    ASSERT_TRUE(WriteWholeFile(dir.file("plain"), "x"));
    errno = 0;
    EXPECT_EQ(CreateDirectories(dir.file("plain/sub/x").c_str()), -1);
    // Windows reports a file on the way as a missing path, then the file
    // itself as existing when the parent is made.
    EXPECT_EQ(errno, OnWindows() ? EEXIST : ENOTDIR);
}

TEST(FileDirectories, CreateDirectoriesOnAnExistingDirectoryGivesEexistAndTwoLogLines) {
    TempDir dir;
    LogCapture log(dir);
    errno = 0;
    EXPECT_EQ(CreateDirectories(dir.file("x.sts").c_str()), -1);
    EXPECT_EQ(errno, EEXIST);
    std::string text = log.Log();
    EXPECT_EQ(CountOf(text, "\n"), 2u) << text;
    EXPECT_NE(text.find("_mkdir[" + dir.path() + "] errno=[" + std::to_string(EEXIST) + "]"),
              std::string::npos);
    EXPECT_NE(text.find("dircreateall:dircreate path[" + dir.path() + "] ret[-1] errno["),
              std::string::npos);
}

TEST(FileDirectories, EnsureDirectory) {
    TempDir dir;
    EXPECT_EQ(EnsureDirectory(dir.path().c_str()), 0);
    EXPECT_EQ(EnsureDirectory(dir.file("p/q/r").c_str()), 0);
    EXPECT_TRUE(fs::is_directory(dir.file("p/q/r")));
    EXPECT_EQ(EnsureDirectory(dir.file("p/q/r").c_str()), 0);
    EXPECT_EQ(EnsureDirectory(dir.file("p/q/s/").c_str()), 0);
    EXPECT_TRUE(fs::is_directory(dir.file("p/q/s")));
    ASSERT_TRUE(WriteWholeFile(dir.file("plain"), "x"));
    EXPECT_EQ(EnsureDirectory(dir.file("plain/sub").c_str()), -3);
    EXPECT_EQ(EnsureDirectory(""), -3);

    // A path of one part has no parent to create, only itself.
    fs::path before = fs::current_path();
    fs::current_path(dir.path());
    EXPECT_EQ(EnsureDirectory("single"), 0);
    fs::current_path(before);
    EXPECT_TRUE(fs::is_directory(dir.file("single")));
}

TEST(FileDirectories, MakeDirectoryReturnsTheSystemResult) {
    TempDir dir;
    EXPECT_EQ(MakeDirectory(dir.file("one").c_str()), 0);
    errno = 0;
    EXPECT_EQ(MakeDirectory(dir.file("one").c_str()), -1);
    EXPECT_EQ(errno, EEXIST);
    errno = 0;
    EXPECT_EQ(MakeDirectory(dir.file("missing/two").c_str()), -1);
    EXPECT_EQ(errno, ENOENT);
}

// ---- RemoveTree

TEST(FileRemoveTree, MissingPathPlainFileAndEmptyPath) {
    TempDir dir;
    EXPECT_EQ(RemoveTree(dir.file("missing").c_str()), 0);
    EXPECT_EQ(RemoveTree(dir.file("missing/deeper").c_str()), 0);
    ASSERT_TRUE(WriteWholeFile(dir.file("kestrun.log"), "old failure"));
    EXPECT_EQ(RemoveTree(dir.file("kestrun.log").c_str()), 0);
    EXPECT_FALSE(Exists(dir.file("kestrun.log")));
    EXPECT_EQ(RemoveTree(""), -9);
    EXPECT_EQ(RemoveTree(nullptr), -9);
}

TEST(FileRemoveTree, RemovesANestedTree) {
    TempDir dir;
    fs::create_directories(dir.file("t/a/b/c"));
    fs::create_directories(dir.file("t/empty"));
    ASSERT_TRUE(WriteWholeFile(dir.file("t/a/one"), "1"));
    ASSERT_TRUE(WriteWholeFile(dir.file("t/a/b/c/two"), "2"));
    EXPECT_EQ(RemoveTree(dir.file("t").c_str()), 0);
    EXPECT_FALSE(Exists(dir.file("t")));
    EXPECT_TRUE(Exists(dir.path()));
}

TEST(FileRemoveTree, ASymbolicLinkIsRemovedNotFollowed) {
    TempDir dir;
    fs::create_directories(dir.file("outside"));
    ASSERT_TRUE(WriteWholeFile(dir.file("outside/keep"), "k"));
    fs::create_directories(dir.file("t"));
    std::error_code error;
    fs::create_directory_symlink(dir.file("outside"), dir.file("t/link"), error);
    if (error) GTEST_SKIP() << "the system cannot create symbolic links here: " << error.message();
    fs::create_directory_symlink(dir.file("outside"), dir.file("toplink"));
    fs::create_directory_symlink(dir.file("outside"), dir.file("slashlink"));
    EXPECT_EQ(RemoveTree(dir.file("t").c_str()), 0);
    EXPECT_EQ(RemoveTree(dir.file("toplink").c_str()), 0);
    // A trailing separator does not make the link a directory to empty.
    EXPECT_EQ(RemoveTree((dir.file("slashlink") + "//").c_str()), 0);
    EXPECT_FALSE(Exists(dir.file("t")));
    EXPECT_FALSE(Exists(dir.file("toplink")));
    EXPECT_FALSE(Exists(dir.file("slashlink")));
    EXPECT_TRUE(Exists(dir.file("outside/keep")));
}

namespace {
bool KeepNamedKeep(const char* name, int, const NUFindData*) { return std::string(name) != "keep"; }
bool OnlyFiles(const char*, int isFile, const NUFindData*) { return isFile == 1; }
bool KeepLarge(const char*, int isFile, const NUFindData* data) { return !isFile || data->size < 3; }
}  // namespace

TEST(FileRemoveTree, FilterKeepsWhatItSelects) {
    TempDir dir;
    fs::create_directories(dir.file("t/sub"));
    ASSERT_TRUE(WriteWholeFile(dir.file("t/keep"), "k"));
    ASSERT_TRUE(WriteWholeFile(dir.file("t/drop"), "d"));
    ASSERT_TRUE(WriteWholeFile(dir.file("t/sub/keep"), "k"));
    // Without filterBelow the subdirectory is removed whole; the directory
    // of a kept entry stays.
    EXPECT_EQ(RemoveTree(dir.file("t").c_str(), KeepNamedKeep, false, false), 0);
    EXPECT_TRUE(Exists(dir.file("t/keep")));
    EXPECT_FALSE(Exists(dir.file("t/drop")));
    EXPECT_FALSE(Exists(dir.file("t/sub")));

    // With it the filter applies in subdirectories too.
    fs::create_directories(dir.file("t/sub"));
    ASSERT_TRUE(WriteWholeFile(dir.file("t/sub/keep"), "k"));
    ASSERT_TRUE(WriteWholeFile(dir.file("t/sub/drop"), "d"));
    EXPECT_EQ(RemoveTree(dir.file("t").c_str(), KeepNamedKeep, false, true), 0);
    EXPECT_TRUE(Exists(dir.file("t/sub/keep")));
    EXPECT_FALSE(Exists(dir.file("t/sub/drop")));

    // A directory the filter keeps is kept whole: it is not entered.
    EXPECT_EQ(RemoveTree(dir.file("t").c_str(), OnlyFiles, false, true), 0);
    EXPECT_TRUE(Exists(dir.file("t/sub/keep")));
    EXPECT_FALSE(Exists(dir.file("t/keep")));

    // The filter sees each entry's size.
    ASSERT_TRUE(WriteWholeFile(dir.file("t/small"), "ab"));
    ASSERT_TRUE(WriteWholeFile(dir.file("t/large"), "abcdef"));
    EXPECT_EQ(RemoveTree(dir.file("t").c_str(), KeepLarge, false, false), 0);
    EXPECT_FALSE(Exists(dir.file("t/small")));
    EXPECT_TRUE(Exists(dir.file("t/large")));
}

TEST(FileRemoveTree, StopsAtAFailedDeleteUnlessDenialsAreTolerated) {
    RestoreFileOs restore;
    TempDir dir;
    LogCapture log(dir);
    fs::create_directories(dir.file("t"));
    ASSERT_TRUE(WriteWholeFile(dir.file("t/a"), "a"));
    ASSERT_TRUE(WriteWholeFile(dir.file("t/b"), "b"));
    NUFileOs& os = FileOs();
    os.removeFile = [](const char*) {
        errno = EACCES;
        return -1;
    };
    errno = 0;
    EXPECT_EQ(RemoveTree(dir.file("t").c_str()), -1);
    EXPECT_EQ(errno, EACCES);
    EXPECT_TRUE(Exists(dir.file("t/a")));
    EXPECT_TRUE(Exists(dir.file("t/b")));
    // Tolerated: every file is tried and the directory that cannot go stays.
    EXPECT_EQ(RemoveTree(dir.file("t").c_str(), nullptr, true, false), 0);
    EXPECT_TRUE(Exists(dir.file("t")));

    os.removeFile = [](const char*) {
        errno = EIO;
        return -1;
    };
    EXPECT_EQ(RemoveTree(dir.file("t").c_str(), nullptr, true, false), -1);
    EXPECT_EQ(errno, EIO);
    EXPECT_EQ(CountOf(log.Log(), "delete dir:unilnk path[" + dir.path() + "/t/"), 4u);
    EXPECT_NE(log.Log().find("] errno[" + std::to_string(EACCES) + "]\r\n"), std::string::npos);
}

TEST(FileRemoveTree, DirectoryThatCannotGoIsLoggedUnlessLeftBehindIsTolerated) {
    RestoreFileOs restore;
    TempDir dir;
    LogCapture log(dir);
    fs::create_directories(dir.file("t"));
    // A directory that stays because something in it stays (not empty,
    // denied; some systems say EEXIST for not empty) is no failure when
    // denials are tolerated; any other error is one.
    static int failWith;
    FileOs().removeDirectory = [](const char*) {
        errno = failWith;
        return -1;
    };
    struct Row {
        int error;
        bool tolerate;
        int expected;
    } rows[] = {{EIO, false, -1},      {EIO, true, -1},     {ENOTEMPTY, false, -1},
                {ENOTEMPTY, true, 0},  {EEXIST, true, 0},   {EACCES, true, 0}};
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.error) + (row.tolerate ? " tolerated" : ""));
        failWith = row.error;
        EXPECT_EQ(RemoveTree(dir.file("t").c_str(), nullptr, row.tolerate, false), row.expected);
    }
    std::string eio = std::to_string(EIO);
    EXPECT_NE(log.Log().find("delete dir:rmdir path[" + dir.file("t") + "] errno[" + eio +
                             "]lasterror[" + eio + "]"),
              std::string::npos);
}

// ---- RenameReplace

TEST(FileRename, ReplacesAFileButNeverDeletesATarget) {
    TempDir dir;
    ASSERT_TRUE(WriteWholeFile(dir.file("new"), "new"));
    ASSERT_TRUE(WriteWholeFile(dir.file("old"), "old"));
    EXPECT_EQ(RenameReplace(dir.file("new").c_str(), dir.file("old").c_str()), 0);
    EXPECT_EQ(ReadWholeFile(dir.file("old")), "new");
    EXPECT_FALSE(Exists(dir.file("new")));

    // A directory cannot be replaced in one step, so it stays.
    fs::create_directories(dir.file("target/inner"));
    ASSERT_TRUE(WriteWholeFile(dir.file("target/inner/x"), "x"));
    ASSERT_TRUE(WriteWholeFile(dir.file("src"), "src"));
    EXPECT_EQ(RenameReplace(dir.file("src").c_str(), dir.file("target").c_str()), -1);
    EXPECT_EQ(ReadWholeFile(dir.file("target/inner/x")), "x");
    EXPECT_EQ(ReadWholeFile(dir.file("src")), "src");
    // Other failures are returned without touching the target.
    errno = 0;
    EXPECT_EQ(RenameReplace(dir.file("missing").c_str(), dir.file("old").c_str()), -1);
    EXPECT_EQ(errno, ENOENT);
    EXPECT_EQ(ReadWholeFile(dir.file("old")), "new");
}

TEST(FileRename, FailureKeepsBothFilesAndIsLogged) {
    RestoreFileOs restore;
    TempDir dir;
    LogCapture log(dir);
    ASSERT_TRUE(WriteWholeFile(dir.file("src"), "src"));
    ASSERT_TRUE(WriteWholeFile(dir.file("dst"), "dst"));
    FileOs().rename = [](const char*, const char*) {
        errno = EEXIST;
        return -1;
    };
    errno = 0;
    EXPECT_EQ(RenameReplace(dir.file("src").c_str(), dir.file("dst").c_str()), -1);
    EXPECT_EQ(errno, EEXIST);
    EXPECT_EQ(ReadWholeFile(dir.file("src")), "src");
    EXPECT_EQ(ReadWholeFile(dir.file("dst")), "dst");
    EXPECT_NE(log.Log().find("rename[" + dir.file("src") + "->" + dir.file("dst") + "] errno=["),
              std::string::npos);
}

TEST(FileCopyReport, MapsTheSystemErrorOntoErrno) {
    struct Row {
        int systemError;
        int expected;
    };
    const std::vector<Row> posixRows = {{ENOENT, ENOENT}, {ENOTDIR, ENOENT}, {EACCES, EACCES},
                                        {EEXIST, EEXIST}, {EROFS, ENOSPC},   {ENOSPC, ENOSPC}};
    // Windows system errors: file and path not found, access denied,
    // sharing violation, file exists, disk full.
    const std::vector<Row> windowsRows = {{2, ENOENT}, {3, ENOENT},  {5, EACCES},
                                          {32, EACCES}, {80, EEXIST}, {112, ENOSPC}};
    for (const Row& row : OnWindows() ? windowsRows : posixRows) {
        SCOPED_TRACE(row.systemError);
        SetLastSystemError(row.systemError);
        EXPECT_EQ(ReportCopyFailure("a", "b"), 0);
        EXPECT_EQ(errno, row.expected);
    }
}

// ---- lock files within one process

namespace {

struct LockDir {
    TempDir dir;
    std::string lock = dir.file("kestrun.sts.lk");
};

std::vector<int>* sleepLog = nullptr;

// Records the waits between lock attempts instead of sleeping.
struct FakeSleeps : RestoreFileOs {
    std::vector<int> sleeps;
    FakeSleeps() {
        sleepLog = &sleeps;
        FileOs().sleepMilliseconds = [](int ms) { sleepLog->push_back(ms); };
    }
};

}  // namespace

TEST(FileLock, ExclusiveCreatesTheFileAndItsDirectories) {
    TempDir dir;
    std::string lock = dir.file("new/deeper/x.sts.lk");
    NUFileHandle h = OpenLockExclusive(lock.c_str(), 1, 0);
    ASSERT_NE(h, kInvalidFileHandle);
    EXPECT_TRUE(Exists(lock));
    CloseFileHandle(h);
}

TEST(FileLock, ReadOnAMissingFileFailsAtOnceWithoutReport) {
    FakeSleeps fake;
    LockDir d;
    LogCapture log(d.dir);
    errno = 0;
    EXPECT_EQ(OpenLockRead(3, d.lock.c_str(), 1), kInvalidFileHandle);
    EXPECT_EQ(errno, ENOENT);
    EXPECT_EQ(OpenLockRead(3, d.dir.file("nodir/x.lk").c_str(), 1), kInvalidFileHandle);
    EXPECT_EQ(errno, ENOENT);
    EXPECT_TRUE(fake.sleeps.empty());
    EXPECT_EQ(log.LockLog(), "");
    EXPECT_FALSE(Exists(d.lock));
}

// Open-file-description locks conflict between handles of one process too,
// so the sharing rules can be checked without a second process. No handle
// is inherited by a child.
TEST(FileLock, SharingRulesBetweenHandles) {
    LockDir d;
    NUFileHandle writer = OpenLockExclusive(d.lock.c_str(), 1, 0);
    ASSERT_NE(writer, kInvalidFileHandle);
    EXPECT_FALSE(HandleIsInherited(writer));
    EXPECT_EQ(OpenLockRead(1, d.lock.c_str(), 0), kInvalidFileHandle);
    EXPECT_EQ(errno, EACCES);
    EXPECT_EQ(OpenLockExclusive(d.lock.c_str(), 1, 0), kInvalidFileHandle);
    EXPECT_EQ(OpenLockShared(d.lock.c_str(), 1, 0), kInvalidFileHandle);
    CloseFileHandle(writer);

    NUFileHandle reader1 = OpenLockRead(1, d.lock.c_str(), 0);
    NUFileHandle reader2 = OpenLockRead(1, d.lock.c_str(), 0);
    ASSERT_NE(reader1, kInvalidFileHandle);
    ASSERT_NE(reader2, kInvalidFileHandle);
    EXPECT_FALSE(HandleIsInherited(reader1));
    EXPECT_EQ(OpenLockExclusive(d.lock.c_str(), 1, 0), kInvalidFileHandle);
    NUFileHandle shared = OpenLockShared(d.lock.c_str(), 1, 0);
    EXPECT_NE(shared, kInvalidFileHandle);
    EXPECT_EQ(OpenLockShared(d.lock.c_str(), 1, 0), kInvalidFileHandle);
    CloseFileHandle(reader1);
    CloseFileHandle(reader2);
    CloseFileHandle(shared);

    NUFileHandle again = OpenLockExclusive(d.lock.c_str(), 1, 0);
    EXPECT_NE(again, kInvalidFileHandle);
    CloseFileHandle(again);
}

// Only name surrogates are links; the system's other reparse points hold
// ordinary files and directories.
TEST(FileReparseTag, OnlyNameSurrogatesAreLinks) {
    const struct {
        const char* name;
        unsigned long tag;
        bool link;
    } rows[] = {
        {"symbolic link", 0xA000000Cul, true},   {"junction", 0xA0000003ul, true},
        {"WSL symbolic link", 0xA000001Dul, true}, {"deduplicated", 0x80000013ul, false},
        {"compressed (WOF)", 0x80000017ul, false}, {"cloud placeholder", 0x9000001Aul, false},
        {"cloud placeholder 1", 0x9000101Aul, false}, {"single instance", 0x80000007ul, false},
        {"storage tier (HSM)", 0xC0000004ul, false}, {"app execution alias", 0x8000001Bul, false},
        {"Unix socket", 0x80000023ul, false},    {"no tag", 0ul, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(IsLinkReparseTag(row.tag), row.link);
    }
}

TEST(FileLock, NeverOpensThroughASymbolicLink) {
    LockDir d;
    std::string victim = d.dir.file("victim");
    ASSERT_TRUE(WriteWholeFile(victim, "v"));
    std::error_code error;
    fs::create_symlink(victim, d.lock, error);
    if (error) GTEST_SKIP() << "the system cannot create symbolic links here: " << error.message();
    EXPECT_EQ(OpenLockExclusive(d.lock.c_str(), 1, 0), kInvalidFileHandle);
    EXPECT_EQ(OpenLockShared(d.lock.c_str(), 1, 0), kInvalidFileHandle);
    EXPECT_EQ(OpenLockRead(1, d.lock.c_str(), 0), kInvalidFileHandle);
    NUFileHandle h = OpenLockExclusive(victim.c_str(), 1, 0);
    EXPECT_NE(h, kInvalidFileHandle) << "the link's target was locked through it";
    CloseFileHandle(h);
}

TEST(FileLock, RetriesSleepBetweenAttemptsOnlyAndThenReport) {
    FakeSleeps fake;
    std::vector<int>& sleeps = fake.sleeps;
    LockDir d;
    LogCapture log(d.dir);
    NUFileHandle holder = OpenLockExclusive(d.lock.c_str(), 1, 0);
    ASSERT_NE(holder, kInvalidFileHandle);

    errno = 0;
    EXPECT_EQ(OpenLockExclusive(d.lock.c_str(), 3, 2), kInvalidFileHandle);
    EXPECT_EQ(errno, EACCES);
    EXPECT_EQ(sleeps, (std::vector<int>{2000, 2000}));

    sleeps.clear();
    EXPECT_EQ(OpenLockShared(d.lock.c_str(), 0, 5), kInvalidFileHandle);
    EXPECT_EQ(errno, EACCES);
    EXPECT_TRUE(sleeps.empty());
    CloseFileHandle(holder);
    std::string text = log.LockLog();
    std::string nl = OnWindows() ? "\r\n" : "\n";  // a text file's line end
    EXPECT_NE(text.find("RETRY[3] SLEEPTIME[2] LOCKMODE[0] ERRNO[13] WINERRNO[32]" + nl +
                        "                    FILE[" + d.lock + "]" + nl),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("RETRY[0] SLEEPTIME[5] LOCKMODE[1] ERRNO[13] WINERRNO[0]" + nl),
              std::string::npos)
        << text;
}

TEST(FileLock, UnexpectedErrorsEndAtOnceWithErrnoKept) {
    FakeSleeps fake;
    LockDir d;
    fs::create_directories(d.lock);  // the lock path is a directory
    errno = 0;
    EXPECT_EQ(OpenLockExclusive(d.lock.c_str(), 3, 1), kInvalidFileHandle);
    EXPECT_EQ(errno, EISDIR);
    EXPECT_TRUE(fake.sleeps.empty());
}

// Denied opens are retried like held locks, whatever errno the open left,
// and reported as EACCES; the longest retry time waits as long as an int
// holds.
TEST(FileLock, DeniedOpensAreRetriedLikeHeldLocks) {
    FakeSleeps fake;
    LockDir d;
    static int deniedErrno;
    FileOs().openLock = [](const char*, NULockMode, int* systemError) {
        *systemError = kSysAccessDenied;
        errno = deniedErrno;
        return kInvalidFileHandle;
    };
    for (int error : {0, EACCES}) {
        SCOPED_TRACE(error);
        deniedErrno = error;
        fake.sleeps.clear();
        EXPECT_EQ(OpenLockRead(2, d.lock.c_str(), INT_MAX), kInvalidFileHandle);
        EXPECT_EQ(errno, EACCES);
        EXPECT_EQ(fake.sleeps, std::vector<int>{INT_MAX});
    }
}

// ---- lock files across processes

// A held exclusive lock fails a second open at once with a report, and is
// free once its holder is killed.
TEST(FileLockProcesses, HeldExclusiveLockFailsASecondOpenAtOnceWithReport) {
    LockDir d;
    LogCapture log(d.dir);
    std::string lock = d.lock;
    HelperProcess holder([&lock] {
        return OpenLockExclusive(lock.c_str(), 1, 0) == kInvalidFileHandle ? -1 : 0;
    });
    ASSERT_EQ(holder.result(), 0);
    FakeSleeps fake;
    errno = 0;
    EXPECT_EQ(OpenLockExclusive(lock.c_str(), 1, 0), kInvalidFileHandle);
    EXPECT_EQ(errno, EACCES);
    EXPECT_TRUE(fake.sleeps.empty());
    EXPECT_EQ(OpenLockRead(1, lock.c_str(), 0), kInvalidFileHandle);
    EXPECT_TRUE(holder.Kill());
    NUFileHandle h = OpenLockExclusive(lock.c_str(), 1, 0);
    EXPECT_NE(h, kInvalidFileHandle);
    CloseFileHandle(h);
    std::string text = log.LockLog();
    EXPECT_EQ(CountOf(text, "RETRY["), 2u);
    EXPECT_NE(text.find("RETRY[1] SLEEPTIME[0] LOCKMODE[0] ERRNO[13] WINERRNO[32]"),
              std::string::npos)
        << text;
}

TEST(FileLockProcesses, ReaderAndSharedWriterCoexist) {
    LockDir d;
    std::string lock = d.lock;
    HelperProcess writer([&lock] {
        return OpenLockShared(lock.c_str(), 1, 0) == kInvalidFileHandle ? -1 : 0;
    });
    ASSERT_EQ(writer.result(), 0);
    NUFileHandle reader = OpenLockRead(1, lock.c_str(), 0);
    EXPECT_NE(reader, kInvalidFileHandle);
    EXPECT_EQ(OpenLockShared(lock.c_str(), 1, 0), kInvalidFileHandle);
    EXPECT_EQ(OpenLockExclusive(lock.c_str(), 1, 0), kInvalidFileHandle);
    CloseFileHandle(reader);

    // A reader in another process keeps an exclusive writer out as well.
    HelperProcess otherReader([&lock] {
        return OpenLockRead(1, lock.c_str(), 0) == kInvalidFileHandle ? -1 : 0;
    });
    EXPECT_EQ(otherReader.result(), 0);
    EXPECT_TRUE(writer.Release());
    EXPECT_EQ(OpenLockExclusive(lock.c_str(), 1, 0), kInvalidFileHandle);
    EXPECT_TRUE(otherReader.Release());
}

// The C run-time's table: a missing network share reads as no such file, a
// device fault as denied, and so on; only what it does not name is EINVAL.
TEST(SystemErrno, FollowsTheRunTimeTable) {
    const struct {
        unsigned long system;
        int expected;
    } rows[] = {
        {2, ENOENT},     {67, ENOENT},   {53, ENOENT},   {206, ENOENT},  {4, EMFILE},
        {5, EACCES},     {19, EACCES},   {21, EACCES},   {32, EACCES},   {36, EACCES},
        {65, EACCES},    {108, EACCES},  {167, EACCES},  {17, EXDEV},    {6, EBADF},
        {114, EBADF},    {8, ENOMEM},    {1816, ENOMEM}, {10, E2BIG},    {11, ENOEXEC},
        {193, ENOEXEC},  {80, EEXIST},   {183, EEXIST},  {89, EAGAIN},   {215, EAGAIN},
        {109, EPIPE},    {112, ENOSPC},  {128, ECHILD},  {145, ENOTEMPTY}, {267, ENOTDIR},
        {37, EINVAL},    {87, EINVAL},   {187, EINVAL},  {203, EINVAL},  {9999, EINVAL},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.system);
        EXPECT_EQ(ErrnoOfSystemError(row.system), row.expected);
    }
}

// Each path against its kind's limit; no limit where it is 0; a path that
// cannot be counted never fits.
TEST(PathLimit, FirstPathBeyondItsKindsLimit) {
    const NUPathLimits windows = {259, 247, 258};
    const NUPathLimits none = {0, 0, 0};
    const struct {
        const char* name;
        NUPathLimits limits;
        std::vector<NUPathLength> paths;
        int expected;
    } rows[] = {
        {"all fit", windows, {{kPathFile, 259}, {kPathDirectory, 247}, {kPathWorkingDirectory, 258}}, -1},
        {"file", windows, {{kPathDirectory, 10}, {kPathFile, 260}}, 1},
        {"directory", windows, {{kPathFile, 248}, {kPathDirectory, 248}}, 1},
        {"working directory", windows, {{kPathWorkingDirectory, 259}, {kPathFile, 300}}, 0},
        {"uncounted", windows, {{kPathFile, 1}, {kPathFile, -1}}, 1},
        {"no limit", none, {{kPathFile, 100000}, {kPathWorkingDirectory, 5000}}, -1},
        {"empty", windows, {}, -1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(FirstPathBeyondLimit(row.paths.data(), static_cast<int>(row.paths.size()), row.limits),
                  row.expected);
    }
}
