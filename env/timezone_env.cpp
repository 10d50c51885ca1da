// The environment's time-zone operations: the cache and the list it owns,
// identifier checks, the office and user zones and the zone in force.
#include <cerrno>
#include <cstdlib>
#include <new>

#include "env/environment.h"
#include "env/timezone.h"
#include "util/date_time.h"
#include "util/log.h"
#include "util/utf8_text.h"

namespace {
const char kUnit[] = "CMSioObjApp_TZ";
}  // namespace

int CMSioObjApp::CreateTZCache() {
    if (tzCache) return 0;
    tzCache = new (std::nothrow) Zi18nTZList();
    if (!tzCache) {
        TraceError("[%s:%d]errno[%d]", kUnit, __LINE__, errno);
        return -10;
    }
    return 0;
}

void CMSioObjApp::ReleaseTZCache() {
    // The remembered zones point into the cache.
    tzState.office = nullptr;
    tzState.user = nullptr;
    tzState.inForce = nullptr;
    delete tzCache;
    tzCache = nullptr;
}

int CMSioObjApp::CreateTZList() {
    if (tzList) return 0;
    tzList = new (std::nothrow) CXioCIndexTimeZone(false);
    if (!tzList) {
        TraceError("[%s:%d]errno[%d]", kUnit, __LINE__, errno);
        return -10;
    }
    int r = tzList->Load();
    if (r != 0) {
        TraceError("[%s:%d]ret[%d]", kUnit, __LINE__, r);
        // Not kept, so that the next check reads the table again.
        ReleaseTZList();
    }
    return r;
}

void CMSioObjApp::ReleaseTZList() {
    delete tzList;
    tzList = nullptr;
}

const char* ValidTimeZoneId(const char* id) {
    CMSioObjApp* env = AppEnvironment();
    if (!env || !id || !*id || env->CreateTZList() != 0) {
        TraceError("[%s:%d]tzid[%s]", kUnit, __LINE__, id ? id : "");
        return nullptr;
    }
    CXioCTimeZone* zone = env->TZList()->FindNoCase(id);
    if (!zone) {
        TraceError("[%s:%d]tzid[%s]", kUnit, __LINE__, id);
        return nullptr;
    }
    return zone->IdText();
}

Zi18nTZ* TimeZoneById(const char* id) {
    CMSioObjApp* env = AppEnvironment();
    if (!env || !id) {
        TraceError("[%s:%d]", kUnit, __LINE__);
        return nullptr;
    }
    if (env->CreateTZCache() != 0) return nullptr;
    Zi18nTZ* zone = env->TZCache()->Find(id);
    return zone ? zone : env->TZCache()->Load(id);
}

Zi18nTZ* OfficeTimeZone() { return nullptr; }
Zi18nTZ* UserTimeZone() { return nullptr; }

int TimeZoneOffsetText(const char** out) {
    if (out) *out = nullptr;
    return kRecBadArgument;
}

int SelectOfficeTimeZone() { return kTzNotFound; }
int SelectUserTimeZone() { return kTzNotFound; }

Zi18nTZ* TimeZoneInForce() {
    CMSioObjApp* env = AppEnvironment();
    return env ? env->TZState().inForce : nullptr;
}

const char* DstInForce() {
    CMSioObjApp* env = AppEnvironment();
    return env ? env->TZState().dstMinutes.Get() : "";
}

int DstMinutes(const char* text) {
    if (!text || !*text) return 0;
    if (!IsInteger(text)) {
        TraceError("[%s:%d]dstmin[%s]", kUnit, __LINE__, text);
        return -1;
    }
    return strtoll(text, nullptr, 10) != 0 ? 60 : 0;
}
