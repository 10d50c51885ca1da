// Runs a built program as a child process for end-to-end tests: captured
// standard output and error, exit status, and a bounded wait. On Windows the
// output goes to files, not pipes (a console the child starts may keep a
// pipe open long after the child has ended), and is read as text: CR LF
// line ends come back as LF.
#pragma once

#include <string>
#include <vector>

struct ProgramResult {
    bool finished = false;  // false: still running when the wait ran out (then killed)
    int exitStatus = -1;    // exit status 0-255; -1 when killed by a signal
    std::string out;        // everything written to standard output
    std::string err;        // everything written to standard error
};

// A started child; the destructor kills and reaps it if it still runs.
class RunningProgram {
public:
    // Starts argv[0] (a path) with argv; standard input is empty.
    explicit RunningProgram(const std::vector<std::string>& argv);
    ~RunningProgram();
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    bool started() const;
    // Waits at most timeoutSeconds for the child to end, collecting its
    // output; a child still running then is killed.
    ProgramResult Wait(int timeoutSeconds);
    // Ends the child at once with SIGKILL and reaps it, leaving any process
    // it started running; its output is dropped.
    void Kill();

private:
    struct Child;  // the platform's record of the child and its output
    Child* child_;
};

// Starts and waits in one step.
inline ProgramResult RunProgram(const std::vector<std::string>& argv, int timeoutSeconds) {
    return RunningProgram(argv).Wait(timeoutSeconds);
}

// Waits at most timeoutSeconds for a file to exist; true when it does.
bool WaitForFile(const std::string& path, int timeoutSeconds);
