// The environment object: construction with the configuration defaults,
// owned objects and their release, and the process-wide pointer with its
// free operations.
#include "env/environment.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <new>

#include "db/connection.h"
#include "db/driver.h"
#include "db/session.h"
#include "env/paths.h"
#include "util/log.h"

namespace {

const char kUnit[] = "CMSioObjApp";
const char kUnitDB[] = "CMSioObjApp_DB";

CMSioObjApp* environment = nullptr;

}  // namespace

CMSioObjApp* AppEnvironment() { return environment; }

int CreateAppEnvironment() {
    if (!environment) environment = new (std::nothrow) CMSioObjApp();
    return 0;
}

void ReleaseEnvironment() {
    if (environment) environment->ReleaseEnvironment();
}

int CompanyNumber() { return environment ? environment->CompanyId() : 0; }

// ---- CMSioObj ----

CMSioObj::CMSioObj(const char* fileName, bool perCompany) {
    name.Set(fileName);
    CMSioObjApp* env = AppEnvironment();
    if (!env) return;
    if (perCompany)
        CompanyDir(env->DataDir(), &directory);
    else
        directory.Set(env->DataDir());
}

CMSioObj::~CMSioObj() = default;

int CMSioObj::GetPath(char* dst) {
    if (!dst) return -1;
    dst[0] = '\0';
    char fileName[kNUPathSize + 1];
    if (GetName(fileName, sizeof fileName) != 0) return -11;
    if (strlen(fileName) >= kNUPathSize) return -1;
    int r = SetPath(fileName, GetDir());
    if (r != 0) return r;
    return NUioObjList::GetPath(dst);
}

int CMSioObj::SetName(const char* text) { return name.Set(text); }

int CMSioObj::GetName(char* out, int size) {
    if (!out || size <= 0) return -99;
    out[0] = '\0';
    if (name.IsEmpty()) return -99;
    CopyCut(out, static_cast<size_t>(size), name.Get());
    return 0;
}

const char* CMSioObj::GetDir() { return directory.Get(); }

// ---- CMSioObjApp ----

CMSioObjApp::CMSioObjApp() : CMSioObj("app", false) {
    dbServer.Set("localhost");
    dbUser.Set("vrnl");
    dbPassword.Set("pmxq");
    dbName.Set("vrnldb");
    dbProvider.Set(DefaultDBProvider());
    dbAdoProvider.Set("SQLOLEDB");
    dbDriver.Set("FreeTDS");
    docRoot.Set("/vrnlres/");
    smartphoneRoot.Set("/vrnlspres/");
    imageRoot.Set("/vrnlres/images/");
    ftsDbServer.Set("localhost");
    ftsDbUser.Set("vrnlfts");
    ftsDbPassword.Set("pmxqtwa");
    ftsDbName.Set("vrnlftsdb");
}

// Owned objects go in a fixed order: catalogs and time zones first, the
// connection (which rolls back what is still open) before the settings
// objects that might have been read through it, own strings last.
CMSioObjApp::~CMSioObjApp() {
    ReleaseLangList();
    ReleaseTZCache();
    ReleaseLogFiles();
    DeleteUser(&currentUser);
    ReleaseOffice();
    ReleasePersonalSettings();
    ReleaseModuleSettings();
    ReleaseModuleList();
    ReleaseConnection();
    free(workBuffer);
    workBuffer = nullptr;
    workBufferSize = 0;
    ReleaseGroupList();
    ReleaseManagers();
    ReleaseUserSettings();
    ReleaseNotice();
    ReleaseNoticeList();
    ReleaseNoticeGroup();
    ReleaseHolidays();
    ReleaseHolidayList();
    ReleaseWeekHolidays();
    ReleaseAccessLists();
    ReleaseTZList();
    ReleaseLangIdList();
    ReleaseMobileSettings();
    ReleaseLoginSettings();
    ReleaseImapMail();
    delete timerStack;
    timerStack = nullptr;
    if (environment == this) environment = nullptr;
}

const char* CMSioObjApp::GetDir() { return dataDir.Get(); }

void CMSioObjApp::ReleaseEnvironment() {
    if (environment == this) environment = nullptr;
    delete this;
}

int CMSioObjApp::SetCurrentUser(CS3User* user, const char* userId) {
    currentUser = user;
    ReleaseLogFiles();
    // Without a "locklog" setting the lock log stays off.
    if (!user || lockLogName.IsEmpty()) return 0;
    NUString path;
    path.Format("%s%s.txt", lockLogName.Get(), userId ? userId : "");
    return RegisterLogFile(path.Get());
}

int CMSioObjApp::CreateConnection() {
    ReleaseConnection();
    connection = CreateDBConnection(dbProvider.Get(), dataDir.Get(), dbDriver.Get(),
                                    dbAdoProvider.Get());
    if (!connection) {
        TraceError("[%s:%d] errno=[%d]", kUnitDB, __LINE__, errno);
        return -10;
    }
    connection->connectAttempts = retryCount;
    connection->connectWaitSeconds = retryTime;
    connection->slowWarn = strstr(errLogName.Get(), "longtime") != nullptr;
    connection->callback = DBOperationHook;
    return 0;
}

void CMSioObjApp::ReleaseConnection() {
    delete connection;
    connection = nullptr;
}

NUNVList* CMSioObjApp::TimerStack() {
    if (!timerStack) timerStack = new (std::nothrow) NUNVList();
    return timerStack;
}

// ---- Free operations ----

int ReadDecimal(const char* text) {
    if (!text) return 0;
    const char* p = text;
    while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '\f' || *p == '\v') ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    long long value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        value = value * 10 + (*p - '0');
        if (value > 2147483648LL) value = 2147483648LL;
    }
    if (negative) value = -value;
    if (value > 2147483647LL) value = 2147483647LL;
    return static_cast<int>(value);
}

int ReserveWorkBuffer(int length) {
    CMSioObjApp* env = environment;
    if (!env) return -99;
    if (!env->workBuffer) {
        env->workBuffer = static_cast<char*>(malloc(6001));
        if (!env->workBuffer) return -10;
        env->workBuffer[0] = '\0';
        env->workBufferSize = 6001;
    }
    long long need = 2LL * (length > 0 ? length : 0);
    if (env->workBufferSize < need) {
        if (need + 1 > 2147483647LL) return -10;
        char* grown = static_cast<char*>(realloc(env->workBuffer, static_cast<size_t>(need + 1)));
        if (!grown) return -10;
        env->workBuffer = grown;
        env->workBufferSize = static_cast<int>(need + 1);
    }
    return 0;
}

int GetWorkBuffer(char** out) {
    if (out) *out = nullptr;
    CMSioObjApp* env = environment;
    if (!env) {
        TraceError("[%s][%d]", kUnit, __LINE__);
        return -99;
    }
    if (!env->workBuffer) {
        TraceError("[%s][%d]", kUnit, __LINE__);
        return -10;
    }
    if (out) *out = env->workBuffer;
    return 0;
}

int CheckNewKey(const char* key) {
    CMSioObjApp* env = environment;
    if (!key || !env) {
        TraceError("[%s][%d]", kUnit, __LINE__);
        return -99;
    }
    if (strcmp(key, env->lastKey) == 0) {
        TraceError("[%s:%d]key[%s:%s]", kUnit, __LINE__, key, env->lastKey);
        LogAppend("dupkey[%s][%s]\n", key, env->lastKey);
        return -6100001;
    }
    CopyCut(env->lastKey, sizeof env->lastKey, key);
    return 0;
}
