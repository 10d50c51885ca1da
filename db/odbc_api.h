// The ODBC driver manager's entry points the ODBC driver calls, loaded when
// the driver is first opened rather than at the start of every process.
#pragma once

#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>

#include <string>

#define KESTRUN_ODBC_FUNCTIONS(X)                                                              \
    X(SQLAllocHandle) X(SQLBindParameter) X(SQLDescribeColW) X(SQLDisconnect)                  \
    X(SQLDriverConnectW) X(SQLEndTran) X(SQLExecDirect) X(SQLExecDirectW) X(SQLFetch)          \
    X(SQLFreeHandle) X(SQLGetConnectAttr) X(SQLGetData) X(SQLGetDiagRecW) X(SQLGetInfoW)       \
    X(SQLNumResultCols) X(SQLParamData) X(SQLPutData) X(SQLRowCount) X(SQLSetConnectAttr)      \
    X(SQLSetEnvAttr) X(SQLSetStmtAttr)

struct OdbcApi {
#define KESTRUN_ODBC_MEMBER(name) decltype(&::name) name;
    KESTRUN_ODBC_FUNCTIONS(KESTRUN_ODBC_MEMBER)
#undef KESTRUN_ODBC_MEMBER
};

// The entry points, loaded once (each platform's file); null with *error
// naming the library and the reason when it cannot be loaded.
const OdbcApi* LoadOdbcApi(std::string* error);
