#pragma once

#include <cstdint>
#include <string>

namespace glyphmere::common {

// What the engine compares and keeps of a file, as the system reports it: which file it is (device and
// file number, or volume and file index), its size and time of last change, whether it is a regular
// file, and its permission bits and owner (POSIX; Windows keeps those of a replaced file itself, and
// reports the file's attributes as its mode).
struct FileStatus {
    std::uint64_t device = 0;
    std::uint64_t fileId = 0;
    std::uint64_t size = 0;
    std::int64_t modifiedSeconds = 0;
    std::uint32_t modifiedNanoseconds = 0;
    bool regular = false;
    bool directory = false;
    std::uint32_t mode = 0;
    std::uint32_t owner = 0;
    std::uint32_t group = 0;
};

// Whether now describes the file that before described, unchanged: the same file, size and time of change.
bool unchangedSince(const FileStatus& before, const FileStatus& now);

// The status of the file at path, a link followed; SystemError when there is none.
FileStatus statusOf(const std::string& path);

// Whether anything (a dangling link too) has the name path.
bool nameExists(const std::string& path);

// The absolute path of the file at path with every link resolved; SystemError when it cannot be.
std::string resolvedPath(const std::string& path);

} // namespace glyphmere::common
