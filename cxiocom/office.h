// The office record: the company's row of "TM_OFFICE" with its contact data
// (CS3Office) and the installation-wide settings (CXioOffice).
#pragma once

#include <vector>

#include "cs3base/date_value.h"
#include "cs3base/field_value.h"
#include "cs3base/number_value.h"
#include "cs3base/record.h"
#include "cxiocom/office_flags.h"
#include "util/nu_string.h"

// One column of the office record: name, field, and how it is read and
// written.
struct CXioOfficeColumn;

// Table "TM_OFFICE" and the five contact columns. The row is selected by
// the company condition alone.
class CS3Office : public CS3Object {
public:
    CS3Office();

    // "Name", "Mail", "Url", "Tel", "Fax" (any case); -70 for other names.
    int SetField(const char* name, const char* text) override;
    // Clears the five contact columns (and the times).
    void ClearFields() override;
    int TableName(NUString& buffer) override;
    // -10006 when "Name" is empty; then the five columns.
    int PutFields(CS3DataDB& buffer) override;
    int GetFields(CS3Data& buffer) override;

    const char* Name() const { return name.Value(); }
    const char* Mail() const { return mail.Value(); }
    const char* Url() const { return url.Value(); }
    const char* Tel() const { return tel.Value(); }
    const char* Fax() const { return fax.Value(); }

protected:
    // The five contact columns in the table's order.
    std::vector<CXioOfficeColumn> ContactColumns();

    CS3LongStrH name;
    CS3LongStr mail;
    CS3MiddleStr url;
    CS3ShortStr tel;
    CS3ShortStr fax;
};

// The office settings. Defaults apply until a row is read: "mc", switches
// "1" (password limit for administrators "0"), sender "0", time zone "JST",
// language "ja_JP", daylight-saving minutes "0".
class CXioOffice : public CS3Office {
public:
    CXioOffice();

    // Settings columns by name (any case; "save" sets "_save") with their
    // checks, else the contact columns. Codes: -10007, -13006, -13010, -62,
    // -64, -907, -908, -70, or the field's own.
    int SetField(const char* name, const char* text) override;
    // -1052 when the password warning is not below a set limit; lock-out
    // reset time 60 when failures are limited without one, cleared when
    // they are not limited; then every written column and the times.
    int PutFields(CS3DataDB& buffer) override;
    // Contact and settings columns; "SID_TZ" empty reads "JST", "lang_id"
    // empty reads "ja_JP", both without trailing blanks.
    int GetFields(CS3Data& buffer) override;

    // Accessors of the other units.
    const char* LanguageId() const { return langId.Value(); }
    const char* TimeZoneId() const { return timeZoneId.Value(); }
    const char* DstMinutes() const { return dstMin.Value(); }
    // "<fileDir><cid>/office": where the login images are kept.
    int OfficeFileDir(NUString* out) const;

    // The text of a column of this record by its name (any case; "save"
    // names "_save"), or null for an unknown column.
    const char* ColumnValue(const char* column);

private:
    // The settings columns in the table's order.
    std::vector<CXioOfficeColumn> SettingsColumns();
    CS3String* FieldOf(const char* column);

    CS3String loginImg;
    CS3String loginLogo;
    CS3MiddleStr loginMime;
    CS3Id loginDesign;
    ZFlgPosition loginInputPos;
    CiofUseFlg mailUse;
    CXioTypeSendMailFrom mailFrom;
    CS3String mailFromAddr;
    CS3Int pwdLimit;
    CS3Int pwdWarning;
    CiofUseFlg pwdLimitAdmin;
    CXioKeyword isLoggingAccess;
    CS3ShortStr timeZoneId;
    CS3ShortStr langId;
    CS3Int dstMin;
    CS3ShortStr zipCode1;
    CS3ShortStr zipCode2;
    CS3String address;
    CS3Int save;
    CiofUseFlg mbLoginIdSave;
    CiofUseFlg mbLoginPwdSave;
    CS3Int mbLoginSidTerm;
    CS3DateTimeStr deliGetLastTime;
    CiofUseFlg sflg;
    CS3Int deliInterval;
    CS3String skind;
    AppIntPositive loginFailuresPermitted;
    AppIntPositive loginLockResetTime;
    CiofUseFlg costUseFlg;
};
