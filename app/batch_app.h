// ZAppBat and ZAppBatObj: the command-line batch application with its
// argument table, installation check, status file and batch lock.
#pragma once

#include "app/cms_app.h"
#include "util/nu_string.h"
#include "util/nv_file.h"
#include "util/nv_list.h"
#include "util/path_limit.h"

class CMSioObj;
class ZAppCgiBat;

// Status file keys: "startdate" (StartStatus), "status", "msg" and
// "enddate" (WriteFinalStatus, or Finish when End did not run). The batch lock is the status
// file's lock file, held by statusIO from StartStatus until the object goes.
class ZAppBat : public CMSApp {
public:
    ZAppBat();
    ~ZAppBat();

    // Stamps "enddate" and saves the status file unless End saved it
    // already, releases the environment and the status object. Failures
    // are only traced.
    void Finish(int code) override;
    // Copies the value of "-h" into out. 0; 1 when it is missing or does
    // not fit in size bytes (after "No such directry.").
    int GetHomeArgument(int argc, const char* const* argv, char* out, int size) override;
    // Program name from argv[0], then the database.
    int OpenDB(int argc, const char* const* argv) override;
    // Database end (EndDatabase), error record, final status; returns the
    // database end's result, or the final status write's failure code when
    // that failed.
    int End(int code) override;

    // The error record of a failed run (code non-zero); always 0.
    virtual int ReportError(int code);
    // 0; 1 when statusDir is empty or the object cannot be made.
    virtual int CreateStatusObject();
    virtual void ReleaseStatusObject();
    // Reads the options of the table names (null-ended) with flags (1:
    // required with a value) into argList. 0; 1 when a required option or
    // its value is missing; -10 when memory runs out.
    virtual int ParseArguments(int argc, const char* const* argv, const char* const* names,
                               const unsigned char* flags);
    // 0 when the installation's message catalog exists; 1 (after the
    // console text) when not, when the home is longer than 400 bytes or a
    // path derived from it longer than the platform opens; or the catalog
    // path's failure code.
    virtual int CheckHome();
    // The home check's two parts, in its order: the home's length and the
    // paths derived from it (CheckDerivedPaths), then the installation's
    // message catalog.
    int CheckHomePaths();
    int CheckCatalog();
    // Part of the home check: 0 when every path the run derives from the
    // home fits what the platform opens; 1 after the console text when one
    // does not; or a failure code. This class checks the error record in
    // the temporary directory; derived classes add their own paths.
    virtual int CheckDerivedPaths();
    // statusDir := value of "-s". 0, or Find's result when absent.
    virtual int TakeStatusPath();
    // Status object, "startdate", and the batch lock: one attempt, no wait.
    // 0; 1 when the status object cannot be made; the NUFileIO code when
    // the lock is held by another run (after the console text).
    virtual int StartStatus();
    // Sets "status" (and "msg" for a negative code) and "enddate" and saves
    // the status file. 0, or the write's failure code (then traced and
    // reported with ReportError); End turns such a failure into a failed run.
    virtual int WriteFinalStatus(int code);
    // Write test of a location: writes and deletes a small file at path.
    // 0; -99 for a null argument; or the failing step's code.
    virtual int SaveCheckFile(const char* label, const char* path, bool keepLock);

    // The parsed options (read-only use).
    NUNVList& Arguments() { return argList; }
    const char* StatusDir() const { return statusDir.Get(); }
    CMSioObj* StatusObject() const { return statusObject; }

protected:
    // Commits or rolls back (CMSApp's End); its result.
    virtual int EndDatabase(int code);
    // The batch lock's failure (code) on the status file at path: traced
    // and told on the console with the system's error.
    void ReportLockFailure(const char* path, int code);

    NUNVList argList{128};
    NUFileIO statusIO;
    CMSioObj* statusObject = nullptr;
    NUString statusDir;
    NUString statusFileName;

    // 0 when each of paths (count, at most 16) fits the platform's limit of
    // its kind; else 1 after the console text naming the first that does not.
    int CheckPathLengths(const char* const* paths, const NUPathKind* kinds, int count);

private:
    // Stamps "enddate" and writes the status file under the held lock; final
    // marks the write of End. 0 or the write's code (traced).
    int SaveStatus(bool final);
    bool finalStatusSaved = false;
};

// A batch that owns a companion of the web request frame for the run.
class ZAppBatObj : public ZAppBat {
public:
    ZAppBatObj();
    ~ZAppBatObj();

    // ZAppBat's OpenDB, then the companion. 0, or the failing step's code.
    int OpenDB(int argc, const char* const* argv) override;
    // Companion message, database end with the companion's End, error
    // record, final status; returns the database end's result.
    int End(int code) override;

    // 0; -10 when the companion cannot be made.
    virtual int CreateCompanion();
    // Ends the companion with companionEndCode and deletes it; the
    // companion's End result, 0 without a companion.
    virtual int ReleaseCompanion();

protected:
    // The database end, then the companion's End with the run's code (the
    // code, or the database end's failure); the companion's failure
    // becomes the result when the database end succeeded.
    int EndDatabase(int code) override;

    ZAppCgiBat* companion = nullptr;
    int companionEndCode = 0;
};

