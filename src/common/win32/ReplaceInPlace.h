#pragma once

#include <string>

namespace glyphmere::common {

// How a new file was put in place of its target.
enum class PutInPlaceBy {
    // ReplaceFileW: the target's attributes, security, creation time and alternate data streams (the
    // mark of a file that came from the internet among them) pass to the new file.
    Replacing,
    // MoveFileExW with write-through, where ReplaceFileW cannot be used: the target did not exist, or its
    // file system does not support replacing. The new file keeps its own attributes and security.
    Moving,
};

// Puts the file at from in place of the file at to in one step, flushed to disk; SystemError, with
// nothing changed, when neither way works (a sharing violation: the target is open in another program).
PutInPlaceBy putInPlace(const std::string& from, const std::string& to);

} // namespace glyphmere::common
