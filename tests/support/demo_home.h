// Demo installations for end-to-end tests, laid out from the same files as
// scripts/make-demo-home lays out the demo, and runs of the built kestrun on
// them.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "support/program_run.h"

// The last line of a run's standard output.
inline constexpr char kSuccess[] = "Result: [Success] The process has been successfully completed.\n";
inline constexpr char kError[] = "Result: [Error] The process has failed.\n";
// A run stopped with -1000004: a POSIX exit status keeps only its low byte.
inline constexpr int kStoppedStatus = 188;
inline constexpr char kLockFailure[] = "Failed to lock the file.";

// Lays out a demo installation in home (created): the template data/demo,
// its database and the step stand-in. Where the build has no SQLite library
// the configuration reaches the database over ODBC. "" on success, else
// what failed.
std::string MakeDemoHome(const std::string& home);
// Writes the step stand-in's control file in home's kestv30r15 directory.
bool WriteStandinControl(const std::string& home, const std::string& text);
// Runs the built kestrun with these arguments (argv[0] is added) and waits at
// most timeoutSeconds.
ProgramResult RunKestrun(const std::vector<std::string>& args, int timeoutSeconds = 60);
// True when text is a whole status file: ended by a line end, every line a
// key=value of the status file's keys ("startdate", "status", "msg",
// "enddate") or a TAB-led further line of a value.
bool IsWholeStatusText(const std::string& text);
// Path of the built kestrun.
std::string KestrunPath();
// Path of a program built beside kestrun ("kestrun-check", "kestrun-log").
std::string BuiltProgramPath(const std::string& name);
// Waits at most timeoutSeconds until nobody holds the lock file at path;
// true once it is free.
bool WaitForFreeLock(const std::string& path, int timeoutSeconds);
// Runs kestrun -h home. Under Wine the console host of the step may hold
// the batch lock it inherited for a moment after the run: a run that did
// not fail on the lock waits until it is free, so that the next run finds
// it so.
ProgramResult RunOnHome(const std::string& home);
// The step stand-in of home waits, once started (it makes the file
// started), until the file release exists.
bool HoldStep(const std::string& home, const std::string& started, const std::string& release);

using NameValues = std::vector<std::pair<std::string, std::string>>;
// The pairs of the name-value file at path, in their order, as the
// framework's reader takes them (none when it cannot be read).
NameValues ReadNameValues(const std::string& path);
// The first value of key in pairs, or "<absent>".
std::string ValueOf(const NameValues& pairs, const std::string& key);
// home's kestrun.sts.
NameValues StatusOf(const std::string& home);
// The text of every error record (temp_err_*) under home's data
// directory; "" when there is none.
std::string ErrorRecords(const std::string& home);
// Every file and directory under root, each file with its size and a hash
// of its bytes.
std::map<std::string, std::string> Snapshot(const std::string& root);
