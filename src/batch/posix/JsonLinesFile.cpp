#include "batch/JsonLinesFile.h"

#include "common/SystemErrorText.h"
#include "common/UniqueFd.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

namespace glyphmere::batch {

struct JsonLinesFile::OpenFile {
    common::UniqueFd fd;
};

JsonLinesFile::JsonLinesFile(const std::string& path)
    : m_file(new OpenFile{common::UniqueFd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644))})
{
    if (!m_file->fd.valid())
        throw std::runtime_error(common::systemErrorText(errno));
}

JsonLinesFile::~JsonLinesFile() = default;
JsonLinesFile::JsonLinesFile(JsonLinesFile&& other) noexcept = default;
JsonLinesFile& JsonLinesFile::operator=(JsonLinesFile&& other) noexcept = default;

bool JsonLinesFile::append(const std::string& line)
{
    for (std::size_t written = 0; m_failure.empty() && written < line.size();) {
        const ssize_t count = ::write(m_file->fd.get(), line.data() + written, line.size() - written);
        if (count < 0 && errno != EINTR)
            m_failure = common::systemErrorText(errno);
        written += count > 0 ? static_cast<std::size_t>(count) : 0;
    }
    return m_failure.empty();
}

bool JsonLinesFile::finish()
{
    // A pipe or terminal (--report /dev/stdout) cannot be flushed to disk, and needs not be.
    if (m_failure.empty() && ::fsync(m_file->fd.get()) != 0 && errno != EINVAL)
        m_failure = common::systemErrorText(errno);
    return m_failure.empty();
}

} // namespace glyphmere::batch
