// CMSApp: the run lifecycle and the default steps of every application.
#include "app/cms_app.h"

#include <cstdio>

#include "db/session.h"
#include "env/catalog.h"
#include "env/environment.h"
#include "util/file.h"
#include "util/log.h"

namespace {
const char kUnit[] = "CMSApp";
}

CMSApp::CMSApp() : defaultLanguage("ja_JP") { programName.Set("err"); }

int CMSApp::Run(int argc, const char* const* argv) {
    int r = PreInit(argc, argv);
    if (r == 1) return 0;
    if (r == 0) {
        r = Init(argc, argv);
        if (r == 0) r = OpenDB(argc, argv);
        if (r == 0) r = MainWork();
    }
    // A stop that was already reported counts as success for the database.
    if (r == 1) r = 0;
    int e = End(r);
    Finish(e);
    return e;
}

void CMSApp::TakeProgramName(int argc, const char* const* argv) {
    if (argc <= 0 || !argv || !argv[0]) return;
    char name[63] = "";
    BaseName(argv[0], sizeof name, name);
    programName.Set(name);
}

int CMSApp::CreateEnvironment() {
    CreateAppEnvironment();
    return 0;
}

int CMSApp::PreInit(int, const char* const*) { return 0; }

int CMSApp::Init(int argc, const char* const* argv) {
    int r = CreateEnvironment();
    if (r != 0) return r;
    char home[2048] = "";
    r = GetHomeArgument(argc, argv, home, sizeof home);
    if (r != 0) {
        TraceError("[%s:%d] iret=[%d]", kUnit, 1, r);
        return r;
    }
    r = ReadConfiguration(home);
    if (r != 0) {
        TraceError("[%s:%d] iret=[%d]", kUnit, 2, r);
        return r;
    }
    if (argc >= 1 && argv) DecorateLogNames(argv[0]);
    TimerStart();
    return 0;
}

void CMSApp::Finish(int) {
    TimeLog("%s", "");
    if (AppEnvironment()) ReleaseEnvironment();
}

int CMSApp::OpenDB(int, const char* const*) {
    TimerStart();
    int r = DBOpen();
    if (r != 0) {
        TraceError("[%s:%d] ret=[%d]", kUnit, 10, r);
        return r;
    }
    TimeLog("DB open");
    return 0;
}

int CMSApp::End(int code) {
    if (code != 0) {
        DBRollback(code);
    } else {
        int c = DBCommit();
        if (c != 0) {
            TraceError("[%s:%d] ret=[%d]", kUnit, 20, c);
            // A failed commit leaves the transaction open: undone here, no
            // later commit can write what the run reports as not written.
            DBRollback(-1000004);
            return -1000004;
        }
    }
    int r = FlushOperationLog();
    if (r != 0) {
        TraceError("[%s:%d] ret=[%d]", kUnit, 21, r);
        return r;
    }
    return 0;
}

// This program keeps no operation log, so nothing is ever pending.
int CMSApp::FlushOperationLog() { return 0; }

// The login settings that hold the password-rule numbers belong to the web
// programs and are never available here, so every code reads as itself.
int CMSApp::MessageParameter(const char*, int code, char* out, int size) {
    if (!out || size < 1) return 0;
    int n = std::snprintf(out, static_cast<size_t>(size), "%d", code);
    return n < size ? n : size - 1;
}

int CMSApp::LoadMessages() { return LoadStartupCatalogs(defaultLanguage); }
