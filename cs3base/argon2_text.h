// The self-describing text of an Argon2id digest
// ("$argon2id$v=19$m=..,t=..,p=..$salt$hash", unpadded base64), written and
// read the same way whichever library computes the hash.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

class NUString;

// The parameters of new digests: the interactive limits, so a login does not
// wait long, yet each guess costs an attacker 64 MiB and two passes over it.
constexpr unsigned kArgon2Passes = 2;
constexpr unsigned kArgon2MemoryKiB = 65536;
constexpr unsigned kArgon2Lanes = 1;
constexpr std::size_t kArgon2SaltBytes = 16;
constexpr std::size_t kArgon2HashBytes = 32;

// The digest text of a kArgon2SaltBytes salt and a kArgon2HashBytes hash made
// with the parameters above.
std::string FormatArgon2idText(const unsigned char* salt, const unsigned char* hash);

struct Argon2idText {
    unsigned long memoryKiB = 0;
    unsigned long passes = 0;
    unsigned long lanes = 0;
    std::vector<unsigned char> salt;
    std::vector<unsigned char> hash;
};
// Reads a digest text; false when it is not an Argon2id version 19 text.
bool ParseArgon2idText(const char* text, Argon2idText* out);

// The digest of plain (null reads as "") with a given salt of
// kArgon2SaltBytes; the defaults draw a random salt. 0 or -10.
int Argon2idDigestWithSalt(const char* plain, const unsigned char* salt, NUString& out);
