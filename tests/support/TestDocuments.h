#pragma once

#include "support/TestFiles.h"

#include <string>
#include <utility>
#include <vector>

namespace glyphmere::testing_support {

// One entry of a zip package: its name and its bytes.
using PackageEntry = std::pair<std::string, std::string>;

// The WordprocessingML namespace and a root element that binds w:, r: and m:, for inline test markup.
inline constexpr const char* kWordNamespace = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";

// Writes a zip package with the entries in the given order, deflated. Fails the test loudly on error.
void writePackage(const std::string& path, const std::vector<PackageEntry>& entries);

// Reads every entry of a zip package, in order (inflated).
std::vector<PackageEntry> readPackage(const std::string& path);

// The parts of a minimal .docx whose body is bodyXml (the inside of w:body), with optional extra
// parts (name and bytes) and extra relationships of the main part (full <Relationship .../> elements).
std::vector<PackageEntry> minimalDocx(const std::string& bodyXml, const std::vector<PackageEntry>& extraParts = {},
                                      const std::string& extraDocumentRelationships = "");

} // namespace glyphmere::testing_support
