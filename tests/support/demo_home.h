// Demo installations for end-to-end tests, laid out from the same files as
// scripts/make-demo-home lays out the demo, and runs of the built kestrun on
// them.
#pragma once

#include <string>
#include <vector>

#include "support/program_run.h"

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
