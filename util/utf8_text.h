// UTF-8 text utilities: searching, cutting, trimming and number checks on
// zero-terminated byte arrays, in place and without allocation.
#pragma once

#include <cstddef>

// Length of the UTF-8 sequence that lead starts (1 to 6), -1 for a byte that
// cannot start a character.
int Utf8SequenceLength(unsigned char lead);
// True when text starts with a half-width katakana character (U+FF61 to
// U+FF9F, the bytes EF BD A1..BF or EF BE 80..9F). Reads at most 3 bytes,
// never past the terminating zero.
bool IsHalfWidthKana(const char* text);
// First occurrence of needle in haystack that starts at a character
// boundary, or null (also for a null argument). Points into haystack.
const char* FindText(const char* haystack, const char* needle);
char* FindText(char* haystack, const char* needle);
// As FindText, with ASCII letters compared without case.
const char* FindTextNoCase(const char* haystack, const char* needle);
char* FindTextNoCase(char* haystack, const char* needle);
// True when a and b are equal with ASCII letters compared without case
// (null reads as "").
bool EqualsNoCase(const char* a, const char* b);
// Cuts text at byte position without splitting a character: an incomplete
// character before the position is dropped. Without clamp a position at or
// beyond the end leaves the text as it is; with clamp it is moved to the end.
void CutAtByte(size_t position, char* text, bool clamp);
// Keeps the first count characters of text; a character of four or more
// bytes counts 2 unless fourByteAsOne. True when the text was cut.
bool CutToChars(char* text, int count, bool fourByteAsOne);
// Byte offset in text (of length bytes) where its first count characters
// end, counted as CutToChars does. An incomplete sequence at the end, or a
// character that would exceed count, is not taken.
size_t Utf8CharsEnd(const char* text, size_t length, long count, bool fourByteAsOne);
// Keeps the end of text that fits in 64 display columns (ASCII and
// half-width katakana 1 column, other characters 2), moved to the start.
void KeepLastColumns(char* text);
// Removes trailing tabs, line feeds, carriage returns and spaces.
void TrimTrailingSpace(char* text);
// True for digits with an optional leading "-", optionally followed by
// blanks (tab, line feed, carriage return, space) only.
bool IsInteger(const char* text);
// True for an integer, or integer part "." integer, or "." integer.
bool IsDecimal(const char* text);
