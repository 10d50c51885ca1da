// The group record and the list of a user's groups.
#include "cs3base/group.h"

#include <new>

#include "cs3base/record_field.h"
#include "util/log.h"

namespace {

const char kTag[] = "cs3group";

}  // namespace

int CS3Group::SetField(const char* fieldName, const char* text) {
    if (FieldNameIs(fieldName, "CONST_ID")) return constId.Set(text);
    if (FieldNameIs(fieldName, "GROUPNAME")) return name.Set(text);
    return kRecUnknownField;
}

void CS3Group::ClearFields() {
    CS3Object::ClearFields();
    constId.Clear();
    name.Clear();
}

int CS3Group::TableName(NUString& buffer) { return buffer.Set("TM_GROUP") == 0 ? 0 : kRecNoMemory; }

int CS3Group::PutFields(CS3DataDB& buffer) {
    int rc = 0;
    if (name.IsEmpty()) {
        rc = -10006;
    } else {
        rc = buffer.SetColumn("GROUPNAME", name.Value(), true);
    }
    if (rc == 0) rc = buffer.SetColumn("CONST_ID", constId.Value(), true);
    if (rc == 0) rc = PutTimes(buffer);
    if (rc != 0) TraceError("[%s:%d] ret=[%d]", kTag, __LINE__, rc);
    return rc;
}

int CS3Group::GetFields(CS3Data& buffer) {
    ColumnReads reads;
    reads.Note(buffer.GetColumnInt("ID", id));
    reads.Note(buffer.GetColumn("CONST_ID", constId));
    reads.Note(buffer.GetColumn("GROUPNAME", name));
    reads.Note(GetTimes(buffer));
    if (reads.Result() != 0) TraceError("[%s:%d] ret=[%d]", kTag, __LINE__, reads.Result());
    return reads.Result();
}

int CS3GroupItems::AddById(const char* idText) {
    if (!idText || !*idText) return 0;
    std::unique_ptr<CS3Group> group(new (std::nothrow) CS3Group);
    if (!group) return -10;
    int rc = group->SetId(idText);
    if (rc != 0) return rc;
    for (const auto& g : groups) {
        if (g->IdInt() == group->IdInt()) return 0;
    }
    groups.push_back(std::move(group));
    return 0;
}

CS3Group* CS3GroupItems::At(int index) {
    if (index < 0 || index >= Count()) return nullptr;
    return groups[static_cast<size_t>(index)].get();
}

std::vector<int> CS3GroupItems::Ids() {
    std::vector<int> ids;
    for (const auto& g : groups) ids.push_back(g->IdInt());
    return ids;
}
