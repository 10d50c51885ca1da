// A database driver for tests that wraps a real one and fails one chosen
// call the way a server does (a deadlock, a lost connection, a constraint),
// counting every call by kind. Registered as the provider "fault".
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "db/driver.h"

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
//   state 23000); the transaction stays open;
// - Overflow: a value could not be converted (native error 8115, SQL state
//   22003); the transaction stays open.
enum class DBFault { Deadlock, LostConnection, Constraint, Overflow };
const char* DBFaultName(DBFault fault);
// The error the fault gives.
DBDriverError DBFaultError(DBFault fault);

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

// A statement's result on the shadow database, to be scripted as the
// answer of a driver whose database is a stand-in.
struct DBShadowAnswer {
    int failure = 0;  // the shadow's failure (0: none), with its error
    DBDriverError error;
    bool rows = false;  // the statement gave a record set
    std::vector<std::string> columns;
    std::vector<std::vector<std::optional<std::string>>> values;
    long long affected = -1;
};
// What the stand-in's script takes from the fault driver.
struct DBScriptHooks {
    // The answer of the statement the inner driver runs next.
    void (*answer)(const DBShadowAnswer& answer);
    // The server ended the transaction by itself.
    void (*serverRollback)();
};
// As UseFaultDriverOver, for an inner driver whose database is scripted:
// each statement, transaction step and server rollback goes to a driver of
// the provider shadow on the real database first, and its result becomes
// the inner driver's answer through hooks. After a server rollback the
// shadow commits each statement, as a server does outside a transaction.
void UseFaultDriverOverScripted(const char* inner, const char* shadow, DBScriptHooks hooks);
