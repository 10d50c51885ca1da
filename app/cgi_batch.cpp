// ZAppCgiBat: the batch's companion of the web request frame.
#include "app/cgi_batch.h"

#include "app/batch_app.h"
#include "env/catalog.h"
#include "util/log.h"

namespace {
const char kUnit[] = "ZAppCgiBat";
}

ZAppCgiBat::ZAppCgiBat() = default;

ZAppCgiBat::~ZAppCgiBat() = default;

int ZAppCgiBat::MainWork() { return 0; }

int ZAppCgiBat::GetHomeArgument(int, const char* const*, char*, int) { return -99; }

int ZAppCgiBat::OpenDB(int argc, const char* const* argv) {
    TakeProgramName(argc, argv);
    int r = CMSApp::OpenDB(argc, argv);
    if (r != 0) {
        TraceError("[%s:%d] ret=[%d]", kUnit, 1, r);
        return r;
    }
    return 0;
}

int ZAppCgiBat::End(int code) {
    // The request's time-log line below closes a timer of its own, so the
    // run timer that Init started stays for Finish's line.
    TimerStart();
    int r = CMSApp::End(code);
    TimeLog("cgi=%s cmd=%s", cgiName.Get(), cgiCommand.Get());
    return r;
}

int ZAppCgiBat::ReportError(int code) {
    if (code == 0) return 0;
    char kind = '\0';
    const char* text = MessageByNumber(code, &kind);
    WriteErrorLog(this, cgiCommand.Get(), code, text, kind);
    return 0;
}
