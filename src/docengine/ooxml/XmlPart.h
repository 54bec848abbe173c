#pragma once

#include "docengine/ooxml/XmlNames.h"

#include <pugixml.hpp>

#include <memory>
#include <optional>
#include <string>

namespace glyphmere::docengine {

// One XML part of a package: its parsed markup, the encoding it came in, and whether the engine changed
// it. Parsing keeps everything that carries meaning (declaration, comments, processing instructions,
// whitespace-only text, unknown markup); writing adds no formatting and keeps the part's own encoding,
// so a part the engine changed differs from its original only where it was changed.
class XmlPart {
public:
    // Parses bytes, in place: the part keeps them as the parsed text's storage, so a large part is held once,
    // not copied. Malformed XML is an EngineError naming the part, the parser's description and offset.
    // With checkWellFormed, the bytes are first checked against the rules of well-formed XML that the parser
    // does not enforce (xmlWellFormednessProblem), for a part the engine may edit; what is found is kept for
    // requireWellFormed.
    XmlPart(std::string name, std::string bytes, bool checkWellFormed = false);

    const std::string& name() const { return m_name; }
    pugi::xml_document& document() { return *m_document; }
    const pugi::xml_document& document() const { return *m_document; }
    pugi::xml_node root() const { return m_document->document_element(); }
    // The root element with its namespaces, resolved once: the engine never changes the root's declarations.
    const xml::Element& rootElement() const { return m_rootElement; }

    // Throws EngineError naming the part when its bytes were found not well-formed. False when they were
    // never checked.
    bool requireWellFormed() const;

    void markChanged() { m_changed = true; }
    bool changed() const { return m_changed; }

    // The part's markup in its own encoding (with a byte order mark when the original had one).
    std::string serialize() const;

private:
    std::string m_name;
    // Declared before the document, which points into it: the document goes first.
    std::unique_ptr<std::string> m_text;
    std::unique_ptr<pugi::xml_document> m_document;
    xml::Element m_rootElement;
    std::size_t m_originalSize = 0;
    pugi::xml_encoding m_encoding = pugi::encoding_utf8;
    bool m_byteOrderMark = false;
    bool m_changed = false;
    bool m_checked = false;
    std::optional<std::string> m_notWellFormed;
};

} // namespace glyphmere::docengine
