// NUNVList: an ordered list of name-value pairs that keeps duplicates, and
// NURecodes, a list whose values each own one record object.
#pragma once

// Room for an int written as "%d" writes it, with its NUL.
inline constexpr int kNumberNameSize = 12;
// Writes number into name (kNumberNameSize bytes) as "%d" writes it;
// returns its length.
int NumberName(int number, char* name);

// One pair. name is an owned copy (may be null); value is an owned buffer
// (may be null), read as NUL-terminated text. The entry and its name are one
// allocation; so is a value copied in at insertion (packed), unless the list
// clears packValues. Any other value comes from the list's AllocValue.
struct NUNVEntry {
    char* name;
    char* value;
    bool packed;
};

// Results: 0 (or a count, or 1 = found) on success; -4 no entry array, -5 bad
// argument, -6 out of memory, -7 no entry at that index.
// A derived class that overrides AllocValue or FreeValue clears packValues,
// so that every value passes through them. One that overrides FreeValue must
// also call RemoveByName(nullptr) in its own destructor: in the base
// destructor its override no longer runs.
class NUNVList {
public:
    NUNVList();
    // capacity <= 0 means the default of 128 slots.
    explicit NUNVList(int capacity);
    NUNVList(const NUNVList&) = delete;
    NUNVList& operator=(const NUNVList&) = delete;

    virtual ~NUNVList();
    // Inserts at index (0..count). owned: the list takes data, which must come
    // from AllocValue, as the value; on failure the caller still owns it.
    virtual int Insert(const char* name, const void* data, int size, int index, bool owned);
    // Appends a copy of size bytes of data.
    virtual int Add(const char* name, const void* data, int size);
    // Appends, taking value (from AllocValue) as the value.
    virtual int AddOwned(const char* name, char* value);
    // Appends a copy of text with its NUL.
    virtual int AddText(const char* name, const char* text);
    // Replaces the value of every entry called name (null: all entries);
    // returns how many were replaced.
    virtual int SetByName(const char* name, const void* data, int size);
    virtual int SetAt(const void* data, int size, int index);
    // Removes every entry called name (null: all), keeping the order of the
    // rest; returns how many were removed.
    virtual int RemoveByName(const char* name);
    virtual int RemoveAt(int index);
    // First entry called name (null: the first entry): 1 with *value set to
    // the list's own buffer, 0 when there is none.
    virtual int Find(const char* name, char** value);
    virtual int FindNoCase(const char* name, char** value);
    // Find of the name that number is written as (NumberName).
    virtual int FindNumber(int number, char** value);
    // The list's own name / value at index.
    virtual int NameAt(int index, char** name);
    virtual int ValueAt(int index, char** value);
    // Doubles the capacity.
    virtual int Grow();
    // A new value buffer of size bytes; null for size <= 0 or out of memory.
    virtual char* AllocValue(int size);
    virtual void FreeValue(char* value);
    // A new value buffer holding text a then text b; null if a is null.
    virtual char* JoinValues(const char* a, const char* b);
    // strlen, 0 for null.
    virtual int ValueLength(const char* value);
    // A new list (caller owns it) with copies of all pairs; null on failure.
    virtual NUNVList* Clone();
    // Sets capacity n and count 0 with a zeroed array, which it returns (null
    // when out of memory). Only for a list that has no array.
    virtual NUNVEntry** InitSlots(int n);
    virtual void FreeEntry(NUNVEntry* entry);
    virtual int NewEntry(NUNVEntry** out, const char* name, const void* data, int size, bool owned);
    // Replaces entry's value by a copy of data (null data: null value).
    virtual int SetEntryValue(NUNVEntry* entry, const void* data, int size);

    int Count() const { return count; }
    int Capacity() const { return capacity; }

protected:
    int capacity = 0;
    int count = 0;
    NUNVEntry** entries = nullptr;
    // A value copied in at insertion shares its entry's allocation.
    bool packValues = true;
};

// A list whose value buffers each hold one pointer to a record object; the
// list destroys the object with the function given at construction
// (DeleteAs<T> deletes it as a T, through its virtual destructor).
class NURecodes : public NUNVList {
public:
    using DestroyRecord = void (*)(void* record);
    template <class T>
    static void DeleteAs(void* record) {
        delete static_cast<T*>(record);
    }

    explicit NURecodes(DestroyRecord destroy = nullptr);
    ~NURecodes() override;

    void FreeValue(char* value) override;
    // Records cannot be copied: always null.
    NUNVList* Clone() override;

    // Appends name with record as its value; the list owns record on success.
    int AddRecord(const char* name, void* record);
    // The record at index, or null.
    void* RecordAt(int index);
    // The record of the first entry called name, or null.
    void* RecordByName(const char* name);

private:
    DestroyRecord destroy;
};
