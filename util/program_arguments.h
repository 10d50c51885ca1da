// The program's command-line arguments as UTF-8 texts, whatever the
// platform hands to main.
#pragma once

#include <string>
#include <vector>

// argv as UTF-8: on POSIX the texts themselves, on Windows the wide command
// line the process was started with, split by the C run-time's rules.
std::vector<std::string> ProgramArguments(int argc, char** argv);
