#include "docengine/ooxml/ZipEntryRules.h"

#include "common/AsciiCase.h"

#include <cctype>

namespace glyphmere::docengine {

namespace {

bool hasDotSegment(std::string_view name)
{
    std::size_t start = 0;
    while (start <= name.size()) {
        std::size_t end = name.find('/', start);
        if (end == std::string_view::npos)
            end = name.size();
        const std::string_view segment = name.substr(start, end - start);
        if (segment == "." || segment == "..")
            return true;
        start = end + 1;
    }
    return false;
}

bool hasDrivePrefix(std::string_view name)
{
    return name.size() >= 2 && name[1] == ':' && std::isalpha(static_cast<unsigned char>(name[0]));
}

} // namespace

std::optional<std::string> unsafeEntryNameProblem(std::string_view name)
{
    const std::string quoted = "\"" + std::string(name) + "\"";
    if (name.empty())
        return std::string("an entry has an empty name");
    if (name.find('\0') != std::string_view::npos)
        return "the entry name " + quoted + " holds a NUL character";
    if (name.front() == '/' || hasDrivePrefix(name))
        return "the entry name " + quoted + " is an absolute path";
    if (name.find('\\') != std::string_view::npos)
        return "the entry name " + quoted + " holds a backslash";
    if (hasDotSegment(name))
        return "the entry name " + quoted + " holds a \".\" or \"..\" segment";
    return std::nullopt;
}

std::string entryNameKey(std::string_view name)
{
    while (!name.empty() && name.front() == '/')
        name.remove_prefix(1);
    return common::toLowerAscii(name);
}

} // namespace glyphmere::docengine
