// Password digest: the installed pair of routines, the Argon2id defaults
// otherwise (password_argon2_*.cpp).
#include "cs3base/password_digest.h"

namespace {

PasswordDigestRoutine digestRoutine = nullptr;
PasswordVerifyRoutine verifyRoutine = nullptr;

}  // namespace

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
