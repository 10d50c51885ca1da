// Reading kestrun's logs: the driver log "kestrun.log" and the error
// records of the temporary directory, with their hex-encoded records decoded.
#pragma once

#include <string>

// The readable form of a log's text: each time-stamped "code:..." line with
// the code's meaning and what to check next, each hex-encoded record as its
// text followed by the meaning of every status code it names.
std::string DecodeDriverLog(const std::string& logText);
// Appends "    CODE: meaning" for each negative code in square brackets in
// text that the status-code table has, each code once.
void AppendCodeMeanings(const std::string& text, std::string* out);
// The whole file at path into *text; false when it cannot be read.
bool ReadLogFile(const std::string& path, std::string* text);
