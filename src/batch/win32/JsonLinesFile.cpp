#include "batch/JsonLinesFile.h"

#include "batch/win32/OwnedHandle.h"
#include "platform/win32/Win32FileSystem.h"

#include <stdexcept>

namespace glyphmere::batch {

struct JsonLinesFile::OpenFile {
    os::OwnedHandle handle;
};

JsonLinesFile::JsonLinesFile(const std::string& path)
    // Others may read the report while it grows (a tail, a monitor).
    : m_file(new OpenFile{
          os::ownHandle(CreateFileW(platform::win32::extendedPath(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                    nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr))})
{
    if (!m_file->handle)
        throw std::runtime_error(os::lastErrorText());
}

JsonLinesFile::~JsonLinesFile() = default;
JsonLinesFile::JsonLinesFile(JsonLinesFile&& other) noexcept = default;
JsonLinesFile& JsonLinesFile::operator=(JsonLinesFile&& other) noexcept = default;

bool JsonLinesFile::append(const std::string& line)
{
    for (std::size_t written = 0; m_failure.empty() && written < line.size();) {
        DWORD count = 0;
        if (!WriteFile(m_file->handle.get(), line.data() + written, static_cast<DWORD>(line.size() - written), &count,
                       nullptr))
            m_failure = os::lastErrorText();
        written += count;
    }
    return m_failure.empty();
}

bool JsonLinesFile::finish()
{
    // A pipe or the console (--report CON) cannot be flushed to disk, and needs not be.
    const HANDLE handle = m_file->handle.get();
    if (m_failure.empty() && GetFileType(handle) == FILE_TYPE_DISK && !FlushFileBuffers(handle))
        m_failure = os::lastErrorText();
    return m_failure.empty();
}

} // namespace glyphmere::batch
