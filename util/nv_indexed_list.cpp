// NUNVIndexedList: the first entry of each name in an open-addressing hash
// table, and the first entry of each name that is a number in a second one
// keyed by the number, both kept in step with the list.
#include "util/nv_indexed_list.h"

#include <charconv>
#include <cstdint>
#include <cstring>
#include <new>

namespace {

constexpr size_t kFirstSlots = 256;

// FNV-1a over the name's bytes.
size_t HashName(const char* name) {
    unsigned long long h = 14695981039346656037ULL;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(name); *p; ++p) {
        h = (h ^ *p) * 1099511628211ULL;
    }
    return static_cast<size_t>(h);
}

// A one-to-one mix of the number (an odd multiplier, then high bits folded
// into low ones), so that the hash alone tells numbers apart and runs and
// strides of numbers spread over the table.
size_t NumberHash(int number) {
    uint32_t h = static_cast<uint32_t>(number) * 0x9E3779B1u;
    return static_cast<size_t>(h ^ (h >> 16));
}

// True with *number set when name is a number exactly as "%d" writes it.
bool NumberOfName(const char* name, int* number) {
    const char* digits = name[0] == '-' ? name + 1 : name;
    if (*digits < '0' || *digits > '9') return false;
    size_t length = strlen(name);
    int n = 0;
    auto [end, error] = std::from_chars(name, name + length, n);
    if (error != std::errc() || end != name + length) return false;
    char written[kNumberNameSize];
    if (static_cast<size_t>(NumberName(n, written)) != length || memcmp(written, name, length) != 0) {
        return false;
    }
    *number = n;
    return true;
}

}  // namespace

size_t NUNVIndexedList::Table::SlotOf(size_t hash, const char* name) const {
    size_t i = hash & mask;
    while (slots[i].entry &&
           !(slots[i].hash == hash && (!name || strcmp(slots[i].entry->name, name) == 0))) {
        i = (i + 1) & mask;
    }
    return i;
}

bool NUNVIndexedList::Table::Rehash(size_t slotCount) {
    Slot* grown = new (std::nothrow) Slot[slotCount]();
    if (!grown) return false;
    Slot* old = slots;
    size_t oldCount = old ? mask + 1 : 0;
    slots = grown;
    mask = slotCount - 1;
    for (size_t i = 0; i < oldCount; ++i) {
        if (!old[i].entry) continue;
        size_t j = old[i].hash & mask;
        while (slots[j].entry) j = (j + 1) & mask;
        slots[j] = old[i];
    }
    delete[] old;
    return true;
}

bool NUNVIndexedList::Table::Put(size_t hash, const char* name, NUNVEntry* entry) {
    size_t i = 0;
    if (slots) {
        i = SlotOf(hash, name);
        if (slots[i].entry) {
            slots[i].entry = entry;
            return true;
        }
    }
    // At most three quarters of the slots are used: probes stay short and
    // the table small.
    if (!slots || 4 * (used + 1) > 3 * (mask + 1)) {
        if (!Rehash(slots ? 2 * (mask + 1) : kFirstSlots)) return false;
        i = SlotOf(hash, name);
    }
    ++used;
    slots[i] = Slot{hash, entry};
    return true;
}

void NUNVIndexedList::Table::Erase(size_t hash, const char* name) {
    if (!slots) return;
    size_t i = SlotOf(hash, name);
    if (!slots[i].entry) return;
    // Shift later slots of the same probe run back into the hole, so that
    // no lookup stops early at it.
    for (size_t j = (i + 1) & mask; slots[j].entry; j = (j + 1) & mask) {
        size_t home = slots[j].hash & mask;
        bool stays = (j > i) ? (home > i && home <= j) : (home > i || home <= j);
        if (stays) continue;
        slots[i] = slots[j];
        i = j;
    }
    slots[i] = Slot{0, nullptr};
    --used;
}

void NUNVIndexedList::Table::Clear() {
    delete[] slots;
    slots = nullptr;
    mask = 0;
    used = 0;
}

NUNVIndexedList::~NUNVIndexedList() {
    names.Clear();
    numbers.Clear();
}

bool NUNVIndexedList::SetFirst(const char* name, NUNVEntry* first) {
    size_t hash = HashName(name);
    if (!first) {
        names.Erase(hash, name);
    } else if (!names.Put(hash, name, first)) {
        return false;
    }
    int number = 0;
    if (!NumberOfName(name, &number)) return true;
    if (!first) {
        numbers.Erase(NumberHash(number), nullptr);
        return true;
    }
    return numbers.Put(NumberHash(number), nullptr, first);
}

NUNVEntry* NUNVIndexedList::FirstOf(const char* name) const {
    if (!names.slots) return nullptr;
    return names.slots[names.SlotOf(HashName(name), name)].entry;
}

void NUNVIndexedList::Drop() {
    names.Clear();
    numbers.Clear();
    dropped = true;
}

int NUNVIndexedList::Insert(const char* name, const void* data, int size, int index, bool owned) {
    int r = NUNVList::Insert(name, data, size, index, owned);
    if (r != 0 || !name || dropped) return r;
    // The new entry is the first of its name unless one stands before it.
    if (NUNVEntry* first = FirstOf(name)) {
        if (index == count - 1) return 0;
        for (int k = 0; k < index; ++k) {
            if (entries[k] == first) return 0;
        }
    }
    if (!SetFirst(name, entries[index])) Drop();
    return 0;
}

int NUNVIndexedList::RemoveByName(const char* name) {
    if (!dropped && entries) {
        if (name) {
            SetFirst(name, nullptr);
        } else {
            names.Clear();
            numbers.Clear();
        }
    }
    return NUNVList::RemoveByName(name);
}

int NUNVIndexedList::RemoveAt(int index) {
    if (!dropped && entries && index >= 0 && index < count && entries[index]->name) {
        NUNVEntry* removed = entries[index];
        const char* name = removed->name;
        if (FirstOf(name) == removed) {
            // The next entry of that name, if any, becomes the first.
            NUNVEntry* next = nullptr;
            for (int k = index + 1; k < count && !next; ++k) {
                if (entries[k]->name && strcmp(entries[k]->name, name) == 0) next = entries[k];
            }
            if (!SetFirst(name, next)) Drop();
        }
    }
    return NUNVList::RemoveAt(index);
}

int NUNVIndexedList::Find(const char* name, char** value) {
    if (dropped || !name || !value || !entries) return NUNVList::Find(name, value);
    NUNVEntry* first = FirstOf(name);
    if (!first) return 0;
    *value = first->value;
    return 1;
}

int NUNVIndexedList::FindNumber(int number, char** value) {
    if (dropped || !value || !entries) return NUNVList::FindNumber(number, value);
    if (!numbers.slots) return 0;
    NUNVEntry* first = numbers.slots[numbers.SlotOf(NumberHash(number), nullptr)].entry;
    if (!first) return 0;
    *value = first->value;
    return 1;
}
