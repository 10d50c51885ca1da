// ZAppCgiBat: the web-request-frame application that a batch keeps as its
// companion; this program has no web frame, so only its database end remains.
#pragma once

#include "app/cms_app.h"

class ZAppCgiBat final : public CMSApp {
public:
    ZAppCgiBat();
    ~ZAppCgiBat();

    // Has no work of its own; 0.
    int MainWork() override;
    // A companion takes no command line: -99.
    int GetHomeArgument(int argc, const char* const* argv, char* out, int size) override;
    // Program name from argv[0], then the database.
    int OpenDB(int argc, const char* const* argv) override;
    // The database end, then the time-log line "cgi=%s cmd=%s".
    int End(int code) override;
    // Error record of a failed request: WriteErrorLog under the program
    // and command names. Always 0.
    int ReportError(int code);
};
