#pragma once

#include "batch/BatchArguments.h"

#include <atomic>
#include <string>
#include <vector>

namespace glyphmere::batch {

// One line of the run: a document to restyle, or a path that fails without being opened (refusal set).
struct BatchItem {
    std::string path;
    std::string refusal;
};

struct InputList {
    std::vector<BatchItem> items;
    bool interrupted = false; // a stop was requested while the folders were being scanned
};

// The items for the inputs, in order: each file as given; for each folder, the documents with the
// extension below it, found by the same walk as the window's folder scan. A folder or entry that
// cannot be read becomes a failing item in its place. The walk stops when stop is set.
InputList listInputs(const std::vector<BatchInput>& inputs, const std::string& extension,
                     const std::atomic<bool>& stop);

} // namespace glyphmere::batch
