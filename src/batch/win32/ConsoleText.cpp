#include "batch/win32/ConsoleText.h"

#include "platform/win32/Win32Text.h"

namespace glyphmere::batch::os {
namespace {

// The size of the bytes held before they are written: one console call per line or per this much.
constexpr std::size_t kBufferSize = 4096;

// The length of the UTF-8 sequence that lead begins, or 0 for a byte that begins none.
std::size_t sequenceLength(unsigned char lead)
{
    if (lead >= 0xF0 && lead <= 0xF4)
        return 4;
    if (lead >= 0xE0)
        return lead <= 0xEF ? 3 : 0;
    if (lead >= 0xC2)
        return 2;
    return 0;
}

} // namespace

std::size_t wholeUtf8Length(std::string_view text)
{
    // Only the last three bytes may begin a sequence that is not ended yet.
    for (std::size_t back = 1; back <= 3 && back <= text.size(); ++back) {
        const auto byte = static_cast<unsigned char>(text[text.size() - back]);
        if ((byte & 0xC0) == 0x80)
            continue; // a continuation byte: look further back for its lead
        const std::size_t needed = sequenceLength(byte);
        return needed > back ? text.size() - back : text.size();
    }
    return text.size();
}

ConsoleTextBuffer::ConsoleTextBuffer(HANDLE handle) : m_handle(handle)
{
    DWORD mode = 0;
    m_isConsole = GetConsoleMode(handle, &mode) != 0;
}

ConsoleTextBuffer::~ConsoleTextBuffer() { sync(); }

ConsoleTextBuffer::int_type ConsoleTextBuffer::overflow(int_type c)
{
    if (traits_type::eq_int_type(c, traits_type::eof()))
        return sync() == 0 ? traits_type::not_eof(c) : traits_type::eof();
    const char byte = traits_type::to_char_type(c);
    return xsputn(&byte, 1) == 1 ? c : traits_type::eof();
}

std::streamsize ConsoleTextBuffer::xsputn(const char* data, std::streamsize count)
{
    m_pending.append(data, static_cast<std::size_t>(count));
    if (m_pending.size() >= kBufferSize && sync() != 0)
        return 0;
    return count;
}

int ConsoleTextBuffer::sync()
{
    const std::size_t whole = m_isConsole ? wholeUtf8Length(m_pending) : m_pending.size();
    const bool written = writeOut(std::string_view(m_pending).substr(0, whole));
    m_pending.erase(0, whole);
    return written ? 0 : -1;
}

bool ConsoleTextBuffer::writeOut(std::string_view bytes)
{
    if (bytes.empty())
        return true;
    if (m_isConsole) {
        const std::wstring text = platform::win32::widen(bytes);
        DWORD written = 0;
        return WriteConsoleW(m_handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) != 0;
    }
    while (!bytes.empty()) {
        DWORD written = 0;
        if (!WriteFile(m_handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) || written == 0)
            return false;
        bytes.remove_prefix(written);
    }
    return true;
}

} // namespace glyphmere::batch::os
