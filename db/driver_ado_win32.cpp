// ADO driver: SQL Server through COM's ActiveX Data Objects and an OLE DB
// provider. Statements and long texts go as UTF-16; wide columns come back
// as UTF-8, every other text in the system code page.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "db/ado_win32.h"
#include "db/driver.h"
#include "db/platform.h"
#include "db/utf16.h"
#include "util/wide_text.h"

namespace {

// Holds one COM reference and releases it.
template <typename T>
class ComRef {
public:
    ComRef() = default;
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    ~ComRef() { Reset(); }

    T* Get() const { return pointer; }
    T* operator->() const { return pointer; }
    T** Out() {
        Reset();
        return &pointer;
    }
    void Reset() {
        if (pointer) pointer->Release();
        pointer = nullptr;
    }

private:
    T* pointer = nullptr;
};

// An owned BSTR.
class Bstr {
public:
    Bstr() = default;
    explicit Bstr(const std::u16string& text)
        : value(SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()),
                                  static_cast<UINT>(text.size()))) {}
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    ~Bstr() { SysFreeString(value); }

    BSTR Get() const { return value; }
    BSTR* Out() {
        SysFreeString(value);
        value = nullptr;
        return &value;
    }
    std::u16string Text() const {
        return value ? std::u16string(reinterpret_cast<const char16_t*>(value), SysStringLen(value))
                     : std::u16string();
    }

private:
    BSTR value = nullptr;
};

// A VARIANT cleared when it goes out of scope.
struct Variant {
    VARIANT value;
    Variant() { VariantInit(&value); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    ~Variant() { VariantClear(&value); }
};

// *out = text, bytes in the system code page, as UTF-16; false when some
// bytes are no character there.
bool FromCodePage(const std::string& text, std::u16string* out) {
    return DBSystemTextToUtf16(text, out);
}

// *out = UTF-16 text in the system code page; false when a character has
// no exact form there.
bool ToCodePage(const std::u16string& text, std::string* out) {
    return SystemFromWide(
        std::wstring_view(reinterpret_cast<const wchar_t*>(text.data()), text.size()), out);
}

// A diagnostic text (an error's source or SQL state, a system message) in
// the system code page. The report must not be lost to one character: each
// character without an exact form there is kept as the escapes "\uXXXX" of
// its UTF-16 units, never as a look-alike or a default character.
std::string DiagnosticText(const std::u16string& text) {
    std::string out;
    if (ToCodePage(text, &out)) return out;
    out.clear();
    for (size_t i = 0; i < text.size();) {
        bool pair = text[i] >= 0xD800 && text[i] <= 0xDBFF && i + 1 < text.size() &&
                    text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
        std::u16string character = text.substr(i, pair ? 2 : 1);
        std::string bytes;
        if (ToCodePage(character, &bytes)) {
            out += bytes;
        } else {
            for (char16_t unit : character) {
                char escape[8];
                std::snprintf(escape, sizeof(escape), "\\u%04x", static_cast<unsigned>(unit));
                out += escape;
            }
        }
        i += character.size();
    }
    return out;
}

// The system's message text for a COM result, in the system code page, or
// "" when the system has none.
std::string SystemMessage(HRESULT hr) {
    wchar_t buffer[512];
    DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                             static_cast<DWORD>(hr), 0, buffer, 512, nullptr);
    while (n > 0 && (buffer[n - 1] == L'\n' || buffer[n - 1] == L'\r' || buffer[n - 1] == L' ')) --n;
    if (n == 0) return {};
    return DiagnosticText(std::u16string(reinterpret_cast<const char16_t*>(buffer), n));
}

bool IsWideType(long type) {
    return type == kDBTypeWChar || type == kDBTypeVarWChar || type == kDBTypeLongVarWChar;
}

// The field at a column index of a record set's Fields collection.
HRESULT FieldAt(ado::Fields* fields, long index, ComRef<ado::Field>* field) {
    Variant at;
    at.value.vt = VT_I4;
    at.value.lVal = index;
    return fields->get_Item(at.value, field->Out());
}

// Creates an ADO object: all class contexts for IUnknown, run it, then ask
// for the working interface.
template <typename T>
HRESULT CreateAdoObject(const GUID& classId, const GUID& interfaceId, ComRef<T>* out) {
    ComRef<IUnknown> unknown;
    HRESULT hr = CoCreateInstance(classId, nullptr, CLSCTX_ALL, IID_IUnknown,
                                  reinterpret_cast<void**>(unknown.Out()));
    if (FAILED(hr)) return hr;
    hr = OleRun(unknown.Get());
    if (FAILED(hr)) return hr;
    return unknown->QueryInterface(interfaceId, reinterpret_cast<void**>(out->Out()));
}

class AdoDriver;

// The rows of an ADO record set, read as the caller moves: a value of the
// current row is read from ADO when the caller asks for it, so a failing
// value fails only its own read.
class AdoRecordSet final : public DBRecordSet {
public:
    // Holds a reference to set.
    AdoRecordSet(AdoDriver* driver, ado::Recordset* set);
    ~AdoRecordSet() override { Release(); }

    // Reads the column names and types: 0 or the recorded failure.
    int Describe();
    using DBRecordSet::Start;

private:
    int Step() override;
    void Capture(DBRow* row) override;
    int StepValue(int index, DBValue* value) override;
    void Release() override;
    // Reads the value of column index of the current row into live, once.
    int Read(size_t index);

    AdoDriver* owner;
    ComRef<ado::Recordset> recordset;
    ComRef<ado::Fields> fields;
    std::vector<long> types;
    bool started = false;  // the first row is current
    DBRow live;            // values of the current row read so far
    std::vector<bool> read;
};

class AdoDriver final : public DBDriver {
public:
    explicit AdoDriver(const DBDriverSettings& s) : settings(s) {}
    ~AdoDriver() override { Close(); }

    const char* Name() const override { return "ADO"; }

    int Open(const DBConnectData& data, int connectTimeoutSeconds) override;
    bool IsOpen() override;
    int Close() override;
    int Execute(const std::string& sql, bool procedure, const std::vector<DBParam>& params,
                int commandTimeout, std::unique_ptr<DBRecordSet>* recordSet,
                long long* recordsAffected) override;
    int BeginTrans() override;
    int CommitTrans() override;
    int RollbackTrans() override;
    int TransactionOpen() override;

private:
    // Runs one transaction call; on success the transaction is begun or not
    // as begunAfter says.
    template <typename Step>
    int TransactionStep(Step step, bool begunAfter) {
        ClearErrors();
        if (!connection.Get()) return Fail(kDBDriverFailed, "no connection");
        KeepOpenRecordSet();
        HRESULT hr = step(connection.Get());
        if (FAILED(hr)) return Report(hr);
        transactionBegun = begunAfter;
        transactionEnded = false;
        return 0;
    }
    // Execute without the check of what the statement did to the
    // transaction.
    int Run(const std::string& sql, bool procedure, const std::vector<DBParam>& params,
            int commandTimeout, std::unique_ptr<DBRecordSet>* recordSet,
            long long* recordsAffected);
    // Records a failed call: the connection's error list, or, when it is
    // empty, hr with the system's text for it. Returns hr.
    int Report(HRESULT hr);
    // The UTF-16 names and values of params: 0, or kDBDriverBadText, recorded,
    // when one is no text of the system code page.
    int ConvertParameters(const std::vector<DBParam>& params, std::vector<std::u16string>* names,
                          std::vector<std::u16string>* values);
    int AddParameters(ado::Command* command, bool procedure, const std::vector<DBParam>& params,
                      const std::vector<std::u16string>& names,
                      const std::vector<std::u16string>& values);
    friend class AdoRecordSet;
    // Reads the value of column index (of ADO type type) of the record set's
    // current row into *cell: 0, or the recorded failure, also kept in the
    // cell with its message. Text that is not UTF-16, or that has no exact
    // form in the system code page for a column that is not wide, marks the
    // cell.
    int ReadValue(ado::Fields* fields, long index, long type, DBCell* cell);

    DBDriverSettings settings;
    ComRef<ado::Connection> connection;
    bool transactionBegun = false;
};

int AdoDriver::Report(HRESULT hr) {
    ComRef<ado::Errors> list;
    long count = 0;
    if (connection.Get() && SUCCEEDED(connection->get_Errors(list.Out())) && list.Get() &&
        SUCCEEDED(list->get_Count(&count))) {
        for (long i = 0; i < count; ++i) {
            Variant index;
            index.value.vt = VT_I4;
            index.value.lVal = i;
            ComRef<ado::Error> item;
            if (FAILED(list->get_Item(index.value, item.Out())) || !item.Get()) continue;
            DBDriverError error;
            long number = 0;
            long native = 0;
            item->get_Number(&number);
            item->get_NativeError(&native);
            error.number = static_cast<int>(number);
            error.nativeError = static_cast<int>(native);
            Bstr source, description, state;
            item->get_Source(source.Out());
            item->get_Description(description.Out());
            item->get_SQLState(state.Out());
            error.source = DiagnosticText(source.Text());
            if (!Utf16ToUtf8(description.Text(), &error.description)) {
                error.description = "(message not readable)";
            }
            error.sqlState = DiagnosticText(state.Text());
            errors.push_back(std::move(error));
        }
        list->Clear();
    }
    if (!errors.empty()) {
        failureCode = static_cast<int>(hr);
        return static_cast<int>(hr);
    }
    // No error list: the error information of the failed call, when its
    // object left one, names the source and says what went wrong.
    std::string source, description;
    IErrorInfo* info = nullptr;
    if (GetErrorInfo(0, &info) == S_OK && info) {
        Bstr infoSource, infoDescription;
        info->GetSource(infoSource.Out());
        info->GetDescription(infoDescription.Out());
        info->Release();
        source = DiagnosticText(infoSource.Text());
        if (!Utf16ToUtf8(infoDescription.Text(), &description)) description.clear();
    }
    std::string message = SystemMessage(hr);
    if (message.empty()) message = description.empty() ? "unknown error" : description;
    return Fail(static_cast<int>(hr), std::move(message), std::move(source),
                std::move(description));
}

int AdoDriver::Open(const DBConnectData& data, int connectTimeoutSeconds) {
    ClearErrors();
    KeepOpenRecordSet();
    connection.Reset();
    transactionBegun = false;
    transactionEnded = false;
    HRESULT hr = CoInitialize(nullptr);
    if (FAILED(hr)) return Report(hr);
    hr = CreateAdoObject(ado::kConnectionClass, ado::kConnectionInterface, &connection);
    if (FAILED(hr)) {
        connection.Reset();
        return Report(hr);
    }
    // An ADO without the setting (Wine's) opens with its own time-out.
    hr = connection->put_ConnectionTimeout(connectTimeoutSeconds);
    if (FAILED(hr) && hr != E_NOTIMPL) {
        int result = Report(hr);
        connection.Reset();
        return result;
    }
    std::string text = BuildAdoConnectionString(
        settings.adoProvider.empty() ? "SQLOLEDB" : settings.adoProvider, data);
    // The text holds the password: leave no copy of it behind.
    std::u16string wide;
    bool converted = DBSystemTextToUtf16(text, &wide);
    std::fill(text.begin(), text.end(), '\0');
    Bstr connect(wide);
    std::fill(wide.begin(), wide.end(), u'\0');
    if (!converted) {
        connection.Reset();
        return Fail(kDBDriverFailed, "connection data is not text of the system code page");
    }
    Bstr empty(std::u16string{});
    hr = connection->Open(connect.Get(), empty.Get(), empty.Get(), -1);
    if (connect.Get()) SecureZeroMemory(connect.Get(), SysStringByteLen(connect.Get()));
    if (FAILED(hr)) {
        int result = Report(hr);
        connection.Reset();
        return result;
    }
    return 0;
}

bool AdoDriver::IsOpen() {
    long state = 0;
    return connection.Get() && SUCCEEDED(connection->get_State(&state)) &&
           (state & ado::kStateOpen) != 0;
}

int AdoDriver::Close() {
    if (!connection.Get()) return 0;
    ClearErrors();
    KeepOpenRecordSet();
    int result = 0;
    if (IsOpen()) {
        HRESULT hr = connection->Close();
        if (FAILED(hr)) result = Report(hr);
    }
    connection.Reset();
    transactionBegun = false;
    transactionEnded = false;
    return result;
}

int AdoDriver::BeginTrans() {
    return TransactionStep(
        [](ado::Connection* c) {
            long level = 0;
            return c->BeginTrans(&level);
        },
        true);
}

int AdoDriver::CommitTrans() {
    ClearErrors();
    if (int refused = RefuseCommitAfterTransactionEnd()) return refused;
    return TransactionStep([](ado::Connection* c) { return c->CommitTrans(); }, false);
}

int AdoDriver::RollbackTrans() {
    auto rollBack = [this] {
        return TransactionStep([](ado::Connection* c) { return c->RollbackTrans(); }, false);
    };
    return RollbackEndedTransaction(rollBack(), [this] { return BeginTrans(); }, rollBack);
}

// SQL Server ends a transaction by itself after a deadlock or an error
// under XACT_ABORT; its count of open transactions tells. Runs through the
// connection so the driver's recorded errors stay those of the failed call.
int AdoDriver::TransactionOpen() {
    if (!connection.Get() || !transactionBegun || transactionEnded) return 0;
    KeepOpenRecordSet();
    Bstr query(u"SELECT @@TRANCOUNT");
    Variant affected;
    ComRef<ado::Recordset> recordset;
    if (FAILED(connection->Execute(query.Get(), &affected.value, ado::kExecuteText,
                                   recordset.Out())) ||
        !recordset.Get()) {
        return -1;
    }
    VARIANT_BOOL eof = VARIANT_TRUE;
    ComRef<ado::Fields> fields;
    ComRef<ado::Field> field;
    Variant value, count;
    int open = -1;
    if (SUCCEEDED(recordset->get_EOF(&eof)) && eof == VARIANT_FALSE &&
        SUCCEEDED(recordset->get_Fields(fields.Out())) && fields.Get() &&
        SUCCEEDED(FieldAt(fields.Get(), 0, &field)) && field.Get() &&
        SUCCEEDED(field->get_Value(&value.value)) &&
        SUCCEEDED(VariantChangeType(&count.value, &value.value, 0, VT_I4))) {
        open = count.value.lVal > 0 ? 1 : 0;
    }
    recordset->Close();
    return open;
}

int AdoDriver::ConvertParameters(const std::vector<DBParam>& params,
                                 std::vector<std::u16string>* names,
                                 std::vector<std::u16string>* values) {
    names->resize(params.size());
    values->resize(params.size());
    for (size_t i = 0; i < params.size(); ++i) {
        const char* part = nullptr;
        if (!FromCodePage(params[i].name, &(*names)[i])) {
            part = "name";
        } else if (params[i].type != DBParam::Type::LongText &&
                   !FromCodePage(params[i].text, &(*values)[i])) {
            part = "value";
        }
        if (part) {
            return Fail(kDBDriverBadText, "the " + std::string(part) + " of parameter " +
                                              std::to_string(i + 1) +
                                              " is not text of the system code page");
        }
    }
    return 0;
}

int AdoDriver::AddParameters(ado::Command* command, bool procedure,
                             const std::vector<DBParam>& params,
                             const std::vector<std::u16string>& names,
                             const std::vector<std::u16string>& values) {
    if (params.empty()) return 0;
    ComRef<ado::Parameters> list;
    HRESULT hr = command->get_Parameters(list.Out());
    if (FAILED(hr)) return Report(hr);
    // One staging buffer per long text: a piece and its terminator.
    std::u16string staging;
    for (size_t i = 0; i < params.size(); ++i) {
        const DBParam& param = params[i];
        ComRef<ado::Parameter> parameter;
        Bstr name(names[i]);
        if (param.type == DBParam::Type::LongText) {
            size_t units = 0;
            for (const std::u16string& chunk : param.chunks) units += chunk.size();
            Variant none;
            none.value.vt = VT_ERROR;
            none.value.scode = DISP_E_PARAMNOTFOUND;
            hr = command->CreateParameter(name.Get(), ado::kTypeLongWText, ado::kParamInput,
                                          static_cast<LONG_PTR>(units + 1), none.value,
                                          parameter.Out());
            if (FAILED(hr)) return Report(hr);
            for (const std::u16string& chunk : param.chunks) {
                staging.assign(chunk);
                staging.push_back(u'\0');
                Variant piece;
                piece.value.vt = VT_BSTR;
                piece.value.bstrVal = SysAllocStringLen(
                    reinterpret_cast<const OLECHAR*>(staging.data()), static_cast<UINT>(chunk.size()));
                hr = parameter->AppendChunk(piece.value);
                if (FAILED(hr)) return Report(hr);
            }
        } else {
            bool integer = param.type == DBParam::Type::Integer;
            LONG_PTR size = procedure ? -1 : static_cast<LONG_PTR>(param.text.size());
            const std::u16string& units = values[i];
            Variant value;
            value.value.vt = VT_BSTR;
            value.value.bstrVal = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(units.data()),
                                                    static_cast<UINT>(units.size()));
            hr = command->CreateParameter(name.Get(), integer ? ado::kTypeInteger : ado::kTypeChar,
                                          ado::kParamInput, size, value.value, parameter.Out());
            if (FAILED(hr)) return Report(hr);
            if (procedure) {
                hr = parameter->put_Value(value.value);
                if (FAILED(hr)) return Report(hr);
            }
        }
        hr = list->Append(parameter.Get());
        if (FAILED(hr)) return Report(hr);
    }
    return 0;
}

int AdoDriver::ReadValue(ado::Fields* fields, long index, long type, DBCell* cell) {
    ClearErrors();
    *cell = DBCell();
    ComRef<ado::Field> field;
    Variant raw;
    HRESULT hr = FieldAt(fields, index, &field);
    if (SUCCEEDED(hr)) hr = field->get_Value(&raw.value);
    int failure = FAILED(hr) ? Report(hr) : 0;
    Variant text;
    if (failure == 0 && raw.value.vt != VT_NULL && raw.value.vt != VT_EMPTY) {
        // A value without a text form (a binary column) fails in COM, not
        // in the provider: the system's text says why.
        hr = VariantChangeType(&text.value, &raw.value, 0, VT_BSTR);
        if (FAILED(hr)) {
            std::string message = SystemMessage(hr);
            failure = Fail(static_cast<int>(hr), message.empty() ? "unknown error" : message);
        }
    }
    if (failure != 0) {
        cell->failure = failure;
        cell->text = errors.empty() ? failureMessage : errors.front().description;
        return failure;
    }
    if (text.value.vt != VT_BSTR) return 0;
    cell->null = false;
    std::u16string units(reinterpret_cast<const char16_t*>(text.value.bstrVal),
                         SysStringLen(text.value.bstrVal));
    if (!IsWideType(type) ? !ToCodePage(units, &cell->text) : !Utf16ToUtf8(units, &cell->text)) {
        cell->badText = true;
    }
    return 0;
}

AdoRecordSet::AdoRecordSet(AdoDriver* driver, ado::Recordset* set)
    : DBRecordSet(driver), owner(driver) {
    set->AddRef();
    *recordset.Out() = set;
    driver->Opened(this);
}

int AdoRecordSet::Describe() {
    HRESULT hr = recordset->get_Fields(fields.Out());
    if (FAILED(hr)) return owner->Report(hr);
    long count = 0;
    hr = fields->get_Count(&count);
    if (FAILED(hr)) return owner->Report(hr);
    for (long i = 0; i < count; ++i) {
        ComRef<ado::Field> field;
        hr = FieldAt(fields.Get(), i, &field);
        if (FAILED(hr)) return owner->Report(hr);
        Bstr name;
        long type = 0;
        field->get_Name(name.Out());
        field->get_Type(&type);
        std::string columnName;
        if (!ToCodePage(name.Text(), &columnName)) {
            return owner->Fail(kDBDriverBadText, "the name of column " + std::to_string(i + 1) +
                                                     " is not text of the system code page");
        }
        AddColumn(std::move(columnName), static_cast<int>(type));
        types.push_back(type);
    }
    live.resize(types.size());
    read.assign(types.size(), false);
    return 0;
}

int AdoRecordSet::Step() {
    HRESULT hr = started ? recordset->MoveNext() : S_OK;
    started = true;
    VARIANT_BOOL eof = VARIANT_TRUE;
    if (SUCCEEDED(hr)) hr = recordset->get_EOF(&eof);
    if (FAILED(hr)) return owner->Report(hr);
    read.assign(types.size(), false);
    return eof == VARIANT_FALSE ? 1 : 0;
}

int AdoRecordSet::Read(size_t index) {
    if (read[index]) return 0;
    int result = owner->ReadValue(fields.Get(), static_cast<long>(index), types[index], &live[index]);
    // A failed read is tried again when asked again, so that it reports again.
    read[index] = result == 0;
    return result;
}

void AdoRecordSet::Capture(DBRow* row) {
    for (size_t i = 0; i < types.size(); ++i) Read(i);
    std::swap(*row, live);
    live.resize(types.size());
    read.assign(types.size(), false);
}

int AdoRecordSet::StepValue(int index, DBValue* value) {
    int result = Read(static_cast<size_t>(index));
    if (result != 0) return result;
    return CellValue(live[static_cast<size_t>(index)], value);
}

void AdoRecordSet::Release() {
    fields.Reset();
    if (recordset.Get()) recordset->Close();
    recordset.Reset();
}

int AdoDriver::Execute(const std::string& sql, bool procedure, const std::vector<DBParam>& params,
                       int commandTimeout, std::unique_ptr<DBRecordSet>* recordSet,
                       long long* recordsAffected) {
    int result = Run(sql, procedure, params, commandTimeout, recordSet, recordsAffected);
    if (result == 0 && transactionBegun) NoteTransactionEnd(sql, procedure);
    return result;
}

int AdoDriver::Run(const std::string& sql, bool procedure, const std::vector<DBParam>& params,
                   int commandTimeout, std::unique_ptr<DBRecordSet>* recordSet,
                   long long* recordsAffected) {
    ClearErrors();
    recordSet->reset();
    *recordsAffected = -1;
    if (!connection.Get()) return Fail(kDBDriverFailed, "no connection");
    KeepOpenRecordSet();
    if (int refused = RefuseChangeAfterTransactionEnd(sql, procedure)) return refused;
    std::u16string text;
    if (procedure) {
        if (!FromCodePage(sql, &text)) {
            return Fail(kDBDriverBadText, "the procedure name is not text of the system code page");
        }
    } else if (!Utf8ToUtf16(sql, &text)) {
        return Fail(kDBDriverFailed, "statement text is not valid UTF-8");
    }
    // Every parameter converts before anything reaches ADO.
    std::vector<std::u16string> names, values;
    int result = ConvertParameters(params, &names, &values);
    if (result != 0) return result;
    ComRef<ado::Command> command;
    HRESULT hr = CreateAdoObject(ado::kCommandClass, ado::kCommandInterface, &command);
    if (FAILED(hr)) return Report(hr);
    hr = command->putref_ActiveConnection(connection.Get());
    if (FAILED(hr)) return Report(hr);
    hr = command->put_CommandType(procedure ? ado::kCommandProcedure : ado::kCommandText);
    if (FAILED(hr)) return Report(hr);
    Bstr commandText(text);
    hr = command->put_CommandText(commandText.Get());
    if (FAILED(hr)) return Report(hr);
    if (commandTimeout >= 0) {
        hr = command->put_CommandTimeout(commandTimeout);
        if (FAILED(hr)) return Report(hr);
    }
    result = AddParameters(command.Get(), procedure, params, names, values);
    if (result != 0) return result;
    Variant affected;
    ComRef<ado::Recordset> recordset;
    long options = procedure ? ado::kExecuteProcedure : ado::kExecuteText;
    hr = command->Execute(&affected.value, nullptr, options, recordset.Out());
    // Some ADO implementations cannot execute a Command at all; a text
    // statement without parameters then runs through the connection itself,
    // which gives the same record set and count.
    if (hr == E_NOTIMPL && !procedure && params.empty()) {
        hr = connection->Execute(commandText.Get(), &affected.value, options, recordset.Out());
    }
    if (FAILED(hr)) return Report(hr);
    Variant count;
    if (SUCCEEDED(VariantChangeType(&count.value, &affected.value, 0, VT_I8))) {
        *recordsAffected = count.value.llVal;
    }
    if (!recordset.Get()) return 0;
    long state = 0;
    hr = recordset->get_State(&state);
    if (FAILED(hr)) return Report(hr);
    // A statement without a result set leaves the record set closed.
    if ((state & ado::kStateOpen) == 0) return 0;
    auto rows = std::make_unique<AdoRecordSet>(this, recordset.Get());
    result = rows->Describe();
    if (result == 0) result = rows->Start();
    if (result != 0) return result;
    *recordSet = std::move(rows);
    return 0;
}

}  // namespace

std::unique_ptr<DBDriver> CreateAdoDriver(const DBDriverSettings& settings) {
    return std::make_unique<AdoDriver>(settings);
}
