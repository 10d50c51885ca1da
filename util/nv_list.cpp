// NUNVList and NURecodes: ordered name-value pairs with duplicates.
#include "util/nv_list.h"

#include <charconv>
#include <climits>
#include <cstring>
#include <new>

#include "util/utf8_text.h"

namespace {

constexpr int kDefaultCapacity = 128;

// strcmp equality where a null entry name never equals a non-null name.
bool NameEquals(const char* entryName, const char* name) {
    return entryName && strcmp(entryName, name) == 0;
}

bool NameEqualsNoCase(const char* entryName, const char* name) {
    return entryName && EqualsNoCase(entryName, name);
}

// Find and FindNoCase: the first entry whose name equals name (any entry
// when name is null); 1 with *value set, 0 when none, -5, -4.
template <typename Equals>
int FindFirst(NUNVEntry* const* entries, int count, const char* name, char** value,
              Equals equals) {
    if (!value) return -5;
    if (!entries) return -4;
    for (int i = 0; i < count; ++i) {
        if (!name || equals(entries[i]->name, name)) {
            *value = entries[i]->value;
            return 1;
        }
    }
    return 0;
}

}  // namespace

int NumberName(int number, char* name) {
    char* end = std::to_chars(name, name + kNumberNameSize - 1, number).ptr;
    *end = '\0';
    return static_cast<int>(end - name);
}

NUNVList::NUNVList() : NUNVList(kDefaultCapacity) {}

NUNVList::NUNVList(int n) { InitSlots(n > 0 ? n : kDefaultCapacity); }

NUNVList::~NUNVList() {
    RemoveByName(nullptr);
    delete[] entries;
}

int NUNVList::Insert(const char* name, const void* data, int size, int index, bool owned) {
    if (index < 0 || index > count) return -5;
    if (!entries) return -4;
    if (count >= capacity) {
        int r = Grow();
        if (r != 0) return r;
    }
    NUNVEntry* entry = nullptr;
    int r = NewEntry(&entry, name, data, size, owned);
    if (r != 0) return r;
    memmove(entries + index + 1, entries + index, sizeof(NUNVEntry*) * (count - index));
    entries[index] = entry;
    ++count;
    return 0;
}

int NUNVList::Add(const char* name, const void* data, int size) {
    return Insert(name, data, size, count, false);
}

int NUNVList::AddOwned(const char* name, char* value) {
    int size = value ? static_cast<int>(strlen(value)) + 1 : 0;
    return Insert(name, value, size, count, true);
}

int NUNVList::AddText(const char* name, const char* text) {
    if (!text) return -5;
    return Add(name, text, static_cast<int>(strlen(text)) + 1);
}

int NUNVList::SetByName(const char* name, const void* data, int size) {
    if (!entries) return -4;
    int replaced = 0;
    for (int i = 0; i < count; ++i) {
        if (name && !NameEquals(entries[i]->name, name)) continue;
        int r = SetEntryValue(entries[i], data, size);
        if (r != 0) return r;
        ++replaced;
    }
    return replaced;
}

int NUNVList::SetAt(const void* data, int size, int index) {
    if (!entries) return -4;
    if (index < 0 || index >= count) return -7;
    return SetEntryValue(entries[index], data, size);
}

int NUNVList::RemoveByName(const char* name) {
    if (!entries) return -4;
    int removed = 0;
    for (int i = 0; i < count; ++i) {
        if (name && !NameEquals(entries[i]->name, name)) continue;
        FreeEntry(entries[i]);
        entries[i] = nullptr;
        ++removed;
    }
    // Close the gaps in one forward pass, keeping the relative order.
    int kept = 0;
    for (int i = 0; i < count; ++i) {
        if (entries[i]) entries[kept++] = entries[i];
    }
    for (int i = kept; i < count; ++i) entries[i] = nullptr;
    count = kept;
    return removed;
}

int NUNVList::RemoveAt(int index) {
    if (!entries) return -4;
    if (index < 0 || index >= count) return -7;
    FreeEntry(entries[index]);
    memmove(entries + index, entries + index + 1, sizeof(NUNVEntry*) * (count - index - 1));
    entries[--count] = nullptr;
    return 0;
}

int NUNVList::Find(const char* name, char** value) {
    return FindFirst(entries, count, name, value, NameEquals);
}

int NUNVList::FindNoCase(const char* name, char** value) {
    return FindFirst(entries, count, name, value, NameEqualsNoCase);
}

int NUNVList::FindNumber(int number, char** value) {
    char name[kNumberNameSize];
    NumberName(number, name);
    return Find(name, value);
}

int NUNVList::NameAt(int index, char** name) {
    if (!name) return -5;
    if (!entries) return -4;
    if (index < 0 || index >= count) return -7;
    *name = entries[index]->name;
    return 0;
}

int NUNVList::ValueAt(int index, char** value) {
    if (!value) return -5;
    if (!entries) return -4;
    if (index < 0 || index >= count) return -7;
    *value = entries[index]->value;
    return 0;
}

int NUNVList::Grow() {
    if (!entries) return -4;
    if (capacity > INT_MAX / 2) return -6;
    int larger = capacity > 0 ? capacity * 2 : kDefaultCapacity;
    NUNVEntry** grown = new (std::nothrow) NUNVEntry*[larger]();
    if (!grown) return -6;
    if (capacity > 0) memcpy(grown, entries, sizeof(NUNVEntry*) * capacity);
    delete[] entries;
    entries = grown;
    capacity = larger;
    return 0;
}

char* NUNVList::AllocValue(int size) {
    if (size <= 0) return nullptr;
    return new (std::nothrow) char[size];
}

void NUNVList::FreeValue(char* value) { delete[] value; }

char* NUNVList::JoinValues(const char* a, const char* b) {
    if (!a) return nullptr;
    size_t la = strlen(a);
    size_t lb = b ? strlen(b) : 0;
    if (la + lb + 1 > static_cast<size_t>(INT_MAX)) return nullptr;
    char* joined = AllocValue(static_cast<int>(la + lb + 1));
    if (!joined) return nullptr;
    memcpy(joined, a, la);
    if (lb) memcpy(joined + la, b, lb);
    joined[la + lb] = '\0';
    return joined;
}

int NUNVList::ValueLength(const char* value) { return value ? static_cast<int>(strlen(value)) : 0; }

NUNVList* NUNVList::Clone() {
    NUNVList* copy = new (std::nothrow) NUNVList();
    if (!copy) return nullptr;
    if (!entries) {
        delete copy;
        return nullptr;
    }
    for (int i = 0; i < count; ++i) {
        const char* value = entries[i]->value;
        if (copy->Add(entries[i]->name, value, ValueLength(value) + 1) != 0) {
            delete copy;
            return nullptr;
        }
    }
    return copy;
}

NUNVEntry** NUNVList::InitSlots(int n) {
    count = 0;
    capacity = n;
    entries = new (std::nothrow) NUNVEntry*[n > 0 ? n : 0]();
    if (!entries) capacity = 0;
    return entries;
}

void NUNVList::FreeEntry(NUNVEntry* entry) {
    if (!entry) return;
    if (!entry->packed) FreeValue(entry->value);
    ::operator delete(entry);
}

int NUNVList::NewEntry(NUNVEntry** out, const char* name, const void* data, int size, bool owned) {
    if (!out || size < 0) return -5;
    bool pack = packValues && !owned && data && size > 0;
    size_t valueBytes = pack ? static_cast<size_t>(size) : 0;
    size_t nameBytes = name ? strlen(name) + 1 : 0;
    // The name and a copied value follow the entry, so that a lookup finds
    // them beside it.
    void* block = ::operator new(sizeof(NUNVEntry) + nameBytes + valueBytes, std::nothrow);
    if (!block) return -6;
    NUNVEntry* entry = new (block) NUNVEntry{nullptr, nullptr, pack};
    char* bytes = reinterpret_cast<char*>(entry + 1);
    if (name) {
        entry->name = bytes;
        memcpy(entry->name, name, nameBytes);
    }
    if (pack) {
        entry->value = bytes + nameBytes;
        memcpy(entry->value, data, valueBytes);
    } else if (owned) {
        entry->value = static_cast<char*>(const_cast<void*>(data));
    } else if (data && size > 0) {
        entry->value = AllocValue(size);
        if (!entry->value) {
            FreeEntry(entry);
            return -6;
        }
        memcpy(entry->value, data, size);
    }
    *out = entry;
    return 0;
}

int NUNVList::SetEntryValue(NUNVEntry* entry, const void* data, int size) {
    if (!entry || size < 0) return -5;
    char* value = nullptr;
    if (data && size > 0) {
        value = AllocValue(size);
        if (!value) return -6;
        memcpy(value, data, size);
    }
    if (!entry->packed) FreeValue(entry->value);
    entry->value = value;
    entry->packed = false;
    return 0;
}

NURecodes::NURecodes(DestroyRecord destroyRecord) : NUNVList(kDefaultCapacity), destroy(destroyRecord) {
    // Every value holds a record that FreeValue destroys.
    packValues = false;
}

NURecodes::~NURecodes() { RemoveByName(nullptr); }

void NURecodes::FreeValue(char* value) {
    if (!value) return;
    void* record = nullptr;
    memcpy(&record, value, sizeof record);
    if (record && destroy) destroy(record);
    NUNVList::FreeValue(value);
}

NUNVList* NURecodes::Clone() { return nullptr; }

int NURecodes::AddRecord(const char* name, void* record) {
    return Add(name, &record, static_cast<int>(sizeof record));
}

void* NURecodes::RecordAt(int index) {
    char* value = nullptr;
    if (ValueAt(index, &value) != 0 || !value) return nullptr;
    void* record = nullptr;
    memcpy(&record, value, sizeof record);
    return record;
}

void* NURecodes::RecordByName(const char* name) {
    char* value = nullptr;
    if (!name || Find(name, &value) != 1 || !value) return nullptr;
    void* record = nullptr;
    memcpy(&record, value, sizeof record);
    return record;
}
