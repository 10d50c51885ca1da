// NUNVIndexedList: a name-value list with a hash index of the first entry
// of each name, so that Find does not scan, and a second index of the names
// that are numbers, so that FindNumber neither formats nor hashes text.
#pragma once

#include <cstddef>

#include "util/nv_list.h"

// The same list, order and results as NUNVList; Find and FindNumber answer
// from indexes that every insertion and removal keeps in step. When memory
// for an index runs out, the list drops both and scans as NUNVList does.
class NUNVIndexedList : public NUNVList {
public:
    NUNVIndexedList() = default;
    explicit NUNVIndexedList(int capacity) : NUNVList(capacity) {}
    ~NUNVIndexedList() override;

    int Insert(const char* name, const void* data, int size, int index, bool owned) override;
    int RemoveByName(const char* name) override;
    int RemoveAt(int index) override;
    int Find(const char* name, char** value) override;
    int FindNumber(int number, char** value) override;

private:
    struct Slot {
        size_t hash;
        NUNVEntry* entry;  // null: free
    };

    // Open addressing with linear probing; deletion shifts back.
    struct Table {
        Slot* slots = nullptr;
        size_t mask = 0;  // slot count - 1; the count is a power of two
        size_t used = 0;

        // The slot of hash (and name, when given; without one the hash
        // alone tells keys apart), or the free slot where it would go.
        size_t SlotOf(size_t hash, const char* name) const;
        // Points the key's slot at entry; false when the table cannot grow.
        bool Put(size_t hash, const char* name, NUNVEntry* entry);
        void Erase(size_t hash, const char* name);
        bool Rehash(size_t slotCount);
        void Clear();
    };

    // Records first as the first entry of name (null: name has none left)
    // in both indexes; false when an index cannot grow.
    bool SetFirst(const char* name, NUNVEntry* first);
    // The entry an index holds for name, or null.
    NUNVEntry* FirstOf(const char* name) const;
    // Gives the indexes up: lookups scan from then on.
    void Drop();

    Table names;
    Table numbers;  // keyed by NumberHash of the names that are numbers
    bool dropped = false;
};
