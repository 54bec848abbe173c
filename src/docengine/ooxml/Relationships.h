#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace glyphmere::docengine {

class XmlPart;

// Relationship types the engine follows, as suffixes common to the transitional and strict URIs.
inline constexpr std::string_view kOfficeDocumentType = "officeDocument";
inline constexpr std::string_view kSettingsType = "settings";

// One internal relationship of a part, its target resolved to a package entry name.
struct Relationship {
    std::string id;
    std::string type;
    std::string targetEntry;
};

// The entry name of the relationships part that belongs to sourceEntry ("" for the package itself).
std::string relationshipsEntryFor(std::string_view sourceEntry);

// Reads the internal relationships of a relationships part whose source is sourceEntry; external
// targets are left out.
std::vector<Relationship> readRelationships(const XmlPart& relsPart, std::string_view sourceEntry);

// True when type is the transitional or strict relationship type of that name.
bool isRelationshipType(std::string_view type, std::string_view name);

// The first relationship of the given type name, or nullopt.
std::optional<Relationship> findByType(const std::vector<Relationship>& relationships, std::string_view name);
std::optional<Relationship> findById(const std::vector<Relationship>& relationships, std::string_view id);

} // namespace glyphmere::docengine
