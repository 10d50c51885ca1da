// Log and trace output: the current log file, the error trace, the time
// log, registered log files and the end-of-run error record.
#include "util/log.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/cms_app.h"
#include "env/environment.h"
#include "db/session.h"
#include "env/paths.h"
#include "util/file.h"
#include "util/file_os.h"
#include "util/date_time.h"
#include "util/nu_string.h"
#include "util/nv_list.h"
#include "util/system_error_keeper.h"

namespace {

constexpr size_t kPathSize = kNULogPathSize;
constexpr size_t kLineSize = 8192;
constexpr size_t kTraceTextSize = 8000;
constexpr size_t kTraceHexSize = 16000;

char currentPath[kPathSize];
bool pathSet = false;
// Set by SuspendLogFiles: every log write is skipped.
bool filesSuspended = false;

// The registered log file. Only id 1 is ever registered, so one slot holds
// it; id 0 marks the slot free.
struct RegisteredLog {
    int id;
    char path[kPathSize];
};
RegisteredLog registered = {0, ""};

// Appends the bytes to path with one open-append-write-close. false when
// any step fails, the close included: a file system may report only there
// that the data did not reach the file.
bool AppendToFile(const char* path, const char* data, size_t length) {
    if (filesSuspended) return false;
    NUFileOs& os = FileOs();
    NUFileHandle file = os.openAppend(path);
    if (file == kInvalidFileHandle) return false;
    bool written = os.write(file, data, length) == 0;
    int error = errno;
    if (os.close(file) != 0) return false;
    errno = error;
    return written;
}

// vsnprintf into buffer (size bytes); the length actually held, so a
// longer message is cut at size - 1 bytes, before a character it would split.
size_t FormatInto(char* buffer, size_t size, const char* format, va_list args) {
    int n = vsnprintf(buffer, size, format ? format : "", args);
    if (n < 0) {
        buffer[0] = '\0';
        return 0;
    }
    if (static_cast<size_t>(n) < size) return static_cast<size_t>(n);
    CutAtBytePosition(buffer, size - 1);
    return strlen(buffer);
}

// Formats the message (cut at 8191 bytes) and appends it to path in one
// write behind the local time "YYYY/MM/DD hh:mm:ss" (with ".mmm" when
// withMillis is set) and a space.
bool AppendStampedV(const char* path, bool withMillis, const char* format, va_list args) {
    char message[kLineSize];
    size_t length = FormatInto(message, sizeof message, format, args);
    ClockTime t;
    LocalClockNow(&t);
    char stamp[64];
    if (withMillis)
        snprintf(stamp, sizeof stamp, "%02d/%02d/%02d %02d:%02d:%02d.%03d ", t.year, t.month,
                 t.day, t.hour, t.minute, t.second, t.millisecond);
    else
        snprintf(stamp, sizeof stamp, "%02d/%02d/%02d %02d:%02d:%02d ", t.year, t.month, t.day,
                 t.hour, t.minute, t.second);
    size_t stampLen = strlen(stamp);
    // A log is a text file: every line feed that no carriage return
    // precedes is written as the platform's line end (CR LF on Windows),
    // so one file never mixes two kinds.
    const char* lineEnd = FileOs().lineEnd;
    std::string line(stamp, stampLen);
    line.reserve(stampLen + length + 16);
    for (size_t i = 0; i < length; ++i) {
        if (message[i] == '\n' && (i == 0 || message[i - 1] != '\r'))
            line += lineEnd;
        else
            line += message[i];
    }
    return AppendToFile(path, line.data(), line.size());
}

}  // namespace

void SuspendLogFiles() { filesSuspended = true; }

void SetLogPath(const char* path, char* previous) {
    if (previous) CopyCut(previous, kPathSize, pathSet ? currentPath : "");
    // A path that does not fit the buffer is refused rather than cut: a cut
    // path would name some other file.
    if (path && path[0] && strlen(path) < kPathSize) {
        memcpy(currentPath, path, strlen(path) + 1);
        pathSet = true;
    } else {
        currentPath[0] = '\0';
        pathSet = false;
    }
}

void LogAppend(const char* format, ...) {
    if (!pathSet || !currentPath[0]) return;
    SystemErrorKeeper keep;
    va_list args;
    va_start(args, format);
    AppendStampedV(currentPath, true, format, args);
    va_end(args);
}

bool LogAppendChecked(const char* format, ...) {
    if (!pathSet || !currentPath[0]) return false;
    va_list args;
    va_start(args, format);
    bool written = AppendStampedV(currentPath, true, format, args);
    va_end(args);
    return written;
}

// Appends text (length bytes) to the trace, hex-encoded: each byte as two
// lowercase digits, a line feed kept, a carriage return dropped.
static int AppendEncoded(NUString& trace, const char* text, size_t length) {
    static const char digits[] = "0123456789abcdef";
    char encoded[kTraceHexSize];
    size_t out = 0;
    for (size_t i = 0; i < length; ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '\r') continue;
        if (c == '\n') {
            encoded[out++] = '\n';
            continue;
        }
        encoded[out++] = digits[c >> 4];
        encoded[out++] = digits[c & 15];
    }
    encoded[out] = '\0';
    if (out > 0 && trace.Append(encoded) != 0) return -2;
    if (!trace.IsEmpty() && trace.Append("\n") != 0) return -2;
    return 0;
}

static int TraceErrorV(const char* format, va_list args) {
    CMSioObjApp* env = AppEnvironment();
    if (!env) return -99;
    char text[kTraceTextSize];
    size_t length = FormatInto(text, sizeof text, format, args);
    return AppendEncoded(env->ErrorTrace(), text, length);
}

int TraceError(const char* format, ...) {
    va_list args;
    va_start(args, format);
    int r = TraceErrorV(format, args);
    va_end(args);
    return r;
}

int TraceDBError(const char* format, ...) {
    char text[kLineSize];
    va_list args;
    va_start(args, format);
    FormatInto(text, sizeof text, format, args);
    va_end(args);
    // Without a connection the session records the site and gives -2000001.
    char message[4096] = "";
    int code = DBLastError(message);
    return TraceError("%s dberr=[%d] dbmsg=[%s]", text, code, message);
}

void TimerStart() {
    CMSioObjApp* env = AppEnvironment();
    if (!env || env->TimeLogName()[0] == '\0') return;
    NUNVList* stack = env->TimerStack();
    if (!stack) return;
    char stamp[15];
    NowStamp(stamp, 0);
    uint32_t tick = TickCountMs();
    stack->Add(stamp, reinterpret_cast<const char*>(&tick), sizeof tick);
}

void TimeLog(const char* format, ...) {
    CMSioObjApp* env = AppEnvironment();
    if (!env || env->TimeLogName()[0] == '\0') return;
    char message[kLineSize];
    va_list args;
    va_start(args, format);
    FormatInto(message, sizeof message, format, args);
    va_end(args);
    uint32_t now = TickCountMs();

    char saved[kPathSize];
    SetLogPath(env->TimeLogName(), saved);

    NUNVList* stack = env->TimerStack();
    int depth = stack ? stack->Count() : 0;
    char startText[64] = "";
    char useText[64] = "";
    if (depth > 0) {
        char* name = nullptr;
        char* value = nullptr;
        if (stack->NameAt(depth - 1, &name) == 0 && name && strlen(name) >= 14) {
            snprintf(startText, sizeof startText, "start %.2s/%.2s %.2s:%.2s:%.2s ", name + 4,
                     name + 6, name + 8, name + 10, name + 12);
        }
        if (stack->ValueAt(depth - 1, &value) == 0 && value) {
            uint32_t start;
            memcpy(&start, value, sizeof start);
            uint32_t e = now - start;
            snprintf(useText, sizeof useText, "use %d:%02d:%02d.%03d",
                     static_cast<int>(e / 3600000), static_cast<int>(e / 60000 % 60),
                     static_cast<int>(e / 1000 % 60), static_cast<int>(e % 1000));
        }
    }
    LogAppend("%05d %s%s \"%s\"\n", depth, startText, useText, message);
    SetLogPath(saved, nullptr);
    if (depth > 0) stack->RemoveAt(depth - 1);
}

int RegisterLogFile(const char* path) {
    if (!path || strlen(path) >= kPathSize) return -99;
    registered.id = 1;
    memcpy(registered.path, path, strlen(path) + 1);
    return 0;
}

void ReleaseLogFiles() { registered = {0, ""}; }

void LogToRegistered(int id, const char* format, ...) {
    if (id == 0 || id != registered.id || !registered.path[0]) return;
    SystemErrorKeeper keep;
    va_list args;
    va_start(args, format);
    AppendStampedV(registered.path, false, format, args);
    va_end(args);
}

namespace {

const char kErrorLogSuffix[] = ".txt";

// The temporary-name hint of an error record: "_<program>_", or
// "_<program>_<second name>_" when a second name is given.
void ErrorLogTag(CMSApp* application, const char* secondName, NUString* tag) {
    const char* program = application ? application->ProgramName() : "";
    if (secondName && secondName[0])
        tag->Format("_%s_%s_", program, secondName);
    else
        tag->Format("_%s_", program);
}

}  // namespace

int LongestErrorLogPath(CMSApp* application, NUString* out) {
    if (!out) return -99;
    NUString tag;
    ErrorLogTag(application, nullptr, &tag);
    char path[1024];
    int r = LongestTempFileName(tag.Get(), path, kErrorLogSuffix);
    return r == 0 ? out->Set(path) : r;
}

bool WriteErrorLog(CMSApp* application, const char* secondName, int code, const char* text,
                   char kind, NUString* writtenPath) {
    if (writtenPath) writtenPath->Clear();
    if (filesSuspended) return false;
    CMSioObjApp* env = AppEnvironment();
    bool switched = false;
    char saved[kPathSize];
    NUString dir;
    if (env) env->GetTempDir(&dir, true);
    if (!dir.IsEmpty()) {
        EnsureDirectory(dir.Get());
        NUString tag;
        ErrorLogTag(application, secondName, &tag);
        char path[1024];
        if (TempFileName(tag.Get(), path, kErrorLogSuffix) == 0) {
            SetLogPath(path, saved);
            switched = true;
            if (writtenPath) writtenPath->Set(path);
        }
    }
    // The code is always recorded; an unknown kind or message stays empty.
    const char kindText[2] = {kind, '\0'};
    bool written = LogAppendChecked("%d:%s:%s\r\n", code, kindText, text ? text : "");
    written = LogAppendChecked("%s\n", env ? env->ErrorTrace().Get() : "") && written;
    int error = errno;
    if (env && written) env->ErrorTrace().Clear();
    if (switched) SetLogPath(saved, nullptr);
    errno = error;
    return written;
}
