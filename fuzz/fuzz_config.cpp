// The configuration reader: any file content is read without a fault, and
// each database setting holds the value of the last line of its key.
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "env/environment.h"
#include "support.h"

namespace {

// The value of the last pair called key in the environment's own list, up
// to its first line break.
std::string LastValue(CMSioObjApp* env, const char* key, const char* fallback) {
    char** values = nullptr;
    int n = env->FindAll(key, &values);
    std::string value = n > 0 && values[n - 1] ? values[n - 1] : (n > 0 ? "" : fallback);
    delete[] values;
    // A setting takes its pair's value as the pair's own line gave it;
    // continuation lines extend only the list's copy.
    return value.substr(0, value.find('\n'));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string home = ScratchDirectory() + "/";
    static const bool made = [&] {
        std::filesystem::create_directories(home + "data");
        return true;
    }();
    (void)made;
    std::ofstream(home + "data/app", std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));

    CreateAppEnvironment();
    CMSioObjApp* env = AppEnvironment();
    std::string defaultServer = env->DbServer();
    std::string defaultPassword = env->DbPassword();
    int r = ReadConfiguration(home.c_str());
    FUZZ_CHECK(r == 0, "result " + std::to_string(r));
    std::string server = LastValue(env, "dbs", defaultServer.c_str());
    std::string password = LastValue(env, "dbpwd", defaultPassword.c_str());
    FUZZ_CHECK(server == env->DbServer(), "dbs [" + Visible(env->DbServer()) + "] last pair [" +
                                              Visible(server) + "]");
    FUZZ_CHECK(password == env->DbPassword(), "dbpwd [" + Visible(env->DbPassword()) +
                                                  "] last pair [" + Visible(password) + "]");
    ReleaseEnvironment();
    return 0;
}
