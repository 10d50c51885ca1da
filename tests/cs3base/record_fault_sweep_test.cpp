// The record layer and the session with each driver call of an operation
// failed in turn, as a server fails it: the caller must hear of it, the
// failure must be traced, and nothing of the operation may be committed.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>

#include "cs3base/ordered_list.h"
#include "cs3base/record_io.h"
#include "cs3base/record_list.h"
#include "db/session.h"
#include "env/environment.h"
#include "support/fault_driver.h"
#include "support/named_record.h"
#include "support/odbc_driver.h"
#include "support/scripted_ado.h"
#include "support/session_db.h"
#include "support/sqlite_db.h"
#include "support/temp_dir.h"
#include "support/test_platform.h"
#include "support/trace_text.h"

namespace {

const char kSchema[] =
    "DROP TABLE IF EXISTS T_ITEM; DROP TABLE IF EXISTS T_ITEMID;"
    "CREATE TABLE T_ITEM (SID_CORPORATE INT NOT NULL, ID INT NOT NULL, Name NVARCHAR(63),"
    " SEQNO INT, cretime NVARCHAR(14), updtime NVARCHAR(14), PRIMARY KEY (SID_CORPORATE, ID));"
    "CREATE TABLE T_ITEMID (SID_CORPORATE INT NOT NULL, TABLENAME NVARCHAR(32) NOT NULL,"
    " LASTID INT, PRIMARY KEY (SID_CORPORATE, TABLENAME));"
    "INSERT INTO T_ITEM (SID_CORPORATE, ID, Name, SEQNO) VALUES (1,1,'A',1),(1,2,'B',2),"
    " (1,3,'C',3),(1,4,'D',4),(1,5,'E',5),(1,6,'F',6);"
    "INSERT INTO T_ITEMID VALUES (1, 'T_ITEM', 6);";

// A row of T_ITEM, numbered from the counter row of T_ITEMID.
class Item : public NamedRecord {
public:
    Item() : NamedRecord("T_ITEM", "T_ITEMID") {}
};

class Items : public CS3DBIndex {
public:
    int TableName(NUString& buffer) override { return buffer.Set("T_ITEM"); }
    int PrepareSelect(CS3DataDB& buffer) override {
        return AppendItem(buffer.OrderList(), "ID", "1", kItemNumber);
    }
    CS3Object* NewItem() override { return new Item(); }
};

// One operation: its result code, and what it gave the caller.
using Operation = std::function<int(std::string* got)>;

int Write(int operation, const char* id, const char* name) {
    Item item;
    item.name.Set(name);
    CS3DataIO io;
    if (operation == 2) {
        int rc = io.PrepareUpdate(item, id);
        return rc == 0 ? io.Update(item, id) : rc;
    }
    int rc = io.PrepareDelete(item, id);
    return rc == 0 ? io.Delete(item, id) : rc;
}

const struct {
    const char* name;
    Operation run;
} kOperations[] = {
    {"load",
     [](std::string* got) {
         Item item;
         int rc = item.LoadById(3);
         *got = item.name.Value();
         return rc;
     }},
    {"list page",
     [](std::string* got) {
         Items list;
         list.SetPage(2, 2);
         int rc = list.LoadFirst();
         for (int i = 0; i < list.ItemCount(); ++i) {
             auto* item = static_cast<Item*>(list.ItemAt(i));
             if (item) *got += std::to_string(item->IdInt()) + item->name.Value() + " ";
         }
         return rc;
     }},
    {"insert with a new key",
     [](std::string* got) {
         Item counter, item;
         item.name.Set("G");
         CS3DataIO io;
         int rc = io.InsertWithNextId(counter, item);
         *got = item.IdText();
         return rc;
     }},
    {"update", [](std::string*) { return Write(2, "3", "Z"); }},
    {"delete", [](std::string*) { return Write(3, "4", ""); }},
    {"counter",
     [](std::string* got) {
         Item counter;
         CS3DataIO io;
         int value = io.NextId(counter);
         *got = std::to_string(value);
         return value > 0 ? 0 : value;
     }},
    {"ordered move",
     [](std::string*) {
         // A row on each side of the target.
         Items list;
         const char* ids[] = {"1", "6"};
         return list.MoveItems(ids, 2, "3", '+');
     }},
    {"lock, update and delete",
     [](std::string*) {
         int rc = DBLockTable("T_ITEM");
         if (rc == 0) rc = Write(2, "1", "Y");
         return rc == 0 ? Write(3, "6", "") : rc;
     }},
};

// The calls a fault is met at, with the errors a server gives there.
const struct {
    DBCall call;
    std::vector<DBFault> faults;
} kCalls[] = {
    {DBCall::Prepare, {DBFault::LostConnection, DBFault::Constraint}},
    {DBCall::Execute, {DBFault::Deadlock, DBFault::LostConnection}},
    {DBCall::Move, {DBFault::Deadlock, DBFault::LostConnection, DBFault::Overflow}},
    {DBCall::Read, {DBFault::LostConnection, DBFault::Overflow}},
    {DBCall::Begin, {DBFault::LostConnection}},
    {DBCall::Commit, {DBFault::Deadlock, DBFault::LostConnection}},
    {DBCall::Rollback, {DBFault::LostConnection}},
};

class RecordFaultSweep : public ::testing::Test {
protected:
    void TearDown() override { ReleaseEnvironment(); }

    // The rows and the counter as a second connection reads them.
    std::string Stored() {
        return SqliteScalar(SessionDbPath(dir),
                            "select (select group_concat(ID || Name || SEQNO, ' ') from (select *"
                            " from T_ITEM order by ID)) || ' / ' || (select LASTID from T_ITEMID)");
    }

    // Runs operation on a fresh database as a run does: commit when it
    // succeeded, else roll back; with rollBack, a later step of the run
    // failed and it rolls back anyway. Returns the caller's code.
    int Run(const Operation& operation, std::string* got, DBCall call = DBCall::Prepare,
            int at = 0, DBFault fault = DBFault::Deadlock) {
        ReleaseEnvironment();
        EXPECT_EQ(OpenSessionDb(dir, kSchema, settings), "");
        ArmDBFault(call, at, fault);
        bool rollBack = at > 0 && call == DBCall::Rollback;
        int rc = operation(got);
        if (rc == 0 && !rollBack) rc = DBCommit();
        if (rc != 0 || rollBack) DBRollback(rc);
        return rc;
    }

    std::string Trace() {
        CMSioObjApp* env = AppEnvironment();
        return env ? DecodeTrace(env->ErrorTrace().Get()) : "";
    }

    // Settings of the fault provider with SQLite's ODBC driver underneath.
    void UseOdbcDriver() {
        const char kDriver[] = "SQLite3 Test";
        if (OnWindows()) {
            // Under Wine the host's driver manager reads the driver list of
            // the environment Wine started with, which names the driver so.
            const char* named = std::getenv("KESTRUN_SQLITE_ODBC_DRIVER");
            ASSERT_STREQ(named ? named : "", kDriver);
        } else {
            std::string library = FindOdbcLibrary("libsqlite3odbc.so");
            if (library.empty()) GTEST_SKIP() << "SQLite's ODBC driver is not installed";
            ASSERT_TRUE(RegisterOdbcDriver(dir, kDriver, library));
        }
        settings = std::string("dbprovider=fault\ndbdriver=") + kDriver +
                   "\ndbname=" + HostFilePath(SessionDbPath(dir)) + "\n";
    }

    void Sweep() {
        if (IsSkipped() || HasFatalFailure()) return;
        ASSERT_EQ(OpenSessionDb(dir, kSchema, settings), "");
        const std::string pristine = Stored();
        for (const auto& operation : kOperations) {
            std::string clean;
            ASSERT_EQ(Run(operation.run, &clean), 0) << operation.name << Trace();
            const std::string changed = Stored();
            std::array<int, kDBCallKinds> calls = DBCallCounts();
            // A run that fails after the operation: its rollback fails.
            calls[static_cast<int>(DBCall::Rollback)] = changed == pristine ? 0 : 1;
            for (const auto& kind : kCalls) {
                for (int at = 1; at <= calls[static_cast<int>(kind.call)]; ++at) {
                    for (DBFault fault : kind.faults) {
                        SCOPED_TRACE(std::string(operation.name) + ": " + DBCallName(kind.call) +
                                     " " + std::to_string(at) + " of " +
                                     std::to_string(calls[static_cast<int>(kind.call)]) +
                                     " fails with a " + DBFaultName(fault));
                        std::string got;
                        bool rollBack = kind.call == DBCall::Rollback;
                        int rc = Run(operation.run, &got, kind.call, at, fault);
                        EXPECT_TRUE(DBFaultMet());
                        std::string trace = Trace();
                        std::string stored = Stored();
                        // A failed value that nothing read, or a failed
                        // move past the rows a read used outside any
                        // transaction, may pass unseen: then the result
                        // is whole.
                        if (rc == 0 && !rollBack &&
                            (kind.call == DBCall::Read || changed == pristine)) {
                            EXPECT_EQ(got, clean);
                            EXPECT_EQ(stored, changed);
                            continue;
                        }
                        EXPECT_TRUE(rollBack || rc != 0) << trace;
                        EXPECT_EQ(stored, pristine) << trace;
                        DBDriverError error = DBFaultError(fault);
                        EXPECT_TRUE(trace.find("[" + std::to_string(error.nativeError) + "]") !=
                                        std::string::npos ||
                                    trace.find(error.description) != std::string::npos ||
                                    trace.find("[" + std::to_string(rc) + "]") != std::string::npos)
                            << rc << "\n" << trace;
                    }
                }
            }
        }
    }

    TempDir dir;
    std::string settings;
};

TEST_F(RecordFaultSweep, EmbeddedSqlite) {
    SKIP_WITHOUT_SQLITE();
    settings = "dbprovider=fault\n";
    UseFaultDriverOver("sqlite");
    Sweep();
}

TEST_F(RecordFaultSweep, SqliteOdbc) {
    SKIP_WITHOUT_SQLITE_FILES();
    UseOdbcDriver();
    UseFaultDriverOver("odbc");
    Sweep();
}

// The ADO driver's answers come from the same database through SQLite's
// ODBC driver.
TEST_F(RecordFaultSweep, AdoStandin) {
    SKIP_WITHOUT_SQLITE_FILES();
    if (!UseFaultDriverOverScriptedAdo()) GTEST_SKIP() << "ADO is Windows's own";
    UseOdbcDriver();
    Sweep();
}

}  // namespace
