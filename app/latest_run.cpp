// Finding the latest run's record of an installation.
#include "app/latest_run.h"

#include <algorithm>
#include <cctype>

#include "app/driver_log.h"
#include "app/kestrun_app.h"
#include "util/file_os.h"
#include "util/nv_file.h"
#include "util/nu_string.h"

namespace {

// Error records are looked for in at most this many day directories,
// newest first, and at most this many files are read in all: the search
// stays bounded whatever the temporary directory holds.
constexpr int kMaxDays = 62;
constexpr int kMaxRecordFiles = 2000;


// The status file's "status" and "startdate" as the name-value reader takes
// them ("" when missing). It is read without its lock: kestrun-log only looks.
void ReadStatusValues(LatestRun* run) {
    NUioObjList status;
    if (status.SetPath(run->status.path.c_str(), nullptr) != 0) return;
    NUFileIO io;
    io.noLock = true;
    io.Read(&status, false, false);
    char* value = nullptr;
    if (status.FindValue("status", &value) == 0 && value) run->statusValue = value;
    value = nullptr;
    if (status.FindValue("startdate", &value) == 0 && value) run->statusStart = value;
}

std::vector<std::string> Entries(const std::string& dir, bool files) {
    std::vector<std::string> names;
    NUFileOs& os = FileOs();
    int error = 0;
    // Listed without its trailing "/": the platform adds its own separator.
    std::string listed = dir.size() > 1 && dir.back() == '/' ? dir.substr(0, dir.size() - 1) : dir;
    void* listing = os.openListing(listed.c_str(), &error);
    if (!listing) return names;
    const char* name = nullptr;
    int isFile = 0;
    NUFindData data;
    while (os.nextEntry(listing, &name, &isFile, &data) == 1) {
        if ((isFile != 0) == files) names.push_back(name);
    }
    os.closeListing(listing);
    return names;
}

bool IsDayName(const std::string& name) {
    return name.size() == 8 &&
           std::all_of(name.begin(), name.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
}

bool IsRecordName(const std::string& name) {
    return name.rfind("temp", 0) == 0 && name.size() > 8 && name.compare(name.size() - 4, 4, ".txt") == 0;
}

}  // namespace

RunFile ReadRunFile(const std::string& path) {
    RunFile file;
    file.path = path;
    file.content = ReadRegularFile(path.c_str(), kLogReadLimit);
    if (file.content.result == kFileReadOk) IdentifyRunFile(&file);
    return file;
}

void IdentifyRunFile(RunFile* file) {
    const std::string& text = file->content.text;
    size_t end = text.find('\n');
    // The trace starts on the second line, behind its time stamp.
    size_t start = end == std::string::npos ? text.size() : end + 1;
    size_t lineEnd = text.find('\n', start);
    std::string line = text.substr(start, (lineEnd == std::string::npos ? text.size() : lineEnd) - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    size_t space = line.find(' ', line.find(' ') + 1);
    std::string record;
    if (space == std::string::npos || !DecodeRecord(line.substr(space + 1), &record)) return;
    file->identified = ZAppKestrun::RecordIdentityOf(record, &file->home, &file->startdate);
}

LatestRun FindLatestRun(const std::string& homeDir, const std::string& tempRoot) {
    LatestRun run;
    NUString path;
    ZAppKestrun::DriverLogPathOf(homeDir.c_str(), &path);
    std::string logPath = path.Get();
    std::string statusDir = logPath.substr(0, logPath.rfind('/') + 1);
    run.status = ReadRunFile(statusDir + "kestrun.sts");
    run.status.identified = false;
    if (run.status.content.result == kFileReadOk) ReadStatusValues(&run);
    run.driverLog = ReadRunFile(logPath);

    if (!tempRoot.empty()) {
        std::vector<std::string> days = Entries(tempRoot, false);
        days.erase(std::remove_if(days.begin(), days.end(), [](const std::string& d) { return !IsDayName(d); }),
                   days.end());
        std::sort(days.rbegin(), days.rend());
        int read = 0;
        int dayCount = 0;
        // A record is written into the directory of its day: the newest day
        // that holds one of this home's records holds the newest of them.
        for (const std::string& day : days) {
            if (++dayCount > kMaxDays || read >= kMaxRecordFiles || !run.records.empty()) break;
            std::string dir = tempRoot + day + "/";
            for (const std::string& name : Entries(dir, true)) {
                if (!IsRecordName(name) || read >= kMaxRecordFiles) continue;
                ++read;
                RunFile file = ReadRunFile(dir + name);
                if (file.identified && file.home == homeDir) run.records.push_back(file);
            }
        }
    }

    const RunFile* latest = nullptr;
    auto consider = [&](const RunFile& file) {
        if (file.content.result != kFileReadOk) return;
        if (!latest || file.content.modifiedNs > latest->content.modifiedNs) latest = &file;
    };
    consider(run.driverLog);
    for (const RunFile& record : run.records) consider(record);
    if (latest) {
        run.hasLatest = true;
        run.latest = *latest;
    }
    if (run.status.content.result == kFileReadOk) {
        if (latest && latest->identified) {
            run.statusOfLatest = !run.statusStart.empty() && latest->startdate == run.statusStart;
        } else if (latest) {
            // A driver log without an identity (written by an earlier
            // version): it is the status file's run when it is not newer.
            run.statusOfLatest = latest->content.modifiedNs <= run.status.content.modifiedNs &&
                                 !run.statusValue.empty() && run.statusValue != "0";
        }
        run.statusLater = !run.statusOfLatest &&
                          (!latest || run.status.content.modifiedNs > latest->content.modifiedNs);
    }
    return run;
}
