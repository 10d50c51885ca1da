// ZAppKestrun: the upgrade-step driver, the application of kestrun. Runs the
// step program "updbatbookmarkv30.exe" once and reports the outcome.
#pragma once

#include <string>

#include "app/batch_app.h"

// Files under the installation home <home>/ (the environment's home directory):
//   workDir  <home>kestv30r15, holding the step program
//   statusDir <workDir>/log: "kestrun.sts" (+ ".lk", the batch lock),
//   "bookmarkv30.sts" (written by the step program), "kestrun.log" (driver
//   log of the latest failed run).
class ZAppKestrun : public ZAppBatObj {
public:
    ZAppKestrun();
    ~ZAppKestrun();

    // Arguments, environment and configuration, home check, directories,
    // status file under the batch lock. 0; 1 when stopped after a console
    // text; or the home check's code.
    int Init(int argc, const char* const* argv) override;
    // Builds the child's arguments and runs the step program.
    int MainWork() override;
    // Database, companion, then the message catalogs.
    int OpenDB(int argc, const char* const* argv) override;
    // Driver log for a non-zero code (see WriteDriverLog); always 0.
    int ReportError(int code) override;
    // The base class's paths, then the work directory (the step's working
    // directory), the step program and the files of the status directory.
    int CheckDerivedPaths() override;
    // Status object "kestrun.sts" in statusDir. 0; 1 on failure.
    int CreateStatusObject() override;
    // Saves "status"/"msg"/"enddate", then prints the result line: Error
    // also when the status file could not be saved.
    int WriteFinalStatus(int code) override;

    // Writes "kestrun.log" in statusDir: the line "code:text" (text empty
    // when unknown) and the error trace, which is then cleared. The run's
    // first write replaces an earlier run's log (a file only: anything else
    // standing there is left alone), later ones add to it. When the log
    // cannot be written, the record goes to the temporary directory
    // (WriteErrorLog) and standard error says so and where. Always 0.
    virtual int WriteDriverLog(int code, const char* text);
    // Fills array (64 entries) with the eleven child arguments and a null
    // after them; the texts are this object's fields. 0; -99 for null.
    virtual int BuildChildArguments(const char** array);
    // Runs the step program and checks its status file, which an earlier run
    // may have left and which goes first. 0; -99 for null; -9910001 when it
    // failed to run or exited non-zero; -6100020 when something other than a
    // file stands at the status file's name or it cannot be removed (nothing
    // is deleted and the step does not run); or CheckStepStatus's code.
    virtual int RunChild(const char* const* array);
    // 0 when "status" in the step status file reads "0"; -6100020 when the
    // file is missing or unreadable; -9910002 otherwise.
    virtual int CheckStepStatus();

    // The work and status directories under an installation's home
    // directory (ending in "/"), and the driver log's path there.
    static void WorkPathsOf(const char* homeDir, NUString* work, NUString* status);
    static void DriverLogPathOf(const char* homeDir, NUString* path);
    // "updbatbookmarkv30.exe"
    static const char* StepProgramName();
    // The text that stands for the database password wherever it is shown.
    static const char* MaskedPassword();

    // The home directory and "startdate" (empty before the batch lock was
    // held) of the run that wrote a record, from its identity record (the
    // decoded first record of the trace kestrun writes); false for any
    // other record.
    static bool RecordIdentityOf(const std::string& record, std::string* home, std::string* startdate);

    // The "-h" value of argv by kestrun's argument rules, without any
    // console text. 0; 1 when the rules are not met.
    int HomeArgument(int argc, const char* const* argv, NUString* home);

    bool Failed() const { return failed; }
    const char* WorkDir() const { return workDir.Get(); }

protected:
    bool failed = false;
    NUString stepStatusFileName;
    NUString workDir;
    NUString childPath;
    NUString homeArg;
    NUString workDirArg;
    NUString dbServerArg;
    NUString zeroArg;
    NUString dbNameArg;
    NUString dbUserArg;
    NUString dbPasswordArg;
    NUString emptyArg1;
    NUString emptyArg2;
    NUString oneArg;
    // A child argument as logs and reports show it: the password masked.
    const char* ShownArgument(const char* argument) const {
        return argument == dbPasswordArg.Get() ? MaskedPassword() : argument;
    }
    // Init's first two steps. The argument table; 1 after the usage text
    // when it is not met. Then CMSApp's Init (environment, home argument,
    // configuration); 1 after the usage text or "[-h] : No such file or
    // directory." when it fails. Each sets failed on failure.
    int ReadArguments(int argc, const char* const* argv);
    int ReadEnvironment(int argc, const char* const* argv);
    // workDir and statusDir of the environment's home directory.
    void SetWorkPaths();
    // Removes the step status file an earlier run left, before the step
    // starts. 0; -6100020 (traced) when something other than a file stands
    // at its name or it cannot be removed.
    int ClearStepStatus();
    // The work and status directories of the environment's home directory.
    static void DeriveWorkPaths(NUString* work, NUString* status);
    // Set once the home check has passed: from then on a failure without a
    // status directory leaves its error record through WriteErrorLog.
    bool homeChecked = false;
    // Set once this run has written its driver log: later records add to it.
    bool driverLogWritten = false;
    // The error record of code with text in the temporary directory, and on
    // standard error where it went (or that it could not be written).
    void WriteTemporaryRecord(int code, const char* text);
    // Puts the run's identity record first in the error trace, once per run:
    // "[ZAppKestrun:22] home[<home directory>] startdate[<startdate>]".
    void MarkRecord();
    bool recordMarked = false;
    // The record of code with text and the error trace, decoded and with
    // control bytes escaped, on standard error; the trace is then cleared.
    // For a run whose record cannot be written anywhere else.
    void WriteRecordToStandardError(int code, const char* text);
};
