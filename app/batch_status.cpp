// ZioBatchObj and the setter of status values.
#include "app/batch_status.h"

#include <cstring>

#include "util/log.h"

namespace {
const char kUnit[] = "ZioBatchObj";
}

ZioBatchObj::ZioBatchObj(const char* fileName) : CMSioObj(fileName, false) {}

ZioBatchObj::~ZioBatchObj() = default;

int ZioBatchObj::SetDirectory(const char* dir) {
    if (!dir) {
        TraceError("[%s:%d] ret[%d]", kUnit, 1, -99);
        return -99;
    }
    return directory.Set(dir);
}

int SetStatusValue(NUioObjList* obj, const char* name, const char* value) {
    if (!obj || !name || !value) return -1;
    char* old = nullptr;
    NUNVList* list = obj->List();
    if (list && list->Find(name, &old) == 1) {
        int r = list->SetByName(name, value, static_cast<int>(std::strlen(value)) + 1);
        return r < 0 ? r : 0;
    }
    unsigned char ctx = 0;
    return obj->Add(name, value, &ctx);
}
