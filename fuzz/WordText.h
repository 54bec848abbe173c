#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace glyphmere::fuzz {

// The text of a Word 97-2003 document as its piece table gives it, read by the fuzz target's own code: the
// FIB's table-stream flag and Clx pair, the Clx's piece descriptors, and each piece's characters (one byte
// each when compressed, else two). Nullopt when a structure on the way does not fit its stream.
std::optional<std::u16string> pieceTableText(std::string_view wordDocument, std::string_view table);

// The name of the table stream that the FIB at the start of wordDocument names, or nullopt.
std::optional<std::string> tableStreamName(std::string_view wordDocument);

} // namespace glyphmere::fuzz
