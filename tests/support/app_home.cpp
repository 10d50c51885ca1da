// Installation homes for tests: configuration file and environment.
#include "support/app_home.h"

#include <filesystem>

#include "env/environment.h"
#include "support/temp_dir.h"

bool WriteAppConfig(const TempDir& home, const std::string& text) {
    std::error_code error;
    std::filesystem::create_directories(home.file("data"), error);
    return WriteWholeFile(home.file("data/app"), text);
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
