// The office record: columns, defaults and the rules for setting, reading
// and writing the company's row of "TM_OFFICE".
#include "cxiocom/office.h"

#include <cstring>
#include <string>
#include <vector>

#include "env/environment.h"
#include "env/lang_id_list.h"
#include "env/timezone.h"
#include "util/log.h"
#include "util/utf8_text.h"

namespace {

const char kTag[] = "cxiooffice";

}  // namespace

// How a column is read and written.
enum class CXioOfficeKind {
    Text,      // read and written as text
    Int,       // read as integer, written "%d"
    Positive,  // read as integer, written as a positive-integer column
    DateTime,  // read as a date-time, not written
    Unwritten, // read as text, not written
    UnwrittenInt, // read as integer, not written
};

struct CXioOfficeColumn {
    const char* name;
    CS3String* field;
    CXioOfficeKind kind;
};

namespace {

using Kind = CXioOfficeKind;
using Column = CXioOfficeColumn;

// Reads one column; an absent column (-111, -110) keeps the field's value.
int ReadColumn(CS3Data& buffer, const Column& c) {
    int ret;
    switch (c.kind) {
        case Kind::Int:
        case Kind::Positive:
        case Kind::UnwrittenInt: ret = buffer.GetColumnInt(c.name, *c.field); break;
        case Kind::DateTime: ret = buffer.GetColumnDateTime(c.name, *c.field); break;
        default: ret = buffer.GetColumn(c.name, *c.field); break;
    }
    return (ret == -110 || ret == -111) ? 0 : ret;
}

// Cuts trailing blanks and fills fallback into an empty value: after the
// cut (a value of blanks takes fallback), or before it when defaultFirst
// (a value of blanks ends empty).
int TrimOrDefault(CS3String& field, const char* fallback, bool defaultFirst) {
    std::string text = field.Value();
    if (defaultFirst && text.empty()) text = fallback;
    TrimTrailingSpace(text.data());
    text.resize(strlen(text.c_str()));
    if (!defaultFirst && text.empty()) text = fallback;
    return field.SetN(text.c_str(), static_cast<int>(text.size()));
}

}  // namespace

// ---- CS3Office ----

CS3Office::CS3Office() = default;

std::vector<CXioOfficeColumn> CS3Office::ContactColumns() {
    return {{"Name", &name, Kind::Text},
            {"Mail", &mail, Kind::Text},
            {"Url", &url, Kind::Text},
            {"Tel", &tel, Kind::Text},
            {"Fax", &fax, Kind::Text}};
}

int CS3Office::SetField(const char* column, const char* text) {
    if (!column) return -70;
    for (const Column& c : ContactColumns()) {
        if (EqualsNoCase(column, c.name)) return c.field->Set(text);
    }
    return -70;
}

void CS3Office::ClearFields() {
    CS3Object::ClearFields();
    name.Clear();
    mail.Clear();
    url.Clear();
    tel.Clear();
    fax.Clear();
}

int CS3Office::TableName(NUString& buffer) { return buffer.Set("TM_OFFICE"); }

int CS3Office::PutFields(CS3DataDB& buffer) {
    if (name.IsEmpty()) return -10006;
    for (const Column& c : ContactColumns()) {
        int ret = buffer.SetColumn(c.name, c.field->Value(), true);
        if (ret != 0) return ret;
    }
    return 0;
}

int CS3Office::GetFields(CS3Data& buffer) {
    int first = 0;
    for (const Column& c : ContactColumns()) {
        int ret = ReadColumn(buffer, c);
        if (ret != 0 && first == 0) first = ret;
    }
    return first;
}

// ---- CXioOffice ----

std::vector<CXioOfficeColumn> CXioOffice::SettingsColumns() {
    return {
        {"loginimg", &loginImg, Kind::Text},
        {"loginlogo", &loginLogo, Kind::Text},
        {"loginmime", &loginMime, Kind::Text},
        {"login_design", &loginDesign, Kind::Int},
        {"login_inputpos", &loginInputPos, Kind::Text},
        {"mailuse", &mailUse, Kind::Text},
        {"mailfrom", &mailFrom, Kind::Text},
        {"mailfromaddr", &mailFromAddr, Kind::Text},
        {"pwdlimit", &pwdLimit, Kind::Int},
        {"pwdwarning", &pwdWarning, Kind::Int},
        {"pwdlimitadmin", &pwdLimitAdmin, Kind::Text},
        {"isloggingaccess", &isLoggingAccess, Kind::Text},
        {"SID_TZ", &timeZoneId, Kind::Text},
        {"lang_id", &langId, Kind::Text},
        {"dst_min", &dstMin, Kind::Int},
        {"zip_code1", &zipCode1, Kind::Text},
        {"zip_code2", &zipCode2, Kind::Text},
        {"address", &address, Kind::Text},
        {"_save", &save, Kind::Int},
        {"mbloginidsave", &mbLoginIdSave, Kind::Text},
        {"mbloginpwdsave", &mbLoginPwdSave, Kind::Text},
        {"mbloginsidterm", &mbLoginSidTerm, Kind::Int},
        {"deligetlasttime", &deliGetLastTime, Kind::DateTime},
        {"sflg", &sflg, Kind::Unwritten},
        {"deliinterval", &deliInterval, Kind::UnwrittenInt},
        {"skind", &skind, Kind::Unwritten},
        {"login_failures_permitted", &loginFailuresPermitted, Kind::Positive},
        {"login_lock_reset_time", &loginLockResetTime, Kind::Positive},
        {"cost_use_flg", &costUseFlg, Kind::Text},
    };
}

CXioOffice::CXioOffice() : loginFailuresPermitted(6), loginLockResetTime(8) {
    loginInputPos.Set("mc");
    mailUse.Set("1");
    mailFrom.Set("0");
    pwdLimitAdmin.Set("0");
    timeZoneId.Set("JST");
    langId.Set("ja_JP");
    dstMin.Set("0");
    mbLoginIdSave.Set("1");
    mbLoginPwdSave.Set("1");
    sflg.Set("1");
    costUseFlg.Set("1");
}

CS3String* CXioOffice::FieldOf(const char* column) {
    if (EqualsNoCase(column, "save")) return &save;
    for (const Column& c : SettingsColumns()) {
        if (EqualsNoCase(column, c.name)) return c.field;
    }
    return nullptr;
}

const char* CXioOffice::ColumnValue(const char* column) {
    if (!column) return nullptr;
    if (CS3String* field = FieldOf(column)) return field->Value();
    for (const Column& c : ContactColumns()) {
        if (EqualsNoCase(column, c.name)) return c.field->Value();
    }
    return nullptr;
}

int CXioOffice::SetField(const char* column, const char* text) {
    if (!column) return -70;
    if (!text) text = "";
    if (EqualsNoCase(column, "SID_TZ")) {
        if (!*text) return timeZoneId.Set("");
        const char* stored = ValidTimeZoneId(text);
        if (!stored) {
            TraceError("[%s:%d]", kTag, __LINE__);
            return -908;
        }
        return timeZoneId.Set(stored);
    }
    if (EqualsNoCase(column, "lang_id")) {
        if (!*text) return langId.Set("");
        const char* stored = ValidLanguageId(text);
        if (!stored) {
            TraceError("[%s:%d]", kTag, __LINE__);
            return -907;
        }
        return langId.Set(stored);
    }
    if (EqualsNoCase(column, "dst_min")) {
        if (!*text) return dstMin.Set("");
        int minutes = ::DstMinutes(text);
        if (minutes == -1) {
            TraceError("[%s:%d]", kTag, __LINE__);
            return -13006;
        }
        return dstMin.SetInt(minutes);
    }
    if (EqualsNoCase(column, "pwdlimit") || EqualsNoCase(column, "pwdwarning")) {
        CS3Int& field = EqualsNoCase(column, "pwdlimit") ? pwdLimit : pwdWarning;
        int ret = field.Set(text);
        if (ret != 0) return ret;
        return field.AsInt() < 0 ? -64 : 0;
    }
    if (EqualsNoCase(column, "save")) {
        int ret = save.Set(text);
        if (ret != 0) return ret;
        return save.AsInt() < 0 ? -10007 : 0;
    }
    if (EqualsNoCase(column, "login_failures_permitted") || EqualsNoCase(column, "login_lock_reset_time")) {
        AppIntPositive& field =
            EqualsNoCase(column, "login_failures_permitted") ? loginFailuresPermitted : loginLockResetTime;
        int ret = field.Set(text);
        if (ret != 0) return ret;
        if (!field.IsEmpty() && field.AsInt() == 0) {
            TraceError("[%s:%d]", kTag, __LINE__);
            return -13010;
        }
        return 0;
    }
    // Columns that are read but never set by name belong to no one here.
    if (!EqualsNoCase(column, "_save") && !EqualsNoCase(column, "deligetlasttime") && !EqualsNoCase(column, "sflg") &&
        !EqualsNoCase(column, "deliinterval") && !EqualsNoCase(column, "skind")) {
        if (CS3String* field = FieldOf(column)) return field->Set(text);
    }
    return CS3Office::SetField(column, text);
}

int CXioOffice::PutFields(CS3DataDB& buffer) {
    int limit = pwdLimit.AsInt();
    int warning = pwdWarning.AsInt();
    if (limit != 0 && !pwdWarning.IsEmpty() && warning >= 0 && warning >= limit) return -1052;
    if (loginFailuresPermitted.AsInt() != 0) {
        if (loginLockResetTime.AsInt() == 0) loginLockResetTime.SetInt(60);
    } else {
        loginLockResetTime.Clear();
    }
    int ret = CS3Office::PutFields(buffer);
    if (ret != 0) return ret;
    for (const Column& c : SettingsColumns()) {
        switch (c.kind) {
            case Kind::Text: ret = buffer.SetColumn(c.name, c.field->Value(), true); break;
            case Kind::Int: ret = buffer.SetColumnInt(c.name, c.field->AsInt()); break;
            case Kind::Positive: ret = buffer.SetColumnPositive(c.name, *c.field); break;
            default: continue;
        }
        if (ret != 0) {
            if (c.kind == Kind::Positive)
                TraceError("[%s][%d]ret=[%d]", kTag, __LINE__, ret);
            else
                TraceError("[%s:%d]ret[%d]", kTag, __LINE__, ret);
            return ret;
        }
    }
    ret = PutTimes(buffer);
    if (ret != 0) TraceError("[%s][%d][%d]", kTag, __LINE__, ret);
    return ret;
}

int CXioOffice::GetFields(CS3Data& buffer) {
    int first = CS3Office::GetFields(buffer);
    for (const Column& c : SettingsColumns()) {
        int ret = ReadColumn(buffer, c);
        if (ret != 0 && first == 0) first = ret;
    }
    int ret = TrimOrDefault(timeZoneId, "JST", true);
    if (ret != 0 && first == 0) first = ret;
    ret = TrimOrDefault(langId, "ja_JP", false);
    if (ret != 0 && first == 0) first = ret;
    return first;
}

int CXioOffice::OfficeFileDir(NUString* out) const {
    if (!out) return -99;
    CMSioObjApp* env = AppEnvironment();
    out->Format("%s%d/%s%s", env ? env->FileDir() : "", CompanyNumber(), "office", "");
    return 0;
}
