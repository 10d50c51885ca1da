// The table of kestrun's status codes and console stops with their meanings.
#include "app/status_codes.h"

#include <cstring>
#include <iterator>

namespace {

// The texts are plain ASCII without "|" or backslashes: the documentation
// shows them verbatim in a Markdown table and in a manual page.
const KestrunStatusCode kCodes[] = {
    {0, "Success: the step program exited with 0 and its status file reads status=0.", "nothing."},
    {-99, "The database login is empty.", "dbuser in VRNHOME/data/app."},
    {-10, "Memory ran out.", "The free memory of the server; run again."},
    {-2000001, "No database connection could be made: dbprovider names no driver this build has.",
     "dbprovider in VRNHOME/data/app (odbc; sqlite on Linux; ado on Windows)."},
    {-1000001, "The database could not be opened.",
     "dbprovider, dbdriver, dbs, dbname, dbuser and dbpwd; the driver's message in kestrun.log "
     "(kestrun-log VRNHOME)."},
    {-1000002, "The database server did not answer (network error or time-out) after every attempt.",
     "That the server runs and is reachable from this machine; retrycnt and retrytim."},
    {-1000006, "A statement failed, typically the read of the office row (table TM_OFFICE missing or "
               "not as the shipped schema has it).",
     "The tables against the shipped schema; the driver's message in kestrun.log."},
    {-1000008, "A row could not be read from the database.", "The driver's message in kestrun.log."},
    {-1000010, "The database was locked (deadlock or time-out).",
     "Other programs working on the database; run again later."},
    {-1000020, "The connection to the database was lost.", "The database server and the network."},
    {-62, "The database refused a value as longer than its column allows.",
     "The office row and the tables against the shipped schema; the driver's message in kestrun.log."},
    {-30000, "A message catalog exists but cannot be read.",
     "The files com, com_locale and version in the catalog directory of the office's language, VRNHOME/local/ja_JP by default."},
    {-70011, "No language could be set for the message catalogs.",
     "lang_id of the office row; the free memory of the server."},
    {-1000004, "The commit at the end of the run failed; the run's database work is rolled back.",
     "The database server's log; run again."},
    {-9910001,
     "The step program could not be started, or it exited with a code other than 0. In kestrun.log "
     "the record ret[-1] ... derr=[e] means it did not start (e is the system error, 2: no such "
     "file, 13: permission denied); ret[-2] dret=[n] means it ran and exited with n.",
     "VRNHOME/kestv30r15/updbatbookmarkv30.exe: present and executable by this user; its own "
     "logs."},
    {-9910002, "The step program exited with 0 but its status file bookmarkv30.sts does not read "
               "status=0.",
     "bookmarkv30.sts in VRNHOME/kestv30r15/log and the step program's own logs."},
    {-6100020,
     "No readable status file bookmarkv30.sts: the step program exited with 0 without leaving one, or the step "
     "did not start because what an earlier run left at that name cannot be removed (a directory, or a file "
     "this user may not delete).",
     "Whether VRNHOME/kestv30r15/log/bookmarkv30.sts is a directory (remove it); the step program's own logs; "
     "that it can write VRNHOME/kestv30r15/log."},
};

const KestrunConsoleStop kStops[] = {
    {"No such directry.", kStoppedInInitExit,
     "The value of -h is 2048 bytes or longer (the usage text follows).", "The command line."},
    {"usage : kestrun.exe -h VRNHOME", kStoppedInInitExit,
     "-h is missing, has no value, or its value begins with -.", "The command line."},
    {"malloc error=", kStoppedInInitExit, "Memory ran out while the arguments were read.",
     "The free memory of the server."},
    {"[-h] : No such file or directory.", kStoppedInInitExit,
     "The configuration file exists but cannot be read.",
     "VRNHOME/data/app: a readable file."},
    {"[-h] : The path is longer than 400 bytes.", kStoppedInInitExit,
     "The home directory is too long; nothing is created under it.",
     "Give a shorter path to the installation (a symbolic link will do)."},
    {"[-h] : The path is longer than the system opens.", kStoppedInInitExit,
     "A path the run would use is longer than the system opens.",
     "Give a shorter path to the installation."},
    {"[-h] : The path of the error record is too long.", kStoppedInInitExit,
     "The temporary directory under dbdirdata is too long for a run's error record (511 bytes at most).",
     "dbdirdata in VRNHOME/data/app: a shorter path."},
    {"[-h] : No indispensable argument.", 0, "The path of the message catalog cannot be formed.",
     "The value of -h."},
    {"[-h] : No such directory. path=[", kStoppedInInitExit,
     "There is no installation at that path: VRNHOME/local/ja_JP/message is missing.",
     "The path, and the catalogs under VRNHOME/local/."},
    {"new object error.", kStoppedInInitExit, "Memory ran out while the status file was set up.",
     "The free memory of the server."},
    {"[-s] Failed to lock the file.", kStoppedInInitExit,
     "Another run holds the batch lock, or the status file cannot be saved under it: with ret[-17] the lock "
     "file is held or cannot be opened, otherwise something other than a writable file or directory stands in "
     "the status directory's place, the status file's, its lock's or its temporary file's (kestrun.sts.bk).",
     "Whether kestrun (or its step program) still runs on this installation; that this user can "
     "write VRNHOME/kestv30r15/log."},
};

}  // namespace

const KestrunStatusCode* KestrunStatusCodes(int* count) {
    if (count) *count = static_cast<int>(std::size(kCodes));
    return kCodes;
}

const KestrunStatusCode* FindKestrunStatusCode(int code) {
    for (const KestrunStatusCode& entry : kCodes) {
        if (entry.code == code) return &entry;
    }
    return nullptr;
}

const KestrunConsoleStop* KestrunConsoleStops(int* count) {
    if (count) *count = static_cast<int>(std::size(kStops));
    return kStops;
}

const KestrunConsoleStop* FindKestrunConsoleStop(const char* output) {
    if (!output) return nullptr;
    for (const KestrunConsoleStop& stop : kStops) {
        if (std::strncmp(output, stop.text, std::strlen(stop.text)) == 0) return &stop;
    }
    return nullptr;
}
