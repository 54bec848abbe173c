#pragma once

#include <string_view>

namespace glyphmere::docengine {

// What the restyle needs from the document properties (the Dop in the table stream): the refusals for
// protected and change-tracking documents, the facing-pages switch and the saved view.
class DocumentProperties {
public:
    // EngineError when the document is protected against editing or tracks changes, or when the Dop is
    // too short to hold its base.
    static DocumentProperties parse(std::string_view dop);

    bool facingPages() const { return m_facingPages; }
    // The saved view as Word's View.Type numbers it: normal 1, outline and master pages 5, web 6, else 3.
    int savedViewType() const { return m_savedViewType; }

private:
    bool m_facingPages = false;
    int m_savedViewType = 3;
};

} // namespace glyphmere::docengine
