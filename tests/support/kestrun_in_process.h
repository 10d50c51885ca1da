// Runs kestrun's application in this process on an installation, with the
// file call table the caller set up, for tests that inject file faults.
#pragma once

#include <string>

#include "util/file_os.h"

struct InProcessOutcome {
    std::string out;   // standard output
    std::string err;   // standard error
    int exitCode = 0;  // what Run returned
};

// Runs "kestrun -h home" with calls in place of the file call table, then
// puts the table back as it was.
InProcessOutcome RunKestrunInProcess(const std::string& home, const NUFileOs& calls);
