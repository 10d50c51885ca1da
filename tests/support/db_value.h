// Reading a column of the connection's current row as text in tests, and
// matching column names as the reference readers do.
#pragma once

#include <string>

class CdDBConnection;

// Column index of the current row through GetValue (a test failure when it
// does not answer 0): its text, or "NULL" for a database NULL. *kind, when
// given, receives the kind GetValue reported.
std::string ColumnText(CdDBConnection& connection, int index, int* kind = nullptr);

// Whether two column names are the same name, ASCII letter case ignored: how
// the reference readers find a column by name.
bool SameNameNoCase(const std::string& a, const std::string& b);
