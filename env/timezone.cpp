// Time-zone records with their display names, the list of all zones and
// the cache of zones by identifier.
#include "env/timezone.h"

#include <cerrno>
#include <cstring>
#include <new>
#include <string>

#include "env/environment.h"
#include "util/log.h"
#include "util/nu_string.h"
#include "util/utf8_text.h"

namespace {

const char kUnitRecord[] = "cxiolctimezone";
const char kUnitZone[] = "cxioctimezone";
const char kUnitIndex[] = "cxiocindextimezone";
const char kUnitCache[] = "Zi18nTZList";

}  // namespace

// ---- CXioCObjTmzList ----

CXioCObjTmzList::CXioCObjTmzList() { SetName(kTimeZoneNameFile); }

int CXioCObjTmzList::Load() { return LoadOnce(kTimeZoneNameFile); }

const char* CXioCObjTmzList::NameOf(const char* zoneId) { return Text(zoneId); }

// ---- CXioLCTimeZone ----

CXioLCTimeZone::CXioLCTimeZone() : CS3Object(1, kTimeZoneIdBytes + 1), offset(64) {}

int CXioLCTimeZone::SetField(const char* name, const char* text) {
    if (EqualsNoCase(name, "TIME_OFFSET")) return offset.Set(text);
    return kRecUnknownField;
}

void CXioLCTimeZone::ClearFields() {
    CS3Object::ClearFields();
    offset.Clear();
}

int CXioLCTimeZone::TableName(NUString& buffer) { return buffer.Set("LTM_TIMEZONE"); }

int CXioLCTimeZone::GetFields(CS3Data& buffer) {
    int r = buffer.GetColumn("TIME_OFFSET", offset);
    if (r != 0) TraceError("[%s:%d]ret[%d]", kUnitRecord, __LINE__, r);
    return r;
}

int CXioLCTimeZone::IdColumn(NUString& buffer) { return buffer.Set("id"); }

// ---- CXioCTimeZone ----

CXioCTimeZone::CXioCTimeZone() : displayName(0) {}

int CXioCTimeZone::SetField(const char* name, const char* text) {
    if (EqualsNoCase(name, "tmzname")) return displayName.Set(text);
    return CXioLCTimeZone::SetField(name, text);
}

void CXioCTimeZone::ClearFields() {
    CXioLCTimeZone::ClearFields();
    displayName.Clear();
}

int CXioCTimeZone::AfterLoad(CS3DataDB&) {
    CXioCObjTmzList names;
    int r = names.Load();
    if (r != 0) {
        TraceError("[%s][%d]ret=[%d]errno=[%d]", kUnitZone, __LINE__, r, errno);
        return kTzNameFileUnreadable;
    }
    const char* name = names.NameOf(IdText());
    if (!name) return 0;
    return SetDisplayName(name);
}

int CXioCTimeZone::SetDisplayName(const char* name) {
    std::string zone = Offset();
    TrimTrailingSpace(zone.data());
    zone.resize(strlen(zone.c_str()));
    std::string hours = zone.substr(0, 3);
    std::string minutes = zone.size() > 3 ? zone.substr(3) : "";
    std::string text = "(UTC" + hours + ":" + minutes + ") " + (name ? name : "");
    return displayName.Set(text.c_str());
}

// ---- CXioCIndexTimeZone ----

CXioCIndexTimeZone::CXioCIndexTimeZone(bool names) : withNames(names) { id.SetTextMode(1); }

CXioCIndexTimeZone::~CXioCIndexTimeZone() = default;

int CXioCIndexTimeZone::TableName(NUString& buffer) { return buffer.Set("LTM_TIMEZONE"); }

int CXioCIndexTimeZone::IdColumn(NUString& buffer) { return buffer.Set("id"); }

int CXioCIndexTimeZone::PrepareSelect(CS3DataDB& buffer) {
    buffer.OrderList().Clear();
    buffer.OrderList().Push("cast(TIME_OFFSET as int)", "1", kItemNumber);
    buffer.OrderList().Push("id", "1", kItemNumber);
    return 0;
}

CS3Object* CXioCIndexTimeZone::NewItem() { return new (std::nothrow) CXioCTimeZone(); }

int CXioCIndexTimeZone::Load() {
    int r = LoadFirst();
    if (r != 0) {
        TraceError("[%s][%d]ret=[%d]errno=[%d]", kUnitIndex, __LINE__, r, errno);
        return r;
    }
    return withNames ? FillDisplayNames() : 0;
}

int CXioCIndexTimeZone::FillDisplayNames() {
    if (ItemCount() == 0) return 0;
    CXioCObjTmzList names;
    int r = names.Load();
    if (r != 0) {
        TraceError("[%s][%d]ret=[%d]errno=[%d]", kUnitIndex, __LINE__, r, errno);
        return kTzListNameFileUnreadable;
    }
    for (int i = 0; i < ItemCount(); ++i) {
        CXioCTimeZone* zone = At(i);
        if (!zone) continue;
        const char* name = names.NameOf(zone->IdText());
        if (!name) {
            TraceError("[%s][%d]ret=[%d]key[%s]", kUnitIndex, __LINE__, -20, zone->IdText());
            return kTzNoDisplayName;
        }
        r = zone->SetDisplayName(name);
        if (r != 0) return r;
    }
    return 0;
}

CXioCTimeZone* CXioCIndexTimeZone::At(int index) const {
    return static_cast<CXioCTimeZone*>(ItemAt(index));
}

CXioCTimeZone* CXioCIndexTimeZone::FindNoCase(const char* zoneId) {
    if (!zoneId) return nullptr;
    return At(FindByName(zoneId));
}

// ---- Zi18nTZ and the cache ----

Zi18nTZ::Zi18nTZ(const char* idText, const char* offsetText) {
    CopyCut(id, sizeof id, idText);
    CopyCut(offset, sizeof offset, offsetText);
}

const char* Zi18nTZ::Id() const { return id; }
const char* Zi18nTZ::Offset() const { return offset; }

Zi18nTZList::Zi18nTZList() : NURecodes(&NURecodes::DeleteAs<Zi18nTZ>) {}

Zi18nTZ* Zi18nTZList::Find(const char* zoneId) {
    return static_cast<Zi18nTZ*>(RecordByName(zoneId));
}

Zi18nTZ* Zi18nTZList::Load(const char* zoneId) {
    if (!zoneId) return nullptr;
    CXioLCTimeZone record;
    // An identifier longer than the key column has no row; any other
    // identifier is read, and only "no row" gives the default offset.
    if (*zoneId && strlen(zoneId) <= static_cast<size_t>(kTimeZoneIdBytes)) {
        int r = record.LoadByText(zoneId);
        if (r != 0 && r != kRecNoRow) {
            TraceDBError("[%s][%d]ret=[%d]id=[%s]", kUnitCache, __LINE__, r, zoneId);
            return nullptr;
        }
    }
    const char* offsetText = record.Offset();
    if (!*offsetText) offsetText = kDefaultTimeZoneOffset;
    Zi18nTZ* zone = new (std::nothrow) Zi18nTZ(zoneId, offsetText);
    int r = zone ? AddRecord(zoneId, zone) : kRecNoMemory;
    if (r < 0) {
        TraceError("[%s][%d]ret=[%d]", kUnitCache, __LINE__, r);
        delete zone;
        return nullptr;
    }
    return zone;
}
