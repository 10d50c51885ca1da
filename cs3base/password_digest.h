// Password digest: the one routine that turns an entered password into the
// text stored in "WORD", and the check of a password against that text.
#pragma once

class NUString;

// Result of PasswordVerify when the password does not match the digest.
constexpr int kPasswordMismatch = -1;

// A digest routine: writes the digest text of plain into out. 0 or a
// negative code (out then unspecified).
using PasswordDigestRoutine = int (*)(const char* plain, NUString& out);
// A check routine: 0 when plain matches digest, kPasswordMismatch when it
// does not, another negative code when the check cannot be made.
using PasswordVerifyRoutine = int (*)(const char* digest, const char* plain);

// Digest of plain (null reads as "") through the installed routine.
// The default is a salted Argon2id hash in its self-describing text form
// ("$argon2id$v=19$m=...,t=...,p=...$salt$hash", under 128 bytes).
// 0; -10 when the hash cannot be computed (memory, library start-up).
int PasswordDigest(const char* plain, NUString& out);
// Checks plain against a stored digest through the installed routine.
// 0 match; kPasswordMismatch; -99 null or empty digest.
int PasswordVerify(const char* digest, const char* plain);

// Installs another pair of routines (for a site that stores another
// digest form); a null routine restores the default one.
void SetPasswordDigestRoutines(PasswordDigestRoutine digest, PasswordVerifyRoutine verify);

// The default routines, callable directly.
int DefaultPasswordDigest(const char* plain, NUString& out);
int DefaultPasswordVerify(const char* digest, const char* plain);
