#pragma once

#include <string>
#include <string_view>

namespace glyphmere::fuzz {

// The fuzz target's strict look at a document the engine saved, against the file it was before; "" when
// it holds, else what is wrong. A package must pass the strict zip look; a part the engine changed must have
// been well-formed before, must be well-formed after and must keep its character data. A compound file must
// read (header, FAT, directory, mini stream) before and after; the WordDocument and table streams must read,
// every other stream must read as it did before (or fail as it did), and the text that the piece table gives
// must be the same.
std::string savedDocumentBreach(std::string_view before, std::string_view after);

} // namespace glyphmere::fuzz
