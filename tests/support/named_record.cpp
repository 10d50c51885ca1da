#include "support/named_record.h"

#include <utility>

#include "cs3base/record_buffer.h"

NamedRecord::NamedRecord(std::string table, std::string counter, bool textKeys)
    : CS3Object(textKeys ? 1 : 0, textKeys ? 32 : 11),
      table(table),
      counter(std::move(counter)),
      counterKey(table) {}

int NamedRecord::TableName(NUString& buffer) { return buffer.Set(table.c_str()); }

int NamedRecord::IdTableName(NUString& buffer) {
    return counter.empty() ? CS3Object::IdTableName(buffer) : buffer.Set(counter.c_str());
}

int NamedRecord::AddIdTableConditions(CS3DataDB& buffer) {
    return SetItem(buffer.EqList(), "TABLENAME", counterKey.c_str(), kItemText);
}

int NamedRecord::PutFields(CS3DataDB& buffer) {
    int rc = buffer.SetColumn("Name", name.Value(), false);
    return rc == 0 ? PutTimes(buffer) : rc;
}

int NamedRecord::GetFields(CS3Data& buffer) {
    int rc = buffer.GetColumn("Name", name);
    return rc == 0 ? GetTimes(buffer) : rc;
}
