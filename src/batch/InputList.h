#pragma once

#include "batch/BatchArguments.h"

#include <atomic>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace glyphmere::batch {

// One line of the run: a document to restyle, or a path that fails without being opened (refusal set).
struct BatchItem {
    std::string path;
    std::string refusal;
    std::string shardKey; // the path as given or listed, or relative to the folder it was found in
};

struct InputList {
    std::vector<BatchItem> items;
    bool interrupted = false; // a stop was requested while the folders were being scanned
    std::string error;        // a list or report that could not be read: nothing is to be done
};

// How the inputs are read.
struct InputSources {
    std::string extension;                 // what a folder scan matches
    bool nullSeparated = false;            // --null
    std::istream* standardInput = nullptr; // the list named "-"
    bool windowsLists = false;             // lists may come as Windows writes text (see pathsInList)
};

// The items for the inputs, in order: each file as given; for each folder, the documents with the
// extension below it, found by the same walk as the window's folder scan; each path of a list; each
// document a report left undone (one that is now a folder is scanned). A folder or entry that cannot be
// read becomes a failing item in its place. The walk stops when stop is set.
InputList listInputs(const std::vector<BatchInput>& inputs, const InputSources& sources, const std::atomic<bool>& stop);

// The paths in a list: one per line, or each ended by a NUL byte; empty ones are skipped, every other
// byte is kept (a path may hold any byte but NUL). With windowsText, as Windows programs write lists: a
// line's CR before its LF and a UTF-8 byte order mark at the start are dropped (no Windows name holds
// either).
std::vector<std::string> pathsInList(std::string_view text, bool nullSeparated, bool windowsText = false);

} // namespace glyphmere::batch
