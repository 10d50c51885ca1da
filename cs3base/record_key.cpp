// Generated text keys: base-36 time keys, the repeat guard and the insert
// under a new key.
#include "cs3base/record_key.h"

#include <cstdio>
#include <cstdlib>

#include "cs3base/record.h"
#include "cs3base/record_io.h"
#include "db/platform.h"
#include "env/environment.h"
#include "util/date_time.h"
#include "util/log.h"

namespace {

const char kUnit[] = "cs3dbdataio_z";

// Attempts of InsertWithNewKey before a duplicate key is given up: a key
// taken by another process is replaced, but a duplicate of some other
// unique column would otherwise repeat forever.
constexpr int kInsertAttempts = 100;

void (*keyClock)(ClockTime*) = nullptr;
void (*keyPause)(int) = nullptr;

void ReadClock(ClockTime* t) {
    if (keyClock != nullptr) {
        keyClock(t);
    } else {
        UtcClockNow(t);
    }
}

void Pause(int milliseconds) {
    if (keyPause != nullptr) {
        keyPause(milliseconds);
    } else {
        DBSleepMilliseconds(milliseconds);
    }
}

}  // namespace

void Base36Key(uint64_t value, char* out) {
    static const char digits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    for (int i = kRecordKeyLength - 1; i >= 0; --i) {
        out[i] = digits[value % 36];
        value /= 36;
    }
    out[kRecordKeyLength] = '\0';
}

void RecordKeyOf(const ClockTime& t, char* out) {
    char text[40];
    std::snprintf(text, sizeof text, "%04d%02d%02d%02d%02d%02d%06d", t.year, t.month, t.day, t.hour,
                  t.minute, t.second, t.millisecond);
    Base36Key(std::strtoull(text + 2, nullptr, 10), out);
}

void SetRecordKeyClock(void (*clock)(ClockTime*)) { keyClock = clock; }
void SetRecordKeyPause(void (*pause)(int)) { keyPause = pause; }

int NewRecordKey(char* out) {
    ClockTime now{};
    ReadClock(&now);
    RecordKeyOf(now, out);
    int rc = CheckNewKey(out);
    if (rc != kRecKeyRepeated) return rc;
    Pause(1);
    ReadClock(&now);
    RecordKeyOf(now, out);
    return CheckNewKey(out);
}

int InsertWithNewKey(CS3Object& record) {
    char key[kRecordKeyLength + 1];
    int rc = NewRecordKey(key);
    if (rc != 0) {
        TraceError("[%s:%d]ret[%d]", kUnit, __LINE__, rc);
        return rc;
    }
    rc = record.SetId(key);
    if (rc != 0) return rc;
    CS3DataIO io;
    rc = io.PrepareInsert(record);
    if (rc != 0) return rc;
    for (int attempt = 1;; ++attempt) {
        rc = io.Insert(record, key);
        if (rc != kRecDuplicateKey || attempt >= kInsertAttempts) break;
        Pause(1);
        rc = NewRecordKey(key);
        if (rc != 0) break;
    }
    if (rc != 0) TraceError("[%s:%d]ret[%d]key[%s]", kUnit, __LINE__, rc, key);
    return rc;
}
