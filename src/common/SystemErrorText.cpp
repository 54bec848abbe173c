#include "common/SystemErrorText.h"

#include "common/AsciiCase.h"

namespace glyphmere::common {

std::string asClause(std::string text)
{
    const auto isUpper = [&](std::size_t at) { return at < text.size() && text[at] >= 'A' && text[at] <= 'Z'; };
    if (isUpper(0) && !isUpper(1))
        text[0] = toLowerAscii(text[0]);
    return text;
}

} // namespace glyphmere::common
