// Password digest: Argon2id through libsodium by default, replaceable as a
// pair of routines.
#include "cs3base/password_digest.h"

#include <sodium.h>

#include <cstring>

#include "util/log.h"
#include "util/nu_string.h"

namespace {

const char kTag[] = "pwddigest";

PasswordDigestRoutine digestRoutine = nullptr;
PasswordVerifyRoutine verifyRoutine = nullptr;

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
    if (!plain) plain = "";
    char text[crypto_pwhash_STRBYTES];
    // The interactive limits: a login must not wait long, yet each guess
    // costs an attacker 64 MiB of memory and several passes over it.
    if (crypto_pwhash_str(text, plain, strlen(plain), crypto_pwhash_OPSLIMIT_INTERACTIVE,
                          crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0) {
        TraceError("[%s:%d]", kTag, __LINE__);
        return -10;
    }
    int ret = out.Set(text);
    sodium_memzero(text, sizeof text);
    return ret == 0 ? 0 : -10;
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

int PasswordDigest(const char* plain, NUString& out) {
    return (digestRoutine ? digestRoutine : DefaultPasswordDigest)(plain, out);
}

int PasswordVerify(const char* digest, const char* plain) {
    return (verifyRoutine ? verifyRoutine : DefaultPasswordVerify)(digest, plain);
}

void SetPasswordDigestRoutines(PasswordDigestRoutine digest, PasswordVerifyRoutine verify) {
    digestRoutine = digest;
    verifyRoutine = verify;
}
