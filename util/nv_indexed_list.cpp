// NUNVIndexedList: the first entry of each name in an open-addressing hash
// table (linear probing, deletion by shifting back), kept in step with the
// list.
#include "util/nv_indexed_list.h"

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

bool SameName(const NUNVEntry* entry, const char* name) { return strcmp(entry->name, name) == 0; }

}  // namespace

NUNVIndexedList::~NUNVIndexedList() { delete[] slots; }

size_t NUNVIndexedList::SlotOf(const char* name, size_t hash) const {
    size_t i = hash & mask;
    while (slots[i].entry && !(slots[i].hash == hash && SameName(slots[i].entry, name))) {
        i = (i + 1) & mask;
    }
    return i;
}

bool NUNVIndexedList::Rehash(size_t slotCount) {
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

bool NUNVIndexedList::Put(NUNVEntry* entry) {
    // At most three quarters of the slots are used: probes stay short and
    // the table small.
    if (!slots || 4 * (used + 1) > 3 * (mask + 1)) {
        size_t count = slots ? 2 * (mask + 1) : kFirstSlots;
        if (!Rehash(count)) return false;
    }
    size_t hash = HashName(entry->name);
    size_t i = SlotOf(entry->name, hash);
    if (!slots[i].entry) ++used;
    slots[i] = Slot{hash, entry};
    return true;
}

void NUNVIndexedList::Erase(const char* name) {
    if (!slots) return;
    size_t i = SlotOf(name, HashName(name));
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

void NUNVIndexedList::Drop() {
    delete[] slots;
    slots = nullptr;
    mask = 0;
    used = 0;
    dropped = true;
}

int NUNVIndexedList::Insert(const char* name, const void* data, int size, int index, bool owned) {
    int r = NUNVList::Insert(name, data, size, index, owned);
    if (r != 0 || !name || dropped) return r;
    NUNVEntry* entry = entries[index];
    // The new entry is the first of its name unless one stands before it.
    if (slots) {
        size_t i = SlotOf(name, HashName(name));
        if (NUNVEntry* first = slots[i].entry) {
            if (index == count - 1) return 0;
            for (int k = 0; k < index; ++k) {
                if (entries[k] == first) return 0;
            }
        }
    }
    if (!Put(entry)) Drop();
    return 0;
}

int NUNVIndexedList::RemoveByName(const char* name) {
    if (!dropped && entries) {
        if (name) {
            Erase(name);
        } else {
            delete[] slots;
            slots = nullptr;
            mask = 0;
            used = 0;
        }
    }
    return NUNVList::RemoveByName(name);
}

int NUNVIndexedList::RemoveAt(int index) {
    if (!dropped && slots && entries && index >= 0 && index < count && entries[index]->name) {
        NUNVEntry* removed = entries[index];
        const char* name = removed->name;
        size_t i = SlotOf(name, HashName(name));
        if (slots[i].entry == removed) {
            // The next entry of that name, if any, becomes the first.
            NUNVEntry* next = nullptr;
            for (int k = index + 1; k < count && !next; ++k) {
                if (entries[k]->name && SameName(entries[k], name)) next = entries[k];
            }
            if (next) {
                slots[i].entry = next;
            } else {
                Erase(name);
            }
        }
    }
    return NUNVList::RemoveAt(index);
}

int NUNVIndexedList::Find(const char* name, char** value) {
    if (dropped || !name || !value || !entries) return NUNVList::Find(name, value);
    if (!slots) return 0;
    size_t i = SlotOf(name, HashName(name));
    if (!slots[i].entry) return 0;
    *value = slots[i].entry->value;
    return 1;
}
