// Installation paths: the home-derived directories, company and user
// directories, the temporary directory of the day and temporary names.
#include "env/paths.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "env/environment.h"
#include "util/date_time.h"
#include "util/file.h"
#include "util/log.h"
#include "util/process.h"

namespace {

const char kUnit[] = "CMSioObjApp";

// Company directory of base + "user/" + group + the user number text.
int UserDir(const char* base, const char* userNumber, NUString* out, bool trailingSlash) {
    if (!out) return -99;
    if (!userNumber) userNumber = "";
    CMSioObjApp* env = AppEnvironment();
    std::string group;
    if (env && env->MaxDir() != 0) {
        long long n = ReadDecimal(userNumber);
        group = std::to_string(n / env->MaxDir() + 1) + "/";
    }
    NUString company;
    if (CompanyDir(base, &company) != 0) return -2;
    std::string dir = std::string(company.Get()) + "user/" + group + userNumber;
    if (trailingSlash) dir += "/";
    return out->Set(dir.c_str());
}

// The four characters ".NNN" before the last tailLength bytes of name
// become ".001", ".002" ... while a file of that name exists. 0; -114
// (after a trace record) when ".100" exists too.
int FirstFreeName(char* name, size_t tailLength) {
    size_t len = strlen(name);
    std::string tail(name + len - tailLength);
    char* counter = name + len - tailLength - 4;
    for (int suffix = 1; PathExists(name) == 1; ++suffix) {
        if (suffix > 100) {
            TraceError("[%s][%d]ret[%d]path[%s]", kUnit, __LINE__, -114, name);
            return -114;
        }
        snprintf(counter, 4 + tail.size() + 1, ".%03d%s", suffix, tail.c_str());
    }
    return 0;
}

}  // namespace

int CMSioObjApp::SetHomeDirectories(const char* home) {
    std::string base = std::string(home ? home : "") + "/";
    int r = homeDir.Set(base.c_str());
    if (r == 0) r = dataDir.Set((base + "data/").c_str());
    if (r == 0) r = fileDir.Set((base + "file/").c_str());
    if (r == 0) r = pageDir.Set((base + "page/").c_str());
    if (r == 0) r = mailDataDir.Set((base + "wmldata/").c_str());
    return r;
}

int CMSioObjApp::GetTempDir(NUString* out, bool trailingSlash) {
    if (!out) return -99;
    char stamp[15];
    NowStamp(stamp, 0);
    std::string dir = std::string(dataDir.Get()) + std::to_string(companyId) + "/tmp/" +
                      std::string(stamp, strnlen(stamp, 8));
    if (trailingSlash) dir += "/";
    return out->Append(dir.c_str());
}

int CompanyDir(const char* base, NUString* out) {
    if (!out) return -99;
    CMSioObjApp* env = AppEnvironment();
    std::string dir = std::string(env && base ? base : "") + std::to_string(CompanyNumber()) + "/";
    return out->Set(dir.c_str());
}

int UserDataDir(const char* userNumber, NUString* out) {
    CMSioObjApp* env = AppEnvironment();
    return UserDir(env ? env->DataDir() : "", userNumber, out, false);
}

int UserFileDir(const char* userNumber, NUString* out, bool trailingSlash) {
    CMSioObjApp* env = AppEnvironment();
    return UserDir(env ? env->FileDir() : "", userNumber, out, trailingSlash);
}

int UserMailDir(const char* userNumber, NUString* out) {
    CMSioObjApp* env = AppEnvironment();
    return UserDir(env ? env->MailDataDir() : "", userNumber, out, false);
}

namespace {

// "<tmpdir>temp<hint's last component><pid><stamp>.<seq>.000<extension>"
// into out (1024 bytes). 0, or -114 (after a trace record) when it does
// not fit.
int FormatTempName(const char* hint, const char* pid, const char* stamp, int sequence,
                   const char* extension, char* out) {
    char namePart[1024] = "";
    if (hint) CopyCut(namePart, sizeof namePart, LastPathComponent(hint));
    CMSioObjApp* env = AppEnvironment();
    NUString dir;
    if (env) env->GetTempDir(&dir, true);
    int n = snprintf(out, 1024, "%stemp%s%s%s.%d.000%s", dir.Get(), namePart, pid, stamp, sequence,
                     extension);
    if (n < 0 || n >= 1024) {
        TraceError("[%s][%d]ret[%d]path[%s]", kUnit, __LINE__, -114, out);
        out[0] = '\0';
        return -114;
    }
    return 0;
}

}  // namespace

int TempFileName(const char* hint, char* out, const char* extension) {
    if (!out) return -99;
    out[0] = '\0';
    if (!extension) extension = "";
    char stamp[17];
    LocalStampMs(stamp);
    CMSioObjApp* env = AppEnvironment();
    int sequence = env ? env->NextTempSequence() : 0;
    int r = FormatTempName(hint, std::to_string(CurrentProcessId()).c_str(), stamp, sequence, extension, out);
    if (r != 0) return r;
    // The name is free as it will be used: with its extension.
    return FirstFreeName(out, strlen(extension));
}

int LongestTempFileName(const char* hint, char* out, const char* extension) {
    if (!out) return -99;
    out[0] = '\0';
    // The widest process id, a stamp of its fixed width, and the sequence
    // number the next name gets.
    CMSioObjApp* env = AppEnvironment();
    return FormatTempName(hint, "4294967295", "0000000000000000", env ? env->PeekTempSequence() : 0,
                          extension ? extension : "", out);
}

int UniqueTempName(char* name) {
    if (!name) return -99;
    if (strlen(name) < 4) return -114;
    return FirstFreeName(name, 0);
}
