// The step stand-in's upgrade of the installation's database: what a real
// upgrade step does to the database kestrun holds open while it runs.
#pragma once

#include <string>
#include <vector>

// Opens the database the step's arguments name (args as the step received
// them: program, work directory, home, server, 0, user, password, database
// name, ...) with the provider the home's configuration chooses, records
// this run in the version table TM_STEP_VERSION (created when missing) and
// commits. 0 on success; otherwise the failing code, with what failed in
// *error.
int UpgradeDatabase(const std::vector<std::string>& args, std::string* error);
