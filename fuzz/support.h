// Shared pieces of the fuzz targets: reading structured values out of the
// fuzzer's bytes, a property check that stops the run, a scratch directory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Reads the fuzzer's bytes front to back; past the end every read gives 0
// or an empty text.
class FuzzInput {
public:
    FuzzInput(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    bool empty() const { return pos_ >= size_; }
    uint8_t Byte();
    // A number in 0..limit-1 (0 for limit 0).
    unsigned Below(unsigned limit);
    // A text of up to maxLength bytes taken from the input; its length comes
    // first, as one byte scaled to maxLength.
    std::string Text(size_t maxLength);
    // Everything not read yet.
    std::string Rest();
    // Up to maxPieces pieces of the list (of count), each chosen by one byte:
    // texts made of the bytes and runs a unit's rules turn on.
    std::string Pieces(const char* const* pieces, size_t count, size_t maxPieces);

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

// Stops the fuzzer with the failed property and a few values: a crash that
// libFuzzer records with the input that caused it.
[[noreturn]] void FuzzFail(const char* property, const std::string& detail);
#define FUZZ_CHECK(condition, detail) \
    do { \
        if (!(condition)) FuzzFail(#condition, (detail)); \
    } while (0)

// Printable form of a byte text for failure messages (\xNN for the rest).
std::string Visible(const std::string& text);

// A directory of this process under the temporary directory, made once.
const std::string& ScratchDirectory();
