// The fault driver over the ADO driver and the tests' in-process ADO, whose
// answers come from SQLite's ODBC driver on the test database (Windows).
#pragma once

// Makes "fault" such a provider; false where the platform has no ADO.
bool UseFaultDriverOverScriptedAdo();
