// The tests' in-process ADO, built on the SDK's own vtable declarations so
// that the driver's view of the interfaces is checked against them: methods
// the driver calls are implemented, every other slot returns E_NOTIMPL.
#define CINTERFACE
#include "support/ado_standin_win32.h"

#include <cstring>

#include "support/ado_sdk_win32.h"

namespace {

// ADO's class and interface identifiers, as documented.
constexpr GUID kConnectionClass = {
    0x00000514, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x6D, 0x2E, 0xA4}};
constexpr GUID kConnectionInterface = {
    0x00000550, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x6D, 0x2E, 0xA4}};
constexpr GUID kCommandClass = {
    0x00000507, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x6D, 0x2E, 0xA4}};
constexpr GUID kCommandInterface = {
    0xB08400BD, 0xF9D1, 0x4D02, {0xB8, 0x56, 0x71, 0xD5, 0xDB, 0xA1, 0x23, 0xE9}};
// Any other interface the objects answer for besides IUnknown and IDispatch.
constexpr GUID kNoInterface = {};

constexpr HRESULT kItemNotFound = static_cast<HRESULT>(0x800A0CC1);
constexpr HRESULT kBeyondEnd = static_cast<HRESULT>(0x800A0BCD);

AdoStandin standin;

std::string Narrow(BSTR text) {
    UINT units = text ? SysStringLen(text) : 0;
    if (units == 0) return {};
    int bytes = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(units), nullptr, 0,
                                    nullptr, nullptr);
    std::string out(static_cast<size_t>(bytes > 0 ? bytes : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(units), out.data(), bytes, nullptr,
                        nullptr);
    return out;
}

BSTR Bstr(const std::u16string& text) {
    return SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()),
                             static_cast<UINT>(text.size()));
}

// The common head of every object: its vtable, references and the
// interface it works as.
struct Object {
    const void* lpVtbl;
    LONG refs = 1;
    const GUID* iid;
    void (*destroy)(Object*);
    Object* owner = nullptr;  // held while this object lives
};

template <typename This>
ULONG STDMETHODCALLTYPE AddRef(This* self) {
    return static_cast<ULONG>(InterlockedIncrement(&reinterpret_cast<Object*>(self)->refs));
}

template <typename This>
ULONG STDMETHODCALLTYPE Release(This* self) {
    Object* object = reinterpret_cast<Object*>(self);
    LONG left = InterlockedDecrement(&object->refs);
    if (left == 0) {
        Object* owner = object->owner;
        object->destroy(object);
        if (owner) Release(owner);
    }
    return static_cast<ULONG>(left);
}

template <typename This>
HRESULT STDMETHODCALLTYPE QueryInterface(This* self, REFIID iid, void** out) {
    Object* object = reinterpret_cast<Object*>(self);
    if (IsEqualGUID(iid, IID_IUnknown) || IsEqualGUID(iid, IID_IDispatch) ||
        IsEqualGUID(iid, *object->iid)) {
        AddRef(self);
        *out = self;
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE NotImplemented() { return E_NOTIMPL; }

// A vtable whose every slot returns E_NOTIMPL, with IUnknown in place.
template <typename Vtbl>
Vtbl Unimplemented() {
    Vtbl table;
    void** slots = reinterpret_cast<void**>(&table);
    for (size_t i = 0; i < sizeof(Vtbl) / sizeof(void*); ++i) {
        slots[i] = reinterpret_cast<void*>(&NotImplemented);
    }
    table.QueryInterface = &QueryInterface;
    table.AddRef = &AddRef;
    table.Release = &Release;
    return table;
}

template <typename T>
T* New(const void* vtable, const GUID& iid) {
    T* object = new T();
    object->lpVtbl = vtable;
    object->iid = &iid;
    object->destroy = [](Object* o) { delete static_cast<T*>(o); };
    return object;
}

// A new object that holds owner while it lives.
template <typename T>
T* NewHolding(const void* vtable, Object* owner) {
    T* object = New<T>(vtable, kNoInterface);
    object->owner = owner;
    AddRef(owner);
    return object;
}

template <typename Interface>
Interface* As(Object* object) {
    return reinterpret_cast<Interface*>(object);
}

template <typename T, typename This>
T* From(This* self) {
    return static_cast<T*>(reinterpret_cast<Object*>(self));
}

// --- Connection and its Errors -------------------------------------------

struct RecordsetObject;

struct ConnectionObject : Object {
    bool open = false;
    std::vector<AdoStandinError> errors;
    bool transaction = false;        // BeginTrans called, not yet ended
    bool serverTransaction = false;  // the server still has it
    std::vector<RecordsetObject*> sets;  // record sets alive on the connection
};

struct ErrorsObject : Object {
    ConnectionObject* connection;
};

struct ErrorObject : Object {
    AdoStandinError error;
};

// Applies an answer: a failure fills the Errors collection and the error
// information. Returns the answer's result.
HRESULT Answer(ConnectionObject* connection, const AdoStandinAnswer& answer) {
    if (connection) connection->errors = answer.errors;
    ICreateErrorInfo* create = nullptr;
    if (!answer.infoDescription.empty() && SUCCEEDED(CreateErrorInfo(&create))) {
        BSTR source = Bstr(answer.infoSource);
        BSTR description = Bstr(answer.infoDescription);
        create->lpVtbl->SetSource(create, source);
        create->lpVtbl->SetDescription(create, description);
        SysFreeString(source);
        SysFreeString(description);
        IErrorInfo* info = nullptr;
        create->lpVtbl->QueryInterface(create, IID_IErrorInfo, reinterpret_cast<void**>(&info));
        SetErrorInfo(0, info);
        if (info) info->lpVtbl->Release(info);
        create->lpVtbl->Release(create);
    } else {
        SetErrorInfo(0, nullptr);
    }
    return static_cast<HRESULT>(answer.result);
}

template <typename T>
T Next(std::deque<T>* answers) {
    if (answers->empty()) return T();
    T answer = std::move(answers->front());
    answers->pop_front();
    return answer;
}

template <std::u16string AdoStandinError::*Text>
HRESULT STDMETHODCALLTYPE ErrorText(ADOError* self, BSTR* out) {
    *out = Bstr(From<ErrorObject>(self)->error.*Text);
    return S_OK;
}

template <long AdoStandinError::*Number>
HRESULT STDMETHODCALLTYPE ErrorNumber(ADOError* self, long* out) {
    *out = From<ErrorObject>(self)->error.*Number;
    return S_OK;
}

const ErrorVtbl kErrorVtbl = [] {
    ErrorVtbl t = Unimplemented<ErrorVtbl>();
    t.get_Number = &ErrorNumber<&AdoStandinError::number>;
    t.get_Source = &ErrorText<&AdoStandinError::source>;
    t.get_Description = &ErrorText<&AdoStandinError::description>;
    t.get_SQLState = &ErrorText<&AdoStandinError::sqlState>;
    t.get_NativeError = &ErrorNumber<&AdoStandinError::nativeError>;
    return t;
}();

const ErrorsVtbl kErrorsVtbl = [] {
    ErrorsVtbl t = Unimplemented<ErrorsVtbl>();
    t.get_Count = [](ADOErrors* self, long* out) {
        *out = static_cast<long>(From<ErrorsObject>(self)->connection->errors.size());
        return S_OK;
    };
    t.get_Item = [](ADOErrors* self, VARIANT index, ADOError** out) {
        const auto& errors = From<ErrorsObject>(self)->connection->errors;
        if (index.vt != VT_I4 || index.lVal < 0 ||
            static_cast<size_t>(index.lVal) >= errors.size()) {
            return kItemNotFound;
        }
        ErrorObject* item = New<ErrorObject>(&kErrorVtbl, kNoInterface);
        item->error = errors[static_cast<size_t>(index.lVal)];
        *out = As<ADOError>(item);
        return S_OK;
    };
    t.Clear = [](ADOErrors* self) {
        From<ErrorsObject>(self)->connection->errors.clear();
        return S_OK;
    };
    return t;
}();

// A server rollback the script announced reaches the connection's next call.
void TakeServerRollback(ConnectionObject* connection) {
    if (standin.serverRollback && connection) connection->serverTransaction = false;
    standin.serverRollback = false;
}

// A deadlock victim's transaction is rolled back by the server.
void EndOnDeadlock(ConnectionObject* connection, const AdoStandinAnswer& answer) {
    for (const AdoStandinError& error : answer.errors) {
        if (error.nativeError == 1205 && connection) connection->serverTransaction = false;
    }
}

AdoStandinAnswer ProviderFailure(long native, const char16_t* state, const char16_t* text) {
    AdoStandinAnswer answer;
    answer.result = static_cast<long>(E_FAIL);
    AdoStandinError error;
    error.number = static_cast<long>(E_FAIL);
    error.source = u"Microsoft OLE DB Provider for SQL Server";
    error.description = text;
    error.sqlState = state;
    error.nativeError = native;
    answer.errors.push_back(error);
    return answer;
}

// --- Record sets ------------------------------------------------------------

struct RecordsetObject : Object {
    AdoStandinResult result;
    size_t row = 0;
    bool open = true;
    ConnectionObject* connection = nullptr;
};

// The connection cannot serve another call: a transaction is open and a
// record set on it still has rows unread.
bool Busy(ConnectionObject* connection) {
    if (!connection || !connection->transaction) return false;
    for (const RecordsetObject* set : connection->sets) {
        if (set->open && set->row < set->result.rows.size()) return true;
    }
    return false;
}

HRESULT BusyAnswer(ConnectionObject* connection) {
    return Answer(connection,
                  ProviderFailure(0, u"HY000",
                                  u"Cannot create new connection because in manual or "
                                  u"distributed transaction mode."));
}

struct FieldsObject : Object {
    RecordsetObject* recordset;
};

struct FieldObject : Object {
    RecordsetObject* recordset;
    size_t column;
};

const FieldVtbl kFieldVtbl = [] {
    FieldVtbl t = Unimplemented<FieldVtbl>();
    t.get_Name = [](ADOField* self, BSTR* out) {
        FieldObject* field = From<FieldObject>(self);
        *out = Bstr(field->recordset->result.columns[field->column].name);
        return S_OK;
    };
    t.get_Type = [](ADOField* self, DataTypeEnum* out) {
        FieldObject* field = From<FieldObject>(self);
        *out = static_cast<DataTypeEnum>(field->recordset->result.columns[field->column].type);
        return S_OK;
    };
    t.get_Value = [](ADOField* self, VARIANT* out) {
        FieldObject* field = From<FieldObject>(self);
        RecordsetObject* set = field->recordset;
        if (set->row >= set->result.rows.size()) return kBeyondEnd;
        standin.lastRowRead = static_cast<long>(set->row);
        const AdoStandinValue& value = set->result.rows[set->row][field->column];
        if (value.kind == AdoStandinValue::Kind::Failure) return static_cast<HRESULT>(value.number);
        VariantInit(out);
        switch (value.kind) {
        case AdoStandinValue::Kind::Null:
            out->vt = VT_NULL;
            break;
        case AdoStandinValue::Kind::Text:
            out->vt = VT_BSTR;
            out->bstrVal = Bstr(value.text);
            break;
        case AdoStandinValue::Kind::Number:
            out->vt = VT_I4;
            out->lVal = value.number;
            break;
        case AdoStandinValue::Kind::Binary: {
            SAFEARRAY* bytes = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(value.bytes.size()));
            void* data = nullptr;
            SafeArrayAccessData(bytes, &data);
            std::memcpy(data, value.bytes.data(), value.bytes.size());
            SafeArrayUnaccessData(bytes);
            out->vt = VT_ARRAY | VT_UI1;
            out->parray = bytes;
            break;
        }
        case AdoStandinValue::Kind::Failure:
            break;
        }
        return S_OK;
    };
    return t;
}();

const FieldsVtbl kFieldsVtbl = [] {
    FieldsVtbl t = Unimplemented<FieldsVtbl>();
    t.get_Count = [](ADOFields* self, long* out) {
        *out = static_cast<long>(From<FieldsObject>(self)->recordset->result.columns.size());
        return S_OK;
    };
    t.get_Item = [](ADOFields* self, VARIANT index, ADOField** out) {
        RecordsetObject* set = From<FieldsObject>(self)->recordset;
        const auto& columns = set->result.columns;
        if (index.vt != VT_I4 || index.lVal < 0 ||
            static_cast<size_t>(index.lVal) >= columns.size()) {
            return kItemNotFound;
        }
        FieldObject* field = NewHolding<FieldObject>(&kFieldVtbl, set);
        field->recordset = set;
        field->column = static_cast<size_t>(index.lVal);
        *out = As<ADOField>(field);
        return S_OK;
    };
    return t;
}();

const _RecordsetVtbl kRecordsetVtbl = [] {
    _RecordsetVtbl t = Unimplemented<_RecordsetVtbl>();
    t.get_State = [](_ADORecordset* self, LONG* out) {
        RecordsetObject* set = From<RecordsetObject>(self);
        if (FAILED(set->result.recordsetState)) return static_cast<HRESULT>(set->result.recordsetState);
        *out = set->open ? 1 : 0;
        return S_OK;
    };
    t.get_EOF = [](_ADORecordset* self, VARIANT_BOOL* out) {
        RecordsetObject* set = From<RecordsetObject>(self);
        *out = set->row >= set->result.rows.size() ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    };
    t.MoveNext = [](_ADORecordset* self) {
        RecordsetObject* set = From<RecordsetObject>(self);
        if (set->row >= set->result.rows.size()) return kBeyondEnd;
        ++set->row;
        if (set->result.failingRow >= 0 && set->row == static_cast<size_t>(set->result.failingRow)) {
            set->result.rows.resize(set->row);
            EndOnDeadlock(set->connection, set->result.rowFailure);
            return Answer(set->connection, set->result.rowFailure);
        }
        return S_OK;
    };
    t.get_Fields = [](_ADORecordset* self, ADOFields** out) {
        RecordsetObject* set = From<RecordsetObject>(self);
        FieldsObject* fields = NewHolding<FieldsObject>(&kFieldsVtbl, set);
        fields->recordset = set;
        *out = As<ADOFields>(fields);
        return S_OK;
    };
    t.Close = [](_ADORecordset* self) {
        From<RecordsetObject>(self)->open = false;
        standin.calls.push_back("RecordsetClose");
        return S_OK;
    };
    return t;
}();

// The record set of an Execute answer, or null.
_ADORecordset* RecordsetFor(ConnectionObject* connection, const AdoStandinResult& result) {
    if (!result.recordset) return nullptr;
    RecordsetObject* set = New<RecordsetObject>(&kRecordsetVtbl, kNoInterface);
    set->result = result;
    if (connection) {
        set->connection = connection;
        set->owner = connection;
        AddRef(connection);
        connection->sets.push_back(set);
    }
    set->destroy = [](Object* o) {
        RecordsetObject* gone = static_cast<RecordsetObject*>(o);
        if (gone->connection) std::erase(gone->connection->sets, gone);
        delete gone;
    };
    return As<_ADORecordset>(set);
}

// Whether text is a statement COMMIT or ROLLBACK.
bool EndsTransaction(const std::string& text) {
    std::string word;
    for (char c : text) {
        if (c == ' ' || c == ';') break;
        word += static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    }
    return word == "COMMIT" || word == "ROLLBACK";
}

HRESULT ExecuteAnswer(ConnectionObject* connection, const std::string& text, VARIANT* affected,
                      _ADORecordset** out) {
    if (out) *out = nullptr;
    TakeServerRollback(connection);
    if (Busy(connection)) return BusyAnswer(connection);
    AdoStandinResult result;
    if (text == "SELECT @@TRANCOUNT" && !standin.countsTransactions) {
        return Answer(connection, ProviderFailure(137, u"42000",
                                                  u"Must declare the scalar variable \"@@TRANCOUNT\"."));
    }
    if (text == "SELECT @@TRANCOUNT") {
        AdoStandinValue count;
        count.kind = AdoStandinValue::Kind::Number;
        count.number = connection && connection->serverTransaction ? 1 : 0;
        result.recordset = true;
        result.columns = {{u"", 3}};
        result.rows = {{count}};
    } else {
        result = Next(&standin.executes);
    }
    EndOnDeadlock(connection, result);
    HRESULT hr = Answer(connection, result);
    if (FAILED(hr)) return hr;
    if (connection && !connection->serverTransaction && text.rfind("SELECT ", 0) != 0) {
        standin.autocommitted.push_back(text);
    }
    if (connection && EndsTransaction(text)) connection->serverTransaction = false;
    if (affected) {
        VariantInit(affected);
        affected->vt = VT_I4;
        affected->lVal = result.affected;
    }
    if (out) *out = RecordsetFor(connection, result);
    return S_OK;
}

// CommitTrans or RollbackTrans. A transaction the server no longer has
// fails them; the failed RollbackTrans ends the provider's transaction.
HRESULT EndTransaction(_ADOConnection* self, bool rollback) {
    standin.calls.push_back(rollback ? "RollbackTrans" : "CommitTrans");
    ConnectionObject* connection = From<ConnectionObject>(self);
    TakeServerRollback(connection);
    if (Busy(connection)) return BusyAnswer(connection);
    AdoStandinAnswer answer = Next(&standin.transactions);
    if (answer.result == 0 && connection->transaction && !connection->serverTransaction) {
        answer = rollback ? ProviderFailure(3903, u"25000",
                                            u"The ROLLBACK TRANSACTION request has no "
                                            u"corresponding BEGIN TRANSACTION.")
                          : ProviderFailure(3902, u"25000",
                                            u"The COMMIT TRANSACTION request has no "
                                            u"corresponding BEGIN TRANSACTION.");
        if (rollback) connection->transaction = false;
    }
    HRESULT hr = Answer(connection, answer);
    if (SUCCEEDED(hr)) connection->transaction = connection->serverTransaction = false;
    return hr;
}

const _ConnectionVtbl kConnectionVtbl = [] {
    _ConnectionVtbl t = Unimplemented<_ConnectionVtbl>();
    t.put_ConnectionTimeout = [](_ADOConnection*, LONG seconds) {
        standin.calls.push_back("ConnectionTimeout " + std::to_string(seconds));
        return static_cast<HRESULT>(standin.connectionTimeoutResult);
    };
    t.Open = [](_ADOConnection* self, BSTR text, BSTR user, BSTR password, long options) {
        standin.calls.push_back("Open " + Narrow(text) + " user=" + Narrow(user) +
                                " password=" + Narrow(password) + " options=" +
                                std::to_string(options));
        ConnectionObject* connection = From<ConnectionObject>(self);
        HRESULT hr = Answer(connection, Next(&standin.opens));
        connection->open = SUCCEEDED(hr);
        return hr;
    };
    t.Close = [](_ADOConnection* self) {
        standin.calls.push_back("Close");
        From<ConnectionObject>(self)->open = false;
        return S_OK;
    };
    t.get_State = [](_ADOConnection* self, LONG* out) {
        *out = From<ConnectionObject>(self)->open ? 1 : 0;
        return S_OK;
    };
    t.Execute = [](_ADOConnection* self, BSTR text, VARIANT* affected, long options,
                   _ADORecordset** out) {
        standin.calls.push_back("ConnectionExecute " + Narrow(text) + " options=" +
                                std::to_string(options));
        return ExecuteAnswer(From<ConnectionObject>(self), Narrow(text), affected, out);
    };
    t.BeginTrans = [](_ADOConnection* self, long* level) {
        standin.calls.push_back("BeginTrans");
        ConnectionObject* connection = From<ConnectionObject>(self);
        TakeServerRollback(connection);
        if (Busy(connection)) return BusyAnswer(connection);
        *level = 1;
        HRESULT hr = Answer(connection, Next(&standin.transactions));
        if (SUCCEEDED(hr)) connection->transaction = connection->serverTransaction = true;
        return hr;
    };
    t.CommitTrans = [](_ADOConnection* self) { return EndTransaction(self, false); };
    t.RollbackTrans = [](_ADOConnection* self) { return EndTransaction(self, true); };
    t.get_Errors = [](_ADOConnection* self, ADOErrors** out) {
        ConnectionObject* connection = From<ConnectionObject>(self);
        ErrorsObject* errors = NewHolding<ErrorsObject>(&kErrorsVtbl, connection);
        errors->connection = connection;
        *out = As<ADOErrors>(errors);
        return S_OK;
    };
    return t;
}();

// --- Command and its parameters ---------------------------------------------

struct CommandObject : Object {
    ConnectionObject* connection = nullptr;
    std::string text;
};

const _ParameterVtbl kParameterVtbl = [] {
    _ParameterVtbl t = Unimplemented<_ParameterVtbl>();
    t.put_Value = [](_ADOParameter*, VARIANT value) {
        standin.calls.push_back("Value " + (value.vt == VT_BSTR ? Narrow(value.bstrVal)
                                                                 : std::string("(not text)")));
        return S_OK;
    };
    t.AppendChunk = [](_ADOParameter*, VARIANT value) {
        if (value.vt != VT_BSTR) return E_INVALIDARG;
        UINT units = SysStringLen(value.bstrVal);
        standin.calls.push_back("AppendChunk " + std::to_string(units));
        standin.longTexts.back().append(reinterpret_cast<const char16_t*>(value.bstrVal), units);
        return S_OK;
    };
    return t;
}();

const ParametersVtbl kParametersVtbl = [] {
    ParametersVtbl t = Unimplemented<ParametersVtbl>();
    t.Append = [](ADOParameters*, IDispatch* parameter) {
        standin.calls.push_back(parameter ? "Append" : "Append (null)");
        return S_OK;
    };
    return t;
}();

const _CommandVtbl kCommandVtbl = [] {
    _CommandVtbl t = Unimplemented<_CommandVtbl>();
    t.putref_ActiveADOConnection = [](_ADOCommand* self, _ADOConnection* connection) {
        CommandObject* command = From<CommandObject>(self);
        if (command->owner) Release(command->owner);
        command->owner = command->connection = From<ConnectionObject>(connection);
        AddRef(command->owner);
        return S_OK;
    };
    t.put_CommandType = [](_ADOCommand*, CommandTypeEnum type) {
        standin.calls.push_back("CommandType " + std::to_string(static_cast<long>(type)));
        return S_OK;
    };
    t.put_CommandText = [](_ADOCommand* self, BSTR text) {
        standin.calls.push_back("CommandText " + Narrow(text));
        From<CommandObject>(self)->text = Narrow(text);
        return S_OK;
    };
    t.put_CommandTimeout = [](_ADOCommand*, LONG seconds) {
        standin.calls.push_back("CommandTimeout " + std::to_string(seconds));
        return S_OK;
    };
    t.CreateParameter = [](_ADOCommand*, BSTR name, DataTypeEnum type,
                           ParameterDirectionEnum direction, ADO_LONGPTR size, VARIANT value,
                           _ADOParameter** out) {
        std::string line = "CreateParameter name=" + Narrow(name) +
                           " type=" + std::to_string(static_cast<long>(type)) +
                           " direction=" + std::to_string(static_cast<long>(direction)) +
                           " size=" + std::to_string(size);
        if (value.vt == VT_BSTR) line += " value=" + Narrow(value.bstrVal);
        standin.calls.push_back(line);
        if (type == adLongVarWChar) standin.longTexts.emplace_back();
        *out = As<_ADOParameter>(New<Object>(&kParameterVtbl, kNoInterface));
        return S_OK;
    };
    t.get_Parameters = [](_ADOCommand*, ADOParameters** out) {
        *out = As<ADOParameters>(New<Object>(&kParametersVtbl, kNoInterface));
        return S_OK;
    };
    t.Execute = [](_ADOCommand* self, VARIANT* affected, VARIANT* parameters, long options,
                   _ADORecordset** out) {
        standin.calls.push_back(std::string("Execute options=") + std::to_string(options) +
                                (parameters ? " with parameters" : ""));
        CommandObject* command = From<CommandObject>(self);
        return ExecuteAnswer(command->connection, command->text, affected, out);
    };
    return t;
}();

// --- Class objects ----------------------------------------------------------

struct Factory {
    IClassFactory head;
    Object* (*create)();
};

HRESULT STDMETHODCALLTYPE FactoryQueryInterface(IClassFactory* self, REFIID iid, void** out) {
    if (IsEqualGUID(iid, IID_IUnknown) || IsEqualGUID(iid, IID_IClassFactory)) {
        *out = self;
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}
ULONG STDMETHODCALLTYPE FactoryAddRef(IClassFactory*) { return 2; }
ULONG STDMETHODCALLTYPE FactoryRelease(IClassFactory*) { return 1; }
HRESULT STDMETHODCALLTYPE FactoryLockServer(IClassFactory*, BOOL) { return S_OK; }
HRESULT STDMETHODCALLTYPE FactoryCreateInstance(IClassFactory* self, IUnknown* outer, REFIID iid,
                                                void** out) {
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    Object* object = reinterpret_cast<Factory*>(self)->create();
    IUnknown* unknown = As<IUnknown>(object);
    HRESULT hr = unknown->lpVtbl->QueryInterface(unknown, iid, out);
    unknown->lpVtbl->Release(unknown);
    return hr;
}

IClassFactoryVtbl kFactoryVtbl = {FactoryQueryInterface, FactoryAddRef, FactoryRelease,
                                  FactoryCreateInstance, FactoryLockServer};

Factory connectionFactory = {
    {&kFactoryVtbl}, [] {
        return static_cast<Object*>(New<ConnectionObject>(&kConnectionVtbl, kConnectionInterface));
    }};
Factory commandFactory = {
    {&kFactoryVtbl},
    [] { return static_cast<Object*>(New<CommandObject>(&kCommandVtbl, kCommandInterface)); }};

}  // namespace

AdoStandin& InstallAdoStandin() {
    static const bool registered = [] {
        CoInitialize(nullptr);
        DWORD cookie = 0;
        return SUCCEEDED(CoRegisterClassObject(
                   kConnectionClass, reinterpret_cast<IUnknown*>(&connectionFactory),
                   CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie)) &&
               SUCCEEDED(CoRegisterClassObject(
                   kCommandClass, reinterpret_cast<IUnknown*>(&commandFactory),
                   CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie));
    }();
    standin = AdoStandin();
    standin.registered = registered;
    return standin;
}
