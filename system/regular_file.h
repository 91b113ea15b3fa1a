#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// A file opened for reading only when it is a regular file (a symbolic link to one counts).
// Anything else, a named pipe, a device or a folder, is refused without blocking, so a reader can
// never hang on a name the user picked.
class RegularFileReader {
public:
    RegularFileReader() = default;
    ~RegularFileReader();
    RegularFileReader(const RegularFileReader&) = delete;
    RegularFileReader& operator=(const RegularFileReader&) = delete;

    // `path` is UTF-8. On failure `reason` says why in plain words.
    bool open(const std::string& path, std::string& reason);
    // The size when opened.
    std::uint64_t size() const { return bytes; }
    // Up to `capacity` bytes into `buffer`: the count read, 0 at the end, -1 on an error (with
    // `reason`).
    long long read(char* buffer, std::size_t capacity, std::string& reason);

private:
    void close();

    std::intptr_t handle = -1;
    std::uint64_t bytes = 0;
};
