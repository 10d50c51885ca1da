// The process-wide environment: configuration keys, derived directories,
// log support and the objects the environment owns.
#pragma once

#include "util/nu_string.h"
#include "util/nv_io.h"

class CdDBConnection;
// Objects of the catalog, time-zone, user and settings units; the
// environment holds them by pointer and creates them on first use.
class Zi18nLangList;
class Zi18nLang;
class Zi18nTZList;
class Zi18nTZ;
class CXioCIndexTimeZone;
class ZioObjLangList;
class CXioOffice;
class AppIoLoginSetting;
class CS3User;

// A file-backed name-value object: its file is <directory>/<name>, the
// directory being the data directory or the company directory under it.
class CMSioObj : public NUioObjList {
public:
    // perCompany: the directory is "<dataDir><cid>/" instead of dataDir.
    // Without an environment the directory starts empty.
    CMSioObj(const char* name, bool perCompany);
    virtual ~CMSioObj();
    CMSioObj(const CMSioObj&) = delete;
    CMSioObj& operator=(const CMSioObj&) = delete;

    // Joins GetDir and GetName into the object's path (SetPath) and copies
    // it into dst (1024 bytes). 0; -11 without a name; -1 when it would not
    // fit.
    int GetPath(char* dst) override;

    // Stores the file name. 0 or the string's failure code.
    virtual int SetName(const char* name);
    // Copies the name into out (size bytes, cut to fit). -99 when the name
    // is empty or out is unusable.
    virtual int GetName(char* out, int size);
    // The directory text (never null).
    virtual const char* GetDir();

protected:
    NUString name;
    NUString directory;
};

// The environment object. The configuration file is read into it: the
// reader asks it for its path and hands it each pair (Add).
class CMSioObjApp : public CMSioObj {
public:
    CMSioObjApp();
    ~CMSioObjApp() override;

    // One configuration pair: kept in the settings list, then applied when
    // the name is a known key. 0, a store's failure code, or -10.
    int Add(const char* name, const char* value, unsigned char* ctx) override;
    const char* GetDir() override;

    // --- Operations added by the environment, in dispatch order. ---

    // Deletes this object; when it is the process-wide environment the
    // pointer is cleared first, so nothing reaches it while it goes.
    virtual void ReleaseEnvironment();
    // Appends the temporary directory of the day to out; trailingSlash adds
    // a final "/". 0 or the string's failure code.
    virtual int GetTempDir(NUString* out, bool trailingSlash);

    // Makes user the current user (the environment does not take
    // ownership) and switches the lock log to "<locklog><userId>.txt".
    virtual int SetCurrentUser(CS3User* user, const char* userId);
    virtual int ReleaseUser(CS3User* user);
    virtual int NewUser(CS3User** out);
    virtual int DeleteUser(CS3User** user);

    // Time-zone cache, time-zone list and language identifier list.
    virtual int CreateTZCache();
    virtual void ReleaseTZCache();
    virtual int CreateTZList();
    virtual void ReleaseTZList();
    virtual int CreateLangIdList();
    virtual void ReleaseLangIdList();
    // Message text by key from the current language's numbered-message
    // catalog (file null: "message"). 0, -20, -10, -99.
    virtual int MessageByKey(const char* key, const char** text, const char* fileName);
    // Office settings object.
    virtual int CreateOffice();
    virtual void ReleaseOffice();

    // Settings objects of the web programs; this program never creates
    // them, so the create operations report -10.
    virtual int CreatePersonalSettings();
    virtual void ReleasePersonalSettings();
    virtual int CreateModuleSettings();
    virtual void ReleaseModuleSettings();
    virtual int CreateModuleList();
    virtual void ReleaseModuleList();
    virtual int CreateMailSettings();
    virtual void ReleaseMailSettings();
    virtual int CreateMailServer();
    virtual void ReleaseMailServer();
    virtual int CreateImapMail();
    virtual void ReleaseImapMail();

    // The database connection object: created (releasing any previous one)
    // with the retry count, retry interval, slow-statement switch and the
    // session's hook. 0; -10 when it cannot be created.
    virtual int CreateConnection();
    virtual void ReleaseConnection();

    virtual int CreateGroupList();
    virtual void ReleaseGroupList();
    // Manager object by number (not used by this program): -10.
    virtual int GetManager(int number, void** out);
    virtual void ReleaseManagers();
    virtual int CreateUserSettings();
    virtual void ReleaseUserSettings();
    virtual int CreateNotice();
    virtual void ReleaseNotice();
    virtual int CreateNoticeList();
    virtual void ReleaseNoticeList();
    virtual int CreateNoticeGroup();
    virtual void ReleaseNoticeGroup();
    virtual int CreateWeekHolidays();
    virtual void ReleaseWeekHolidays();
    virtual int CreateHolidays();
    virtual void ReleaseHolidays();
    virtual int CreateHolidayList();
    virtual void ReleaseHolidayList();
    virtual int CreateAccessLists();
    virtual void ReleaseAccessLists();
    virtual int CreateAccessGroups();
    virtual int CreateMobileSettings();
    virtual void ReleaseMobileSettings();

    // Current language object (null when none can be established).
    virtual Zi18nLang* CurrentLanguage();
    // Language list of the catalogs.
    virtual int CreateLangList();
    virtual void ReleaseLangList();
    // Login settings object (release first, then create).
    virtual void ReleaseLoginSettings();
    virtual int CreateLoginSettings();

    // --- Value access. Text values are never null. ---
    const char* ErrLogName() const { return errLogName.Get(); }
    const char* TraceFileName() const { return traceFileName.Get(); }
    const char* LockLogName() const { return lockLogName.Get(); }
    const char* TimeLogName() const { return timeLogName.Get(); }
    const char* DocRoot() const { return docRoot.Get(); }
    const char* DbServer() const { return dbServer.Get(); }
    const char* DbUser() const { return dbUser.Get(); }
    const char* DbPassword() const { return dbPassword.Get(); }
    const char* DbName() const { return dbName.Get(); }
    const char* DbProvider() const { return dbProvider.Get(); }
    const char* DbDriver() const { return dbDriver.Get(); }
    const char* DbAdoProvider() const { return dbAdoProvider.Get(); }
    bool SqlTrace() const { return sqlTrace != 0; }
    int TempDelDay() const { return tempDelDay; }
    int RetryCount() const { return retryCount; }
    int RetryTime() const { return retryTime; }
    int DbTimeout() const { return dbTimeout; }
    int CompanyId() const { return companyId; }
    int MaxDir() const { return maxDir; }
    int MaxDispCount() const { return maxDispCount; }
    int DelUser() const { return delUser; }
    int MaxFetchCount() const { return maxFetchCount; }
    const char* DsvrnUrl() const { return dsvrnUrl.Get(); }
    const char* UnauthUrl() const { return unauthUrl.Get(); }
    const char* LogoutUrl() const { return logoutUrl.Get(); }
    const char* UnauthAction() const { return unauthAction.Get(); }
    bool DbPooled() const { return dbPooled != 0; }
    const char* FtsDbServer() const { return ftsDbServer.Get(); }
    const char* FtsDbUser() const { return ftsDbUser.Get(); }
    const char* FtsDbPassword() const { return ftsDbPassword.Get(); }
    const char* FtsDbName() const { return ftsDbName.Get(); }
    int AutoSaveTime() const { return autoSaveTime; }

    const char* HomeDir() const { return homeDir.Get(); }
    const char* DataDir() const { return dataDir.Get(); }
    const char* FileDir() const { return fileDir.Get(); }
    const char* PageDir() const { return pageDir.Get(); }
    const char* MailDataDir() const { return mailDataDir.Get(); }
    const char* ImageRoot() const { return imageRoot.Get(); }
    const char* SmartphoneRoot() const { return smartphoneRoot.Get(); }

    // Every configuration pair as read, in file order (null before the
    // first pair). Owned by the environment.
    NUNVList* SettingsList() const { return list; }

    // Log support: the error trace that TraceError fills, and the timer
    // stack of the time log (created on first use; null when that fails).
    NUString& ErrorTrace() { return errorTrace; }
    NUNVList* TimerStack();
    // Last message meant for the user (set by the record layer).
    NUString& UserMessage() { return userMessage; }
    // The last key that the check-new-key operation accepted ("" at first).
    const char* LastKey() const { return lastKey; }
    // Size in bytes of the shared work buffer (0 before it is reserved).
    int WorkBufferSize() const { return workBufferSize; }
    // Next temporary-file sequence number; the counter then advances.
    int NextTempSequence() { return tempSequence++; }
    int PeekTempSequence() const { return tempSequence; }

    CdDBConnection* Connection() const { return connection; }
    CS3User* CurrentUser() const { return currentUser; }

    // Catalog and time-zone objects (owned; see env/catalog.h and
    // env/timezone.h), null until created.
    Zi18nLangList* LangList() const { return langList; }
    void SetCurrentLang(Zi18nLang* lang) { currentLang = lang; }
    Zi18nTZList* TZCache() const { return tzCache; }
    CXioCIndexTimeZone* TZList() const { return tzList; }
    ZioObjLangList* LangIdList() const { return langIdList; }
    CXioOffice* Office() const { return office; }
    // Zones remembered by the time-zone operations (pointing into the
    // cache) and the daylight-saving minutes in force.
    struct TimeZoneState {
        Zi18nTZ* office = nullptr;
        Zi18nTZ* user = nullptr;
        Zi18nTZ* inForce = nullptr;
        NUString dstMinutes;
    };
    TimeZoneState& TZState() { return tzState; }

private:
    friend int ReadConfiguration(const char* home);
    friend int DecorateLogNames(const char* programPath);
    friend int ReserveWorkBuffer(int length);
    friend int GetWorkBuffer(char** out);
    friend int CheckNewKey(const char* key);

    int SetHomeDirectories(const char* home);
    int ApplyKey(const char* name, const char* value);
    int AddToSettings(const char* name, const char* value);

    // Configuration values.
    NUString errLogName, traceFileName, lockLogName, timeLogName, docRoot;
    NUString dbServer, dbUser, dbPassword, dbName, dbProvider, dbDriver, dbAdoProvider;
    unsigned char sqlTrace = 0;
    int tempDelDay = 3, retryCount = 5, retryTime = 10, dbTimeout = -1;
    int companyId = 1, maxDir = 1000, maxDispCount = 500, delUser = 100;
    int maxFetchCount = 5000;
    NUString dsvrnUrl, unauthUrl, logoutUrl, unauthAction;
    unsigned char dbPooled = 0;
    NUString ftsDbServer, ftsDbUser, ftsDbPassword, ftsDbName;
    int autoSaveTime = 5;

    // Derived directories and URL paths.
    NUString homeDir, dataDir, fileDir, pageDir, mailDataDir, imageRoot, smartphoneRoot;

    NUNVList* timerStack = nullptr;
    NUString errorTrace;
    NUString userMessage;
    int tempSequence = 1;
    char* workBuffer = nullptr;
    int workBufferSize = 0;
    char lastKey[32] = {};

    // Owned objects.
    CdDBConnection* connection = nullptr;
    CS3User* currentUser = nullptr;
    // Catalog and time-zone objects (created by those units' operations).
    Zi18nLangList* langList = nullptr;
    Zi18nLang* currentLang = nullptr;
    Zi18nTZList* tzCache = nullptr;
    CXioCIndexTimeZone* tzList = nullptr;
    ZioObjLangList* langIdList = nullptr;
    TimeZoneState tzState;
    // Office and login settings.
    CXioOffice* office = nullptr;
    AppIoLoginSetting* loginSettings = nullptr;
};

// --- Operations on the process-wide environment. ---

// The process-wide environment, or null.
CMSioObjApp* AppEnvironment();
// Creates the environment when there is none. Always 0 (allocation failure
// leaves the pointer null).
int CreateAppEnvironment();
// Sets up the home-derived directories and reads <home>/data/app.
// 0; -99 without environment; -11008 when the file cannot be read.
int ReadConfiguration(const char* home);
// Inserts the program's base name into the trace, time-log and error-log
// names and makes the error log the current log file. 0; -99.
int DecorateLogNames(const char* programPath);
// Deletes the environment and clears the pointer; nothing without one.
void ReleaseEnvironment();
// "cid" of the environment, 0 without one.
int CompanyNumber();
// Makes the shared work buffer hold at least twice length plus one bytes
// (6001 at first). 0; -99 without environment; -10 when allocation fails.
int ReserveWorkBuffer(int length);
// The shared work buffer (owned by the environment). 0; -99 without
// environment; -10 when it was never reserved.
int GetWorkBuffer(char** out);
// The decimal reading of configuration integers: leading blanks and one
// sign accepted, reading stops at the first non-digit, no digits give 0;
// values beyond the 32-bit range give its nearest end.
int ReadDecimal(const char* text);
// Guards against issuing the same record key twice in a row. 0 and the key
// is remembered (cut to 31 bytes); -6100001 when it equals the last key;
// -99 for a null key or without environment.
int CheckNewKey(const char* key);
