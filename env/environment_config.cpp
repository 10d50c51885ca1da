// Reading the configuration file <home>/data/app into the environment: the
// keys, their defaults' replacements and reading rules, and the decoration
// of the log file names with the program name.
#include <cerrno>
#include <cstring>
#include <string>

#include "env/environment.h"
#include "util/date_time.h"
#include "util/file.h"
#include "util/log.h"
#include "util/nv_file.h"
#include "util/process.h"

namespace {

const char kUnit[] = "CMSioObjApp";

// Longest log file name the decorated names keep.
constexpr size_t kLogNameMax = 1023;

// text up to its first ".txt" (all of it when there is none).
std::string CutAtTxt(const std::string& text) {
    size_t p = text.find(".txt");
    return p == std::string::npos ? text : text.substr(0, p);
}

// Whether value holds today's date (YYYYMMDD in the configured time zone).
bool HoldsToday(const char* value) {
    char today[9] = "";
    TodayDate(today, 1);
    return today[0] && strstr(value, today) != nullptr;
}

// "<value cut at .txt>.<tick count><process id>.txt": a name unique per run.
std::string UniqueRunName(const char* value) {
    return CutAtTxt(value) + "." + std::to_string(TickCountMs()) +
           std::to_string(CurrentProcessId()) + ".txt";
}

// A directory key: empty changes nothing; a value ending in "/" or a
// backslash is kept as given, any other gets "/".
int StoreDirectory(NUString& target, const char* value) {
    size_t len = strlen(value);
    if (len == 0) return 0;
    if (value[len - 1] == '/' || value[len - 1] == '\\') return target.Set(value);
    return target.Set((std::string(value) + "/").c_str());
}

}  // namespace

int CMSioObjApp::Add(const char* key, const char* value, unsigned char* ctx) {
    if (!key) {
        TraceError("[%s:%d] ret=[%d] errno=[%d]", kUnit, __LINE__, -1, errno);
        return -10;
    }
    int r = NUioObjList::Add(key, value, ctx);
    if (r != 0) {
        TraceError("[%s:%d] ret=[%d] errno=[%d]", kUnit, __LINE__, r, errno);
        return -10;
    }
    return ApplyKey(key, value ? value : "");
}

int CMSioObjApp::ApplyKey(const char* key, const char* value) {
    auto is = [key](const char* name) { return strcmp(key, name) == 0; };
    auto integer = [value](int& target) {
        target = ReadDecimal(value);
        return 0;
    };
    if (is("errlogfname")) {
        int r = errLogName.Set(value);
        if (r != 0) return r;
        if (!errLogName.IsEmpty() && !HoldsToday(errLogName.Get())) errLogName.Clear();
        SetLogPath(errLogName.Get(), nullptr);
        return 0;
    }
    if (is("tracefname")) {
        if (value[0] && HoldsToday(value)) traceFileName.Set(UniqueRunName(value).c_str());
        return 0;
    }
    if (is("locklog")) {
        lockLogName.Set(value);
        return 0;
    }
    if (is("timelog")) {
        // An empty value keeps the time log off.
        if (value[0]) timeLogName.Set(UniqueRunName(value).c_str());
        else timeLogName.Clear();
        return 0;
    }
    if (is("docroot")) {
        int r = docRoot.Set(value);
        if (r == 0) r = imageRoot.Set((std::string(value) + "images/").c_str());
        return r;
    }
    if (is("dbs")) return dbServer.Set(value);
    if (is("dbuser")) return dbUser.Set(value);
    if (is("dbpwd")) return dbPassword.Set(value);
    if (is("dbname")) return dbName.Set(value);
    if (is("dbdirdata")) return StoreDirectory(dataDir, value);
    if (is("dbdirfile")) return StoreDirectory(fileDir, value);
    if (is("sqltrace")) {
        if (ReadDecimal(value) == 1) sqlTrace = 1;
        return 0;
    }
    if (is("tempdelday")) return integer(tempDelDay);
    if (is("retrycnt")) return integer(retryCount);
    if (is("retrytim")) return integer(retryTime);
    if (is("dbtimeout")) return integer(dbTimeout);
    if (is("cid")) return integer(companyId);
    if (is("maxdir")) return integer(maxDir);
    if (is("maxdispcount")) return integer(maxDispCount);
    if (is("deluser")) return integer(delUser);
    if (is("maxfetchcount")) return integer(maxFetchCount);
    if (is("dbdirmaildata")) return StoreDirectory(mailDataDir, value);
    if (is("dsvrnurl")) {
        dsvrnUrl.Set(value);
        return 0;
    }
    if (is("unauthurl") || is("logouturl") || is("unauthaction")) {
        NUString& target = is("unauthurl") ? unauthUrl : is("logouturl") ? logoutUrl : unauthAction;
        int r = target.Set(value);
        if (r != 0) {
            TraceError("[%s:%d] ret=[%d] errno=[%d]", kUnit, __LINE__, r, errno);
            return -10;
        }
        return 0;
    }
    if (is("dbpooled")) {
        if (strcmp(value, "true") == 0) dbPooled = 1;
        return 0;
    }
    if (is("ftsdbs")) return ftsDbServer.Set(value);
    if (is("ftsdbuser")) return ftsDbUser.Set(value);
    if (is("ftsdbpwd")) return ftsDbPassword.Set(value);
    if (is("ftsdbname")) return ftsDbName.Set(value);
    if (is("autosavetime")) {
        autoSaveTime = ReadDecimal(value);
        if (autoSaveTime > 60) autoSaveTime = 60;
        return 0;
    }
    if (is("dbprovider")) return dbProvider.Set(value);
    if (is("dbdriver")) return dbDriver.Set(value);
    if (is("dbadoprovider")) return dbAdoProvider.Set(value);
    return 0;
}

int ReadConfiguration(const char* home) {
    CMSioObjApp* env = AppEnvironment();
    if (!env) return -99;
    if (!home) return -99;
    int r = env->SetHomeDirectories(home);
    if (r != 0) return r;
    NUFileIO reader;
    reader.noLock = true;
    reader.SetSeparator('=');
    r = reader.Read(env, false, false);
    if (r == 0 || r == -16) return 0;
    TraceError("[%s:%d] [%s] iret=[%d] errno[%d]", kUnit, __LINE__, home, r, errno);
    return -11008;
}

int DecorateLogNames(const char* programPath) {
    CMSioObjApp* env = AppEnvironment();
    if (!env) return -99;
    if (programPath) {
        std::string program = LastPathComponent(programPath);
        size_t exe = program.find(".exe");
        if (exe != std::string::npos) program.resize(exe);
        for (NUString* name : {&env->traceFileName, &env->timeLogName, &env->errLogName}) {
            if (name->IsEmpty()) continue;
            std::string decorated = CutAtTxt(std::string(name->Get()).substr(0, kLogNameMax));
            decorated += "_" + program + ".txt";
            if (decorated.size() > kLogNameMax) decorated.resize(kLogNameMax);
            name->Set(decorated.c_str());
        }
    }
    SetLogPath(env->errLogName.IsEmpty() ? nullptr : env->errLogName.Get(), nullptr);
    return 0;
}
