// Demo installations for end-to-end tests, laid out by scripts/make-demo-home
// (the same script the demo uses), and runs of the built kestrun on them.
#pragma once

#include <string>
#include <vector>

#include "support/program_run.h"

// Lays out a demo installation in home (created); false when the script failed.
bool MakeDemoHome(const std::string& home);
// Writes the step stand-in's control file in home's kestv30r15 directory.
bool WriteStandinControl(const std::string& home, const std::string& text);
// Runs the built kestrun with these arguments (argv[0] is added) and waits at
// most timeoutSeconds.
ProgramResult RunKestrun(const std::vector<std::string>& args, int timeoutSeconds = 60);
// Path of the built kestrun.
std::string KestrunPath();
