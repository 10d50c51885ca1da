// POSIX side of the database units' OS services.
#include <langinfo.h>
#include <locale.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#include <cerrno>

#include "db/platform.h"
#include "db/utf16.h"

namespace {

// Sleeps for the whole of wait, resuming after a signal.
void SleepFor(timespec wait) {
    while (nanosleep(&wait, &wait) != 0 && errno == EINTR) {
    }
}

}  // namespace

void DBSleepSeconds(int seconds) {
    if (seconds > 0) SleepFor({seconds, 0});
}

void DBSleepMilliseconds(int milliseconds) {
    if (milliseconds <= 0) return;
    SleepFor({milliseconds / 1000, static_cast<long>(milliseconds % 1000) * 1000000L});
}

bool DBGetEnvVar(const char* name, std::string* value) {
    const char* found = name ? getenv(name) : nullptr;
    if (!found) return false;
    if (value) *value = found;
    return true;
}

int DBSetEnvVar(const char* name, const char* value) {
    if (!name || !value) return -1;
    return setenv(name, value, 1) == 0 ? 0 : -1;
}

bool DBUseUtf8CharacterSet() {
    const char* codeset = nl_langinfo(CODESET);
    if (codeset && (strcmp(codeset, "UTF-8") == 0 || strcmp(codeset, "utf8") == 0)) return true;
    return setlocale(LC_CTYPE, "C.UTF-8") != nullptr || setlocale(LC_CTYPE, "en_US.UTF-8") != nullptr;
}

// The system code page of POSIX systems is UTF-8.
bool DBSystemTextToUtf16(std::string_view text, std::u16string* out) { return Utf8ToUtf16(text, out); }
