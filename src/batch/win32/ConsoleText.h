#pragma once

#include <windows.h>

#include <streambuf>
#include <string>
#include <string_view>

namespace glyphmere::batch::os {

// A stream buffer over a standard handle. To a console it writes the UTF-8 it is given as the UTF-16 that
// WriteConsoleW shows in every script; to a file or a pipe, the bytes exactly as given (no CRLF is added).
// A character split between two writes is held back until it is whole.
class ConsoleTextBuffer final : public std::streambuf {
public:
    explicit ConsoleTextBuffer(HANDLE handle);
    ~ConsoleTextBuffer() override;
    bool isConsole() const { return m_isConsole; }

protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* data, std::streamsize count) override;
    int sync() override;

private:
    bool writeOut(std::string_view bytes);

    HANDLE m_handle;
    bool m_isConsole;
    std::string m_pending;
};

// How many of the bytes form whole UTF-8 sequences: the end of text without a sequence that its last bytes
// only begin. Bytes that can never be valid UTF-8 count as whole (they are shown as U+FFFD).
std::size_t wholeUtf8Length(std::string_view text);

} // namespace glyphmere::batch::os
