// Entry point of kestrun: runs the upgrade-step driver once; its result is
// the process exit status.
#include "app/kestrun_app.h"

int main(int argc, char** argv) {
    ZAppKestrun app;
    return app.Run(argc, argv);
}
