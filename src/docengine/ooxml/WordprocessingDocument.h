#pragma once

#include "docengine/ooxml/Relationships.h"
#include "docengine/ooxml/XmlPart.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace glyphmere::docengine {

// Where a document's parts come from: a package on disk, or a map of entries in tests.
class PartSource {
public:
    virtual ~PartSource() = default;
    // Entry names in the package's own order.
    virtual const std::vector<std::string>& entryNames() const = 0;
    // The entry's bytes; an EngineError when it cannot be read.
    virtual std::string read(std::string_view entry) const = 0;
};

// A WordprocessingML document: finds its main part through the package relationships (by type, never
// by a fixed name), refuses what must not be edited (digital signatures, enforced editing protection,
// a main part of another kind, malformed markup), parses further parts on demand and hands back the
// parts it changed.
class WordprocessingDocument {
public:
    // Throws EngineError with the reason when the document is refused.
    explicit WordprocessingDocument(const PartSource& source);

    const std::string& mainEntry() const { return m_mainEntry; }
    // What the main part's content type says: a template (.dotx, .dotm) and one that may hold macros
    // (.docm, .dotm).
    bool isTemplate() const { return m_mainContentType.find(".template.") != std::string::npos; }
    bool isMacroEnabled() const { return m_mainContentType.find(".macroEnabled") != std::string::npos; }
    XmlPart& mainPart() { return part(m_mainEntry); }
    // settings.xml, or nullptr when the document has none.
    XmlPart* settings();
    const std::vector<Relationship>& mainRelationships() const { return m_mainRelationships; }

    // The part stored under entry (matched without regard to case, as part names are), parsed on first use.
    XmlPart& part(std::string_view entry);
    // The same for a part the engine is about to edit: its markup must be well-formed XML, or it is refused
    // (EngineError naming the part) before anything changes. Parts only read or copied are never held to it.
    XmlPart& editablePart(std::string_view entry);
    // The stored name of entry, matched without regard to case; nullopt when the package lacks it.
    std::optional<std::string> findEntry(std::string_view entry) const;

    // Whether formatting changes are to be recorded as revisions (settings.xml, read once: the engine never
    // changes the settings).
    bool tracksFormatting();
    // Reads the ids used in every part of the package (EngineError when one cannot be parsed), so that
    // newRevisionId cannot fail later, in the middle of a change.
    void loadRevisionIds();
    // An id for a new revision mark, unique among the ids of every part of the package.
    std::int64_t newRevisionId();

    // Every part that the engine changed, serialised, by entry name: what a save replaces.
    std::map<std::string, std::string> changedParts() const;

private:
    void findMainPart();
    void checkMainContentType();
    void refuseSigned() const;
    void refuseProtected();
    std::int64_t highestIdInPackage();
    bool mayBeEdited(std::string_view entry) const;

    const PartSource& m_source;
    std::string m_mainEntry;
    std::string m_mainContentType; // one of the four accepted
    std::vector<Relationship> m_mainRelationships;
    std::map<std::string, std::unique_ptr<XmlPart>, std::less<>> m_parts;
    std::optional<std::int64_t> m_lastRevisionId;
    std::optional<bool> m_tracksFormatting;
};

} // namespace glyphmere::docengine
