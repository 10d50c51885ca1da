// CS3Index: the member array of a record list, its copy, merge, store and
// sort operations, and the page and range arithmetic shared by the lists.
#include "cs3base/record_list.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>

#include "util/log.h"
#include "util/utf8_text.h"

namespace {

const char kUnit[] = "cs3index";

// Sub-items of a store row that carry member identifiers; other sub-items
// (such as "_lastid") are not members.
constexpr const char* kStoreItemName = "_item";
constexpr int kDefaultRangeWidth = 1000;

// Makes the row named name the store's current row; false when none is.
bool SelectStoreRow(CS3Data& store, const char* name) {
    if (store.FirstRow() != 0) return false;
    do {
        CS3DataRow* row = store.CurrentRow();
        if (row != nullptr && row->name == name) return true;
    } while (store.NextRow() == 0);
    return false;
}

}  // namespace

int LastPageStart(int total, int pageSize) {
    if (pageSize <= 0 || total <= 0) return 0;
    int pages = total / pageSize;
    if (total % pageSize == 0) --pages;
    return pageSize * pages;
}

int ClampPageStart(int pageStart, int pageSize, int total) {
    if (pageSize == 0) return 0;
    int last = LastPageStart(total, pageSize);
    if (last < pageStart) return last < 0 ? 0 : last;
    return pageStart;
}

int TopRowCount(int pageStart, int pageSize) {
    long long count = static_cast<long long>(std::max(pageStart, 0)) + std::max(pageSize, 0);
    return static_cast<int>(std::min<long long>(count, INT_MAX));
}

std::vector<IdRange> SplitIdRange(int minId, int maxId, int width) {
    std::vector<IdRange> ranges;
    if (width <= 0) width = kDefaultRangeWidth;
    if (maxId < minId) return ranges;
    // 64-bit arithmetic: the last range's end may lie beyond INT_MAX.
    for (long long low = minId; low <= maxId; low += width) {
        long long high = std::min<long long>(low + width - 1, maxId);
        ranges.push_back({static_cast<int>(low), static_cast<int>(high)});
    }
    return ranges;
}

int RewriteSelectTop(std::string& statement, int count) {
    if (statement.empty()) {
        TraceError("[%s:%d]", kUnit, __LINE__);
        return -99;
    }
    // The verb and its blank go; a DISTINCT keeps its place before "top".
    const char* verb = "select";
    size_t cut = std::min<size_t>(7, statement.size());
    if (FindTextNoCase(statement.c_str(), "SELECT DISTINCT ") == statement.c_str()) {
        verb = "select distinct";
        cut = 16;
    }
    statement = std::string(verb) + " top " + std::to_string(count) + " " + statement.substr(cut);
    return 0;
}

CS3Index::CS3Index() = default;

CS3Index::~CS3Index() { ClearItems(); }

CS3Object* CS3Index::ItemAt(int index) const {
    if (index < 0 || index >= ItemCount()) return nullptr;
    return items[static_cast<size_t>(index)];
}

int CS3Index::AddItem(CS3Object* member) {
    items.push_back(member);
    ++totalCount;
    return 0;
}

int CS3Index::RemoveItemAt(int index) {
    if (index < 0 || index >= ItemCount()) return -99;
    CS3Object* member = items[static_cast<size_t>(index)];
    items.erase(items.begin() + index);
    if (member != nullptr) DeleteItem(member);
    if (keepTotal == 0 && totalCount > 0) --totalCount;
    return 0;
}

void CS3Index::ClearItems() {
    std::vector<CS3Object*> old;
    old.swap(items);
    for (CS3Object* member : old) {
        if (member != nullptr) DeleteItem(member);
    }
    totalCount = 0;
}

bool CS3Index::ContainsId(const char* id) {
    if (id == nullptr) return true;
    for (CS3Object* member : items) {
        if (member != nullptr && std::strcmp(member->IdText(), id) == 0) return false;
    }
    return true;
}

bool CS3Index::IsDisjoint(CS3Index& other) {
    if (&other == this) return false;
    for (CS3Object* member : other.items) {
        if (member != nullptr && !ContainsId(member->IdText())) return false;
    }
    return true;
}

int CS3Index::MakeMember(const char* id, CS3Object** out) {
    *out = nullptr;
    CS3Object* member = NewItem();
    if (member == nullptr) {
        TraceError("[%s:%d]ret[%d]", kUnit, __LINE__, -10);
        return -10;
    }
    int rc = member->SetId(id);
    if (rc != 0 || Reject(member)) {
        DeleteItem(member);
        return rc;
    }
    *out = member;
    return 0;
}

int CS3Index::LoadFromStore(const char* name, CS3Data& store) {
    if (name == nullptr || !SelectStoreRow(store, name)) return -110;
    // The identifiers are copied out first: creating members must not
    // disturb the store's current row.
    std::vector<std::string> ids;
    store.ApplyToRow([&ids](CS3DataRow& row) {
        for (const CS3Item& item : row.subItems) {
            if (item.name != kStoreItemName) continue;
            ids.push_back(item.value);
        }
        return 0;
    });
    for (const std::string& id : ids) {
        CS3Object* member = nullptr;
        int rc = MakeMember(id.c_str(), &member);
        if (rc == -10) return rc;
        if (member != nullptr) AddItem(member);
    }
    return 0;
}

int CS3Index::SaveToStore(const char* name, CS3Data& store, bool noDuplicateCheck) {
    if (name == nullptr) return -99;
    if (!SelectStoreRow(store, name)) store.AddRow(name);
    for (CS3Object* member : items) {
        if (member == nullptr || Reject(member)) continue;
        int rc = store.AddSubItem(member->IdText(), noDuplicateCheck, nullptr);
        if (rc != 0) return rc;
    }
    return 0;
}

int CS3Index::AppendItems(CS3Index& other, bool allowDuplicates) {
    // A list appended to itself takes the members it had at the start.
    std::vector<CS3Object*> source = other.items;
    for (CS3Object* from : source) {
        if (from == nullptr) continue;
        if (!allowDuplicates && !ContainsId(from->IdText())) continue;
        CS3Object* member = NewItem();
        if (member == nullptr) {
            TraceError("[%s:%d]ret[%d]", kUnit, __LINE__, -10);
            return -10;
        }
        if (member->SetIdInt(from->IdInt()) != 0 || Reject(member)) {
            DeleteItem(member);
            continue;
        }
        AddItem(member);
    }
    return 0;
}

int CS3Index::ReplaceItems(CS3Index& other, bool allowDuplicates) {
    if (&other == this) return 0;
    ClearItems();
    return AppendItems(other, allowDuplicates);
}

int CS3Index::BeforeFetch(CS3DataDB&) { return 0; }
int CS3Index::AfterFetch(CS3DataDB&) { return 0; }

void CS3Index::DeleteItem(CS3Object* member) { delete member; }

CS3Object* CS3Index::NewItem() { return new (std::nothrow) CS3Object(); }

bool CS3Index::Reject(CS3Object*) { return false; }

int CS3Index::StoreTableName(NUString& buffer) { return buffer.Set(""); }

int CS3Index::FindByName(const char* name) {
    if (name == nullptr) return -1;
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i] != nullptr && EqualsNoCase(items[i]->IdText(), name)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int CS3Index::Absorb(CS3Index& other) {
    if (&other == this) return 0;
    for (CS3Object* member : other.items) {
        if (member != nullptr) items.push_back(member);
    }
    other.items.clear();
    totalCount += other.totalCount;
    other.totalCount = 0;
    return 0;
}

void CS3Index::SortById() {
    std::stable_sort(items.begin(), items.end(), [](CS3Object* a, CS3Object* b) {
        if (a == nullptr || b == nullptr) return a != nullptr && b == nullptr;
        return a->IdInt() < b->IdInt();
    });
}
