// The row store CS3Data and the item lists of the statement buffers.
#include "cs3base/record_buffer.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "cs3base/field_value.h"
#include "util/log.h"
#include "util/nu_string.h"

namespace {

const char kUnit[] = "cs3datadb_item";

std::string CutName(const char* name) {
    std::string s = name ? name : "";
    if (s.size() > kItemNameMax) s.resize(kItemNameMax);
    return s;
}

}  // namespace

// --- item lists ---

CS3Item* CS3ItemList::Find(const char* name) {
    int i = IndexOf(name);
    return i < 0 ? nullptr : &items[static_cast<size_t>(i)];
}

const CS3Item* CS3ItemList::Find(const char* name) const {
    int i = IndexOf(name);
    return i < 0 ? nullptr : &items[static_cast<size_t>(i)];
}

int CS3ItemList::IndexOf(const char* name) const {
    std::string key = CutName(name);
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i].name == key) return static_cast<int>(i);
    }
    return -1;
}

CS3Item& CS3ItemList::Push(const char* name, const char* value, int kind) {
    CS3Item item;
    item.name = CutName(name);
    item.value = value ? value : "";
    item.kind = kind;
    items.push_back(std::move(item));
    return items.back();
}

int AppendItem(CS3ItemList& list, const char* name, const char* value, int kind) {
    if (name == nullptr) {
        TraceError("[%s:%d]", kUnit, __LINE__);
        return -99;
    }
    list.Push(name, value, kind);
    return 0;
}

int SetItem(CS3ItemList& list, const char* name, const char* value, int kind) {
    if (name == nullptr) {
        TraceError("[%s:%d]", kUnit, __LINE__);
        return -99;
    }
    CS3Item* item = list.Find(name);
    if (item == nullptr) {
        list.Push(name, value, kind);
    } else {
        item->value = value ? value : "";
        item->kind = kind;
    }
    return 0;
}

int RemoveItem(CS3ItemList& list, const char* name) {
    if (name == nullptr) return -99;
    int i = list.IndexOf(name);
    if (i < 0) return -110;
    list.Erase(static_cast<size_t>(i));
    return 0;
}

// --- CS3Data ---

CS3Data::CS3Data() = default;
CS3Data::~CS3Data() = default;

int CS3Data::FirstRow() {
    currentColumn = -1;
    if (rows.empty()) {
        currentRow = -1;
        return -110;
    }
    currentRow = 0;
    return 0;
}

int CS3Data::NextRow() {
    currentColumn = -1;
    if (currentRow < 0 || currentRow + 1 >= static_cast<int>(rows.size())) {
        currentRow = static_cast<int>(rows.size());
        return -110;
    }
    ++currentRow;
    return 0;
}

int CS3Data::NextSortedRow() {
    if (sorted.empty()) return NextRow();
    currentColumn = -1;
    if (sortedIndex + 1 >= static_cast<int>(sorted.size())) {
        sortedIndex = static_cast<int>(sorted.size());
        currentRow = -1;
        return -110;
    }
    ++sortedIndex;
    for (size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].get() == sorted[static_cast<size_t>(sortedIndex)]) currentRow = static_cast<int>(i);
    }
    return 0;
}

int CS3Data::FirstSortedRow() {
    if (sorted.empty()) return FirstRow();
    sortedIndex = -1;
    return NextSortedRow();
}

int CS3Data::RowCount() { return static_cast<int>(rows.size()); }

int CS3Data::ApplyToRow(const CS3RowHandler& handler) {
    CS3DataRow* row = CurrentRow();
    if (row == nullptr || !handler) return -1;
    return handler(*row);
}

bool CS3Data::IsLastIdColumn() {
    CS3Item* item = CurrentColumnItem();
    return item != nullptr && item->name == "_lastid";
}

int CS3Data::GetColumnInt(const char* name, CS3String& field) { return GetColumn(name, field); }
int CS3Data::GetColumnDate(const char* name, CS3String& field) { return GetColumn(name, field); }
int CS3Data::GetColumnDateTime(const char* name, CS3String& field) { return GetColumn(name, field); }
int CS3Data::GetColumnPositive(const char* name, CS3String& field) { return GetColumn(name, field); }
int CS3Data::GetColumnText(const char* name, CS3String& field) { return GetColumn(name, field); }

int CS3Data::GetColumn(const char* name, CS3String& field) {
    CS3DataRow* row = CurrentRow();
    if (row == nullptr || name == nullptr) return 0;
    int i = row->columns.IndexOf(name);
    if (i < 0) return 0;
    currentColumn = i;
    return field.Set(row->columns[static_cast<size_t>(i)].value.c_str());
}

int CS3Data::CurrentColumnInt(int* out) {
    CS3Item* item = CurrentColumnItem();
    if (item == nullptr) return -110;
    if (out != nullptr) *out = std::atoi(item->value.c_str());
    return 0;
}

int CS3Data::CurrentColumn(NUString* nameOut, CS3String& field) {
    CS3Item* item = CurrentColumnItem();
    if (item == nullptr) return -110;
    if (nameOut != nullptr) nameOut->Set(item->name.c_str());
    return field.Set(item->value.c_str());
}

int CS3Data::SetColumnParam(const char* name, const CS3String& field) {
    return SetColumn(name, field.Value(), true, kItemParam);
}
int CS3Data::SetColumnNumber(const char* name, const CS3String& field) {
    return SetColumn(name, field.Value(), true, kItemNumber);
}
int CS3Data::SetColumnFixed3(const char* name, const CS3String& field) {
    return SetColumn(name, field.Value(), true, kItemFixed3);
}
int CS3Data::SetColumnFixed2(const char* name, const CS3String& field) {
    return SetColumn(name, field.Value(), true, kItemFixed2);
}

int CS3Data::AddSubItem(const char* value, bool noDuplicate, int* added) {
    if (added != nullptr) *added = 0;
    if (value == nullptr) return -99;
    CS3DataRow* row = CurrentRow();
    if (row == nullptr) row = &AddRow("1");
    if (noDuplicate) {
        for (const CS3Item& item : row->subItems) {
            if (item.value == value) return 0;
        }
    }
    row->subItems.Push("_item", value, kItemText);
    if (added != nullptr) *added = 1;
    return 0;
}

int CS3Data::SetColumn(const char* name, const char* value, bool skipEmpty, int kind) {
    if (name == nullptr) {
        TraceError("[%s:%d]", kUnit, __LINE__);
        return -99;
    }
    const char* text = value ? value : "";
    CS3DataRow* row = CurrentRow();
    if (row == nullptr) row = &AddRow("1");
    CS3Item* item = row->columns.Find(name);
    if (item != nullptr) {
        item->value = text;
        item->isNull = (*text == '\0' && skipEmpty) ? 1 : 0;
        item->kind = kind;
        return 0;
    }
    if (*text == '\0' && skipEmpty) return 0;
    row->columns.Push(name, text, kind);
    return 0;
}

int CS3Data::ColumnCount() {
    CS3DataRow* row = CurrentRow();
    return row ? static_cast<int>(row->columns.size()) : 0;
}

int CS3Data::FirstColumn() {
    CS3DataRow* row = CurrentRow();
    if (row == nullptr || row->columns.empty()) {
        currentColumn = -1;
        return -110;
    }
    currentColumn = 0;
    return 0;
}

int CS3Data::NextColumn() {
    CS3DataRow* row = CurrentRow();
    if (row == nullptr || currentColumn + 1 >= static_cast<int>(row->columns.size())) {
        currentColumn = -1;
        return -110;
    }
    ++currentColumn;
    return 0;
}

int CS3Data::ClearStatement() { return 0; }

int CS3Data::SortRows() {
    sorted.clear();
    for (auto& row : rows) sorted.push_back(row.get());
    const CS3ItemList& keys = order;
    std::stable_sort(sorted.begin(), sorted.end(), [&keys](CS3DataRow* a, CS3DataRow* b) {
        for (const CS3Item& key : keys) {
            const CS3Item* x = a->columns.Find(key.name.c_str());
            const CS3Item* y = b->columns.Find(key.name.c_str());
            int c = std::strcmp(x ? x->value.c_str() : "", y ? y->value.c_str() : "");
            if (c != 0) return key.value == "1" ? c < 0 : c > 0;
        }
        return false;
    });
    sortedIndex = -1;
    return 0;
}

int CS3Data::FindRow(const char* name, int offset) {
    if (name == nullptr) return -110;
    std::string key = CutName(name);
    for (size_t i = 0; i < rows.size(); ++i) {
        if (rows[i]->name == key) {
            long position = static_cast<long>(i) + offset;
            if (position < 0 || position >= static_cast<long>(rows.size())) return -110;
            return static_cast<int>(position);
        }
    }
    return -110;
}

int CS3Data::MoveRow(int offset) {
    if (CurrentRow() == nullptr) return -110;
    long target = static_cast<long>(currentRow) + offset;
    target = std::clamp(target, 0L, static_cast<long>(rows.size()) - 1);
    auto moved = std::move(rows[static_cast<size_t>(currentRow)]);
    rows.erase(rows.begin() + currentRow);
    rows.insert(rows.begin() + target, std::move(moved));
    currentRow = static_cast<int>(target);
    return 0;
}

CS3DataRow& CS3Data::AddRow(const char* name) {
    auto row = std::make_unique<CS3DataRow>();
    row->name = CutName(name);
    rows.push_back(std::move(row));
    currentRow = static_cast<int>(rows.size()) - 1;
    currentColumn = -1;
    sorted.clear();
    return *rows.back();
}

CS3DataRow* CS3Data::CurrentRow() {
    if (currentRow < 0 || currentRow >= static_cast<int>(rows.size())) return nullptr;
    return rows[static_cast<size_t>(currentRow)].get();
}

CS3DataRow* CS3Data::FirstRowPtr() { return rows.empty() ? nullptr : rows.front().get(); }

int CS3Data::SetColumnInt(const char* name, int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", value);
    return SetColumn(name, text, true, kItemNumber);
}

int CS3Data::SetColumnPositive(const char* name, const CS3String& field) {
    int rc;
    if (field.IsEmpty()) {
        rc = SetColumn(name, "", false, kItemText);
    } else {
        char text[16];
        std::snprintf(text, sizeof text, "%d", field.AsInt());
        rc = SetColumn(name, text, true, kItemNumber);
    }
    if (rc != 0) TraceError("[%s][%d]ret=[%d]", kUnit, __LINE__, rc);
    return rc;
}

void CS3Data::ClearRows() {
    rows.clear();
    sorted.clear();
    currentRow = -1;
    currentColumn = -1;
    sortedIndex = -1;
}

CS3Item* CS3Data::CurrentColumnItem() {
    CS3DataRow* row = CurrentRow();
    if (row == nullptr || currentColumn < 0 ||
        currentColumn >= static_cast<int>(row->columns.size())) {
        return nullptr;
    }
    return &row->columns[static_cast<size_t>(currentColumn)];
}
