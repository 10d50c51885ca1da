// CMSApp: the run lifecycle and the default steps of every application.
#include "app/cms_app.h"

#include <cstdio>

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

int CMSApp::CreateEnvironment() { return 0; }

int CMSApp::PreInit(int, const char* const*) { return 0; }

int CMSApp::Init(int, const char* const*) { return -99; }

void CMSApp::Finish(int) {}

int CMSApp::LoadMessages() { return -99; }

int CMSApp::OpenDB(int, const char* const*) { return -99; }

int CMSApp::End(int code) {
    if (code != 0) return 0;
    return -1000004;
}

int CMSApp::FlushOperationLog() { return 0; }

int CMSApp::MessageParameter(const char*, int code, char* out, int size) {
    if (!out || size < 1) return 0;
    int n = std::snprintf(out, static_cast<size_t>(size), "%d", code);
    return n < size ? n : size - 1;
}
