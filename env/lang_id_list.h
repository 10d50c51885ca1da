// The installation's list of valid language identifiers (mst_langlist.txt)
// and the check of an identifier against it.
#pragma once

#include "env/environment.h"

// Result of reading the language identifier list when it cannot be read.
constexpr int kLangListUnreadable = -70011;

// The names of <home>/local/mst_langlist.txt ("=" separated, read without
// lock); each name is a valid language identifier.
class ZioObjLangList : public CMSioObj {
public:
    // Directory "<home>local/" of the environment ("" without one), name
    // "mst_langlist.txt".
    ZioObjLangList();
    // Reads the file into the list. 0; -70011 when it is missing or cannot
    // be read (the list is then left empty).
    virtual int Load();
    // The identifier as spelled in the file when one matches text without
    // regard to case, else null. Points into the list.
    virtual const char* FindId(const char* text);
};

// The identifier as spelled in mst_langlist.txt when one matches id without
// regard to case; null for a null or empty id, without environment, or when
// the list cannot be read (the next check tries again). Points into the
// environment's list.
const char* ValidLanguageId(const char* id);
