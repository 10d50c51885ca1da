// Time-zone records, the time-zone list and the cache of zones.
#include "env/timezone.h"

#include <cstring>

#include "util/nu_string.h"

CXioLCTimeZone::CXioLCTimeZone() : offset(64) { id.SetTextMode(1); }
int CXioLCTimeZone::SetField(const char*, const char*) { return kRecUnknownField; }
void CXioLCTimeZone::ClearFields() {
    CS3Object::ClearFields();
    offset.Clear();
}
int CXioLCTimeZone::TableName(NUString& buffer) { return buffer.Set("LTM_TIMEZONE"); }
int CXioLCTimeZone::GetFields(CS3Data&) { return 0; }
int CXioLCTimeZone::IdColumn(NUString& buffer) { return buffer.Set("id"); }

CXioCTimeZone::CXioCTimeZone() : displayName(0) {}
int CXioCTimeZone::SetField(const char* name, const char* text) {
    return CXioLCTimeZone::SetField(name, text);
}
void CXioCTimeZone::ClearFields() {
    CXioLCTimeZone::ClearFields();
    displayName.Clear();
}
int CXioCTimeZone::AfterLoad(CS3DataDB&) { return 0; }
int CXioCTimeZone::SetDisplayName(const char* name) { return displayName.Set(name); }

CXioCIndexTimeZone::CXioCIndexTimeZone(bool withNames) : withNames(withNames) {}
CXioCIndexTimeZone::~CXioCIndexTimeZone() {}
int CXioCIndexTimeZone::Load() { return kRecNoMemory; }
int CXioCIndexTimeZone::Count() const { return count; }
CXioCTimeZone* CXioCIndexTimeZone::At(int) { return nullptr; }
CXioCTimeZone* CXioCIndexTimeZone::FindNoCase(const char*) { return nullptr; }

Zi18nTZ::Zi18nTZ(const char* idText, const char* offsetText) {
    if (idText) std::strncpy(id, idText, sizeof(id) - 1);
    if (offsetText) std::strncpy(offset, offsetText, sizeof(offset) - 1);
}
const char* Zi18nTZ::Id() const { return id; }
const char* Zi18nTZ::Offset() const { return offset; }

Zi18nTZList::Zi18nTZList() : NURecodes(&NURecodes::DeleteAs<Zi18nTZ>) {}
Zi18nTZ* Zi18nTZList::Find(const char*) { return nullptr; }
Zi18nTZ* Zi18nTZList::Load(const char*) { return nullptr; }

const char* ValidTimeZoneId(const char*) { return nullptr; }
Zi18nTZ* TimeZoneById(const char*) { return nullptr; }
Zi18nTZ* OfficeTimeZone() { return nullptr; }
Zi18nTZ* UserTimeZone() { return nullptr; }
int TimeZoneOffsetText(const char** out) {
    if (out) *out = nullptr;
    return kRecBadArgument;
}
int SelectOfficeTimeZone() { return kTzNotFound; }
int SelectUserTimeZone() { return kTzNotFound; }
Zi18nTZ* TimeZoneInForce() { return nullptr; }
const char* DstInForce() { return ""; }
int DstMinutes(const char*) { return 0; }
