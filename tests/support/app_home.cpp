// Installation homes for tests: files in them and the environment.
#include "support/app_home.h"

#include <filesystem>

#include "env/environment.h"
#include "support/temp_dir.h"

bool WriteHomeFile(const TempDir& home, const std::string& relative, const std::string& text) {
    std::filesystem::path path = home.file(relative);
    std::error_code error;
    std::filesystem::create_directories(path.parent_path(), error);
    return WriteWholeFile(path.string(), text);
}

bool WriteAppConfig(const TempDir& home, const std::string& text) {
    return WriteHomeFile(home, "data/app", text);
}

CMSioObjApp* OpenAppEnvironment(const TempDir& home, int* result) {
    CreateAppEnvironment();
    int r = ReadConfiguration(home.path().c_str());
    if (result) *result = r;
    return AppEnvironment();
}

CMSioObjApp* Configure(const TempDir& home, const std::string& text, int* result) {
    WriteAppConfig(home, text);
    return OpenAppEnvironment(home, result);
}
