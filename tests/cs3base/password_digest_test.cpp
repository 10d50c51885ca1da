// Password digests: the Argon2id text is the same whichever library makes
// it, so a digest stored by one platform verifies on the other.
#include "cs3base/password_digest.h"

#include <gtest/gtest.h>

#include "cs3base/argon2_text.h"
#include "util/nu_string.h"

TEST(PasswordDigest, FixedSaltDigestIsTheSameTextOnEveryPlatform) {
    // Made by libsodium's crypto_pwhash with this salt and its interactive
    // limits, then written in the Argon2 text form.
    const char kExpected[] =
        "$argon2id$v=19$m=65536,t=2,p=1$AxQlNkdYaXqLnK2+z+DxAg$p1Ir+caGiLqXw/8MUJwBwrJL5QE739aay6GgSfBqARw";
    unsigned char salt[kArgon2SaltBytes];
    for (size_t i = 0; i < sizeof salt; ++i) salt[i] = static_cast<unsigned char>(i * 17 + 3);
    NUString digest;
    ASSERT_EQ(Argon2idDigestWithSalt("correct horse", salt, digest), 0);
    EXPECT_STREQ(digest.Get(), kExpected);
    EXPECT_EQ(DefaultPasswordVerify(kExpected, "correct horse"), 0);
    EXPECT_EQ(DefaultPasswordVerify(kExpected, "correct horsE"), kPasswordMismatch);
    EXPECT_EQ(DefaultPasswordVerify("$argon2id$v=19$m=65536,t=2,p=1$!!$??", "correct horse"), kPasswordMismatch);
}
