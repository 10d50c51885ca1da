// Finding the latest run's record of an installation: the driver log
// "kestrun.log", or an error record in the temporary directory, whichever
// a run of this home wrote last, told against the status file.
#pragma once

#include <string>
#include <vector>

#include "util/regular_file.h"

// The most a log or record is read of: a longer one is shown cut.
inline constexpr std::size_t kLogReadLimit = 1024 * 1024;

// One file read for the story: its path and what was found there.
struct RunFile {
    std::string path;
    NUFileContent content;
    bool identified = false;  // it holds the identity record of a run
    std::string home;         // the run's home directory (identified only)
    std::string startdate;    // the run's "startdate" ("" before the lock)
};

struct LatestRun {
    RunFile status;  // "kestrun.sts"
    std::string statusValue;
    std::string statusStart;
    RunFile driverLog;              // "kestrun.log"
    std::vector<RunFile> records;  // error records of this home, newest day first
    bool hasLatest = false;
    RunFile latest;  // the newest record of this home (hasLatest)
    // The status file is this latest record's run's (same startdate).
    bool statusOfLatest = false;
    // The status file tells of a run after the latest record.
    bool statusLater = false;
};

// Reads at most kLogReadLimit bytes of the regular file at path and
// identifies the run it tells of.
RunFile ReadRunFile(const std::string& path);
// The identity of a log's text: its first decoded record, when that is the
// identity record of a run.
void IdentifyRunFile(RunFile* file);
// Reads the status file, driver log and the error records of the home
// directory homeDir (ending in "/") whose temporary directories lie under
// tempRoot ("<dbdirdata><cid>/tmp/", empty when unknown) and picks the
// latest record.
LatestRun FindLatestRun(const std::string& homeDir, const std::string& tempRoot);
