#pragma once

#include <optional>

namespace glyphmere::doclist {

// Where the list scrolls right after an exchange step while reordering: a pointer within one row height
// of the list's top edge brings the row above the one under it into view, within one row height of the
// bottom edge the row below; in between nothing scrolls. pointerY and listHeight are measured on the
// list's row area; rows count from 1. The position of the row to bring into view, or none.
std::optional<int> edgeScrollRow(int pointerY, int listHeight, int rowHeight, int rowUnderPointer, int rowCount);

} // namespace glyphmere::doclist
