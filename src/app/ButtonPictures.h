#pragma once

#include <QPixmap>

namespace glyphmere::app {

// The 32 x 32 pictures of the three push buttons, drawn at start-up.
QPixmap wordDocumentPicture();         // "Add Word File(s)"
QPixmap folderWithPapersPicture();     // "Add All Word File(s) In Folder"
QPixmap documentAboveFontBoxPicture(); // "Change Font"

// A fully transparent 32 x 32 image: the window's icon, so the title bar shows none.
QPixmap transparentIcon();

} // namespace glyphmere::app
