// The self-describing text of an Argon2id digest: writing and reading it.
#include "cs3base/argon2_text.h"

#include <cstdlib>
#include <cstring>

namespace {

const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Base64 without padding, as the Argon2 text form uses it.
std::string Encode(const unsigned char* data, std::size_t size) {
    std::string out;
    unsigned bits = 0;
    int count = 0;
    for (std::size_t i = 0; i < size; ++i) {
        bits = (bits << 8) | data[i];
        count += 8;
        while (count >= 6) {
            count -= 6;
            out += kAlphabet[(bits >> count) & 63];
        }
    }
    if (count > 0) out += kAlphabet[(bits << (6 - count)) & 63];
    return out;
}

// Decodes [text, end); false on a character outside the alphabet, a
// leftover of one character or non-zero leftover bits.
bool Decode(const char* text, const char* end, std::vector<unsigned char>* out) {
    unsigned bits = 0;
    int count = 0;
    for (; text < end; ++text) {
        const char* at = *text ? std::strchr(kAlphabet, *text) : nullptr;
        if (!at) return false;
        bits = (bits << 6) | static_cast<unsigned>(at - kAlphabet);
        count += 6;
        if (count >= 8) {
            count -= 8;
            out->push_back(static_cast<unsigned char>((bits >> count) & 0xff));
        }
    }
    return count < 6 && (bits & ((1u << count) - 1)) == 0;
}

// Reads "<key>=<decimal>" at *text; moves past it.
bool Number(const char** text, const char* key, unsigned long* value) {
    std::size_t length = std::strlen(key);
    if (std::strncmp(*text, key, length) != 0 || (*text)[length] < '0' || (*text)[length] > '9') return false;
    char* end = nullptr;
    *value = std::strtoul(*text + length, &end, 10);
    *text = end;
    return true;
}

}  // namespace

std::string FormatArgon2idText(const unsigned char* salt, const unsigned char* hash) {
    return "$argon2id$v=19$m=" + std::to_string(kArgon2MemoryKiB) + ",t=" + std::to_string(kArgon2Passes) +
           ",p=" + std::to_string(kArgon2Lanes) + "$" + Encode(salt, kArgon2SaltBytes) + "$" +
           Encode(hash, kArgon2HashBytes);
}

bool ParseArgon2idText(const char* text, Argon2idText* out) {
    if (!text || !out) return false;
    const char kHead[] = "$argon2id$v=19$";
    if (std::strncmp(text, kHead, sizeof kHead - 1) != 0) return false;
    const char* at = text + sizeof kHead - 1;
    if (!Number(&at, "m=", &out->memoryKiB) || *at++ != ',') return false;
    if (!Number(&at, "t=", &out->passes) || *at++ != ',') return false;
    if (!Number(&at, "p=", &out->lanes) || *at++ != '$') return false;
    const char* dollar = std::strchr(at, '$');
    if (!dollar) return false;
    out->salt.clear();
    out->hash.clear();
    if (!Decode(at, dollar, &out->salt)) return false;
    const char* hashText = dollar + 1;
    if (!Decode(hashText, hashText + std::strlen(hashText), &out->hash)) return false;
    return !out->salt.empty() && !out->hash.empty() && out->passes > 0 && out->lanes > 0;
}
