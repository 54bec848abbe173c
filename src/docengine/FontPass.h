#pragma once

#include "docengine/RunProperties.h"

namespace glyphmere::docengine {

class XmlPart;

// Gives every run and every paragraph mark of the story in part (the main text, a header or a footer)
// the change. Text boxes, and the old formatting kept in revision marks, are left alone. The part is
// marked changed only when some property actually changed.
void applyFontToStory(XmlPart& part, const FontChange& change, const RevisionMark* revision);

} // namespace glyphmere::docengine
