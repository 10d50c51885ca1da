// CS3User: the record of one groupware user ("TM_USER", one row per user
// and company), read with an optional join to its default group.
#pragma once

#include "cs3base/date_value.h"
#include "cs3base/directory_flag.h"
#include "cs3base/group.h"
#include "cs3base/obj_attach.h"

// Result codes of the user record.
constexpr int kUserNameEmpty = -10006;      // name empty on write
constexpr int kUserLoginRefused = -10007;   // login ID containing "*"
constexpr int kUserIdTooLong = -62;         // composed user ID too long
constexpr int kUserNoKey = -71;             // neither identifier nor login ID

// The text of an unchanged password: a form shows it in place of the
// password, and a record holds it until a new password is entered.
extern const char kUnchangedPassword[];  // "***************"

// A user. Its identifier is the numeric user ID (column "ID"). The login ID
// is stored in "UserID" composed with the company number ("<cid>*<login>",
// spaces as "/"); the password is stored in "WORD" only as its digest.
class CS3User : public CXioObjAttach {
public:
    CS3User();
    ~CS3User() override;

    // --- CS3Object operations, in dispatch order. ---

    // Sets a field by form name (case-insensitive): "Name", "UserID",
    // "Mail", "level", "Group", "_word", "Kana", "Office", "Dept1",
    // "Dept2", "Post", "postcode", the seven telephone names,
    // "assigngroup", the further mail addresses and their eight flags,
    // "pwdmoddate", "gender", "birthday", "zipcode", "address",
    // "suspension". Other names go to SetExtraField. The field's result.
    int SetField(const char* fieldName, const char* text) override;
    // Empties every field; the password returns to kUnchangedPassword and
    // "suspension" to "0".
    void ClearFields() override;
    // Reads with the join flag set: "TM_USER" joined to "TM_GROUP" by the
    // default group; every other operation: "TM_USER".
    int TableName(NUString& buffer) override;
    // -71 without identifier and login ID. For reads without login ID a
    // placeholder "ID" item is placed first (the load replaces it with the
    // identifier); for joined reads with login ID the condition on the
    // composed "a.UserID".
    int AddKeyConditions(CS3DataDB& buffer) override;
    // Writes the columns in the record's fixed order; the first failure
    // (-10006 empty name, -10007, -62, a digest failure) is returned.
    int PutFields(CS3DataDB& buffer) override;
    // Reads the written columns, "ID", and with the join the default
    // group's "CONST_ID" and "GROUPNAME". The stored digest is kept apart;
    // the password field reads kUnchangedPassword.
    int GetFields(CS3Data& buffer) override;

    // --- Operations added by the user record, in dispatch order. ---

    // Handler of form names the record does not know: -70 here.
    virtual int SetExtraField(const char* fieldName, const char* text);
    // Record-specific columns written before the times: 0 here.
    virtual int PutExtraFields(CS3DataDB& buffer);

    // The name; an empty name is first filled with the catalog text of
    // "comdatanothing". Never null; points into the record.
    const char* GetName();

    // The composed user ID: "%d*" of the company number followed by the
    // login ID with every space as "/", or, without login ID, by " " and
    // the identifier. 0; -10007 for a login ID with "*"; -62 when the text
    // would be 1024 bytes or more; -2 when memory runs out.
    int ComposedUserId(NUString& out);
    // Takes the login ID back from a stored "UserID": the text after the
    // first "*" (the whole text without one), "/" as spaces; a text that
    // starts with a space (no login ID) clears the login ID. The login
    // field's Set result.
    int SetLoginFromStored(const char* stored);

    // Checks a password against the digest read from "WORD" (or written by
    // the last save). 0 match; kPasswordMismatch (password_digest.h); -99
    // when no digest is known.
    int VerifyPassword(const char* plain);

    // Loads the user with this login ID, joined to its default group.
    // 0; -110 no such user; -10007 login ID refused; other layer codes.
    int LoadByLoginId(const char* login);

    void SetJoinGroup(bool on) { joinGroup = on; }
    bool JoinGroup() const { return joinGroup; }
    bool ResetFailures() const { return resetFailures; }
    // The digest as read from "WORD" ("" when none was read).
    const char* StoredDigest() const { return storedDigest.Get(); }

    // --- Fields (column in brackets where it differs from the name). ---
    CS3LongStrH name;            // "Name", required
    CS3UidSpaceStr loginId;      // login ID, stored in "UserID"
    CS3LongStr mail;             // "Mail"
    CS3LevelFlg level;           // "ADMIN", written only when set
    CS3Id defaultGroup;          // "DEFGROUP"
    CS3ShortStr password;        // entered password; "WORD" gets its digest
    CS3LongStr kana;             // "Kana"
    CS3LongStr office, dept1, dept2, post;
    CS3UidStr postcode;
    CS3ShortStr tel1, tel2, naisen, telFax, telHome, telOther, telHand;
    CS3Int seqno;                // "SEQNO", display order
    CS3LongStr mailMobile, mailPrivate, mailOther;
    CXioCloseFlg mailCloseCorp, mailCloseMobile, mailClosePrivate, mailCloseOther;
    CiofUseFlg mailUseCorp, mailUseMobile, mailUsePrivate, mailUseOther;
    CS3DateTimeStr pwdModDate;   // "pwdmoddate"
    ZGenderFlg gender;
    CS3DateStr birthday;
    CS3ShortStr zipcode;
    CS3LongStr address;
    CiofUseFlg suspension;       // "suspension_", "0" by default

    // Groups the user belongs to ("assigngroup") and the default group as
    // read through the join.
    CS3GroupItems groups;
    CS3Group group;

    // Values that are not columns of "TM_USER".
    AppDstMin dstMinutes;
    AppIntPositive positiveValue{4};
    CS3DateTimeStr extraTime;
    CS3ShortStr extraText1, extraText2;

private:
    // Whether this buffer reads through the group join.
    bool IsJoined(CS3DataDB& buffer) const;
    int PutColumn(CS3DataDB& buffer, const char* column, const CS3String& field);

    bool joinGroup = false;
    bool resetFailures = false;
    NUString storedDigest;
};
