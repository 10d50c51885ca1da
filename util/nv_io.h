// NUioObj, the source and sink of name-value pairs that NUFileIO reads into
// and writes from, and NUioObjList, its implementation over a NUNVList.
#pragma once

#include "util/nv_list.h"

// Size of the path buffers of the name-value units.
inline constexpr int kNUPathSize = 1024;

class NUioObj {
public:
    NUioObj() = default;
    NUioObj(const NUioObj&) = delete;
    NUioObj& operator=(const NUioObj&) = delete;

    virtual ~NUioObj();
    // Copies the file's path into dst (kNUPathSize bytes): 0 or an error.
    virtual int GetPath(char* dst) = 0;
    // Called for every line read: 0 parses it, 1 skips it, anything else
    // stops the read with that result. ctx is one byte the reader sets to 0
    // when it starts and passes with every call. The default returns 0.
    virtual int FilterLine(char* line, unsigned char* ctx);
    virtual int Add(const char* name, const char* value, unsigned char* ctx) = 0;
    // The pair at index (the object keeps ownership); non-zero when none.
    virtual int GetAt(int index, char** name, char** value) = 0;
    // Appends text to the value of the last pair. The default returns 0.
    virtual int AppendToLast(const char* text);
};

// Results: 0; -1 null argument or path too long; -2 out of memory; -7 no pair
// to append to; -11 no path; -20 no such pair.
class NUioObjList : public NUioObj {
public:
    NUioObjList();
    ~NUioObjList() override;

    // -11 when no path is set.
    int GetPath(char* dst) override;
    // Appends copies of name and value (null value: null value); -1 for a
    // null name.
    int Add(const char* name, const char* value, unsigned char* ctx) override;
    int GetAt(int index, char** name, char** value) override;
    int AppendToLast(const char* text) override;
    // path := name, or dir + name when dir ends in "/", else dir + "/" + name.
    virtual int SetPath(const char* name, const char* dir);
    // The values of every pair called name, in list order, in a new array
    // (caller frees it with delete[]; the values stay the list's). Returns
    // the count (0: no array), -1 for null arguments, -2 out of memory.
    virtual int FindAll(const char* name, char*** values);

    // 0 with *value set to the first value called name, -20 when none.
    int FindValue(const char* name, char** value) {
        if (!list) return -20;
        return list->Find(name, value) == 1 ? 0 : -20;
    }
    // Number of pairs.
    int Count() const;
    // The pairs; null until the first one is added.
    NUNVList* List() const { return list; }

protected:
    // The list Add creates for the first pair (null when out of memory).
    virtual NUNVList* NewList();

    NUNVList* list = nullptr;
    char path[kNUPathSize] = {};
};
