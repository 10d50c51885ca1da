// The environment object: construction with the configuration defaults,
// the process-wide pointer and its free operations.
#include "env/environment.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "util/log.h"

namespace {

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
        directory.Format("%s%d/", env->DataDir(), env->CompanyId());
    else
        directory.Set(env->DataDir());
}

CMSioObj::~CMSioObj() = default;

int CMSioObj::GetPath(char* dst) {
    if (!dst) return -1;
    dst[0] = '\0';
    char fileName[1024];
    if (GetName(fileName, sizeof fileName) != 0) return -11;
    const char* dir = GetDir();
    size_t dirLen = strlen(dir);
    size_t nameLen = strlen(fileName);
    bool slash = dirLen > 0 && dir[dirLen - 1] != '/';
    if (dirLen + (slash ? 1 : 0) + nameLen >= 1024) return -1;
    snprintf(dst, 1024, "%s%s%s", dir, slash ? "/" : "", fileName);
    return 0;
}

int CMSioObj::SetName(const char* text) { return name.Set(text); }

int CMSioObj::GetName(char* out, int size) {
    if (!out || size <= 0) return -99;
    out[0] = '\0';
    if (name.IsEmpty()) return -99;
    snprintf(out, static_cast<size_t>(size), "%s", name.Get());
    return 0;
}

const char* CMSioObj::GetDir() { return directory.Get(); }

// ---- CMSioObjApp ----

CMSioObjApp::CMSioObjApp() : CMSioObj("app", false) {
    dbServer.Set("localhost");
    dbUser.Set("vrnl");
    dbPassword.Set("pmxq");
    dbName.Set("vrnldb");
    dbProvider.Set("odbc");
    dbDriver.Set("FreeTDS");
    docRoot.Set("/vrnlres/");
    smartphoneRoot.Set("/vrnlspres/");
    imageRoot.Set("/vrnlres/images/");
    ftsDbServer.Set("localhost");
    ftsDbUser.Set("vrnlfts");
    ftsDbPassword.Set("pmxqtwa");
    ftsDbName.Set("vrnlftsdb");
}

CMSioObjApp::~CMSioObjApp() {
    ReleaseOwned();
    if (environment == this) environment = nullptr;
}

void CMSioObjApp::ReleaseOwned() {
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
}

int CMSioObjApp::Add(const char*, const char*, unsigned char*) { return 0; }

const char* CMSioObjApp::GetDir() { return dataDir.Get(); }

void CMSioObjApp::ReleaseEnvironment() {
    if (environment == this) {
        environment = nullptr;
        delete this;
    }
}

int CMSioObjApp::GetTempDir(NUString* out, bool) { return out ? 0 : -99; }

int CMSioObjApp::SetCurrentUser(CS3User* user, const char*) {
    currentUser = user;
    return 0;
}

int CMSioObjApp::CreateConnection() { return -10; }
void CMSioObjApp::ReleaseConnection() {}

NUNVList* CMSioObjApp::TimerStack() { return timerStack; }

int ReadConfiguration(const char*) { return environment ? 0 : -99; }
int DecorateLogNames(const char*) { return environment ? 0 : -99; }
int ReserveWorkBuffer(int) { return environment ? -10 : -99; }
int GetWorkBuffer(char** out) {
    if (out) *out = nullptr;
    return environment ? -10 : -99;
}
int CheckNewKey(const char* key) { return environment && key ? 0 : -99; }
