#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace glyphmere::fuzz {

// One entry of a package as the fuzz target's own look reads it.
struct PackagePart {
    std::string bytes;      // inflated
    bool isXml = false;     // by its name: .xml or .rels
    std::string xmlProblem; // expat's reason when the markup is not well-formed (namespaces included)
    std::string text;       // the character data of the markup, in UTF-8, when it is well-formed
};

// A zip package read independently of the engine. strict: opened with libzip's consistency checks
// (ZIP_CHECKCONS, local headers against the central directory), every entry's stored bytes inflated by
// libdeflate to the exact end of their DEFLATE stream and checked against their CRC. Otherwise libzip's
// ordinary reading, for an input that may be damaged.
struct PackageView {
    std::string problem; // empty when every entry read (and, when strict, checked)
    std::map<std::string, PackagePart> parts;
};

PackageView viewPackage(std::string_view bytes, bool strict);

} // namespace glyphmere::fuzz
