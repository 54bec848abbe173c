#pragma once

#include "common/FileStatus.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace glyphmere::common {

// What a read of a range of a file got: `count` bytes, fewer than asked only where the file ends or a read
// failed, and then the system's error code (0 when no read failed).
struct RangeRead {
    std::size_t count = 0;
    int error = 0;
};

// An open file, owned and closed when the object goes: a descriptor on POSIX, a handle on Windows. The
// engine reads and writes documents through it by offset only, never by the file's own position, so one
// file may be read from several places (and a handle duplicated for another reader). Failures throw
// SystemError with the system's reason.
class FileHandle {
public:
    // A descriptor or a HANDLE, whichever the system uses; -1 for none on both.
    using Native = std::intptr_t;

    FileHandle() = default;
    explicit FileHandle(Native native) : m_native(native) {}
    ~FileHandle() { reset(); }
    FileHandle(FileHandle&& other) noexcept;
    FileHandle& operator=(FileHandle&& other) noexcept;
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    // Opens the file at path for reading without blocking (a FIFO cannot hang it) and, on Windows,
    // sharing reading, writing and deletion, so that a program that has the file open is not disturbed.
    static FileHandle openForReading(const std::string& path);
    // Opens the existing file at path, not a link, for writing.
    static FileHandle openForWriting(const std::string& path);

    Native get() const { return m_native; }
    bool valid() const { return m_native != kNone; }
    void reset(Native native = kNone);

    // Another handle to the same file, closed on its own.
    FileHandle duplicate() const;
    FileStatus status() const;
    // Reads until `size` bytes are in `into`, the file ends or a read fails; a read that a signal
    // interrupted is made again.
    RangeRead readAt(std::uint64_t offset, char* into, std::size_t size) const;
    void writeAt(std::uint64_t offset, const char* data, std::size_t size) const;
    void truncate(std::uint64_t size) const;

private:
    static constexpr Native kNone = -1;
    Native m_native = kNone;
};

// Every byte of the file from offset on, read until the file ends.
std::string readToEnd(const FileHandle& file, std::uint64_t offset = 0);

} // namespace glyphmere::common
