#include "round_trip_support.h"

#include "EngineRestyle.h"
#include "package_test_support.h"
#include "support/TestDocuments.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <algorithm>
#include <cstring>
#include <optional>
#include <sstream>

namespace glyphmere::docengine::round_trip {
namespace {

constexpr unsigned kParseFlags = pugi::parse_full | pugi::parse_ws_pcdata;

bool named(pugi::xml_node node, const char* qualifiedName) { return std::strcmp(node.name(), qualifiedName) == 0; }

bool parse(pugi::xml_document& document, const std::string& bytes, const std::string& label)
{
    const pugi::xml_parse_result result = document.load_buffer(bytes.data(), bytes.size(), kParseFlags);
    EXPECT_TRUE(result) << label << ": " << result.description() << " at " << result.offset;
    return static_cast<bool>(result);
}

// Paragraph properties without their mark's run properties; nothing when nothing else is left, since
// the font pass creates w:pPr to hold the mark's properties.
bool onlyMarkProperties(pugi::xml_node properties)
{
    if (!named(properties, "w:pPr") || properties.first_attribute())
        return false;
    return std::all_of(properties.begin(), properties.end(),
                       [](pugi::xml_node child) { return named(child, "w:rPr"); });
}

// Every node in document order, written out, leaving out what a font pass may change.
void writeSkeleton(pugi::xml_node node, std::string& out)
{
    if (named(node, "w:rPr") || onlyMarkProperties(node))
        return;
    out += std::to_string(static_cast<int>(node.type())) + "<" + node.name();
    for (pugi::xml_attribute attribute : node.attributes())
        out += std::string(" ") + attribute.name() + "=\"" + attribute.value() + "\"";
    out += ">" + std::string(node.value());
    for (pugi::xml_node child : node.children())
        writeSkeleton(child, out);
    out += "</>";
}

std::vector<std::string> textsOf(const pugi::xml_document& document)
{
    std::vector<std::string> texts;
    for (const pugi::xpath_node& text : document.select_nodes("//*[name()='w:t']"))
        texts.emplace_back(text.node().text().get());
    return texts;
}

void expectSameContent(const std::string& entry, const std::string& original, const std::string& saved)
{
    pugi::xml_document before;
    pugi::xml_document after;
    if (!parse(before, original, entry + " (original)") || !parse(after, saved, entry + " (saved)"))
        return;
    EXPECT_EQ(textsOf(before), textsOf(after)) << entry;
    std::string skeletonBefore;
    std::string skeletonAfter;
    writeSkeleton(before, skeletonBefore);
    writeSkeleton(after, skeletonAfter);
    EXPECT_EQ(skeletonBefore, skeletonAfter) << entry << " changed outside run and paragraph-mark properties";
}

bool insideTextBoxOrRevision(pugi::xml_node node)
{
    for (pugi::xml_node up = node.parent(); up; up = up.parent()) {
        if (named(up, "w:txbxContent") || named(up, "w:rPrChange") || named(up, "w:pPrChange"))
            return true;
    }
    return false;
}

// The order of run properties in the schema, a paragraph mark's revision marks first. Word refuses a
// document whose properties are out of this order.
const std::vector<std::string> kRunPropertySequence{"w:ins",
                                                    "w:del",
                                                    "w:moveFrom",
                                                    "w:moveTo",
                                                    "w:rStyle",
                                                    "w:rFonts",
                                                    "w:b",
                                                    "w:bCs",
                                                    "w:i",
                                                    "w:iCs",
                                                    "w:caps",
                                                    "w:smallCaps",
                                                    "w:strike",
                                                    "w:dstrike",
                                                    "w:outline",
                                                    "w:shadow",
                                                    "w:emboss",
                                                    "w:imprint",
                                                    "w:noProof",
                                                    "w:snapToGrid",
                                                    "w:vanish",
                                                    "w:webHidden",
                                                    "w:color",
                                                    "w:spacing",
                                                    "w:w",
                                                    "w:kern",
                                                    "w:position",
                                                    "w:sz",
                                                    "w:szCs",
                                                    "w:highlight",
                                                    "w:u",
                                                    "w:effect",
                                                    "w:bdr",
                                                    "w:shd",
                                                    "w:fitText",
                                                    "w:vertAlign",
                                                    "w:rtl",
                                                    "w:cs",
                                                    "w:em",
                                                    "w:lang",
                                                    "w:eastAsianLayout",
                                                    "w:specVanish",
                                                    "w:oMath",
                                                    "w:rPrChange"};

pugi::xml_node firstElement(pugi::xml_node parent)
{
    for (pugi::xml_node child : parent.children()) {
        if (child.type() == pugi::node_element)
            return child;
    }
    return {};
}

std::optional<std::size_t> schemaRank(pugi::xml_node child)
{
    const auto found = std::find(kRunPropertySequence.begin(), kRunPropertySequence.end(), child.name());
    if (found == kRunPropertySequence.end())
        return std::nullopt; // another vocabulary's extension
    return static_cast<std::size_t>(found - kRunPropertySequence.begin());
}

// The properties a font pass sets stand where the schema orders them among their siblings (the order
// of the others is the writer's own business), and the properties stand first in their run or just
// before the section properties in their paragraph's.
void expectSchemaOrder(pugi::xml_node properties, const std::string& where)
{
    for (const char* placed : {"w:rFonts", "w:sz", "w:szCs"}) {
        const pugi::xml_node own = properties.child(placed);
        if (!own)
            continue; // reported by the caller
        const std::size_t ownRank = *schemaRank(own);
        bool before = true;
        for (pugi::xml_node child : properties.children()) {
            if (child == own) {
                before = false;
                continue;
            }
            const auto rank = schemaRank(child);
            EXPECT_TRUE(!rank || (before ? *rank <= ownRank : *rank >= ownRank))
                << where << ": " << placed << " and " << child.name() << " are out of the schema's order";
        }
    }
    const pugi::xml_node owner = properties.parent();
    if (named(owner, "w:r")) {
        EXPECT_EQ(firstElement(owner), properties) << where << ": w:rPr must come first in its run";
    }
    if (!named(owner, "w:pPr"))
        return;
    for (pugi::xml_node after = properties.next_sibling(); after; after = after.next_sibling()) {
        if (after.type() == pugi::node_element) {
            EXPECT_TRUE(named(after, "w:sectPr") || named(after, "w:pPrChange")) << where << ": " << after.name();
        }
    }
    EXPECT_EQ(firstElement(owner.parent()), owner) << where << ": w:pPr must come first in its paragraph";
}

void expectProperties(pugi::xml_node properties, const std::string& fontName, int halfPoints, const std::string& where)
{
    expectSchemaOrder(properties, where);
    const pugi::xml_node fonts = properties.child("w:rFonts");
    EXPECT_EQ(std::string(fonts.attribute("w:ascii").value()), fontName) << where;
    EXPECT_EQ(std::string(fonts.attribute("w:hAnsi").value()), fontName) << where;
    EXPECT_FALSE(fonts.attribute("w:asciiTheme") || fonts.attribute("w:hAnsiTheme")) << where;
    EXPECT_EQ(properties.child("w:sz").attribute("w:val").as_int(), halfPoints) << where;
    EXPECT_EQ(properties.child("w:szCs").attribute("w:val").as_int(), halfPoints) << where;
}

} // namespace

std::string restyle(const std::string& path, const std::string& fontName, const std::string& fontSize,
                    bool headersAndFooters)
{
    std::size_t instancesLeft = 0;
    std::string reason = hostile::restyleWithEngine(path, headersAndFooters, fontName, fontSize, &instancesLeft);
    EXPECT_EQ(instancesLeft, 0u) << "the instance was not ended";
    return reason;
}

std::vector<std::string> changedEntries(const std::string& originalPath, const std::string& savedPath)
{
    using package_testing::storedEntries;
    const auto before = storedEntries(originalPath);
    const auto after = storedEntries(savedPath);
    std::vector<std::string> namesBefore, namesAfter, changed;
    for (const auto& entry : before)
        namesBefore.push_back(entry.name);
    for (const auto& entry : after)
        namesAfter.push_back(entry.name);
    EXPECT_EQ(namesBefore, namesAfter) << "the entries or their order changed";
    if (namesBefore != namesAfter)
        return namesAfter;
    for (std::size_t i = 0; i < before.size(); ++i) {
        if (before[i].rawBytes == after[i].rawBytes && before[i].method == after[i].method)
            continue;
        changed.push_back(before[i].name);
        expectSameContent(before[i].name, entryText(originalPath, before[i].name),
                          entryText(savedPath, before[i].name));
    }
    return changed;
}

int expectStoryRestyled(const std::string& partXml, const std::string& fontName, int halfPoints)
{
    pugi::xml_document document;
    if (!parse(document, partXml, "restyled part"))
        return 0;
    int checked = 0;
    for (const pugi::xpath_node& found : document.select_nodes("//*[name()='w:r' or name()='w:p']")) {
        const pugi::xml_node node = found.node();
        if (insideTextBoxOrRevision(node))
            continue;
        const bool paragraph = named(node, "w:p");
        const pugi::xml_node properties = paragraph ? node.child("w:pPr").child("w:rPr") : node.child("w:rPr");
        expectProperties(properties, fontName, halfPoints,
                         std::string(paragraph ? "paragraph mark " : "run ") + std::to_string(checked));
        ++checked;
    }
    return checked;
}

std::vector<std::string> textBoxes(const std::string& partXml)
{
    pugi::xml_document document;
    std::vector<std::string> boxes;
    if (!parse(document, partXml, "part"))
        return boxes;
    for (const pugi::xpath_node& box : document.select_nodes("//*[name()='w:txbxContent']")) {
        std::ostringstream markup;
        box.node().print(markup, "", pugi::format_raw);
        boxes.push_back(markup.str());
    }
    return boxes;
}

std::vector<testing_support::PackageEntry> documentWithSettings(const std::string& bodyXml,
                                                                const std::string& settingsXml)
{
    using testing_support::kWordNamespace;
    return testing_support::minimalDocx(
        bodyXml,
        {{"word/settings.xml",
          R"(<w:settings xmlns:w=")" + std::string(kWordNamespace) + R"(">)" + settingsXml + "</w:settings>"}},
        R"(<Relationship Id="rS" Type="http://schemas.openxmlformats.org/officeDocument/2006/)"
        R"(relationships/settings" Target="settings.xml"/>)");
}

std::string entryText(const std::string& path, const std::string& entry)
{
    for (const auto& [name, bytes] : testing_support::readPackage(path)) {
        if (name == entry)
            return bytes;
    }
    return "";
}

} // namespace glyphmere::docengine::round_trip
