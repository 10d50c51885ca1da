// Links among Windows reparse points: only name surrogates (symbolic links,
// junctions) are links; other reparse points (deduplicated, compressed or
// cloud placeholder files and directories) are ordinary entries.
#pragma once

#include <windows.h>

// Whether the entry at path with these attributes is a link. A reparse point
// whose tag cannot be read counts as a link.
bool IsLinkAt(const wchar_t* path, DWORD attributes);
// Whether an entry found by a directory listing is a link.
bool IsLinkEntry(const WIN32_FIND_DATAW& found);
// CreateFileW that never opens through a link: a link at path is refused
// (INVALID_HANDLE_VALUE, last error ERROR_CANT_ACCESS_FILE, *link set when
// link is given); a file behind another reparse point is opened as the file
// it is, as a normal open would.
HANDLE CreateFileNoLink(const wchar_t* path, DWORD access, DWORD sharing, DWORD creation, bool* link);
