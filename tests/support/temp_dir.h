// TempDir: a fresh directory under the system temporary directory for one
// test, removed with everything in it when the object goes.
#pragma once

#include <string>

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    // path() + "/" + name
    std::string file(const std::string& name) const;

private:
    std::string path_;
};

// Whole contents of a file ("" when it cannot be read).
std::string ReadWholeFile(const std::string& path);
// A text file's content with each CR LF read as LF, as a text-mode read on
// Windows gives it.
std::string ReadTextFile(const std::string& path);
// Writes text to a file, replacing it; false on failure.
bool WriteWholeFile(const std::string& path, const std::string& text);
// How many times part occurs in text (overlapping occurrences too).
int CountOccurrences(const std::string& text, const std::string& part);
