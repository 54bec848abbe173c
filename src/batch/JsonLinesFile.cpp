#include "batch/JsonLinesFile.h"

#include "common/SystemErrorText.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

namespace glyphmere::batch {

JsonLinesFile::JsonLinesFile(const std::string& path)
    : m_fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644))
{
    if (!m_fd.valid())
        throw std::runtime_error(common::systemErrorText(errno));
}

bool JsonLinesFile::append(const std::string& line)
{
    for (std::size_t written = 0; m_failure.empty() && written < line.size();) {
        const ssize_t count = ::write(m_fd.get(), line.data() + written, line.size() - written);
        if (count < 0 && errno != EINTR)
            m_failure = common::systemErrorText(errno);
        written += count > 0 ? static_cast<std::size_t>(count) : 0;
    }
    return m_failure.empty();
}

bool JsonLinesFile::finish()
{
    // A pipe or terminal (--report /dev/stdout) cannot be flushed to disk, and needs not be.
    if (m_failure.empty() && ::fsync(m_fd.get()) != 0 && errno != EINVAL)
        m_failure = common::systemErrorText(errno);
    return m_failure.empty();
}

} // namespace glyphmere::batch
