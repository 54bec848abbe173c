#include "common/FileHandle.h"

#include "common/FileRange.h"
#include "common/posix/PosixStatus.h"
#include "common/SystemErrorText.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace glyphmere::common {

namespace {

int descriptorOf(const FileHandle& file) { return static_cast<int>(file.get()); }

FileHandle openOrThrow(const std::string& path, int flags)
{
    FileHandle file(::open(path.c_str(), flags | O_CLOEXEC));
    if (!file.valid())
        throw SystemError(errno);
    return file;
}

} // namespace

FileHandle FileHandle::openForReading(const std::string& path) { return openOrThrow(path, O_RDONLY | O_NONBLOCK); }

FileHandle FileHandle::openForWriting(const std::string& path) { return openOrThrow(path, O_WRONLY | O_NOFOLLOW); }

void FileHandle::reset(Native native)
{
    if (valid())
        ::close(descriptorOf(*this));
    m_native = native;
}

FileHandle FileHandle::duplicate() const
{
    FileHandle copy(::fcntl(descriptorOf(*this), F_DUPFD_CLOEXEC, 0));
    if (!copy.valid())
        throw SystemError(errno);
    return copy;
}

FileStatus FileHandle::status() const
{
    struct stat status {};
    if (::fstat(descriptorOf(*this), &status) != 0)
        throw SystemError(errno);
    return fileStatusOf(status);
}

RangeRead FileHandle::readAt(std::uint64_t offset, char* into, std::size_t size) const
{
    return readFileRange(descriptorOf(*this), offset, into, size);
}

void FileHandle::writeAt(std::uint64_t offset, const char* data, std::size_t size) const
{
    while (size > 0) {
        const ssize_t count = ::pwrite(descriptorOf(*this), data, size, static_cast<off_t>(offset));
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            throw SystemError(errno);
        data += count;
        size -= static_cast<std::size_t>(count);
        offset += static_cast<std::uint64_t>(count);
    }
}

void FileHandle::truncate(std::uint64_t size) const
{
    if (::ftruncate(descriptorOf(*this), static_cast<off_t>(size)) != 0)
        throw SystemError(errno);
}

} // namespace glyphmere::common
