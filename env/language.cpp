// The current language of the environment: establishing it from the user or
// the office, loading catalog files into it, text and message lookup, and
// the environment's language-list and office operations.
#include <cerrno>
#include <cstring>
#include <new>

#include "cxiocom/office.h"
#include "db/connection.h"
#include "env/catalog.h"
#include "util/log.h"
#include "util/nv_file.h"
#include "util/utf8_text.h"

namespace {

// The loading step belongs to the application object.
const char kAppTag[] = "CMSApp";
const char kMessageTag[] = "CMSioObjApp_Message";
const char kLocalTag[] = "CMSioObjApp_Local";
const char kOfficeTag[] = "CMSioObjApp_Office";

// No user record is readable by this program; see CurrentLanguage.
const int kNoCurrentUser = -11002;

Zi18nLang* CurrentLang() {
    CMSioObjApp* env = AppEnvironment();
    return env ? env->CurrentLanguage() : nullptr;
}

// The current language's message catalog; null (traced) when there is none.
CMSioObjLocalize* CurrentMessageCatalog(CMSioObjApp* env) {
    Zi18nLang* lang = env->CurrentLanguage();
    CMSioObjLocalize* catalog = lang ? lang->MessageCatalog() : nullptr;
    if (!catalog) TraceError("[%s][%d]", kMessageTag, __LINE__);
    return catalog;
}

void TraceMissingMessage(const char* key) {
    TraceError("[%s][%d]ret[%d]errno[%s]", kMessageTag, __LINE__, -20, key);
}

}  // namespace

// ---- environment operations ----

Zi18nLang* CMSioObjApp::CurrentLanguage() {
    if (currentLang) return currentLang;
    // Before the database is open (the home check runs then) no language
    // can be established: an office read could only fail, and that is no
    // failure to record.
    if (!connection || !connection->IsOpen()) return nullptr;
    // The current user's language would come first; without a user the
    // office decides.
    if (!currentUser) TraceError("[%s][%d][%d]", kLocalTag, __LINE__, kNoCurrentUser);
    if (LoadOfficeSettings() != 0 || !office) {
        TraceError("[%s][%d]", kLocalTag, __LINE__);
        return nullptr;
    }
    if (currentLang) return currentLang;
    int ret = SetLanguage(office->LanguageId());
    if (ret != 0) {
        TraceError("[%s][%d]ret[%d]", kLocalTag, __LINE__, ret);
        return nullptr;
    }
    return currentLang;
}

int CMSioObjApp::CreateLangList() {
    if (langList) return 0;
    langList = new (std::nothrow) Zi18nLangList();
    return langList ? 0 : -10;
}

void CMSioObjApp::ReleaseLangList() {
    currentLang = nullptr;
    delete langList;
    langList = nullptr;
}

int CMSioObjApp::MessageByKey(const char* key, const char** text, const char* fileName) {
    if (!key || !text) return -99;
    *text = nullptr;
    CMSioObjLocalize* catalog = CurrentMessageCatalog(this);
    if (!catalog) return -10;
    catalog->LoadOnce(fileName ? fileName : kMessageFile);
    const char* found = catalog->Text(key);
    if (!found) {
        TraceMissingMessage(key);
        return -20;
    }
    *text = found;
    return 0;
}

int CMSioObjApp::CreateOffice() {
    ReleaseOffice();
    office = new (std::nothrow) CXioOffice();
    if (!office) {
        TraceError("[%s][%d][%d]", kOfficeTag, __LINE__, errno);
        return -10;
    }
    return 0;
}

void CMSioObjApp::ReleaseOffice() {
    delete office;
    office = nullptr;
}

int LoadOfficeSettings() {
    CMSioObjApp* env = AppEnvironment();
    if (!env) return -99;
    if (env->Office()) return 0;
    int ret = env->CreateOffice();
    if (ret != 0) return -10;
    ret = env->Office()->LoadFirst();
    if (ret != 0 && ret != -110) {
        TraceDBError("[%s][%d][%d]", kOfficeTag, __LINE__, ret);
        env->ReleaseOffice();
        return ret;
    }
    // No user's language to prefer: the office's language applies.
    SetLanguage(env->Office()->LanguageId());
    return 0;
}

// ---- the current language ----

int SetLanguage(const char* code) {
    CMSioObjApp* env = AppEnvironment();
    if (!env) return -99;
    if (!code) code = "";
    if (env->CreateLangList() != 0) return -70011;
    Zi18nLangList* list = env->LangList();
    Zi18nLang* lang = list->Language(code);
    if (!lang) lang = list->Append(code);
    if (!lang) return -70011;
    env->SetCurrentLang(lang);
    return 0;
}

const char* CurrentLanguageCode() {
    Zi18nLang* lang = CurrentLang();
    return lang ? lang->Code() : kDefaultLanguage;
}

bool IsDefaultLanguage() { return EqualsNoCase(CurrentLanguageCode(), kDefaultLanguage); }

int LoadCatalogFile(const char* fileName) {
    CMSioObjApp* env = AppEnvironment();
    if (!env) return -99;
    Zi18nLang* lang = env->CurrentLanguage();
    if (!lang) {
        TraceError("[%s:%d]", kLocalTag, __LINE__);
        return -70011;
    }
    CMSioObjLocalize* catalog = lang->CommonCatalog();
    if (!catalog) return -10;
    return catalog->LoadOnce(fileName);
}

const char* LookupText(const char* key) {
    if (!AppEnvironment()) return nullptr;
    Zi18nLang* lang = CurrentLang();
    CMSioObjLocalize* catalog = lang ? lang->CommonCatalog() : nullptr;
    if (!catalog) {
        TraceError("[%s][%d]", kLocalTag, __LINE__);
        return nullptr;
    }
    return catalog->Text(key);
}

const char* MessageByNumber(int number, char* kind) {
    if (kind) *kind = '\0';
    CMSioObjApp* env = AppEnvironment();
    if (!env) return nullptr;
    CMSioObjLocalize* catalog = CurrentMessageCatalog(env);
    if (const char* text = catalog ? catalog->NumberedText(number) : nullptr) {
        // At least three bytes, the second a colon.
        if (text[0] && text[1] == ':' && text[2]) {
            if (kind) *kind = text[0];
            return text + 2;
        }
        return text;
    }
    char key[kNumberNameSize];
    NumberName(number, key);
    if (catalog) TraceMissingMessage(key);
    Zi18nLang* lang = env->CurrentLanguage();
    catalog = lang ? lang->MessageCatalog() : nullptr;
    if (!catalog) {
        TraceError("[%s][%d]", kMessageTag, __LINE__);
        return nullptr;
    }
    // From now on the number reads as itself.
    unsigned char ctx = 0;
    if (catalog->Add(key, key, &ctx) != 0) return nullptr;
    return catalog->Text(key);
}

const char* LabelSeparator() {
    Zi18nLang* lang = CurrentLang();
    return lang ? lang->LabelSeparator() : "";
}

int ReadDefaultLanguage(NUString* out) {
    if (!out) return -99;
    out->Clear();
    if (!AppEnvironment()) return -1;
    CMSioObj file("deflang", false);
    NUFileIO reader;
    reader.noLock = true;
    reader.Read(&file, false, false);
    char* name = nullptr;
    char* value = nullptr;
    if (file.GetAt(0, &name, &value) == 0 && name && *name) out->Set(value);
    return out->IsEmpty() ? -1 : 0;
}

int LoadStartupCatalogs(const char* fallbackLanguage) {
    int ret = LoadOfficeSettings();
    if (ret != 0) {
        TraceError("[%s][%d]ret[%d]", kAppTag, __LINE__, ret);
        return ret;
    }
    ret = LoadCatalogFile("com");
    if (ret != 0) {
        Zi18nLang* failed = CurrentLang();
        SetLanguage(fallbackLanguage ? fallbackLanguage : kDefaultLanguage);
        // Already the fallback language: its "com" counts as read, so a
        // second load would pass without texts; the first failure stands.
        if (CurrentLang() != failed) ret = LoadCatalogFile("com");
        if (ret != 0) {
            TraceError("[%s:%d] ret=[%d]", kAppTag, __LINE__, ret);
            return ret;
        }
    }
    ret = LoadCatalogFile("com_locale");
    if (ret != 0) {
        TraceError("[%s:%d]ret[%d]file[%s]", kAppTag, __LINE__, ret, "com_locale");
        return ret;
    }
    LoadCatalogFile("version");
    return 0;
}
