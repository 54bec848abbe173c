#pragma once

#include <string>

namespace glyphmere::doclist {

// Appends one row at the bottom of the document list, with exactly the given text: all that the three
// ways of filling the list need of it.
class RowAppender {
public:
    virtual ~RowAppender() = default;

    virtual void Add(const std::string& text) = 0;
};

} // namespace glyphmere::doclist
