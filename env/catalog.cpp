// Message catalogs: catalog objects, languages and the language list.
#include "env/catalog.h"

#include <cerrno>
#include <cstring>
#include <new>

#include "util/log.h"
#include "util/utf8_text.h"
#include "util/nv_file.h"
#include "util/nv_indexed_list.h"

namespace {

const char kLocalizeTag[] = "CMSioObjLocalize";
const char kLangListTag[] = "Zi18nLangList";
const char kModuleTag[] = "LCIofComLocalize";

// Full-width colon, the label separator of the default language.
const char kFullWidthColon[] = "\xEF\xBC\x9A";

const char* const kFormatKeys[7] = {"comxtimesymd2", "comtimeymd2",  "comtimemd2",
                                    "comtimehm2",    "comztimemdhm", "comxtimeymdw",
                                    "comztimeymdwhm"};
const char* const kFullWeekdayKeys[7] = {"comweeksunday",   "comweekmonday", "comweektuesday",
                                         "comweekwednesday", "comweekthursday", "comweekfriday",
                                         "comweeksaturday"};
const char* const kShortWeekdayKeys[7] = {"comweeksun", "comweekmon", "comweektue", "comweekwed",
                                          "comweekthu", "comweekfri", "comweeksat"};

}  // namespace

// ---- CMSioObjMsg ----

CMSioObjMsg::CMSioObjMsg() : CMSioObj("message", false) {
    const char* code = kDefaultLanguage;
    if (CMSioObjApp* env = AppEnvironment()) {
        if (Zi18nLang* lang = env->CurrentLanguage()) code = lang->Code();
    }
    SetLanguageDir(code);
}

CMSioObjMsg::CMSioObjMsg(const char* languageCode) : CMSioObj("message", false) {
    SetLanguageDir(languageCode ? languageCode : "");
}

CMSioObjMsg::~CMSioObjMsg() = default;

void CMSioObjMsg::SetLanguageDir(const char* languageCode) {
    CMSioObjApp* env = AppEnvironment();
    directory.Format("%slocal/%s", env ? env->HomeDir() : "", languageCode);
}

int CMSioObjMsg::LoadOnce(const char* fileName) {
    if (!fileName) return -99;
    if (lastLoaded[0] != '\0' && strcmp(fileName, lastLoaded) == 0) return 0;
    char* seen = nullptr;
    const bool known = loadedFiles.Find(fileName, &seen) == 1;
    if (!known) {
        SetName(fileName);
        int ret = loadedFiles.AddText(fileName, "");
        if (ret < 0) {
            TraceError("[%s:%d]ret[%d]errno[%d]fname[%s]", kLocalizeTag, __LINE__, ret, errno,
                       fileName);
            return -10;
        }
    }
    size_t length = strlen(fileName);
    if (length < sizeof lastLoaded) memcpy(lastLoaded, fileName, length + 1);
    if (known) return 0;
    NUFileIO reader;
    reader.noLock = true;
    reader.SetSeparator(Separator());
    int ret = reader.Read(this, false, false);
    if (ret == 0 || ret == -16) return 0;
    TraceError("[%s:%d] ret[%d] errno[%d] fname[%s]", kLocalizeTag, __LINE__, ret, errno, fileName);
    return -30000;
}

NUNVList* CMSioObjMsg::NewList() { return new (std::nothrow) NUNVIndexedList(); }

const char* CMSioObjMsg::Text(const char* key) {
    char* value = nullptr;
    if (!key || FindValue(key, &value) != 0) return nullptr;
    return value;
}

const char* CMSioObjMsg::NumberedText(int number) {
    char* value = nullptr;
    if (!numberedFileLoaded) {
        LoadOnce(kMessageFile);
        numberedFileLoaded = loadedFiles.Find(kMessageFile, &value) == 1;
    }
    if (!list || list->FindNumber(number, &value) != 1) return nullptr;
    return value;
}

// ---- Zi18nLang ----

Zi18nLang::Zi18nLang(const char* languageCode) { code.Set(languageCode); }

Zi18nLang::~Zi18nLang() {
    ReleaseModuleGroupList();
    ReleaseMessageCatalog();
    ReleaseWordCatalog();
    ReleaseCommonCatalog();
}

CMSioObjLocalize* Zi18nLang::CommonCatalog() {
    if (!common) CreateCommonCatalog();
    return common;
}

int Zi18nLang::CreateCommonCatalog() {
    ReleaseCommonCatalog();
    common = new (std::nothrow) CMSioObjLocalize(code.Get());
    if (!common) return -10;
    common->SetName("");
    return 0;
}

void Zi18nLang::ReleaseCommonCatalog() {
    delete common;
    common = nullptr;
    // The cached texts pointed into the catalog.
    for (int i = 0; i < 7; ++i) {
        formats[i] = nullptr;
        fullNames[i] = shortNames[i] = nullptr;
    }
    namesFetched = false;
}

const char* Zi18nLang::CachedText(int slot, const char* key) {
    // A text the catalog does not hold yet is looked up again next time.
    if (!formats[slot]) formats[slot] = LookupText(key);
    return formats[slot];
}

const char* Zi18nLang::FormatSymd2() { return CachedText(0, kFormatKeys[0]); }
const char* Zi18nLang::FormatYmd2() { return CachedText(1, kFormatKeys[1]); }
const char* Zi18nLang::FormatMd2() { return CachedText(2, kFormatKeys[2]); }
const char* Zi18nLang::FormatHm2() { return CachedText(3, kFormatKeys[3]); }
const char* Zi18nLang::FormatMdhm() { return CachedText(4, kFormatKeys[4]); }
const char* Zi18nLang::FormatYmdw() { return CachedText(5, kFormatKeys[5]); }
const char* Zi18nLang::FormatYmdwhm() { return CachedText(6, kFormatKeys[6]); }

const char* const* Zi18nLang::FullWeekdayNames() {
    if (!namesFetched) ShortWeekdayNames();
    return fullNames;
}

const char* const* Zi18nLang::ShortWeekdayNames() {
    if (!namesFetched) {
        for (int i = 0; i < 7; ++i) {
            fullNames[i] = LookupText(kFullWeekdayKeys[i]);
            shortNames[i] = LookupText(kShortWeekdayKeys[i]);
        }
        // Fetched for good only once the catalog held them.
        namesFetched = fullNames[0] || shortNames[0];
    }
    return shortNames;
}

int Zi18nLang::LoadFiles(NUNVList* list) {
    if (!list) return -99;
    CMSioObjLocalize* catalog = CommonCatalog();
    if (!catalog) return -10;
    for (int i = 0; i < list->Count(); ++i) {
        char* name = nullptr;
        if (list->NameAt(i, &name) != 0 || !name) continue;
        int ret = catalog->LoadOnce(name);
        if (ret != 0) return ret;
    }
    return 0;
}

CMSioObjLocalize* Zi18nLang::MessageCatalog() {
    if (!messages) CreateMessageCatalog();
    return messages;
}

int Zi18nLang::CreateMessageCatalog() {
    ReleaseMessageCatalog();
    messages = new (std::nothrow) CMSioObjLocalize(code.Get());
    return messages ? 0 : -10;
}

void Zi18nLang::ReleaseMessageCatalog() {
    delete messages;
    messages = nullptr;
}

CXioLocaleWord* Zi18nLang::WordCatalog() {
    if (!words && CreateWordCatalog() == 0) LoadWordFile("com");
    return words;
}

NUNVList* Zi18nLang::WordList() {
    CXioLocaleWord* catalog = WordCatalog();
    return catalog ? catalog->List() : nullptr;
}

int Zi18nLang::CreateWordCatalog() {
    ReleaseWordCatalog();
    words = new (std::nothrow) CXioLocaleWord(code.Get());
    return words ? 0 : -10;
}

void Zi18nLang::ReleaseWordCatalog() {
    delete words;
    words = nullptr;
}

int Zi18nLang::LoadWordFile(const char* fileName) {
    if (!words && CreateWordCatalog() != 0) return -10;
    return words->LoadOnce(fileName);
}

int Zi18nLang::LoadWordFiles(NUNVList* list) {
    if (!list) return -99;
    for (int i = 0; i < list->Count(); ++i) {
        char* name = nullptr;
        if (list->NameAt(i, &name) != 0 || !name) continue;
        int ret = LoadWordFile(name);
        if (ret != 0) return ret;
    }
    return 0;
}

int Zi18nLang::LoadWordFileArray(const char* const* names) {
    if (!names) return -99;
    for (; *names; ++names) {
        int ret = LoadWordFile(*names);
        if (ret != 0) return ret;
    }
    return 0;
}

const char* Zi18nLang::Code() const { return code.Get(); }

const char* Zi18nLang::LabelSeparator() {
    if (labelSeparator.IsEmpty()) {
        labelSeparator.Set(EqualsNoCase(code.Get(), kDefaultLanguage) ? kFullWidthColon : ": ");
    }
    return labelSeparator.Get();
}

NUNVList* Zi18nLang::ModuleGroupList() {
    if (!moduleGroups) CreateModuleGroupList();
    return moduleGroups;
}

int Zi18nLang::CreateModuleGroupList() {
    ReleaseModuleGroupList();
    int ret = LoadCatalogFile("module");
    if (ret != 0 && !IsDefaultLanguage()) {
        SetLanguage(kDefaultLanguage);
        ret = LoadCatalogFile("module");
    }
    if (ret != 0) {
        TraceError("[%s][%d]ret[%d]errno[%d]fname[%s]", kModuleTag, __LINE__, ret, errno, "module");
        return ret;
    }
    moduleGroups = new (std::nothrow) NUNVList(128);
    return moduleGroups ? 0 : -10;
}

void Zi18nLang::ReleaseModuleGroupList() {
    delete moduleGroups;
    moduleGroups = nullptr;
}

NUNVList* Zi18nLang::ModuleGroupListForUser(CS3User*) { return ModuleGroupList(); }

// ---- Zi18nLangList ----

Zi18nLangList::Zi18nLangList() : NURecodes(&NURecodes::DeleteAs<Zi18nLang>) {}

Zi18nLang* Zi18nLangList::Language(const char* languageCode) {
    return static_cast<Zi18nLang*>(RecordByName(languageCode));
}

Zi18nLang* Zi18nLangList::Append(const char* languageCode) {
    Zi18nLang* lang = new (std::nothrow) Zi18nLang(languageCode);
    if (!lang) return nullptr;
    int ret = AddRecord(languageCode, lang);
    if (ret < 0) {
        TraceError("[%s:%d]ret[%d]", kLangListTag, __LINE__, ret);
        delete lang;
        return nullptr;
    }
    return lang;
}
