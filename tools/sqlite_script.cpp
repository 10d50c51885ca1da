// kestrun-sqlite-script DATABASE FILE|-e SQL ...: runs SQL script files and
// statements, in order, against a SQLite database file (created when
// missing). Builds the demo installation's database and the tests' ones.
#include <sqlite3.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

static int Exec(sqlite3* db, const std::string& sql, const char* origin) {
    char* message = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
        std::fprintf(stderr, "kestrun-sqlite-script: %s: %s\n", origin, message ? message : "?");
        sqlite3_free(message);
        return 1;
    }
    return 0;
}

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: kestrun-sqlite-script DATABASE FILE|-e SQL ...\n");
        return 2;
    }
    sqlite3* db = nullptr;
    if (sqlite3_open(argv[1], &db) != SQLITE_OK) {
        std::fprintf(stderr, "kestrun-sqlite-script: cannot open %s: %s\n", argv[1],
                     db ? sqlite3_errmsg(db) : "?");
        sqlite3_close(db);
        return 1;
    }
    int status = 0;
    for (int i = 2; i < argc && status == 0; ++i) {
        if (std::strcmp(argv[i], "-e") == 0 && i + 1 < argc) {
            ++i;
            status = Exec(db, argv[i], "-e");
            continue;
        }
        std::ifstream in(argv[i], std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "kestrun-sqlite-script: cannot read %s\n", argv[i]);
            status = 1;
            break;
        }
        std::ostringstream text;
        text << in.rdbuf();
        status = Exec(db, text.str(), argv[i]);
    }
    sqlite3_close(db);
    return status;
}
