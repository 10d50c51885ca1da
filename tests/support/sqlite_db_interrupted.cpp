// A database file left as a writer killed inside its transaction leaves it,
// over either way of reaching SQLite (WithOpenTransaction).
#include <filesystem>

#include "support/sqlite_db.h"

std::string LeaveInterruptedTransaction(const std::string& path,
                                        const std::vector<std::string>& statements) {
    namespace fs = std::filesystem;
    std::string writer = path + ".writer";
    std::error_code error;
    fs::copy_file(path, writer, fs::copy_options::overwrite_existing, error);
    if (error) return "cannot copy " + path;
    std::string result = WithOpenTransaction(writer, statements, [&]() -> std::string {
        // Removed first: copy_file of mingw's library refuses to overwrite.
        fs::remove(path, error);
        if (!error) fs::copy_file(writer, path, error);
        if (!error) fs::copy_file(writer + "-journal", path + "-journal", error);
        return error ? "cannot copy the writer's files: " + error.message() : "";
    });
    fs::remove(writer);
    return result;
}
