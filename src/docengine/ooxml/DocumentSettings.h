#pragma once

#include <pugixml.hpp>

namespace glyphmere::docengine {

class XmlPart;

// What the engine reads from settings.xml. Each function takes nullptr for a document without settings.

// The saved view as Word's view type: normal 1, outline and master pages 5, web 6, otherwise print 3.
int savedViewType(const XmlPart* settings);
// w:evenAndOddHeaders is on.
bool usesEvenAndOddHeaders(const XmlPart* settings);
// Word records formatting as revisions: w:trackRevisions on (or editing restricted to tracked changes)
// and w:doNotTrackFormatting absent.
bool tracksFormattingChanges(const XmlPart* settings);
// Editing protection enforced as read-only, comments only or forms only.
bool forbidsEditing(const XmlPart* settings);

} // namespace glyphmere::docengine
