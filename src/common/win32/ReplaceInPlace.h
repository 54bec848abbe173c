#pragma once

#include "common/SafeReplace.h"

#include <string>

namespace glyphmere::common {

// Puts the file at from in place of the file at to in one step, flushed to disk; SystemError, with
// nothing changed, when neither way works (a sharing violation: the target is open in another program).
PutInPlaceBy putInPlace(const std::string& from, const std::string& to);

} // namespace glyphmere::common
