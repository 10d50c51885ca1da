// Reading kestrun's logs: the driver log "kestrun.log" and the error
// records of the temporary directory, with their hex-encoded records decoded.
#pragma once

#include <string>

// The readable form of a log's text. Each time-stamped "code:..." line
// becomes "Run failed with ...", followed by the first failure recorded
// after it (the run's cause, where the run's own code may only be its
// consequence) with the meaning of its codes, then the meaning of the
// run's code and what to check next. Each hex-encoded record becomes its
// text followed by the meaning of every code it names. Every byte that is
// not printable text is shown escaped (VisibleText), and a line that is
// neither a code line nor a record is shown as it is, escaped.
std::string DecodeDriverLog(const std::string& logText);
// Appends "    CODE: meaning" for each negative code in square brackets in
// text that the status-code or record-code table has, each code once, and
// "    errno N: text" for each errno field the system can explain.
void AppendCodeMeanings(const std::string& text, std::string* out);
// The decoded record of one hex-encoded trace line, or false when line is
// not one (pairs of lowercase hex digits).
bool DecodeRecord(const std::string& line, std::string* record);
// Whether a decoded record reports a failure: it has a result or error
// field (ret, iret, errno, status, dberr).
bool IsFailureRecord(const std::string& record);
