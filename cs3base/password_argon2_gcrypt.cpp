// Argon2id password digests through libgcrypt, in the same text form as
// the libsodium build writes and reads.
#include <gcrypt.h>

#include <cstring>

#include "cs3base/argon2_text.h"
#include "cs3base/password_digest.h"
#include "util/log.h"
#include "util/nu_string.h"

namespace {

const char kTag[] = "pwddigest";

// Limits on parameters read from a stored digest, so a crafted text cannot
// make a check take unbounded memory or time.
constexpr unsigned long kMaxMemoryKiB = 4ul * 1024 * 1024;
constexpr unsigned long kMaxPasses = 64;
constexpr unsigned long kMaxLanes = 64;
constexpr std::size_t kMaxHashBytes = 64;

// Starts the library once per process; false when it cannot start.
bool GcryptReady() {
    static const bool ready = [] {
        if (!gcry_check_version(GCRYPT_VERSION)) return false;
        gcry_control(GCRYCTL_INITIALIZATION_FINISHED, 0);
        return true;
    }();
    return ready;
}

// Argon2id of plain into hash (hashSize bytes). true on success.
bool Argon2id(const char* plain, const unsigned char* salt, std::size_t saltSize, unsigned long passes,
              unsigned long memoryKiB, unsigned long lanes, unsigned char* hash, std::size_t hashSize) {
    const unsigned long params[4] = {static_cast<unsigned long>(hashSize), passes, memoryKiB, lanes};
    gcry_kdf_hd_t handle = nullptr;
    if (gcry_kdf_open(&handle, GCRY_KDF_ARGON2, GCRY_KDF_ARGON2ID, params, 4, plain, std::strlen(plain), salt,
                      saltSize, nullptr, 0, nullptr, 0) != 0) {
        return false;
    }
    bool ok = gcry_kdf_compute(handle, nullptr) == 0 && gcry_kdf_final(handle, hashSize, hash) == 0;
    gcry_kdf_close(handle);
    return ok;
}

}  // namespace

int DefaultPasswordDigest(const char* plain, NUString& out) {
    if (!GcryptReady()) {
        TraceError("[%s:%d]", kTag, __LINE__);
        return -10;
    }
    unsigned char salt[kArgon2SaltBytes];
    gcry_randomize(salt, sizeof salt, GCRY_STRONG_RANDOM);
    return Argon2idDigestWithSalt(plain, salt, out);
}

int Argon2idDigestWithSalt(const char* plain, const unsigned char* salt, NUString& out) {
    if (!GcryptReady()) {
        TraceError("[%s:%d]", kTag, __LINE__);
        return -10;
    }
    if (!plain) plain = "";
    unsigned char hash[kArgon2HashBytes];
    if (!Argon2id(plain, salt, kArgon2SaltBytes, kArgon2Passes, kArgon2MemoryKiB, kArgon2Lanes, hash,
                  sizeof hash)) {
        TraceError("[%s:%d]", kTag, __LINE__);
        return -10;
    }
    std::string text = FormatArgon2idText(salt, hash);
    std::memset(hash, 0, sizeof hash);
    return out.Set(text.c_str()) == 0 ? 0 : -10;
}

int DefaultPasswordVerify(const char* digest, const char* plain) {
    if (!digest || !*digest) return -99;
    if (!GcryptReady()) {
        TraceError("[%s:%d]", kTag, __LINE__);
        return -10;
    }
    if (!plain) plain = "";
    Argon2idText stored;
    if (!ParseArgon2idText(digest, &stored) || stored.memoryKiB > kMaxMemoryKiB || stored.passes > kMaxPasses ||
        stored.lanes > kMaxLanes || stored.hash.size() > kMaxHashBytes || stored.memoryKiB < 8 * stored.lanes) {
        return kPasswordMismatch;
    }
    unsigned char hash[kMaxHashBytes];
    if (!Argon2id(plain, stored.salt.data(), stored.salt.size(), stored.passes, stored.memoryKiB, stored.lanes,
                  hash, stored.hash.size())) {
        return kPasswordMismatch;
    }
    // Compared in full whatever differs first, so the time tells nothing.
    unsigned char difference = 0;
    for (std::size_t i = 0; i < stored.hash.size(); ++i) difference |= hash[i] ^ stored.hash[i];
    std::memset(hash, 0, sizeof hash);
    return difference == 0 ? 0 : kPasswordMismatch;
}
