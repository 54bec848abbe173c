#pragma once

#include "platform/Variant.h"

#include <cstdint>

namespace glyphmere::word {

inline constexpr std::int32_t kDoNotSaveChanges = 0; // wdDoNotSaveChanges

// Ends a Word instance that this program created, but only when no document is open in it: Word hands a
// document the user opens from the file manager to a running instance, so ours may hold one of the
// user's, unsaved. Such an instance is made visible and left running, for the user to see and save.
// Throws AutomationError when Word cannot be asked; the instance is then not ended, since it cannot be
// shown to hold nothing of the user's.
void endOurWord(const platform::Variant& app);

} // namespace glyphmere::word
