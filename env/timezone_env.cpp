// The environment's time-zone operations: the cache and the list it owns,
// identifier checks, the office and user zones and the zone in force.
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "cs3base/user.h"
#include "cxiocom/office.h"
#include "env/catalog.h"
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

namespace {

// The office settings, read once (no office row is accepted); null when
// they cannot be read.
CXioOffice* Office(CMSioObjApp* env) {
    if (LoadOfficeSettings() != 0) return nullptr;
    return env->Office();
}

// The current user's time-zone identifier. The user record keeps it, with
// the daylight-saving minutes, among the values that are not columns of
// its table: the first extra text.
const char* UserZoneId(CS3User* user) { return user->extraText1.Value(); }

// The office's daylight-saving setting ("" when the office cannot be read).
const char* OfficeDst(CMSioObjApp* env) {
    CXioOffice* office = Office(env);
    return office ? office->DstMinutes() : "";
}

// Makes zone and the daylight-saving text the ones in force and hands them
// to the date and time text operations.
void PutInForce(CMSioObjApp* env, Zi18nTZ* zone, const char* dst) {
    CMSioObjApp::TimeZoneState& state = env->TZState();
    state.inForce = zone;
    state.dstMinutes.Set(dst);
    SetTimeZone(zone->Offset(), state.dstMinutes.Get());
}

}  // namespace

Zi18nTZ* OfficeTimeZone() {
    CMSioObjApp* env = AppEnvironment();
    if (!env) return nullptr;
    CMSioObjApp::TimeZoneState& state = env->TZState();
    if (state.office) return state.office;
    CXioOffice* office = Office(env);
    if (!office) {
        TraceError("[%s:%d]", kUnit, __LINE__);
        return nullptr;
    }
    std::string id = office->TimeZoneId();
    TrimTrailingSpace(id.data());
    id.resize(strlen(id.c_str()));
    if (id.empty()) id = kDefaultTimeZoneId;
    state.office = TimeZoneById(id.c_str());
    return state.office;
}

Zi18nTZ* UserTimeZone() {
    CMSioObjApp* env = AppEnvironment();
    if (!env) return nullptr;
    CMSioObjApp::TimeZoneState& state = env->TZState();
    if (state.user) return state.user;
    CS3User* user = env->CurrentUser();
    if (user && *UserZoneId(user))
        state.user = TimeZoneById(UserZoneId(user));
    else
        state.user = OfficeTimeZone();
    return state.user;
}

int TimeZoneOffsetText(const char** out) {
    CMSioObjApp* env = AppEnvironment();
    if (out) *out = nullptr;
    if (!env || !out) return kRecBadArgument;
    Zi18nTZ* zone = UserTimeZone();
    if (!zone) {
        TraceError("[%s][%d]", kUnit, __LINE__);
        return kTzNotFound;
    }
    *out = zone->Offset();
    return env->CurrentUser() ? 0 : kTzNoCurrentUser;
}

int SelectOfficeTimeZone() {
    CMSioObjApp* env = AppEnvironment();
    if (!env) return kRecBadArgument;
    Zi18nTZ* zone = OfficeTimeZone();
    if (!zone) {
        TraceError("[%s][%d]", kUnit, __LINE__);
        return kTzNotFound;
    }
    PutInForce(env, zone, OfficeDst(env));
    return 0;
}

int SelectUserTimeZone() {
    CMSioObjApp* env = AppEnvironment();
    if (!env) return kRecBadArgument;
    Zi18nTZ* zone = UserTimeZone();
    if (!zone) {
        TraceError("[%s][%d]", kUnit, __LINE__);
        return kTzNotFound;
    }
    CS3User* user = env->CurrentUser();
    const char* dst = user ? user->dstMinutes.Value() : "";
    if (!*dst) dst = OfficeDst(env);
    PutInForce(env, zone, dst);
    return 0;
}

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
