// Time zones: the "LTM_TIMEZONE" records with their display names, the list
// of all zones, the cache of zones by identifier and the zone in force.
#pragma once

#include "cs3base/field_value.h"
#include "cs3base/record.h"
#include "cs3base/record_list.h"
#include "env/catalog.h"
#include "env/environment.h"
#include "util/nv_list.h"

// Longest zone identifier in bytes: what the key column "id" holds.
inline constexpr int kTimeZoneIdBytes = 11;

// Offset and identifier of a zone that has no offset of its own.
inline constexpr char kDefaultTimeZoneOffset[] = "+0900";
inline constexpr char kDefaultTimeZoneId[] = "JST";

// Result codes of this unit.
constexpr int kTzNotFound = -70003;
constexpr int kTzNameFileUnreadable = -70002;
constexpr int kTzNoDisplayName = -70012;
constexpr int kTzListNameFileUnreadable = -115;
constexpr int kTzNoCurrentUser = -11002;

// The display names of the current language: <home>local/<language>/
// mst_timezone.txt, "=" separated, zone identifier = display name.
inline constexpr char kTimeZoneNameFile[] = "mst_timezone.txt";
class CXioCObjTmzList : public CMSioObjMsg {
public:
    // A catalog of the current language named mst_timezone.txt.
    CXioCObjTmzList();
    // Reads the file once: 0 (also when it is missing); -30000 when it
    // cannot be read; -10.
    virtual int Load();
    // The display name of zoneId (exact match), or null. Points into the
    // catalog.
    virtual const char* NameOf(const char* zoneId);
};

// A row of "LTM_TIMEZONE": key column "id" (text) and "TIME_OFFSET", the
// offset from UTC as "+hhmm".
class CXioLCTimeZone : public CS3Object {
public:
    CXioLCTimeZone();

    // "TIME_OFFSET" (any case); -70 for other names.
    int SetField(const char* name, const char* text) override;
    void ClearFields() override;
    int TableName(NUString& buffer) override;
    int GetFields(CS3Data& buffer) override;
    int IdColumn(NUString& buffer) override;

    // The offset text ("" when none was read).
    const char* Offset() const { return offset.Value(); }

protected:
    CS3String offset;
};

// A time zone with its display name "tmzname": "(UTC+09:00) Tokyo", made
// from the offset and the name in mst_timezone.txt of the current language.
class CXioCTimeZone : public CXioLCTimeZone {
public:
    CXioCTimeZone();

    // "TIME_OFFSET" and "tmzname" (any case); -70 for other names.
    int SetField(const char* name, const char* text) override;
    void ClearFields() override;
    // After one row was read by identifier: fills the display name. -70002
    // when mst_timezone.txt cannot be read; an identifier or a file that is
    // missing leaves the name empty.
    int AfterLoad(CS3DataDB& buffer) override;

    const char* DisplayName() const { return displayName.Value(); }
    // Sets "tmzname" to "(UTC<sign><hh>:<mm>) <name>" from the offset.
    int SetDisplayName(const char* name);

private:
    CS3String displayName;
};

// Every row of "LTM_TIMEZONE" as CXioCTimeZone members, sorted by
// "cast(TIME_OFFSET as int)", then "id".
class CXioCIndexTimeZone : public CS3DBIndex {
public:
    // withNames: fill every member's display name after reading.
    explicit CXioCIndexTimeZone(bool withNames);
    ~CXioCIndexTimeZone() override;

    int TableName(NUString& buffer) override;
    int IdColumn(NUString& buffer) override;
    // Adds the order of the list.
    int PrepareSelect(CS3DataDB& buffer) override;
    CS3Object* NewItem() override;

    // Reads all rows, replacing any read before. 0; the database failure;
    // -115 when mst_timezone.txt cannot be read; -70012 when a zone has no
    // display name.
    virtual int Load();
    int Count() const { return ItemCount(); }
    // The member at index (owned by the list), or null.
    CXioCTimeZone* At(int index) const;
    // The member whose identifier matches id without regard to case, or null.
    CXioCTimeZone* FindNoCase(const char* id);

private:
    // Sets every member's display name from the name file.
    int FillDisplayNames();

    bool withNames;
};

// A cached zone: identifier (cut to 11 bytes) and offset (cut to 7 bytes).
class Zi18nTZ {
public:
    Zi18nTZ(const char* id, const char* offset);
    virtual ~Zi18nTZ() = default;
    virtual const char* Id() const;
    virtual const char* Offset() const;

private:
    char id[kTimeZoneIdBytes + 1] = {};
    char offset[8] = {};
};

// The time-zone cache: identifier -> owned Zi18nTZ (capacity 128).
class Zi18nTZList : public NURecodes {
public:
    Zi18nTZList();
    using NURecodes::Find;
    // The cached zone of id (exact match), or null.
    virtual Zi18nTZ* Find(const char* id);
    // Reads the zone of id from the database and caches it: no row or an
    // empty offset give "+0900". Null after logging on failure.
    virtual Zi18nTZ* Load(const char* id);
};

// --- Operations through the process-wide environment ---

// The identifier as stored when a row of the environment's time-zone list
// matches id without regard to case; null otherwise. Points into the list.
const char* ValidTimeZoneId(const char* id);
// The cached zone of id, read from the database on a miss; null on failure.
// Owned by the environment's cache.
Zi18nTZ* TimeZoneById(const char* id);
// The office's zone (its "SID_TZ", trailing blanks cut, "" read as "JST"),
// remembered by the environment; null when none can be had.
Zi18nTZ* OfficeTimeZone();
// The current user's zone when his identifier is set, else the office's;
// remembered; null when none can be had.
Zi18nTZ* UserTimeZone();
// *out = the offset text of the user time zone. 0; -99 without environment
// or out; -11002 without a current user; -70003 when no zone is found.
int TimeZoneOffsetText(const char** out);
// Make the office's (or the user's) zone and daylight-saving setting the
// ones in force and hand them to SetTimeZone. 0; -99 without environment;
// -70003 when no zone is found.
int SelectOfficeTimeZone();
int SelectUserTimeZone();
// The zone in force (null before a selection) and its daylight-saving text.
Zi18nTZ* TimeZoneInForce();
const char* DstInForce();
// Daylight-saving minutes of a setting: 0 for null or ""; 60 for a non-zero
// integer; 0 for zero; -1 (logged) when it is not an integer.
int DstMinutes(const char* text);
