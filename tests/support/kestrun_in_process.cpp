// Runs kestrun's application in this process with a chosen file call table.
#include "support/kestrun_in_process.h"

#include <gtest/gtest.h>

#include "app/kestrun_app.h"

InProcessOutcome RunKestrunInProcess(const std::string& home, const NUFileOs& calls) {
    NUFileOs saved = FileOs();
    FileOs() = calls;
    InProcessOutcome outcome;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    {
        ZAppKestrun app;
        const char* argv[] = {"kestrun", "-h", home.c_str(), nullptr};
        outcome.exitCode = app.Run(3, argv);
    }
    outcome.err = testing::internal::GetCapturedStderr();
    outcome.out = testing::internal::GetCapturedStdout();
    FileOs() = saved;
    return outcome;
}
