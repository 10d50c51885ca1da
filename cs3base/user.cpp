// The user record: its table and join, key conditions, composed user ID,
// written and read columns, and form field names.
#include "cs3base/user.h"

#include <array>
#include <cstring>
#include <string>

#include "cs3base/field_value.h"
#include "cs3base/password_digest.h"
#include "cs3base/record_field.h"
#include "cs3base/record_io.h"
#include "cs3base/sql_builder.h"
#include "env/environment.h"
#include "util/log.h"

const char kUnchangedPassword[] = "***************";

namespace {

const char kTag[] = "cs3user";
// A composed user ID must stay below this many bytes.
constexpr size_t kComposedMax = 1024;

// How a column is read back.
enum class ReadAs { Text, Date };

// A column whose form field name is the same text and whose value goes
// straight between the field and the statement.
struct UserColumn {
    const char* column;
    const char* form;
    CS3String* field;
    ReadAs read;
};

std::array<UserColumn, 13> DetailColumns(CS3User& u) {
    return {{{"Kana", "Kana", &u.kana, ReadAs::Text},
             {"Office", "Office", &u.office, ReadAs::Text},
             {"Dept1", "Dept1", &u.dept1, ReadAs::Text},
             {"Dept2", "Dept2", &u.dept2, ReadAs::Text},
             {"Post", "Post", &u.post, ReadAs::Text},
             {"postcode", "postcode", &u.postcode, ReadAs::Text},
             {"Tel1", "Tel1", &u.tel1, ReadAs::Text},
             {"Tel2", "Tel2", &u.tel2, ReadAs::Text},
             {"Naisen", "Naisen", &u.naisen, ReadAs::Text},
             {"TelFax", "TelFax", &u.telFax, ReadAs::Text},
             {"TelHome", "TelHome", &u.telHome, ReadAs::Text},
             {"TelOther", "TelOther", &u.telOther, ReadAs::Text},
             {"TelHand", "TelHand", &u.telHand, ReadAs::Text}}};
}

std::array<UserColumn, 3> MailColumns(CS3User& u) {
    return {{{"mailmobile", "mailmobile", &u.mailMobile, ReadAs::Text},
             {"mailprivate", "mailprivate", &u.mailPrivate, ReadAs::Text},
             {"mailother", "mailother", &u.mailOther, ReadAs::Text}}};
}

// The disclosure flags, then the use flags; the first one decides whether
// any of them is written.
std::array<UserColumn, 8> MailFlagColumns(CS3User& u) {
    return {{{"mailclosecorp", "mailclosecorp", &u.mailCloseCorp, ReadAs::Text},
             {"mailclosemobile", "mailclosemobile", &u.mailCloseMobile, ReadAs::Text},
             {"mailcloseprivate", "mailcloseprivate", &u.mailClosePrivate, ReadAs::Text},
             {"mailcloseother", "mailcloseother", &u.mailCloseOther, ReadAs::Text},
             {"mailusecorp", "mailusecorp", &u.mailUseCorp, ReadAs::Text},
             {"mailusemobile", "mailusemobile", &u.mailUseMobile, ReadAs::Text},
             {"mailuseprivate", "mailuseprivate", &u.mailUsePrivate, ReadAs::Text},
             {"mailuseother", "mailuseother", &u.mailUseOther, ReadAs::Text}}};
}

std::array<UserColumn, 5> PersonalColumns(CS3User& u) {
    return {{{"gender", "gender", &u.gender, ReadAs::Text},
             {"birthday", "birthday", &u.birthday, ReadAs::Date},
             {"zipcode", "zipcode", &u.zipcode, ReadAs::Text},
             {"address", "address", &u.address, ReadAs::Text},
             {"suspension_", "suspension", &u.suspension, ReadAs::Text}}};
}

// The form field of name among columns, or null.
template <size_t N>
CS3String* FormField(const std::array<UserColumn, N>& columns, const char* name) {
    for (const UserColumn& c : columns) {
        if (FieldNameIs(name, c.form)) return c.field;
    }
    return nullptr;
}

template <size_t N>
void ReadAll(CS3Data& buffer, const std::array<UserColumn, N>& columns, ColumnReads& reads) {
    for (const UserColumn& c : columns) {
        reads.Note(c.read == ReadAs::Date ? buffer.GetColumnDate(c.column, *c.field)
                                          : buffer.GetColumn(c.column, *c.field));
    }
}

}  // namespace

CS3User::CS3User() {
    password.Set(kUnchangedPassword);
    suspension.Set("0");
}

CS3User::~CS3User() = default;

int CS3User::SetField(const char* fieldName, const char* text) {
    if (FieldNameIs(fieldName, "Name")) return name.Set(text);
    if (FieldNameIs(fieldName, "UserID")) return loginId.Set(text);
    if (FieldNameIs(fieldName, "Mail")) return mail.Set(text);
    if (FieldNameIs(fieldName, "level")) return level.Set(text);
    if (FieldNameIs(fieldName, "Group")) {
        // "all" (every group) and "0" both mean: no default group.
        if (!text || strncmp(text, "all", 3) == 0 || text[0] == '0') {
            defaultGroup.Clear();
            return 0;
        }
        return defaultGroup.Set(text);
    }
    if (FieldNameIs(fieldName, "_word")) {
        int rc = password.Set(text);
        if (rc == 0) resetFailures = true;
        return rc;
    }
    if (FieldNameIs(fieldName, "assigngroup")) return groups.AddById(text);
    if (FieldNameIs(fieldName, "pwdmoddate")) return pwdModDate.Set(text);
    CS3String* field = FormField(DetailColumns(*this), fieldName);
    if (!field) field = FormField(MailColumns(*this), fieldName);
    if (!field) field = FormField(MailFlagColumns(*this), fieldName);
    if (!field) field = FormField(PersonalColumns(*this), fieldName);
    if (field) return field->Set(text);
    int rc = SetExtraField(fieldName, text);
    if (rc != 0) {
        TraceError("[%s:%d] ret[%d] name[%s]", kTag, __LINE__, rc, fieldName ? fieldName : "");
    }
    return rc;
}

void CS3User::ClearFields() {
    CS3Object::ClearFields();
    name.Clear();
    loginId.Clear();
    mail.Clear();
    level.Clear();
    defaultGroup.Clear();
    password.Set(kUnchangedPassword);
    for (const UserColumn& c : DetailColumns(*this)) c.field->Clear();
    seqno.Clear();
    for (const UserColumn& c : MailColumns(*this)) c.field->Clear();
    for (const UserColumn& c : MailFlagColumns(*this)) c.field->Clear();
    pwdModDate.Clear();
    for (const UserColumn& c : PersonalColumns(*this)) c.field->Clear();
    suspension.Set("0");
    groups.Clear();
    group.ClearFields();
    group.Id().Clear();
    dstMinutes.Clear();
    positiveValue.Clear();
    extraTime.Clear();
    extraText1.Clear();
    extraText2.Clear();
    resetFailures = false;
    storedDigest.Clear();
}

bool CS3User::IsJoined(CS3DataDB& buffer) const {
    return joinGroup && buffer.OperationCode() == kOpRead;
}

int CS3User::TableName(NUString& buffer) {
    int rc;
    if (joinGroup && strcmp(buffer.Get(), "0") == 0) {
        rc = buffer.Format("%s AS a LEFT OUTER JOIN %s AS b ON a.%s=b.%s AND a.%s=b.%s", "TM_USER",
                           "TM_GROUP", "DEFGROUP", "ID", "SID_CORPORATE", "SID_CORPORATE") > 0
                 ? 0
                 : -2;
    } else {
        rc = buffer.Set("TM_USER");
    }
    return rc == 0 ? 0 : kRecNoMemory;
}

int CS3User::AddKeyConditions(CS3DataDB& buffer) {
    if (id.IsEmpty() && loginId.IsEmpty()) {
        TraceError("[%s:%d]ret[%d]", kTag, __LINE__, kUserNoKey);
        return kUserNoKey;
    }
    if (buffer.OperationCode() != kOpRead) return 0;
    if (loginId.IsEmpty()) {
        // Takes the first place among the key items; the load replaces the
        // value under the same name and so keeps that place. The value is
        // the identifier itself, so that a read that adds no identifier
        // condition of its own (LoadFirst) still selects this user.
        std::string column = QualifyColumn(buffer, "", "ID");
        return SetItem(buffer.EqList(), column.c_str(), id.Value(), kItemNumber);
    }
    if (!IsJoined(buffer)) return 0;
    NUString composed;
    int rc = ComposedUserId(composed);
    if (rc != 0) return rc;
    NUString column;
    column.Format("a.%s", "UserID");
    return SetItem(buffer.EqList(), column.Get(), composed.Get(), kItemText);
}

int CS3User::PutColumn(CS3DataDB& buffer, const char* column, const CS3String& field) {
    int rc = buffer.SetColumn(column, field.Value(), true);
    if (rc != 0) TraceError("[%s:%d]ret[%d][%s]", kTag, __LINE__, rc, column);
    return rc;
}

int CS3User::PutFields(CS3DataDB& buffer) {
    if (name.IsEmpty()) {
        TraceError("[%s:%d] ret=[%d]", kTag, __LINE__, kUserNameEmpty);
        return kUserNameEmpty;
    }
    int rc = PutColumn(buffer, "Name", name);
    if (rc != 0) return rc;

    NUString composed;
    rc = ComposedUserId(composed);
    if (rc == 0) rc = buffer.SetColumn("UserID", composed.Get(), true);
    if (rc != 0) {
        TraceError("[%s:%d]ret[%d][%s]", kTag, __LINE__, rc, "UserID");
        return rc;
    }
    if ((rc = PutColumn(buffer, "Mail", mail)) != 0) return rc;
    if (!level.IsEmpty() && (rc = PutColumn(buffer, "ADMIN", level)) != 0) return rc;
    // No default group is written as an empty (NULL) value: an empty
    // number would leave nothing after the equals sign of the statement.
    rc = defaultGroup.IsEmpty() ? buffer.SetColumn("DEFGROUP", "", true)
                                : buffer.SetColumnNumber("DEFGROUP", defaultGroup);
    if (rc != 0) {
        TraceError("[%s:%d]ret[%d][%s]", kTag, __LINE__, rc, "DEFGROUP");
        return rc;
    }

    if (password.Compare(kUnchangedPassword) != 0) {
        NUString digest;
        rc = PasswordDigest(password.Value(), digest);
        if (rc == 0) rc = buffer.SetColumn("WORD", digest.Get(), true);
        if (rc != 0) {
            TraceError("[%s:%d]ret[%d][%s]", kTag, __LINE__, rc, "WORD");
            return rc;
        }
        storedDigest.Set(digest.Get());
        if (resetFailures) {
            rc = buffer.SetColumn("login_failures", "", true);
            if (rc == 0) rc = buffer.SetColumn("login_fail_time", "", true);
            if (rc != 0) {
                TraceError("[%s:%d]ret[%d][%s]", kTag, __LINE__, rc, "login_failures");
                return rc;
            }
        }
    }

    for (const UserColumn& c : DetailColumns(*this)) {
        if ((rc = PutColumn(buffer, c.column, *c.field)) != 0) return rc;
    }
    // A user without a place in the display order sorts by its ID.
    if (seqno.IsEmpty() && (rc = buffer.SetColumnInt("SEQNO", IdInt())) != 0) {
        TraceError("[%s:%d]ret[%d][%s]", kTag, __LINE__, rc, "SEQNO");
        return rc;
    }
    for (const UserColumn& c : MailColumns(*this)) {
        if ((rc = PutColumn(buffer, c.column, *c.field)) != 0) return rc;
    }
    if (!mailCloseCorp.IsEmpty()) {
        for (const UserColumn& c : MailFlagColumns(*this)) {
            if ((rc = PutColumn(buffer, c.column, *c.field)) != 0) return rc;
        }
    }
    if ((rc = PutColumn(buffer, "pwdmoddate", pwdModDate)) != 0) return rc;
    rc = PutExtraFields(buffer);
    if (rc == 0) rc = PutTimes(buffer);
    if (rc != 0) {
        TraceError("[%s:%d] ret=[%d]", kTag, __LINE__, rc);
        return rc;
    }
    for (const UserColumn& c : PersonalColumns(*this)) {
        if ((rc = PutColumn(buffer, c.column, *c.field)) != 0) return rc;
    }
    return 0;
}

int CS3User::GetFields(CS3Data& buffer) {
    ColumnReads reads;
    reads.Note(buffer.GetColumnInt("ID", id));
    reads.Note(buffer.GetColumn("Name", name));
    CS3UidStrDB stored;
    int rc = buffer.GetColumn("UserID", stored);
    if (rc == 0) rc = SetLoginFromStored(stored.Value());
    reads.Note(rc);
    reads.Note(buffer.GetColumn("Mail", mail));
    reads.Note(buffer.GetColumn("ADMIN", level));
    reads.Note(buffer.GetColumnInt("DEFGROUP", defaultGroup));
    // The digest is kept apart: the password field holds only what a form
    // enters, so that saving a loaded user does not digest the digest.
    CS3String digest;
    rc = buffer.GetColumn("WORD", digest);
    if (rc == 0) storedDigest.Set(digest.Value());
    reads.Note(rc);
    password.Set(kUnchangedPassword);
    resetFailures = false;
    ReadAll(buffer, DetailColumns(*this), reads);
    reads.Note(buffer.GetColumnInt("SEQNO", seqno));
    ReadAll(buffer, MailColumns(*this), reads);
    ReadAll(buffer, MailFlagColumns(*this), reads);
    reads.Note(buffer.GetColumnDateTime("pwdmoddate", pwdModDate));
    reads.Note(GetTimes(buffer));
    ReadAll(buffer, PersonalColumns(*this), reads);
    // The default group, when the read went through the join.
    group.Id().Set(defaultGroup.Value());
    reads.Note(buffer.GetColumn("CONST_ID", group.ConstId()));
    reads.Note(buffer.GetColumn("GROUPNAME", group.Name()));
    if (reads.Result() != 0) TraceError("[%s:%d] ret=[%d]", kTag, __LINE__, reads.Result());
    return reads.Result();
}

int CS3User::SetExtraField(const char*, const char*) { return kRecUnknownField; }

int CS3User::PutExtraFields(CS3DataDB&) { return 0; }

const char* CS3User::GetName() {
    if (name.IsEmpty()) {
        const char* text = CatalogText("comdatanothing");
        if (text) name.Set(text);
    }
    return name.Value();
}

int CS3User::ComposedUserId(NUString& out) {
    const char* login = loginId.Value();
    if (strchr(login, '*')) {
        TraceError("[%s:%d]ret[%d]", kTag, __LINE__, kUserLoginRefused);
        return kUserLoginRefused;
    }
    std::string text = std::to_string(CompanyNumber()) + '*';
    if (*login) {
        for (const char* p = login; *p; ++p) text += *p == ' ' ? '/' : *p;
    } else {
        text += ' ';
        text += IdText();
    }
    if (text.size() >= kComposedMax) {
        TraceError("[%s:%d]ret[%d]", kTag, __LINE__, kUserIdTooLong);
        return kUserIdTooLong;
    }
    return out.Set(text.c_str()) == 0 ? 0 : -2;
}

int CS3User::SetLoginFromStored(const char* stored) {
    if (!stored) stored = "";
    const char* star = strchr(stored, '*');
    const char* rest = star ? star + 1 : stored;
    if (*rest == ' ' || *rest == '\0') {
        loginId.Clear();
        return 0;
    }
    std::string login = rest;
    for (char& c : login) {
        if (c == '/') c = ' ';
    }
    return loginId.Set(login.c_str());
}

int CS3User::VerifyPassword(const char* plain) {
    if (storedDigest.IsEmpty()) return -99;
    return PasswordVerify(storedDigest.Get(), plain);
}

int CS3User::LoadByLoginId(const char* login) {
    ClearFields();
    id.Clear();
    int rc = loginId.Set(login);
    if (rc != 0) return rc;
    bool joined = joinGroup;
    joinGroup = true;
    CS3DataIO io;
    rc = io.PrepareRead(*this);
    if (rc == 0) rc = io.Fetch(*this);
    joinGroup = joined;
    return rc;
}
