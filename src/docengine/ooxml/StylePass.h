#pragma once

#include "docengine/ooxml/RunProperties.h"

namespace glyphmere::docengine {

class XmlPart;

// Gives the document defaults (w:docDefaults/w:rPrDefault/w:rPr, created when missing) and the run
// properties of every style that has them (the style's own and those of its table-part conditions) the
// change, so that text typed later, and text that takes its font from a style, gets it too. Returns how
// many property sets changed; the part is marked changed only then. Style definitions are not tracked
// as revisions. An EngineError when the part holds no style definitions.
int applyFontToStyles(XmlPart& styles, const FontChange& change);

} // namespace glyphmere::docengine
