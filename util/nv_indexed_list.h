// NUNVIndexedList: a name-value list with a hash index of the first entry
// of each name, so that Find does not scan.
#pragma once

#include <cstddef>

#include "util/nv_list.h"

// The same list, order and results as NUNVList; Find answers from an index
// that every insertion and removal keeps in step. When memory for the index
// runs out, the list drops it and Find scans as NUNVList does.
class NUNVIndexedList : public NUNVList {
public:
    NUNVIndexedList() = default;
    explicit NUNVIndexedList(int capacity) : NUNVList(capacity) {}
    ~NUNVIndexedList() override;

    int Insert(const char* name, const void* data, int size, int index, bool owned) override;
    int RemoveByName(const char* name) override;
    int RemoveAt(int index) override;
    int Find(const char* name, char** value) override;

private:
    struct Slot {
        size_t hash;
        NUNVEntry* entry;  // null: free
    };

    // The slot of name, or the free slot where it would go.
    size_t SlotOf(const char* name, size_t hash) const;
    // Points name's slot at entry (whose name it is); false when the table
    // cannot grow.
    bool Put(NUNVEntry* entry);
    void Erase(const char* name);
    bool Rehash(size_t slotCount);
    // Gives the index up: Find scans from then on.
    void Drop();

    Slot* slots = nullptr;
    size_t mask = 0;  // slot count - 1; the count is a power of two
    size_t used = 0;
    bool dropped = false;
};
