#include "docengine/ooxml/Relationships.h"

#include "docengine/ooxml/XmlPart.h"

#include <vector>

namespace glyphmere::docengine {
namespace {

constexpr std::string_view kTransitionalTypeBase =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
constexpr std::string_view kStrictTypeBase = "http://purl.oclc.org/ooxml/officeDocument/relationships/";

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Targets are URIs: "%20" and the like stand for the bytes of the entry name.
std::string percentDecoded(std::string_view text)
{
    std::string decoded;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 && hexValue(text[i + 2]) >= 0) {
            decoded += static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
            i += 2;
        } else {
            decoded += text[i];
        }
    }
    return decoded;
}

// Joins a target to the folder of its source and folds "." and ".." segments.
std::string resolveTarget(std::string_view sourceEntry, std::string_view target)
{
    std::string path;
    if (!target.starts_with('/')) {
        const auto slash = sourceEntry.rfind('/');
        if (slash != std::string_view::npos)
            path = std::string(sourceEntry.substr(0, slash + 1));
    }
    path += percentDecoded(target);
    std::vector<std::string> segments;
    std::size_t start = 0;
    while (start <= path.size()) {
        auto end = path.find('/', start);
        if (end == std::string::npos)
            end = path.size();
        const std::string segment = path.substr(start, end - start);
        if (segment == "..") {
            if (!segments.empty())
                segments.pop_back();
        } else if (!segment.empty() && segment != ".") {
            segments.push_back(segment);
        }
        start = end + 1;
    }
    std::string resolved;
    for (const std::string& segment : segments)
        resolved += (resolved.empty() ? "" : "/") + segment;
    return resolved;
}

} // namespace

std::string relationshipsEntryFor(std::string_view sourceEntry)
{
    const auto slash = sourceEntry.rfind('/');
    if (slash == std::string_view::npos)
        return "_rels/" + std::string(sourceEntry) + ".rels";
    return std::string(sourceEntry.substr(0, slash + 1)) + "_rels/" + std::string(sourceEntry.substr(slash + 1)) +
           ".rels";
}

bool isRelationshipType(std::string_view type, std::string_view name)
{
    for (std::string_view base : {kTransitionalTypeBase, kStrictTypeBase}) {
        if (type.size() == base.size() + name.size() && type.starts_with(base) && type.ends_with(name))
            return true;
    }
    return false;
}

std::vector<Relationship> readRelationships(const XmlPart& relsPart, std::string_view sourceEntry)
{
    std::vector<Relationship> relationships;
    for (pugi::xml_node node : relsPart.root().children()) {
        if (node.type() != pugi::node_element || !std::string_view(node.name()).ends_with("Relationship"))
            continue;
        if (std::string_view(node.attribute("TargetMode").value()) == "External")
            continue;
        relationships.push_back({node.attribute("Id").value(), node.attribute("Type").value(),
                                 resolveTarget(sourceEntry, node.attribute("Target").value())});
    }
    return relationships;
}

std::optional<Relationship> findByType(const std::vector<Relationship>& relationships, std::string_view name)
{
    for (const Relationship& relationship : relationships) {
        if (isRelationshipType(relationship.type, name))
            return relationship;
    }
    return std::nullopt;
}

std::optional<Relationship> findById(const std::vector<Relationship>& relationships, std::string_view id)
{
    for (const Relationship& relationship : relationships) {
        if (relationship.id == id)
            return relationship;
    }
    return std::nullopt;
}

} // namespace glyphmere::docengine
