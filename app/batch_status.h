// ZioBatchObj: a batch's status values, a name-value file in a chosen directory.
#pragma once

#include "env/environment.h"

// Starts in the data directory; SetDirectory moves it. The file's path is
// the directory and the name joined with "/" (none added after a "/").
class ZioBatchObj : public CMSioObj {
public:
    explicit ZioBatchObj(const char* fileName);
    ~ZioBatchObj() override;

    // Replaces the directory. 0; -99 for a null dir; or the string's code.
    virtual int SetDirectory(const char* dir);
};

// Sets name to value in obj: replaces the first pair of that name, or
// appends one. 0 or the list's failure code.
int SetStatusValue(NUioObjList* obj, const char* name, const char* value);
