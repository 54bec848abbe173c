#pragma once

#include "docengine/document/FontChange.h"
#include "docengine/ooxml/XmlNames.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace glyphmere::docengine {

// How a formatting change is recorded when the document tracks formatting.
struct RevisionMark {
    std::string author;
    std::string date; // ISO 8601, UTC
    std::function<std::int64_t()> newId;
};

// Everything one pass over a part needs.
struct PassContext {
    std::string_view wordUri; // the namespace of the part's own WordprocessingML elements
    const FontChange& change;
    const RevisionMark* revision; // nullptr when formatting is not tracked
};

// A new WordprocessingML child of parent, placed before the first existing child that comes after it in
// the schema's sequence (rank order), or last.
xml::Element insertWordChild(const xml::Element& parent, std::string_view local, std::string_view wordUri,
                             const std::function<int(const xml::Name&)>& rankOf, int newRank);

// Whether runProperties (absent when its node is empty) already has what the change sets.
bool needsChange(const xml::Element& runProperties, const FontChange& change);

// Sets the change on runProperties, recording the old properties first when the pass tracks formatting.
void applyChange(const xml::Element& runProperties, const PassContext& context);

// needsChange and applyChange in one, looking at the children of runProperties once: whether it changed.
bool applyChangeIfNeeded(const xml::Element& runProperties, const PassContext& context);

} // namespace glyphmere::docengine
