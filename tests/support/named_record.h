// A record class for the record-layer tests: a row of a table with a Name
// column and the creation and update times, numbered, when it has one,
// from the counter row of its ID counter table.
#pragma once

#include <string>

#include "cs3base/field_value.h"
#include "cs3base/record.h"

class NamedRecord : public CS3Object {
public:
    // Rows of table; counter names the ID counter table ("": none), whose
    // row for this record has TABLENAME counterKey (the table unless
    // changed). textKeys: the identifier is a text key (generated keys).
    explicit NamedRecord(std::string table, std::string counter = "", bool textKeys = false);

    int TableName(NUString& buffer) override;
    int IdTableName(NUString& buffer) override;
    int AddIdTableConditions(CS3DataDB& buffer) override;
    int PutFields(CS3DataDB& buffer) override;
    int GetFields(CS3Data& buffer) override;

    CS3LongStr name;
    std::string table, counter, counterKey;
};
