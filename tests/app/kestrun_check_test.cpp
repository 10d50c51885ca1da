// kestrun-check end to end: the check and a real kestrun run on the same
// broken installations, and the documentation's copy of the status-code table.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "app/status_codes.h"
#include "support/demo_home.h"
#include "support/sqlite_db.h"
#include "support/temp_dir.h"
#include "support/test_platform.h"
#include "util/date_time.h"
#include "util/file.h"

namespace fs = std::filesystem;

namespace {

// A row's breakIt result that skips the row, followed by the reason.
const char kSkip[] = "skip: ";

std::vector<std::string> LinesStartingWith(const std::string& text, const std::string& start) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind(start, 0) == 0) lines.push_back(line);
    }
    return lines;
}

struct Broken {
    const char* name;
    // Breaks the demo installation at home; "" or what failed.
    std::function<std::string(const std::string& home)> breakIt;
    // The one check that fails (null: none), and what a real run does: the
    // status it leaves, or (console set) the start of its console text
    // before an exit with -1000004.
    const char* failedCheck;
    int status;
    const char* console;
    bool holdsLock = false;
    bool homeAlone = false;  // the home as the check's only argument, not after "-h"
    // Checks shown as not checked ("--") after the one that fails.
    int notChecked = 0;
    // The home given to the check and the run is misspelt: it does not exist.
    bool mistyped = false;
    // A text the check's output holds.
    const char* says = nullptr;
    // The run writes log files (in data/ and its working directory) that
    // the check must not.
    bool runWritesLogs = false;
};

}  // namespace

TEST(KestrunCheck, TellsWhatARunDoesAndChangesNothing) {
    SKIP_WITHOUT_SQLITE_FILES();
    auto append = [](const std::string& file, const std::string& text) {
        return WriteWholeFile(file, ReadWholeFile(file) + text) ? "" : "cannot write " + file;
    };
    auto remove = [](const std::string& path) { return fs::remove(path) ? "" : "cannot remove " + path; };
    const std::string step = "/kestv30r15/updbatbookmarkv30.exe";
    auto writeStep = [&](const std::string& bytes) {
        return [&, bytes](const std::string& home) {
            return WriteWholeFile(home + step, bytes) ? "" : "cannot write " + step;
        };
    };
    auto makeDirs = [](const std::string& dir) {
        std::error_code error;
        fs::create_directories(dir, error);
        return error ? "cannot make " + dir : std::string();
    };
    // What Windows cannot lay out without privileges skips the row.
    auto danglingLink = [](const std::string& path) {
        if (OnWindows()) return std::string(kSkip) + "links need a privilege on Windows";
        std::error_code error;
        fs::create_symlink(path + ".missing", path, error);
        return error ? "cannot link " + path : std::string();
    };
    auto immutable = [](const std::string& path) {
        return SetImmutable(path, true) ? std::string()
                                        : std::string(kSkip) + "no immutable flag here for " + path;
    };
    auto none = [](const std::string&) { return std::string(); };
    const char* const kSaveFails = "batch lock: the status file cannot be saved";
    const char* const kLocked = "[-s] Failed to lock the file.";
    const Broken cases[] = {
        {"demo installation", none, nullptr, 0, nullptr},
        {"demo installation, the home alone", none, nullptr, 0, nullptr, false, true},
        {"wrong database name",
         [&](const std::string& home) {
             // In a directory that does not exist, so that no driver creates it.
             return append(home + "/data/app", SqliteSettings(home + "/data/missing/vrnldb.sqlite"));
         },
         "database", -1000001, nullptr},
        {"missing office table",
         [](const std::string& home) { return MakeSqliteDb(home + "/data/vrnldb.sqlite", "DROP TABLE TM_OFFICE;"); },
         "database", -1000006, nullptr},
        {"missing catalog", [&](const std::string& home) { return remove(home + "/local/ja_JP/message"); },
         "installation", 0, "[-h] : No such directory. path=[", false, false, 4},
        // No database or lock is looked for (the defaults would have the
        // check wait for a server on this machine), nothing is written in
        // the directory above.
        {"mistyped home", none, "installation", 0, "[-h] : No such directory. path=[", false, false, 4, true},
        // The SQL trace's statement fails on the database: the run stops there
        // (SQLite's ODBC driver reports no syntax error number).
        {"configured error log, SQL trace and relative time log",
         [&](const std::string& home) {
             char today[9] = "";
             TodayDate(today, 1);
             return append(home + "/data/app", "errlogfname=" + home + "/data/err" + today + ".txt\ntracefname=" +
                                                   home + "/data/sql" + today + ".txt\nsqltrace=1\ntimelog=time\n");
         },
         "database", SqliteAvailable() ? -1016 : -1006, nullptr, false, false, 0, false, nullptr, true},
        {"database left by a writer killed inside its transaction",
         [](const std::string& home) {
             // More pages than its cache holds: the writer spills into the file.
             return LeaveInterruptedTransaction(
                 home + "/data/vrnldb.sqlite",
                 {"PRAGMA cache_size = 1", "DELETE FROM TM_OFFICE",
                  "CREATE TABLE filler AS WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                  "WHERE i < 2000) SELECT randomblob(200) AS b FROM n"});
         },
         nullptr, 0, nullptr, false, false, 0, false, "an interrupted transaction will be rolled back"},
        {"missing step program", [&](const std::string& home) { return remove(home + step); }, "step program",
         -9910001, nullptr},
        {"step program not executable",
         [&](const std::string& home) {
             // Windows has no execute permission: a file that is no program image stands for it there.
             if (OnWindows()) return WriteWholeFile(home + step, "text\n") ? "" : "cannot write " + step;
             fs::permissions(home + step, fs::perms::owner_read | fs::perms::owner_write);
             return std::string();
         },
         "step program", -9910001, nullptr},
        // A file a process start refuses: a text without "#!", an empty
        // file, an ELF image of another machine (no image on Windows), a
        // "#!" line naming an interpreter that does not exist, or one ending
        // in CR LF ("/bin/sh\r" is no interpreter).
        {"step program a text", writeStep("echo step\n"), "step program", -9910001, nullptr},
        {"step program empty", writeStep(""), "step program", -9910001, nullptr},
        {"step program for another machine",
         [&](const std::string& home) {
             if (OnWindows()) return std::string(kSkip) + "the step program is a Windows image, not an ELF file";
             std::string bytes = ReadWholeFile(home + step);
             if (bytes.size() < 20) return std::string("the step program is too short");
             // e_machine of the ELF header.
             bytes[18] = bytes[18] == 0x3e ? 0x28 : 0x3e;
             bytes[19] = 0;
             return writeStep(bytes)(home);
         },
         "step program", -9910001, nullptr},
        {"step program's interpreter missing", writeStep("#!/nonexistent/sh\nexit 0\n"), "step program",
         -9910001, nullptr},
        {"step program's #! line in CR LF", writeStep("#!/bin/sh\r\nexit 0\r\n"), "step program", -9910001,
         nullptr},
        {"step command line too long",
         [&](const std::string& home) { return append(home + "/data/app", "dbpwd=" + std::string(4000, 'p') + "\n"); },
         "step program", -9910001, nullptr},
        {"held lock", none, "batch lock: held by another run", 0, kLocked, true},
        // The lock-taking save of the status file fails before the database
        // is opened: the batch lock is the first FAILED line.
        {"status directory a file, database missing",
         [&](const std::string& home) {
             // A file in its place: no user, root included, can write there.
             if (!WriteWholeFile(home + "/kestv30r15/log", "x")) return std::string("cannot write the file");
             // In a directory that does not exist, so that no driver creates it.
             return append(home + "/data/app", SqliteSettings(home + "/data/missing/vrnldb.sqlite"));
         },
         kSaveFails, 0, kLocked},
        {"temporary status file a directory, empty login",
         [&](const std::string& home) {
             std::string made = makeDirs(home + "/kestv30r15/log/kestrun.sts.bk");
             return made + append(home + "/data/app", "dbuser=\n");
         },
         kSaveFails, 0, kLocked},
        {"status file a directory",
         [&](const std::string& home) { return makeDirs(home + "/kestv30r15/log/kestrun.sts"); }, kSaveFails, 0,
         kLocked},
        {"status directory a dangling link",
         [&](const std::string& home) { return danglingLink(home + "/kestv30r15/log"); },
         kSaveFails, 0, kLocked},
        {"lock file a dangling link",
         [&](const std::string& home) {
             std::string made = makeDirs(home + "/kestv30r15/log");
             return made + danglingLink(home + "/kestv30r15/log/kestrun.sts.lk");
         },
         kSaveFails, 0, kLocked},
        // Root is kept out only by the immutable flag.
        {"read-only status directory with a writable lock and status file",
         [&](const std::string& home) {
             std::string dir = home + "/kestv30r15/log";
             std::string made = makeDirs(dir);
             if (!WriteWholeFile(dir + "/kestrun.sts.lk", "") || !WriteWholeFile(dir + "/kestrun.sts", "status=0\n")) {
                 made += "cannot write the status files";
             }
             return made + immutable(dir);
         },
         kSaveFails, 0, kLocked},
        {"lock file not writable",
         [&](const std::string& home) {
             std::string lock = home + "/kestv30r15/log/kestrun.sts.lk";
             std::string made = makeDirs(home + "/kestv30r15/log");
             if (!WriteWholeFile(lock, "")) made += "cannot write " + lock;
             return made + immutable(lock);
         },
         "batch lock: the lock file cannot be opened by this user", 0, kLocked},
        // A run removes the step status file an earlier run left before the
        // step starts: a file goes, a directory stops the run.
        {"step status file of an earlier run",
         [&](const std::string& home) {
             std::string dir = home + "/kestv30r15/log";
             std::string made = makeDirs(dir);
             return made + (WriteWholeFile(dir + "/bookmarkv30.sts", "status=1\n") ? "" : "cannot write");
         },
         nullptr, 0, nullptr},
        {"step status file a directory",
         [&](const std::string& home) { return makeDirs(home + "/kestv30r15/log/bookmarkv30.sts"); },
         "status directory", -6100020, nullptr},
    };
    TempDir tmp;
    int n = 0;
    for (const Broken& c : cases) {
        SCOPED_TRACE(c.name);
        // The installation, and the working directory of both programs:
        // the check leaves both as they were.
        std::string dir = tmp.path() + "/case" + std::to_string(n++);
        std::string home = dir + "/home";
        std::string cwd = dir + "/cwd";
        ASSERT_EQ(MakeDemoHome(home), "");
        ASSERT_TRUE(fs::create_directory(cwd));
        std::string broken = c.breakIt(home);
        if (broken.rfind(kSkip, 0) == 0) {
            std::cout << "[ SKIPPED  ] " << c.name << ": " << broken.substr(std::strlen(kSkip)) << "\n";
            continue;
        }
        ASSERT_EQ(broken, "");
        std::string lock = home + "/kestv30r15/log/kestrun.sts.lk";
        NUFileHandle held = c.holdsLock ? OpenLockExclusive(lock.c_str(), 1, 0) : kInvalidFileHandle;
        ASSERT_EQ(held != kInvalidFileHandle, c.holdsLock);
        std::string given = c.mistyped ? home + "e" : home;

        std::map<std::string, std::string> before = Snapshot(dir);
        std::vector<std::string> args{BuiltProgramPath("kestrun-check"), "-h", given};
        if (c.homeAlone) args.erase(args.begin() + 1);
        fs::path testDir = fs::current_path();
        fs::current_path(cwd);
        ProgramResult check = RunProgram(args, 120);
        EXPECT_EQ(Snapshot(dir), before);
        ProgramResult run = RunOnHome(given);
        fs::current_path(testDir);
        CloseFileHandle(held);
        for (const char* flagged : {"/kestv30r15/log", "/kestv30r15/log/kestrun.sts.lk"}) {
            SetImmutable(home + flagged, false);
        }
        if (c.runWritesLogs) {
            EXPECT_NE(Snapshot(dir), before) << "the run wrote no log: the row shows nothing";
        }
        if (c.says) {
            EXPECT_NE(check.out.find(c.says), std::string::npos) << check.out;
        }

        std::vector<std::string> failed = LinesStartingWith(check.out, "FAILED");
        EXPECT_EQ(LinesStartingWith(check.out, "ok").size() + failed.size() + LinesStartingWith(check.out, "--").size(),
                  7u)
            << check.out;
        if (c.notChecked) {
            EXPECT_EQ(LinesStartingWith(check.out, "--").size(), static_cast<size_t>(c.notChecked)) << check.out;
        }
        if (!c.failedCheck) {
            EXPECT_EQ(check.exitStatus, 0) << check.out;
            EXPECT_TRUE(failed.empty()) << check.out;
            EXPECT_EQ(run.out, kSuccess);
            EXPECT_EQ(ValueOf(StatusOf(home), "status"), "0");
        } else {
            EXPECT_EQ(check.exitStatus, 1) << check.out;
            // The first FAILED line is what the run meets first.
            std::string first = failed.empty() ? check.out : failed[0];
            EXPECT_NE(first.find(std::string(" ") + c.failedCheck), std::string::npos) << first;
            if (c.console) {
                const std::string prints = std::string("a run prints \"") + c.console;
                size_t at = first.find(prints);
                EXPECT_NE(at, std::string::npos) << first;
                EXPECT_NE(first.find("exits with -1000004"), std::string::npos) << first;
                // The run prints what the check foretold, its code included.
                std::string foretold = at == std::string::npos ? "" : first.substr(at + 13);
                foretold = foretold.substr(0, std::min(foretold.find(" errno["), foretold.find('"')));
                EXPECT_EQ(run.out.rfind(foretold, 0), 0u) << foretold << "\n" << run.out;
                EXPECT_EQ(run.out.rfind(c.console, 0), 0u) << run.out;
                EXPECT_EQ(run.exitStatus, kStoppedStatus);
            } else {
                std::string leaves = "a run leaves status=" + std::to_string(c.status) + " in kestrun.sts";
                EXPECT_NE(first.find(leaves), std::string::npos) << first;
                EXPECT_EQ(ValueOf(StatusOf(home), "status"), std::to_string(c.status));
                EXPECT_EQ(run.exitStatus, 0);
            }
        }
    }
}

// The administrator's guide, the manual page and the Windows README each
// hold the table verbatim, in their own form.
TEST(StatusCodes, DocumentationShowsTheTable) {
    auto source = [](const std::string& file) { return ReadWholeFile(std::string(KESTRUN_SOURCE_DIR) + "/" + file); };
    auto roff = [](const std::string& text) {
        std::string out;
        for (char c : text) out += c == '-' ? std::string("\\-") : std::string(1, c);
        return out;
    };
    using CodeForm = std::function<std::string(const KestrunStatusCode&, const std::string& code)>;
    using StopForm = std::function<std::string(const KestrunConsoleStop&, const std::string& exit)>;
    struct Document {
        const char* file;
        CodeForm code;
        StopForm stop;
    };
    const Document documents[] = {
        {"packaging/README-admin.md",
         [](const KestrunStatusCode& c, const std::string& code) {
             return "| " + code + " | " + c.meaning + " | " + c.check + " |\n";
         },
         [](const KestrunConsoleStop& s, const std::string& exit) {
             return std::string("| `") + s.text + "` | " + exit + " | " + s.meaning + " | " + s.check + " |\n";
         }},
        {"man/kestrun.1.in",
         [&](const KestrunStatusCode& c, const std::string& code) {
             return ".TP\n.B " + roff(code) + "\n" + c.meaning + "\nCheck next: " + c.check + "\n";
         },
         [&](const KestrunConsoleStop& s, const std::string& exit) {
             return ".TP\n.B \"" + roff(s.text) + "\"\nExit status " + roff(exit) + ". " + s.meaning +
                    "\nCheck next: " + s.check + "\n";
         }},
        {"packaging/windows/README.txt",
         [](const KestrunStatusCode& c, const std::string& code) {
             return "\n" + code + ": " + c.meaning + "\n    Check next: " + c.check + "\n";
         },
         [](const KestrunConsoleStop& s, const std::string& exit) {
             return std::string("\n") + s.text + "\n    Exit status " + exit + ". " + s.meaning +
                    "\n    Check next: " + s.check + "\n";
         }},
    };
    int codeCount = 0;
    const KestrunStatusCode* codes = KestrunStatusCodes(&codeCount);
    int stopCount = 0;
    const KestrunConsoleStop* stops = KestrunConsoleStops(&stopCount);
    for (const Document& d : documents) {
        SCOPED_TRACE(d.file);
        std::string text = source(d.file);
        for (int i = 0; i < codeCount; ++i) {
            SCOPED_TRACE(codes[i].code);
            EXPECT_NE(text.find(d.code(codes[i], std::to_string(codes[i].code))), std::string::npos);
        }
        for (int i = 0; i < stopCount; ++i) {
            SCOPED_TRACE(stops[i].text);
            EXPECT_NE(text.find(d.stop(stops[i], std::to_string(stops[i].exitStatus))), std::string::npos);
        }
    }
    // The Windows package has no SQL: its README holds the office table of
    // the shipped schema, indented.
    std::string schema = source("data/schema/sqlite.sql");
    size_t start = schema.find("CREATE TABLE TM_OFFICE (");
    ASSERT_NE(start, std::string::npos);
    std::string office;
    std::istringstream lines(schema.substr(start, schema.find(");", start) + 2 - start));
    for (std::string line; std::getline(lines, line);) office += "    " + line + "\n";
    EXPECT_NE(source("packaging/windows/README.txt").find(office), std::string::npos) << office;
}
