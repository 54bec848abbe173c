#pragma once

#include <string_view>

namespace glyphmere::docengine {

// What the first section's properties say about page 1: whether it has a title page of its own, and
// whether its page number is even (numbering restarted at an even value).
struct FirstSection {
    bool titlePage = false;
    bool evenFirstPageNumber = false;

    // Reads section 1 from the section table (PlcfSed in the table stream) and its Sepx in the WordDocument
    // stream; an empty table or a section without a Sepx has the defaults. EngineError when damaged.
    static FirstSection parse(std::string_view plcfSed, std::string_view wordDocument);
};

} // namespace glyphmere::docengine
