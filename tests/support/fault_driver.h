// A database driver for tests that wraps a real one and fails one chosen
// call the way a server does (a deadlock, a lost connection, a constraint),
// counting every call by kind. Registered as the provider "fault".
#pragma once

#include <array>

// The calls the fault driver counts. Prepare fails a statement before it
// reaches the database; Execute fails it after it ran there.
enum class DBCall { Prepare, Execute, Move, Read, Begin, Commit, Rollback };
constexpr int kDBCallKinds = 7;
const char* DBCallName(DBCall call);

// What the failed call meets:
// - Deadlock: the server chose this transaction as the victim and rolled it
//   back (native error 1205, SQL state 40001);
// - LostConnection: the server is gone with the transaction: the call and
//   every later one fail (native error 10054, SQL state 08S01), and whether
//   a transaction survived cannot be told;
// - Constraint: the statement broke a constraint (native error 547, SQL
//   state 23000); the transaction stays open.
enum class DBFault { Deadlock, LostConnection, Constraint };
const char* DBFaultName(DBFault fault);
// The native error of the fault as the connection reports it.
int DBFaultNativeError(DBFault fault);

// Makes "fault" a provider whose driver wraps a driver of the provider
// inner ("sqlite", "odbc", "ado"), created with the same settings.
void UseFaultDriverOver(const char* inner);
// Fails the at-th call of kind call (from 1) with fault, counting from now;
// at 0 fails nothing.
void ArmDBFault(DBCall call, int at, DBFault fault);
// Calls of each kind counted since the last ArmDBFault.
const std::array<int, kDBCallKinds>& DBCallCounts();
// Whether the armed fault was met.
bool DBFaultMet();
