// Fuzz input reading, property failures and the scratch directory.
#include "support.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <system_error>

uint8_t FuzzInput::Byte() {
    return pos_ < size_ ? data_[pos_++] : 0;
}

unsigned FuzzInput::Below(unsigned limit) {
    if (limit == 0) return 0;
    unsigned value = Byte();
    if (limit > 256) value = value << 8 | Byte();
    return value % limit;
}

std::string FuzzInput::Text(size_t maxLength) {
    size_t length = Byte();
    if (maxLength > 255) length = length << 8 | Byte();
    length %= maxLength + 1;
    if (length > size_ - pos_) length = size_ - pos_;
    std::string text(reinterpret_cast<const char*>(data_ + pos_), length);
    pos_ += length;
    return text;
}

std::string FuzzInput::Rest() {
    std::string text(reinterpret_cast<const char*>(data_ + pos_), size_ - pos_);
    pos_ = size_;
    return text;
}

std::string FuzzInput::Pieces(const char* const* pieces, size_t count, size_t maxPieces) {
    std::string text;
    for (size_t n = Below(static_cast<unsigned>(maxPieces) + 1); n > 0 && !empty(); --n) {
        text += pieces[Below(static_cast<unsigned>(count))];
    }
    return text;
}

void FuzzFail(const char* property, const std::string& detail) {
    std::fprintf(stderr, "property failed: %s\n%s\n", property, detail.c_str());
    std::abort();
}

std::string Visible(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        if (c >= 0x20 && c < 0x7f && c != '\\') {
            out += static_cast<char>(c);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", c);
            out += hex;
        }
    }
    return out;
}

namespace {

// The scratch directory, removed with its files when the process ends.
struct Scratch {
    Scratch() {
        namespace fs = std::filesystem;
        std::error_code ec;
        fs::path dir;
        do {
            dir = fs::temp_directory_path() / ("kestrun-fuzz-" + std::to_string(std::random_device()()));
        } while (!fs::create_directory(dir, ec) && !ec);
        path = dir.string();
    }
    ~Scratch() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    std::string path;
};

}  // namespace

const std::string& ScratchDirectory() {
    static const Scratch scratch;
    return scratch.path;
}
