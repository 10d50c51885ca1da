// CMSApp: the root application class and its fixed run lifecycle.
#pragma once

#include "util/nu_string.h"

// A program derives from CMSApp, replaces single steps and keeps their order:
// PreInit, Init, OpenDB, MainWork, End, Finish (see Run). Each step returns 0
// for success, 1 for "stopped, already reported to the user", or an error
// code. Application objects are plain objects owned by the entry point.
class CMSApp {
public:
    CMSApp();
    CMSApp(const CMSApp&) = delete;
    CMSApp& operator=(const CMSApp&) = delete;

    // Runs the lifecycle once; returns End's result (the process exit status).
    virtual int Run(int argc, const char* const* argv);
    // Creates the environment singleton when absent; always 0.
    virtual int CreateEnvironment();
    virtual int PreInit(int argc, const char* const* argv);
    // Environment, home argument, configuration, log names, run timer.
    virtual int Init(int argc, const char* const* argv);
    // Closes the run timer and releases the environment.
    virtual void Finish(int code);
    virtual int MainWork() = 0;
    // Office settings, then the catalogs "com", "com_locale" and "version".
    virtual int LoadMessages();
    // Copies the installation home directory into out (size bytes); 0 or an error.
    virtual int GetHomeArgument(int argc, const char* const* argv, char* out, int size) = 0;
    // Opens the database session and writes the "DB open" time-log line.
    virtual int OpenDB(int argc, const char* const* argv);
    // Commits (code 0) or rolls back, then flushes the operation log.
    // 0, -1000004 when the commit fails (the transaction is then rolled
    // back), or the flush's code.
    virtual int End(int code);
    virtual int FlushOperationLog();
    // Writes the value for the "number" parameter of a code's message into
    // out (size bytes); returns its length.
    virtual int MessageParameter(const char* message, int code, char* out, int size);

    // The program name that error log file names are built from ("err"
    // until the database is opened by a batch).
    const char* ProgramName() const { return programName.Get(); }
    // User-facing text of the last failure.
    const char* ErrorText() const { return errorText.Get(); }

protected:
    // programName := the base name of argv[0], at most 62 bytes; nothing
    // when there is no argv[0].
    void TakeProgramName(int argc, const char* const* argv);

    NUString errorText;
    // Used only by the web request frame; a batch leaves them empty.
    int cgiMode = 0;
    NUString cgiName;
    NUString cgiCommand;
    NUString programName;
    const char* defaultLanguage;
};
