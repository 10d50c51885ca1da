// Loading the fields of a list's members in tests, as a list load does
// after reading identifiers only.
#pragma once

class CS3Index;

// Prepares a read of list and loads its members' fields (LoadMembers over
// idColumn): 0, or the first failure.
int LoadListMembers(CS3Index& list, const char* idColumn);
