// Installation homes for tests: files in them (the configuration file
// data/app, catalogs) and a process environment that reads them.
#pragma once

#include <string>

class CMSioObjApp;
class TempDir;

// Writes text as the file at relative path in home, creating its parent
// directories; false when it cannot be written.
bool WriteHomeFile(const TempDir& home, const std::string& relative, const std::string& text);
// Writes text as home's configuration file <home>/data/app (creating data/);
// false when it cannot be written.
bool WriteAppConfig(const TempDir& home, const std::string& text);
// Creates the process environment and reads home's configuration;
// ReadConfiguration's result goes to *result when given. Returns the
// environment (owned by the process; ReleaseEnvironment ends it).
CMSioObjApp* OpenAppEnvironment(const TempDir& home, int* result = nullptr);
// WriteAppConfig (its failure left to the read), then OpenAppEnvironment.
CMSioObjApp* Configure(const TempDir& home, const std::string& text, int* result = nullptr);
