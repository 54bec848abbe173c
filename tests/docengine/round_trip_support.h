#pragma once

#include "support/TestDocuments.h"

#include <string>
#include <vector>

namespace glyphmere::docengine::round_trip {

// Restyles the document at path the way the batch run does (hostile::restyleWithEngine) and returns the
// failure's reason, or "" when the document was changed and saved; fails the running test when an engine
// instance was left running.
std::string restyle(const std::string& path, const std::string& fontName, const std::string& fontSize,
                    bool headersAndFooters = false);

// Compares a saved package with its original, entry by entry, and returns the names of the entries
// whose stored (compressed) bytes differ. Fails the running test when the entries or their order differ,
// or when a differing entry is not an XML part that kept its declaration, every text and every element
// apart from run properties (w:rPr) and paragraph-mark properties.
std::vector<std::string> changedEntries(const std::string& originalPath, const std::string& savedPath);

// Fails the running test unless every run and every paragraph mark of the story in partXml (outside text
// boxes) has the font name and size, with no theme font left to override the name. Returns how many
// runs and paragraph marks it checked.
int expectStoryRestyled(const std::string& partXml, const std::string& fontName, int halfPoints);

// Every text box (w:txbxContent) in the part, written out: a text box is a story of its own, which a
// font pass over the story that holds its anchor leaves as it was.
std::vector<std::string> textBoxes(const std::string& partXml);

// The entries of a .docx whose body is bodyXml and whose settings part holds settingsXml.
std::vector<testing_support::PackageEntry> documentWithSettings(const std::string& bodyXml,
                                                                const std::string& settingsXml);

// The inflated bytes of one entry of the package at path ("" when it has none).
std::string entryText(const std::string& path, const std::string& entry);

} // namespace glyphmere::docengine::round_trip
