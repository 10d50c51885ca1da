// The ADO driver's interface declarations against the Windows SDK's: every
// method the driver calls sits in the SDK's slot and takes arguments of the
// SDK's widths (checked when this file compiles), so a 64-bit ADO receives
// exactly what the driver passes.
#include <gtest/gtest.h>

#include <array>
#include <cstddef>
#include <cstring>

#include "db/ado_win32.h"
#include "support/ado_sdk_win32.h"

namespace {

// The sizes of a method's result and arguments.
template <typename Method>
struct Widths;
template <typename R, typename C, typename... A>
struct Widths<R (C::*)(A...)> {
    static constexpr std::array<std::size_t, sizeof...(A) + 1> sizes{sizeof(R), sizeof(A)...};
};

template <typename Ours, typename Sdk>
constexpr bool SameWidths() {
    constexpr auto ours = Widths<Ours>::sizes;
    constexpr auto sdk = Widths<Sdk>::sizes;
    if (ours.size() != sdk.size()) return false;
    for (std::size_t i = 0; i < ours.size(); ++i) {
        if (ours[i] != sdk[i]) return false;
    }
    return true;
}

// A virtual method's slot: g++ keeps one plus its byte offset in the
// vtable in the first word of the member pointer.
template <typename Method>
std::ptrdiff_t SlotOf(Method method) {
    std::ptrdiff_t words[2];
    static_assert(sizeof(method) == sizeof(words));
    std::memcpy(words, &method, sizeof(words));
    return (words[0] - 1) / static_cast<std::ptrdiff_t>(sizeof(void*));
}

struct Row {
    const char* name;
    std::ptrdiff_t ours;
    std::ptrdiff_t sdk;
};

template <auto Ours, auto Sdk>
Row Check(const char* name) {
    static_assert(SameWidths<decltype(Ours), decltype(Sdk)>(),
                  "a method takes arguments of other widths than the SDK declares");
    return {name, SlotOf(Ours), SlotOf(Sdk)};
}

#define KESTRUN_SAME(ours, sdk, method) \
    Check<&ado::ours::method, &sdk::method>(#ours "::" #method)

TEST(AdoLayoutTest, EveryCalledMethodHasTheSdkSlotAndWidths) {
    const Row rows[] = {
        KESTRUN_SAME(Collection, _ADOCollection, get_Count),
        KESTRUN_SAME(DynaCollection, _ADODynaCollection, Append),
        KESTRUN_SAME(Error, ADOError, get_Number),
        KESTRUN_SAME(Error, ADOError, get_Source),
        KESTRUN_SAME(Error, ADOError, get_Description),
        KESTRUN_SAME(Error, ADOError, get_SQLState),
        KESTRUN_SAME(Error, ADOError, get_NativeError),
        KESTRUN_SAME(Errors, ADOErrors, get_Count),
        KESTRUN_SAME(Errors, ADOErrors, get_Item),
        KESTRUN_SAME(Errors, ADOErrors, Clear),
        KESTRUN_SAME(Field, ADOField, get_Name),
        KESTRUN_SAME(Field, ADOField, get_Type),
        KESTRUN_SAME(Field, ADOField, get_Value),
        KESTRUN_SAME(Fields, ADOFields, get_Count),
        KESTRUN_SAME(Fields, ADOFields, get_Item),
        KESTRUN_SAME(Recordset, _ADORecordset, get_EOF),
        KESTRUN_SAME(Recordset, _ADORecordset, get_Fields),
        KESTRUN_SAME(Recordset, _ADORecordset, Close),
        KESTRUN_SAME(Recordset, _ADORecordset, MoveNext),
        KESTRUN_SAME(Recordset, _ADORecordset, get_State),
        KESTRUN_SAME(Parameter, _ADOParameter, put_Value),
        KESTRUN_SAME(Parameter, _ADOParameter, AppendChunk),
        KESTRUN_SAME(Parameters, ADOParameters, Append),
        KESTRUN_SAME(Command, _ADOCommand, putref_ActiveConnection),
        KESTRUN_SAME(Command, _ADOCommand, put_CommandText),
        KESTRUN_SAME(Command, _ADOCommand, put_CommandTimeout),
        KESTRUN_SAME(Command, _ADOCommand, Execute),
        KESTRUN_SAME(Command, _ADOCommand, CreateParameter),
        KESTRUN_SAME(Command, _ADOCommand, get_Parameters),
        KESTRUN_SAME(Command, _ADOCommand, put_CommandType),
        KESTRUN_SAME(Connection, _ADOConnection, put_ConnectionTimeout),
        KESTRUN_SAME(Connection, _ADOConnection, Close),
        KESTRUN_SAME(Connection, _ADOConnection, Execute),
        KESTRUN_SAME(Connection, _ADOConnection, BeginTrans),
        KESTRUN_SAME(Connection, _ADOConnection, CommitTrans),
        KESTRUN_SAME(Connection, _ADOConnection, RollbackTrans),
        KESTRUN_SAME(Connection, _ADOConnection, Open),
        KESTRUN_SAME(Connection, _ADOConnection, get_Errors),
        KESTRUN_SAME(Connection, _ADOConnection, get_State),
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_GT(row.sdk, 6);
        EXPECT_EQ(row.ours, row.sdk);
    }
}

}  // namespace
