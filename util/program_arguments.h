// The program's command-line arguments as the bytes given, whatever the
// platform hands to main.
#pragma once

#include <string>
#include <vector>

// *texts = argv: on POSIX the texts themselves; on Windows the wide command
// line the process was started with, in the system code page, split by the
// C run-time's rules. false when the line holds a character with no exact
// form in that code page (*texts is then empty).
bool ProgramArguments(int argc, char** argv, std::vector<std::string>* texts);
