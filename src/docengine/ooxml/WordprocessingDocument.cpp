#include "docengine/ooxml/WordprocessingDocument.h"

#include "docengine/ooxml/DocumentSettings.h"
#include "docengine/EngineError.h"
#include "docengine/ooxml/XmlNames.h"

#include "common/AsciiCase.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace glyphmere::docengine {
namespace {

constexpr std::string_view kContentTypesEntry = "[Content_Types].xml";
constexpr std::string_view kSignaturesFolder = "_xmlsignatures/";

// Main-part content types of .docx, .docm, .dotx and .dotm.
constexpr std::array<std::string_view, 4> kMainContentTypes{
    "application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml",
    "application/vnd.ms-word.document.macroEnabled.main+xml",
    "application/vnd.openxmlformats-officedocument.wordprocessingml.template.main+xml",
    "application/vnd.ms-word.template.macroEnabledTemplate.main+xml",
};

// The main part's relationships whose targets the engine edits: stories and styles.
constexpr std::array<std::string_view, 6> kEditedTargetTypes{"header",   "footer",   "footnotes",
                                                             "endnotes", "comments", "styles"};

std::string_view extensionOf(std::string_view entry)
{
    const auto dot = entry.rfind('.');
    const auto slash = entry.rfind('/');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash))
        return {};
    return entry.substr(dot + 1);
}

// The content type that [Content_Types].xml gives the entry: its Override, else its extension's Default.
std::string contentTypeOf(const XmlPart& contentTypes, std::string_view entry)
{
    const std::string partName = "/" + std::string(entry);
    std::string byExtension;
    for (pugi::xml_node node : contentTypes.root().children()) {
        const std::string_view name = node.name();
        if (name.ends_with("Override") && common::equalsIgnoringCase(node.attribute("PartName").value(), partName))
            return node.attribute("ContentType").value();
        if (name.ends_with("Default") &&
            common::equalsIgnoringCase(node.attribute("Extension").value(), extensionOf(entry)))
            byExtension = node.attribute("ContentType").value();
    }
    return byExtension;
}

[[noreturn]] void refuseAsNotWord(const std::string& detail)
{
    throw EngineError("not a Word document (" + detail + ")");
}

} // namespace

WordprocessingDocument::WordprocessingDocument(const PartSource& source) : m_source(source)
{
    refuseSigned();
    findMainPart();
    checkMainContentType();
    const xml::Element& root = mainPart().rootElement();
    if (!root.isWord("document"))
        refuseAsNotWord("its main part holds no WordprocessingML document");
    refuseProtected();
}

void WordprocessingDocument::refuseSigned() const
{
    for (const std::string& entry : m_source.entryNames()) {
        if (common::startsWithIgnoringCase(entry, kSignaturesFolder))
            throw EngineError("the document is digitally signed, and changing it would break its signatures");
    }
}

void WordprocessingDocument::findMainPart()
{
    const std::optional<std::string> packageRels = findEntry(relationshipsEntryFor(""));
    if (!packageRels)
        refuseAsNotWord("it has no package relationships");
    const auto main = findByType(readRelationships(part(*packageRels), ""), kOfficeDocumentType);
    const std::optional<std::string> entry = main ? findEntry(main->targetEntry) : std::nullopt;
    if (!entry)
        refuseAsNotWord("it has no main document part");
    m_mainEntry = *entry;
    if (const auto mainRels = findEntry(relationshipsEntryFor(m_mainEntry)))
        m_mainRelationships = readRelationships(part(*mainRels), m_mainEntry);
}

void WordprocessingDocument::checkMainContentType()
{
    const std::optional<std::string> entry = findEntry(kContentTypesEntry);
    if (!entry)
        refuseAsNotWord("it has no content types");
    const std::string type = contentTypeOf(part(*entry), m_mainEntry);
    if (std::find(kMainContentTypes.begin(), kMainContentTypes.end(), type) == kMainContentTypes.end())
        refuseAsNotWord("its main part has the content type \"" + type + "\"");
    m_mainContentType = type;
}

void WordprocessingDocument::refuseProtected()
{
    if (forbidsEditing(settings()))
        throw EngineError("the document is protected against editing");
}

XmlPart* WordprocessingDocument::settings()
{
    const auto relationship = findByType(m_mainRelationships, kSettingsType);
    const std::optional<std::string> entry = relationship ? findEntry(relationship->targetEntry) : std::nullopt;
    return entry ? &part(*entry) : nullptr;
}

std::optional<std::string> WordprocessingDocument::findEntry(std::string_view entry) const
{
    for (const std::string& name : m_source.entryNames()) {
        if (common::equalsIgnoringCase(name, entry))
            return name;
    }
    return std::nullopt;
}

XmlPart& WordprocessingDocument::part(std::string_view entry)
{
    auto found = m_parts.find(entry);
    if (found == m_parts.end()) {
        const std::string name(entry);
        found = m_parts.emplace(name, std::make_unique<XmlPart>(name, m_source.read(name), mayBeEdited(name))).first;
    }
    return *found->second;
}

XmlPart& WordprocessingDocument::editablePart(std::string_view entry)
{
    XmlPart& found = part(entry);
    // A part first read as something else (a relationship pointing at a package part) is checked afresh.
    if (!found.requireWellFormed())
        XmlPart(found.name(), m_source.read(found.name()), true).requireWellFormed();
    return found;
}

// Only the parts that may be edited pay for the well-formedness check, when they are parsed.
bool WordprocessingDocument::mayBeEdited(std::string_view entry) const
{
    if (!m_mainEntry.empty() && common::equalsIgnoringCase(entry, m_mainEntry))
        return true;
    return std::any_of(m_mainRelationships.begin(), m_mainRelationships.end(), [entry](const Relationship& related) {
        return common::equalsIgnoringCase(related.targetEntry, entry) &&
               std::any_of(kEditedTargetTypes.begin(), kEditedTargetTypes.end(),
                           [&related](std::string_view type) { return isRelationshipType(related.type, type); });
    });
}

bool WordprocessingDocument::tracksFormatting()
{
    if (!m_tracksFormatting)
        m_tracksFormatting = tracksFormattingChanges(settings());
    return *m_tracksFormatting;
}

void WordprocessingDocument::loadRevisionIds()
{
    if (!m_lastRevisionId)
        m_lastRevisionId = highestIdInPackage();
}

std::int64_t WordprocessingDocument::newRevisionId()
{
    loadRevisionIds();
    return ++*m_lastRevisionId;
}

// Revision, comment and bookmark ids share one number space across the package's parts.
std::int64_t WordprocessingDocument::highestIdInPackage()
{
    std::int64_t highest = 0;
    for (const std::string& entry : m_source.entryNames()) {
        if (!common::equalsIgnoringCase(extensionOf(entry), "xml") || entry == kContentTypesEntry)
            continue;
        const xml::Element& root = part(entry).rootElement();
        const auto consider = [&highest](const xml::Element& element) {
            const pugi::xml_attribute id = xml::findAttribute(element, xml::Vocabulary::Word, "id");
            std::int64_t value = 0;
            const std::string_view text = id.value();
            const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
            if (error == std::errc() && end == text.data() + text.size())
                highest = std::max(highest, value);
        };
        consider(root);
        xml::walkElements(root, [&consider](const xml::Element& element) {
            consider(element);
            return xml::Walk::Descend;
        });
    }
    return highest;
}

std::map<std::string, std::string> WordprocessingDocument::changedParts() const
{
    std::map<std::string, std::string> changed;
    for (const auto& [entry, xmlPart] : m_parts) {
        if (xmlPart->changed())
            changed.emplace(entry, xmlPart->serialize());
    }
    return changed;
}

} // namespace glyphmere::docengine
