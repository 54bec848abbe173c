#pragma once

#include "docengine/RunProperties.h"

namespace glyphmere::docengine {

class XmlPart;

// How many run properties (of runs and content controls) and paragraph marks a pass changed.
struct StoryCounts {
    int runs = 0;
    int paragraphMarks = 0;
};

// Gives every run and every paragraph mark of the story in part (the main text, a header, a footer, the
// footnotes, endnotes or comments) the change. Text boxes, and the old formatting kept in revision marks,
// are left alone. The part is marked changed only when some property actually changed.
StoryCounts applyFontToStory(XmlPart& part, const FontChange& change, const RevisionMark* revision);

// The same for every text box (w:txbxContent) anywhere in part, each a story of its own, text boxes
// inside text boxes included.
StoryCounts applyFontToTextBoxes(XmlPart& part, const FontChange& change, const RevisionMark* revision);

} // namespace glyphmere::docengine
