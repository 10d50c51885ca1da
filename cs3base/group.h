// CS3Group: one group of the directory ("TM_GROUP"), and CS3GroupItems: the
// groups a user belongs to.
#pragma once

#include <memory>
#include <vector>

#include "cs3base/obj_attach.h"

// A group: its numeric ID, its constant identifier ("CONST_ID", the place
// in the group tree) and its name ("GROUPNAME").
class CS3Group : public CXioObjAttach {
public:
    CS3Group() = default;

    // "CONST_ID" and "GROUPNAME", compared without regard to case; -70 for
    // any other name.
    int SetField(const char* name, const char* text) override;
    void ClearFields() override;
    // "TM_GROUP" for every operation.
    int TableName(NUString& buffer) override;
    // "GROUPNAME" (an empty name: -10006), "CONST_ID", then the times.
    int PutFields(CS3DataDB& buffer) override;
    // "ID", "CONST_ID", "GROUPNAME" and the times.
    int GetFields(CS3Data& buffer) override;

    CS3ConstIDStr& ConstId() { return constId; }
    CS3LongStrH& Name() { return name; }

private:
    CS3ConstIDStr constId;
    CS3LongStrH name;
};

// The groups a user is assigned to, in the order they were added; owns its
// group objects.
class CS3GroupItems {
public:
    CS3GroupItems() = default;
    CS3GroupItems(const CS3GroupItems&) = delete;
    CS3GroupItems& operator=(const CS3GroupItems&) = delete;

    // Adds the group with the numeric ID text. "" adds nothing (0); a group
    // already in the list is not added twice (0). The identifier's Set
    // result for a text that is not a number; -10 when memory runs out.
    int AddById(const char* idText);
    int Count() const { return static_cast<int>(groups.size()); }
    // The group at position index (owned by the list), or null.
    CS3Group* At(int index);
    // The group IDs in list order.
    std::vector<int> Ids();
    void Clear() { groups.clear(); }

private:
    std::vector<std::unique_ptr<CS3Group>> groups;
};
