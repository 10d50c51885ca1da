// The list of valid language identifiers read from mst_langlist.txt.
#include "env/lang_id_list.h"

ZioObjLangList::ZioObjLangList() : CMSioObj("mst_langlist.txt", false) {}
const char* ZioObjLangList::GetDir() { return directory.Get(); }
int ZioObjLangList::Load() { return kLangListUnreadable; }
const char* ZioObjLangList::FindId(const char*) { return nullptr; }
const char* ValidLanguageId(const char*) { return nullptr; }
