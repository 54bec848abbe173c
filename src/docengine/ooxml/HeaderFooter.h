#pragma once

#include <optional>
#include <string>

namespace glyphmere::docengine {

class WordprocessingDocument;

enum class PageRegion { Header, Footer };

// The entry of the header or footer shown on the current page (the first page of the first section),
// or nullopt when that page has none. The first section's reference of type "first" applies when its
// w:titlePg is on; else "even" when the settings turn on even and odd headers and the section's page
// numbering starts on an even number; else "default".
std::optional<std::string> currentPageEntry(WordprocessingDocument& document, PageRegion region);

// The header and footer of the current page, as currentPageEntry gives them, with one search of the main
// part for its first section.
struct CurrentPageEntries {
    std::optional<std::string> header;
    std::optional<std::string> footer;
};
CurrentPageEntries currentPageEntries(WordprocessingDocument& document);

} // namespace glyphmere::docengine
