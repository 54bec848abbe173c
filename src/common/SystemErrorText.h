#pragma once

#include <stdexcept>
#include <string>

namespace glyphmere::common {

// The reason a system call failed with the error number, as a clause that reads after a colon
// ("no space left on the device").
std::string systemErrorText(int error);

// The text with its first letter in lower case, to follow a colon, unless it starts an acronym ("CRC").
std::string asClause(std::string text);

// A system call that failed; what() is systemErrorText(error()).
class SystemError : public std::runtime_error {
public:
    explicit SystemError(int error) : std::runtime_error(systemErrorText(error)), m_error(error) {}
    int error() const { return m_error; }

private:
    int m_error;
};

} // namespace glyphmere::common
