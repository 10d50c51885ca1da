// The list of valid language identifiers read from mst_langlist.txt.
#include "env/lang_id_list.h"

#include <cerrno>
#include <new>

#include "util/log.h"
#include "util/nv_file.h"
#include "util/utf8_text.h"

namespace {
const char kUnit[] = "CMSioObjApp_LocalInfo";
}  // namespace

ZioObjLangList::ZioObjLangList() : CMSioObj("mst_langlist.txt", false) {
    CMSioObjApp* env = AppEnvironment();
    directory.Format("%slocal/", env ? env->HomeDir() : "");
}

int ZioObjLangList::Load() {
    NUFileIO reader;
    reader.noLock = true;
    reader.SetSeparator('=');
    int r = reader.Read(this, false, false);
    if (r == 0) return 0;
    TraceError("[%s:%d]ret[%d]errno[%d]", kUnit, __LINE__, r, errno);
    if (list) list->RemoveByName(nullptr);
    return kLangListUnreadable;
}

const char* ZioObjLangList::FindId(const char* text) {
    if (!text || !list) return nullptr;
    for (int i = 0; i < list->Count(); ++i) {
        char* name = nullptr;
        if (list->NameAt(i, &name) >= 0 && name && EqualsNoCase(name, text)) return name;
    }
    return nullptr;
}

int CMSioObjApp::CreateLangIdList() {
    if (langIdList) return 0;
    langIdList = new (std::nothrow) ZioObjLangList();
    if (!langIdList) {
        TraceError("[%s:%d]errno[%d]", kUnit, __LINE__, errno);
        return -10;
    }
    int r = langIdList->Load();
    if (r != 0) {
        // Not kept, so that the next check reads the file again.
        ReleaseLangIdList();
        return r;
    }
    return 0;
}

void CMSioObjApp::ReleaseLangIdList() {
    delete langIdList;
    langIdList = nullptr;
}

const char* ValidLanguageId(const char* id) {
    CMSioObjApp* env = AppEnvironment();
    if (!id || !*id || !env) {
        TraceError("[%s:%d]langid[%s]", kUnit, __LINE__, id ? id : "");
        return nullptr;
    }
    if (env->CreateLangIdList() != 0) {
        TraceError("[%s:%d]langid[%s]", kUnit, __LINE__, id);
        return nullptr;
    }
    const char* found = env->LangIdList()->FindId(id);
    if (!found) TraceError("[%s:%d]langid[%s]", kUnit, __LINE__, id);
    return found;
}
