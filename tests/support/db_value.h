// Reading a column of the connection's current row as text in tests.
#pragma once

#include <string>

class CdDBConnection;

// Column index of the current row through GetValue (a test failure when it
// does not answer 0): its text, or "NULL" for a database NULL. *kind, when
// given, receives the kind GetValue reported.
std::string ColumnText(CdDBConnection& connection, int index, int* kind = nullptr);
