// The ADO stand-in scripted from a shadow database.
#include "support/scripted_ado.h"

#include "db/utf16.h"
#include "support/ado_standin_win32.h"
#include "support/fault_driver.h"

namespace {

AdoStandin* ado = nullptr;

// adVarWChar: every value travels as text, as SQL Server's provider gives
// numbers to a reader that asks for text.
constexpr long kTextType = 202;

std::u16string Wide(const std::string& text) {
    std::u16string wide;
    return Utf8ToUtf16(text, &wide) ? wide : u"?";
}

void Answer(const DBShadowAnswer& answer) {
    AdoStandinResult result;
    if (answer.failure != 0) {
        result.result = static_cast<long>(0x80040E14);
        result.errors.push_back({answer.error.number, Wide(answer.error.source),
                                 Wide(answer.error.description), Wide(answer.error.sqlState),
                                 answer.error.nativeError});
    }
    result.affected = static_cast<long>(answer.affected);
    result.recordset = answer.rows;
    for (const std::string& name : answer.columns) result.columns.push_back({Wide(name), kTextType});
    for (const auto& row : answer.values) {
        auto& values = result.rows.emplace_back();
        for (const auto& cell : row) {
            AdoStandinValue value;
            if (cell) {
                value.kind = AdoStandinValue::Kind::Text;
                value.text = Wide(*cell);
            }
            values.push_back(value);
        }
    }
    // Exactly this answer, whatever an earlier statement left unused.
    ado->executes.clear();
    ado->executes.push_back(std::move(result));
    ado->calls.clear();
}

void ServerRollback() { ado->serverRollback = true; }

}  // namespace

bool UseFaultDriverOverScriptedAdo() {
    ado = &InstallAdoStandin();
    if (!ado->registered) return false;
    UseFaultDriverOverScripted("ado", "odbc", {&Answer, &ServerRollback});
    return true;
}
