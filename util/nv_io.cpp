// NUioObj and NUioObjList: the pairs a name-value file is read into and
// written from.
#include "util/nv_io.h"

#include <cstring>
#include <new>

NUioObj::~NUioObj() = default;

int NUioObj::FilterLine(char*, unsigned char*) { return 0; }

int NUioObj::AppendToLast(const char*) { return 0; }

NUioObjList::NUioObjList() = default;

NUioObjList::~NUioObjList() { delete list; }

int NUioObjList::GetPath(char* dst) {
    if (!path[0]) return -11;
    if (!dst) return -1;
    memcpy(dst, path, strlen(path) + 1);
    return 0;
}

int NUioObjList::Add(const char* name, const char* value, unsigned char*) {
    if (!name) return -1;
    if (!list) {
        list = NewList();
        if (!list) return -2;
    }
    int size = value ? list->ValueLength(value) + 1 : 0;
    int r = list->Add(name, value, size);
    return r == -6 ? -2 : r;
}

NUNVList* NUioObjList::NewList() { return new (std::nothrow) NUNVList(); }

int NUioObjList::GetAt(int index, char** name, char** value) {
    if (!list) return -20;
    char* n = nullptr;
    char* v = nullptr;
    if (list->NameAt(index, &n) != 0 || list->ValueAt(index, &v) != 0) return -20;
    if (name) *name = n;
    if (value) *value = v;
    return 0;
}

int NUioObjList::AppendToLast(const char* text) {
    if (!list || list->Count() == 0) return -7;
    int last = list->Count() - 1;
    char* value = nullptr;
    list->ValueAt(last, &value);
    char* joined = list->JoinValues(value ? value : "", text ? text : "");
    if (!joined) return -2;
    int r = list->SetAt(joined, list->ValueLength(joined) + 1, last);
    list->FreeValue(joined);
    return r == -6 ? -2 : r;
}

int NUioObjList::SetPath(const char* name, const char* dir) {
    if (!name) return -1;
    size_t nameLength = strlen(name);
    if (!dir || !*dir) {
        if (nameLength > static_cast<size_t>(kNUPathSize - 1)) return -1;
        memcpy(path, name, nameLength + 1);
        return 0;
    }
    size_t dirLength = strlen(dir);
    size_t slash = dir[dirLength - 1] != '/' ? 1 : 0;
    // The joined path with its terminating zero must fit the buffer.
    if (dirLength + slash + nameLength > static_cast<size_t>(kNUPathSize - 1)) return -1;
    memcpy(path, dir, dirLength);
    if (slash) path[dirLength] = '/';
    memcpy(path + dirLength + slash, name, nameLength + 1);
    return 0;
}

int NUioObjList::FindAll(const char* name, char*** values) {
    if (!name || !values) return -1;
    *values = nullptr;
    int n = Count();
    int matches = 0;
    for (int i = 0; i < n; ++i) {
        char* entryName = nullptr;
        list->NameAt(i, &entryName);
        if (strcmp(entryName ? entryName : "", name) == 0) ++matches;
    }
    if (matches == 0) return 0;
    char** found = new (std::nothrow) char*[matches];
    if (!found) return -2;
    int k = 0;
    for (int i = 0; i < n; ++i) {
        char* entryName = nullptr;
        list->NameAt(i, &entryName);
        if (strcmp(entryName ? entryName : "", name) == 0) list->ValueAt(i, &found[k++]);
    }
    *values = found;
    return matches;
}

int NUioObjList::Count() const { return list ? list->Count() : 0; }
