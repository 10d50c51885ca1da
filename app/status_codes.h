// What kestrun's outcomes mean: every status code a run can leave in
// "kestrun.sts", and the console stops of runs that end before it.
#pragma once

// One status code of "kestrun.sts" (or of a record in a log).
struct KestrunStatusCode {
    int code;
    const char* meaning;  // what went wrong
    const char* check;    // what an administrator checks next
};

// A run that stops before it holds the batch lock: its console text (the
// start of it) before the result line, and its exit status.
struct KestrunConsoleStop {
    const char* text;
    int exitStatus;
    const char* meaning;
    const char* check;
};

// The exit status of a run that stopped in its initialisation: the failed
// commit of a database that was never opened (188, its low byte, on POSIX).
constexpr int kStoppedInInitExit = -1000004;

// The table of status codes, in the order the documentation lists them;
// *count receives its length.
const KestrunStatusCode* KestrunStatusCodes(int* count);
// The entry of code, or null when the table has none.
const KestrunStatusCode* FindKestrunStatusCode(int code);
// The console stops, in the order a run meets them; *count receives the length.
const KestrunConsoleStop* KestrunConsoleStops(int* count);
// The stop whose text begins output (the console output of a run), or null.
const KestrunConsoleStop* FindKestrunConsoleStop(const char* output);
