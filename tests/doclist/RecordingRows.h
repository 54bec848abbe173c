#pragma once

#include "doclist/RowAppender.h"

#include <string>
#include <vector>

namespace glyphmere::doclist {

// The rows appended, in order, without a list control.
class RecordingRows final : public RowAppender {
public:
    void Add(const std::string& text) override { rows.push_back(text); }
    std::vector<std::string> rows;
};

} // namespace glyphmere::doclist
