// Demo installations and kestrun runs for end-to-end tests.
#include "support/demo_home.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <sstream>
#include <thread>

#include "support/schema_db.h"
#include "support/sqlite_db.h"
#include "support/temp_dir.h"
#include "util/file.h"
#include "util/nv_file.h"

namespace fs = std::filesystem;

std::string MakeDemoHome(const std::string& home) {
    const std::string source = KESTRUN_SOURCE_DIR;
    std::error_code ec;
    fs::create_directories(home + "/kestv30r15", ec);
    if (ec) return "cannot create " + home + ": " + ec.message();
    fs::copy(source + "/data/demo", home, fs::copy_options::recursive | fs::copy_options::overwrite_existing,
             ec);
    if (ec) return "cannot copy data/demo: " + ec.message();
    fs::copy_file(std::string(KESTRUN_BINARY_DIR) + "/tools/updbatbookmarkv30.exe",
                  home + "/kestv30r15/updbatbookmarkv30.exe", fs::copy_options::overwrite_existing, ec);
    if (ec) return "cannot copy the step stand-in: " + ec.message();
    std::string office = ReadWholeFile(source + "/data/schema/demo-office.sql");
    std::string schema = SchemaScript();
    if (office.empty() || schema.empty()) return "cannot read data/schema";
    std::string database = home + "/data/vrnldb.sqlite";
    std::string made = MakeSqliteDb(database, schema + office);
    if (!made.empty()) return "cannot make the database: " + made;
    // Without the embedded provider the programs reach the file over ODBC.
    if (SqliteAvailable()) return "";
    std::string config = home + "/data/app";
    return WriteWholeFile(config, ReadWholeFile(config) + SqliteSettings(database)) ? "" : "cannot write " + config;
}

bool WriteStandinControl(const std::string& home, const std::string& text) {
    return WriteWholeFile(home + "/kestv30r15/updbatbookmarkv30.ctl", text);
}

bool IsWholeStatusText(const std::string& text) {
    if (text.empty() || text.back() != '\n') return false;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (line.starts_with("\t")) continue;
        std::string key = line.substr(0, line.find('='));
        if (line.find('=') == std::string::npos ||
            (key != "startdate" && key != "status" && key != "msg" && key != "enddate")) {
            return false;
        }
    }
    return true;
}

std::string KestrunPath() { return BuiltProgramPath("kestrun"); }

std::string BuiltProgramPath(const std::string& name) {
    return std::string(KESTRUN_BINARY_DIR) + "/" + name + KESTRUN_PROGRAM_SUFFIX;
}

bool WaitForFreeLock(const std::string& path, int timeoutSeconds) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
    for (;;) {
        NUFileHandle held = OpenLockExclusive(path.c_str(), 1, 0);
        if (held != kInvalidFileHandle) {
            CloseFileHandle(held);
            return true;
        }
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

ProgramResult RunKestrun(const std::vector<std::string>& args, int timeoutSeconds) {
    std::vector<std::string> argv{KestrunPath()};
    argv.insert(argv.end(), args.begin(), args.end());
    return RunProgram(argv, timeoutSeconds);
}

ProgramResult RunOnHome(const std::string& home) {
    ProgramResult r = RunKestrun({"-h", home});
    std::string lock = home + "/kestv30r15/log/kestrun.sts.lk";
    if (r.out.find(kLockFailure) == std::string::npos && fs::exists(lock)) {
        EXPECT_TRUE(WaitForFreeLock(lock, 10)) << "the run left its lock held: " << lock;
    }
    return r;
}

bool HoldStep(const std::string& home, const std::string& started, const std::string& release) {
    return WriteStandinControl(home, "startedfile=" + started + "\nwaitfile=" + release + "\nwaitlimit=60\n");
}

NameValues ReadNameValues(const std::string& path) {
    NUioObjList list;
    NUFileIO reader;
    reader.noLock = true;
    NameValues pairs;
    if (list.SetPath(path.c_str(), nullptr) != 0 || reader.Read(&list, false, false) != 0) return pairs;
    char *name = nullptr, *value = nullptr;
    for (int i = 0; list.GetAt(i, &name, &value) == 0; ++i) pairs.emplace_back(name, value ? value : "");
    return pairs;
}

std::string ValueOf(const NameValues& pairs, const std::string& key) {
    for (const auto& [name, value] : pairs) {
        if (name == key) return value;
    }
    return "<absent>";
}

NameValues StatusOf(const std::string& home) { return ReadNameValues(home + "/kestv30r15/log/kestrun.sts"); }

std::string ErrorRecords(const std::string& home) {
    std::string text;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(home + "/data", ec); it != fs::recursive_directory_iterator();
         it.increment(ec)) {
        if (it->path().filename().string().starts_with("temp_err_")) text += ReadWholeFile(it->path().string());
    }
    return text;
}

std::map<std::string, std::string> Snapshot(const std::string& root) {
    std::map<std::string, std::string> entries;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(root, ec); it != fs::recursive_directory_iterator();
         it.increment(ec)) {
        std::string name = fs::relative(it->path(), root).generic_string();
        std::string bytes = it->is_regular_file() ? ReadWholeFile(it->path().string()) : "";
        entries[name] = it->is_regular_file()
                            ? std::to_string(bytes.size()) + ":" + std::to_string(std::hash<std::string>{}(bytes))
                            : "<dir>";
    }
    return entries;
}
