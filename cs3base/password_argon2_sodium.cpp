// Argon2id password digests through libsodium.
#include <sodium.h>

#include <cstring>

#include "cs3base/argon2_text.h"
#include "cs3base/password_digest.h"
#include "util/log.h"
#include "util/nu_string.h"

namespace {

const char kTag[] = "pwddigest";

static_assert(crypto_pwhash_OPSLIMIT_INTERACTIVE == kArgon2Passes);
static_assert(crypto_pwhash_MEMLIMIT_INTERACTIVE == kArgon2MemoryKiB * 1024ull);
static_assert(crypto_pwhash_SALTBYTES == kArgon2SaltBytes);

// Starts the library once per process; false when it cannot start.
bool SodiumReady() {
    static const bool ready = sodium_init() >= 0;
    return ready;
}

}  // namespace

int DefaultPasswordDigest(const char* plain, NUString& out) {
    if (!SodiumReady()) {
        TraceError("[%s:%d]", kTag, __LINE__);
        return -10;
    }
    unsigned char salt[kArgon2SaltBytes];
    randombytes_buf(salt, sizeof salt);
    return Argon2idDigestWithSalt(plain, salt, out);
}

int Argon2idDigestWithSalt(const char* plain, const unsigned char* salt, NUString& out) {
    if (!SodiumReady()) {
        TraceError("[%s:%d]", kTag, __LINE__);
        return -10;
    }
    if (!plain) plain = "";
    unsigned char hash[kArgon2HashBytes];
    if (crypto_pwhash(hash, sizeof hash, plain, strlen(plain), salt, kArgon2Passes,
                      kArgon2MemoryKiB * 1024ull, crypto_pwhash_ALG_ARGON2ID13) != 0) {
        TraceError("[%s:%d]", kTag, __LINE__);
        return -10;
    }
    std::string text = FormatArgon2idText(salt, hash);
    sodium_memzero(hash, sizeof hash);
    return out.Set(text.c_str()) == 0 ? 0 : -10;
}

int DefaultPasswordVerify(const char* digest, const char* plain) {
    if (!digest || !*digest) return -99;
    if (!SodiumReady()) {
        TraceError("[%s:%d]", kTag, __LINE__);
        return -10;
    }
    if (!plain) plain = "";
    // The library reads the digest as a NUL-terminated text of at most
    // crypto_pwhash_STRBYTES bytes; anything longer cannot be one of ours.
    if (strlen(digest) >= crypto_pwhash_STRBYTES) return kPasswordMismatch;
    return crypto_pwhash_str_verify(digest, plain, strlen(plain)) == 0 ? 0 : kPasswordMismatch;
}
