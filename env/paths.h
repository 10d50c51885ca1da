// Installation paths: company, user and temporary directories, and unique
// temporary file names, all derived from the environment's directories.
#pragma once

#include "util/nu_string.h"

// out := "<base><cid>/" (company 0 without environment). 0 or -2.
int CompanyDir(const char* base, NUString* out);
// out := company directory of dataDir + "user/" + group + userNumber, with
// the group "<n / maxdir + 1>/" unless "maxdir" is 0 (or there is no
// environment). No trailing "/". 0 or -2.
int UserDataDir(const char* userNumber, NUString* out);
// As UserDataDir over fileDir; trailingSlash adds a final "/".
int UserFileDir(const char* userNumber, NUString* out, bool trailingSlash);
// As UserDataDir over mailDataDir.
int UserMailDir(const char* userNumber, NUString* out);
// name (at least 4 bytes, ending in three digits, buffer of strlen + 1)
// stays as it is when no file of that name exists; otherwise its last four
// characters become ".001", ".002" ... until the name is free. 0; -114
// (after a trace record) when ".100" exists too.
int UniqueTempName(char* name);
// Builds "<tmpdir>temp<hint's last component><pid><MMDDhhmmss+ms6>.<seq>.000"
// followed by extension (none when null) into out (1024 bytes) and, while a
// file of that whole name exists, replaces the ".000" by ".001", ".002" ...
// up to ".100". 0 with a name that did not exist; -114 (after a trace
// record) when none is free or the name does not fit. The file is not
// created.
int TempFileName(const char* hint, char* out, const char* extension = nullptr);
// The longest name the next TempFileName(hint, out, extension) can give
// (widest process id; a suffix ".001" and so on keeps the length) into out
// (1024 bytes), for checking paths before anything is created. 0 or -114.
int LongestTempFileName(const char* hint, char* out, const char* extension = nullptr);
