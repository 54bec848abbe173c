#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace glyphmere::docengine {

// Why UTF-8 markup is not well-formed XML 1.0 with namespaces, or nullopt when it is: one pass over the bytes
// that checks the encoding and characters, names, attribute syntax, references (only the five predefined
// entities exist, since a Word part has no document type), comments, processing instructions, CDATA, the
// declaration, one root element with matching end tags, duplicate attributes and namespace declarations, and
// that every prefix is declared. The engine's parser accepts much of this; a part it edits must not carry such
// damage into a saved document. The reason ends with the byte offset where the damage was found.
std::optional<std::string> xmlWellFormednessProblem(std::string_view utf8);

// The same for UTF-16 markup (without its byte order mark); a lone surrogate is itself such damage.
std::optional<std::string> xmlWellFormednessProblem(std::string_view utf16, bool littleEndian);

} // namespace glyphmere::docengine
