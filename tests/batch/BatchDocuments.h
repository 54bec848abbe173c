#pragma once

#include "support/TestDocuments.h"

#include <string>

namespace glyphmere::batch::testing {

// Writes a small Word document with a few paragraphs of text at path.
void writeDocument(const std::string& path, int paragraphs = 3);

// Whether the package at path opens as a Word document whose every run and paragraph mark in the main
// text carries the font name.
bool isRestyledWith(const std::string& path, const std::string& fontName);

} // namespace glyphmere::batch::testing
