// Generated text keys of the record layer: the base-36 form of the current
// UTC time in milliseconds, guarded against repeats, and the insert under
// such a key.
#pragma once

#include <cstdint>

struct ClockTime;
class CS3Object;

// Length of a generated key (without the NUL).
constexpr int kRecordKeyLength = 12;

// Writes the key of time t into out (13 bytes): the 18 digits of
// "%04d%02d%02d%02d%02d%02d%06d" (year .. second, milliseconds) without
// their first two, as a base-36 number (0-9, a-z) right-aligned in 12
// characters padded with "0".
void RecordKeyOf(const ClockTime& t, char* out);
// Base-36 text of value, right-aligned in 12 characters (out: 13 bytes).
void Base36Key(uint64_t value, char* out);

// A fresh key from the clock, checked against the last key issued in this
// process; a repeat is retried once after 1 ms. 0, -6100001 (repeated
// twice), -99 (no environment).
int NewRecordKey(char* out);

// Inserts record (text identifier) under a generated key; on a duplicate
// key (-50) waits 1 ms and retries with a new key, up to a bounded number
// of attempts. 0 or a negative code.
int InsertWithNewKey(CS3Object& record);

// Seams for tests: the clock the keys are made from and the 1 ms pause.
// Null restores the real one.
void SetRecordKeyClock(void (*clock)(ClockTime*));
void SetRecordKeyPause(void (*pause)(int milliseconds));
