// The ADO interfaces the ADO driver calls, declared by their documented
// identifiers and slot order. Slots the driver never calls are declared as
// placeholders so every called method keeps its place in the table.
#pragma once

#include <windows.h>

#include <oaidl.h>
#include <objbase.h>
#include <oleauto.h>

namespace ado {

// Class and interface identifiers.
constexpr GUID kConnectionClass = {
    0x00000514, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x6D, 0x2E, 0xA4}};
constexpr GUID kConnectionInterface = {
    0x00000550, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x6D, 0x2E, 0xA4}};
constexpr GUID kCommandClass = {
    0x00000507, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x6D, 0x2E, 0xA4}};
constexpr GUID kCommandInterface = {
    0xB08400BD, 0xF9D1, 0x4D02, {0xB8, 0x56, 0x71, 0xD5, 0xDB, 0xA1, 0x23, 0xE9}};

// Values the driver passes or reads.
constexpr long kStateOpen = 1;
constexpr long kCommandText = 1;
constexpr long kCommandProcedure = 4;
constexpr long kExecuteText = 8;
constexpr long kExecuteProcedure = 4;
constexpr long kParamInput = 1;
constexpr long kTypeInteger = 3;
constexpr long kTypeChar = 129;
constexpr long kTypeLongWText = 203;
// The error ADO returns for an unknown field name or index.
constexpr HRESULT kItemNotFound = static_cast<HRESULT>(0x800A0CC1);

#define KESTRUN_ADO_UNUSED(n) virtual HRESULT STDMETHODCALLTYPE Unused##n() = 0

struct Properties;

struct Base : public IDispatch {
    KESTRUN_ADO_UNUSED(Properties);
};

struct Collection : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE get_Count(long* count) = 0;
    KESTRUN_ADO_UNUSED(NewEnum);
    KESTRUN_ADO_UNUSED(Refresh);
};

struct DynaCollection : public Collection {
    virtual HRESULT STDMETHODCALLTYPE Append(IDispatch* object) = 0;
    KESTRUN_ADO_UNUSED(Delete);
};

struct Error : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE get_Number(long* number) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Source(BSTR* source) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Description(BSTR* description) = 0;
    KESTRUN_ADO_UNUSED(HelpFile);
    KESTRUN_ADO_UNUSED(HelpContext);
    virtual HRESULT STDMETHODCALLTYPE get_SQLState(BSTR* state) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_NativeError(long* error) = 0;
};

struct Errors : public Collection {
    virtual HRESULT STDMETHODCALLTYPE get_Item(VARIANT index, Error** item) = 0;
    virtual HRESULT STDMETHODCALLTYPE Clear() = 0;
};

struct Field : public Base {
    KESTRUN_ADO_UNUSED(ActualSize);
    KESTRUN_ADO_UNUSED(Attributes);
    KESTRUN_ADO_UNUSED(DefinedSize);
    virtual HRESULT STDMETHODCALLTYPE get_Name(BSTR* name) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Type(long* type) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Value(VARIANT* value) = 0;
};

struct Fields : public Collection {
    virtual HRESULT STDMETHODCALLTYPE get_Item(VARIANT index, Field** item) = 0;
};

struct Recordset : public Base {
    KESTRUN_ADO_UNUSED(1);
    KESTRUN_ADO_UNUSED(2);
    KESTRUN_ADO_UNUSED(3);
    KESTRUN_ADO_UNUSED(4);
    KESTRUN_ADO_UNUSED(5);
    KESTRUN_ADO_UNUSED(6);
    KESTRUN_ADO_UNUSED(7);
    KESTRUN_ADO_UNUSED(8);
    KESTRUN_ADO_UNUSED(9);
    KESTRUN_ADO_UNUSED(10);
    KESTRUN_ADO_UNUSED(11);
    KESTRUN_ADO_UNUSED(12);
    virtual HRESULT STDMETHODCALLTYPE get_EOF(VARIANT_BOOL* eof) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Fields(Fields** fields) = 0;
    KESTRUN_ADO_UNUSED(15);
    KESTRUN_ADO_UNUSED(16);
    KESTRUN_ADO_UNUSED(17);
    KESTRUN_ADO_UNUSED(18);
    KESTRUN_ADO_UNUSED(19);
    KESTRUN_ADO_UNUSED(20);
    KESTRUN_ADO_UNUSED(21);
    KESTRUN_ADO_UNUSED(22);
    KESTRUN_ADO_UNUSED(23);
    KESTRUN_ADO_UNUSED(24);
    virtual HRESULT STDMETHODCALLTYPE Close() = 0;
    KESTRUN_ADO_UNUSED(26);
    KESTRUN_ADO_UNUSED(27);
    KESTRUN_ADO_UNUSED(28);
    virtual HRESULT STDMETHODCALLTYPE MoveNext() = 0;
    KESTRUN_ADO_UNUSED(30);
    KESTRUN_ADO_UNUSED(31);
    KESTRUN_ADO_UNUSED(32);
    KESTRUN_ADO_UNUSED(33);
    KESTRUN_ADO_UNUSED(34);
    KESTRUN_ADO_UNUSED(35);
    KESTRUN_ADO_UNUSED(36);
    KESTRUN_ADO_UNUSED(37);
    KESTRUN_ADO_UNUSED(38);
    KESTRUN_ADO_UNUSED(39);
    KESTRUN_ADO_UNUSED(40);
    KESTRUN_ADO_UNUSED(41);
    KESTRUN_ADO_UNUSED(42);
    KESTRUN_ADO_UNUSED(43);
    KESTRUN_ADO_UNUSED(44);
    KESTRUN_ADO_UNUSED(45);
    KESTRUN_ADO_UNUSED(46);
    KESTRUN_ADO_UNUSED(47);
    virtual HRESULT STDMETHODCALLTYPE get_State(long* state) = 0;
};

struct Connection;

struct Parameter : public Base {
    KESTRUN_ADO_UNUSED(GetName);
    KESTRUN_ADO_UNUSED(PutName);
    KESTRUN_ADO_UNUSED(GetValue);
    virtual HRESULT STDMETHODCALLTYPE put_Value(VARIANT value) = 0;
    KESTRUN_ADO_UNUSED(GetType);
    KESTRUN_ADO_UNUSED(PutType);
    KESTRUN_ADO_UNUSED(PutDirection);
    KESTRUN_ADO_UNUSED(GetDirection);
    KESTRUN_ADO_UNUSED(PutPrecision);
    KESTRUN_ADO_UNUSED(GetPrecision);
    KESTRUN_ADO_UNUSED(PutNumericScale);
    KESTRUN_ADO_UNUSED(GetNumericScale);
    KESTRUN_ADO_UNUSED(PutSize);
    KESTRUN_ADO_UNUSED(GetSize);
    virtual HRESULT STDMETHODCALLTYPE AppendChunk(VARIANT value) = 0;
};

struct Parameters : public DynaCollection {
    KESTRUN_ADO_UNUSED(Item);
};

struct Command : public Base {
    KESTRUN_ADO_UNUSED(GetActiveConnection);
    virtual HRESULT STDMETHODCALLTYPE putref_ActiveConnection(Connection* connection) = 0;
    KESTRUN_ADO_UNUSED(PutActiveConnection);
    KESTRUN_ADO_UNUSED(GetCommandText);
    virtual HRESULT STDMETHODCALLTYPE put_CommandText(BSTR text) = 0;
    KESTRUN_ADO_UNUSED(GetCommandTimeout);
    virtual HRESULT STDMETHODCALLTYPE put_CommandTimeout(long seconds) = 0;
    KESTRUN_ADO_UNUSED(GetPrepared);
    KESTRUN_ADO_UNUSED(PutPrepared);
    virtual HRESULT STDMETHODCALLTYPE Execute(VARIANT* recordsAffected, VARIANT* parameters,
                                              long options, Recordset** recordset) = 0;
    // size is pointer-wide, as ADO declares it (ADO_LONGPTR).
    virtual HRESULT STDMETHODCALLTYPE CreateParameter(BSTR name, long type, long direction,
                                                      LONG_PTR size, VARIANT value,
                                                      Parameter** parameter) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Parameters(Parameters** parameters) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_CommandType(long type) = 0;
};

struct Connection : public Base {
    KESTRUN_ADO_UNUSED(GetConnectionString);
    KESTRUN_ADO_UNUSED(PutConnectionString);
    KESTRUN_ADO_UNUSED(GetCommandTimeout);
    KESTRUN_ADO_UNUSED(PutCommandTimeout);
    KESTRUN_ADO_UNUSED(GetConnectionTimeout);
    virtual HRESULT STDMETHODCALLTYPE put_ConnectionTimeout(long seconds) = 0;
    KESTRUN_ADO_UNUSED(GetVersion);
    virtual HRESULT STDMETHODCALLTYPE Close() = 0;
    virtual HRESULT STDMETHODCALLTYPE Execute(BSTR text, VARIANT* recordsAffected, long options,
                                              Recordset** recordset) = 0;
    virtual HRESULT STDMETHODCALLTYPE BeginTrans(long* level) = 0;
    virtual HRESULT STDMETHODCALLTYPE CommitTrans() = 0;
    virtual HRESULT STDMETHODCALLTYPE RollbackTrans() = 0;
    virtual HRESULT STDMETHODCALLTYPE Open(BSTR connectionString, BSTR user, BSTR password,
                                           long options) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Errors(Errors** errors) = 0;
    KESTRUN_ADO_UNUSED(GetDefaultDatabase);
    KESTRUN_ADO_UNUSED(PutDefaultDatabase);
    KESTRUN_ADO_UNUSED(GetIsolationLevel);
    KESTRUN_ADO_UNUSED(PutIsolationLevel);
    KESTRUN_ADO_UNUSED(GetAttributes);
    KESTRUN_ADO_UNUSED(PutAttributes);
    KESTRUN_ADO_UNUSED(GetCursorLocation);
    KESTRUN_ADO_UNUSED(PutCursorLocation);
    KESTRUN_ADO_UNUSED(GetMode);
    KESTRUN_ADO_UNUSED(PutMode);
    KESTRUN_ADO_UNUSED(GetProvider);
    KESTRUN_ADO_UNUSED(PutProvider);
    virtual HRESULT STDMETHODCALLTYPE get_State(long* state) = 0;
};

#undef KESTRUN_ADO_UNUSED

}  // namespace ado
