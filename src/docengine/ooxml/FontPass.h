#pragma once

#include "docengine/ooxml/RunProperties.h"

#include <vector>

namespace glyphmere::docengine {

class XmlPart;

// The places of one story that a font change reaches, collected once in document order: the run
// properties of every run and content control, and every paragraph mark's properties. A story is walked
// once however many changes follow (Font.Name, then Font.Size); properties that are missing are created
// only by a change that needs them, so a story that already has the font stays untouched. The targets
// stay valid while the part is changed only through them.
class StoryTargets {
public:
    // No story: the current page has no such header or footer. Every change is a no-op.
    StoryTargets() = default;

    // Every run and paragraph mark of the story in part (the main text, a header, a footer, the footnotes,
    // endnotes or comments). Text boxes, and the old formatting kept in revision marks, are left out.
    static StoryTargets ofStory(XmlPart& part);
    // The same for every text box (w:txbxContent) anywhere in part, each a story of its own, text boxes
    // inside text boxes included.
    static StoryTargets ofTextBoxes(XmlPart& part);

    bool hasStory() const { return m_part != nullptr; }

    // Gives every target the change, recording the old properties when revision is given. The part is
    // marked changed only when some property actually changed.
    StoryCounts apply(const FontChange& change, const RevisionMark* revision);

private:
    enum class Owner { ContentControl, Run, MathRun, Paragraph };
    struct Target {
        Owner owner;
        xml::Element element;    // the run, the paragraph, or the content control's properties
        xml::Element properties; // its run properties; no node until a change creates them
    };
    class Collector;

    explicit StoryTargets(XmlPart& part); // no targets yet
    // Gives target the change when it lacks part of it, creating its properties when needed: whether it did.
    bool changeTarget(Target& target, const PassContext& context) const;
    xml::Element createProperties(const Target& target) const;

    XmlPart* m_part = nullptr;
    xml::Element m_root; // owns the scope that the part's WordprocessingML URI lives in
    std::vector<Target> m_targets;
};

// Collects the story in part and applies the change: StoryTargets::ofStory(part).apply(...).
StoryCounts applyFontToStory(XmlPart& part, const FontChange& change, const RevisionMark* revision);

// The same for every text box in part: StoryTargets::ofTextBoxes(part).apply(...).
StoryCounts applyFontToTextBoxes(XmlPart& part, const FontChange& change, const RevisionMark* revision);

} // namespace glyphmere::docengine
