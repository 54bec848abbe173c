#include "doclist/EdgeScroll.h"

namespace glyphmere::doclist {

std::optional<int> edgeScrollRow(int pointerY, int listHeight, int rowHeight, int rowUnderPointer, int rowCount)
{
    if (pointerY < rowHeight) {
        if (rowUnderPointer > 1)
            return rowUnderPointer - 1;
    } else if (pointerY > listHeight - rowHeight) {
        if (rowUnderPointer + 1 <= rowCount)
            return rowUnderPointer + 1;
    }
    return std::nullopt;
}

} // namespace glyphmere::doclist
