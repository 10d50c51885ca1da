// Message catalogs: the language list, one language's catalogs, text and
// message lookup, localized dates and message templates.
#pragma once

#include "env/environment.h"
#include "util/nu_string.h"
#include "util/nv_list.h"

// Language code of the default language.
inline constexpr char kDefaultLanguage[] = "ja_JP";
// The numbered-message file of a language.
inline constexpr char kMessageFile[] = "message";

// A catalog: the pairs of every file read into it, in reading order, and
// the names of the files already read. Its file is
// <home>local/<language>/<name>.
class CMSioObjMsg : public CMSioObj {
public:
    // Directory of the current language ("ja_JP" when none can be
    // established); name "message".
    CMSioObjMsg();
    // Directory of the given language code.
    explicit CMSioObjMsg(const char* languageCode);
    ~CMSioObjMsg() override;

    // Reads fileName (separator "=", no lock) into the catalog unless it was
    // read before; a missing file counts as read. 0; -10 when the name
    // cannot be recorded; -30000 when the file exists but cannot be read.
    virtual int LoadOnce(const char* fileName);
    // The first text of key, or null. Points into the catalog.
    virtual const char* Text(const char* key);
    // Text of the key that number is written as ("%d"), found without
    // writing it; the numbered-message file is read first (LoadOnce).
    const char* NumberedText(int number);
    // Names of the files read (or tried) so far.
    const NUNVList& LoadedFiles() const { return loadedFiles; }

protected:
    // Separator of the catalog's files.
    virtual char Separator() const { return '='; }
    // An indexed list: lookups by key do not scan the catalog.
    NUNVList* NewList() override;

private:
    void SetLanguageDir(const char* languageCode);

    NUNVList loadedFiles{128};
    // The name LoadOnce met last, which loadedFiles holds (it only grows):
    // the numbered lookups name the same file every time and need not scan.
    // "" when none, or when the name does not fit.
    char lastLoaded[32] = "";
    // The numbered-message file is among loadedFiles: NumberedText need not
    // ask LoadOnce again.
    bool numberedFileLoaded = false;
};

class CMSioObjLocalize : public CMSioObjMsg {
public:
    using CMSioObjMsg::CMSioObjMsg;
};

// Word catalog of the web programs: tab-separated files, "com" first.
class CXioLocaleWord : public CMSioObjMsg {
public:
    using CMSioObjMsg::CMSioObjMsg;

protected:
    char Separator() const override { return '\t'; }
};

// One language: its code, its catalogs (created on first use) and the texts
// cached from them.
class Zi18nLang {
public:
    explicit Zi18nLang(const char* code);
    virtual ~Zi18nLang();
    Zi18nLang(const Zi18nLang&) = delete;
    Zi18nLang& operator=(const Zi18nLang&) = delete;

    // The common catalog, created on first use; null when it cannot be.
    virtual CMSioObjLocalize* CommonCatalog();
    virtual int CreateCommonCatalog();
    virtual void ReleaseCommonCatalog();
    // Date formats of the keys "comxtimesymd2", "comtimeymd2",
    // "comtimemd2", "comtimehm2", "comztimemdhm", "comxtimeymdw",
    // "comztimeymdwhm", fetched on first use (null when absent).
    virtual const char* FormatSymd2();
    virtual const char* FormatYmd2();
    virtual const char* FormatMd2();
    virtual const char* FormatHm2();
    virtual const char* FormatMdhm();
    virtual const char* FormatYmdw();
    virtual const char* FormatYmdwhm();
    // Seven weekday names, index 0 Sunday (entries null when absent).
    virtual const char* const* FullWeekdayNames();
    virtual const char* const* ShortWeekdayNames();
    // Loads every file named in list (names of its pairs) into the common
    // catalog; the first failure is returned.
    virtual int LoadFiles(NUNVList* list);
    // The numbered-message catalog ("message" read on first use).
    virtual CMSioObjLocalize* MessageCatalog();
    virtual int CreateMessageCatalog();
    virtual void ReleaseMessageCatalog();
    // The word catalog ("com" read on first use) and its pairs.
    virtual CXioLocaleWord* WordCatalog();
    virtual NUNVList* WordList();
    virtual int CreateWordCatalog();
    virtual void ReleaseWordCatalog();
    virtual int LoadWordFile(const char* fileName);
    virtual int LoadWordFiles(NUNVList* list);
    virtual int LoadWordFileArray(const char* const* names);
    virtual const char* Code() const;
    // ": ", or the full-width colon for the default language.
    virtual const char* LabelSeparator();
    // Module texts ("module" loaded into the common catalog, with the
    // default language as fallback); null when they cannot be loaded.
    virtual NUNVList* ModuleGroupList();
    virtual int CreateModuleGroupList();
    virtual void ReleaseModuleGroupList();
    // Module groups visible to a user: the module list (no per-user rules).
    virtual NUNVList* ModuleGroupListForUser(CS3User* user);

private:
    const char* CachedText(int slot, const char* key);

    NUString code;
    CMSioObjLocalize* common = nullptr;
    CXioLocaleWord* words = nullptr;
    CMSioObjLocalize* messages = nullptr;
    NUNVList* moduleGroups = nullptr;
    const char* formats[7] = {};
    const char* fullNames[7] = {};
    const char* shortNames[7] = {};
    bool namesFetched = false;
    NUString labelSeparator;
};

// Language code -> owned Zi18nLang; removing an entry deletes the language
// with its catalogs.
class Zi18nLangList : public NURecodes {
public:
    Zi18nLangList();

    // The language of that code, or null.
    Zi18nLang* Language(const char* code);
    // Appends a new language; null when it cannot be created.
    Zi18nLang* Append(const char* code);
};

// --- Operations on the current language of the environment. ---

// Finds or creates the language and makes it current. 0; -99 without
// environment; -70011 when it cannot be created.
int SetLanguage(const char* code);
// The current language's code, "ja_JP" when there is none.
const char* CurrentLanguageCode();
// True when the current language code is "ja_JP" (any case).
bool IsDefaultLanguage();
// Reads a catalog file into the current language's common catalog once.
// 0; -99 without environment; -70011 without a current language; -10;
// -30000 when the file exists but cannot be read.
int LoadCatalogFile(const char* fileName);
// Text of key in the current language, or null.
const char* LookupText(const char* key);
// Message text of a number; the kind letter before ":" goes to *kind
// (when given; '\0' without one). An unknown number reads as itself.
// Null without a language.
const char* MessageByNumber(int number, char* kind);
// Formats a stored date (YYYYMMDDhhmmss) with a strftime format and
// localized weekday names into out (size bytes). 0; -70013 when a field is
// out of range, with the stored text copied instead.
int LocalizedDateText(const char* stored, char* out, int size, const char* format);
// Expands templateText with count name-value pairs into out (size bytes).
// 0; -99 for a missing argument; -10 when the expansion fails.
int FillMessageTemplate(const char* const* values, const char* const* names, int count,
                        const char* templateText, char* out, int size);
// The label separator of the current language ("" without one).
const char* LabelSeparator();
// Default language of the web frame: the first pair of <dataDir>deflang.
// 0; -1 when it gives no language.
int ReadDefaultLanguage(NUString* out);
// Creates and reads the office settings once (no office row is accepted)
// and sets the language. 0, -99, -10 or the database failure.
int LoadOfficeSettings();
// The application's message loading: office settings and language, then
// "com" (once more in fallbackLanguage when that fails), "com_locale" and
// "version" (whose result is ignored). 0 or the first failure.
int LoadStartupCatalogs(const char* fallbackLanguage = kDefaultLanguage);
