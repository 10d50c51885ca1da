// The pause of the record layer's key generator, on POSIX.
#include <time.h>

#include "cs3base/record_key.h"

void PauseMilliseconds(int milliseconds) {
    if (milliseconds <= 0) return;
    timespec request{milliseconds / 1000, static_cast<long>(milliseconds % 1000) * 1000000L};
    timespec rest{};
    while (nanosleep(&request, &rest) != 0) request = rest;
}
