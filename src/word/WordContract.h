#pragma once

#include "platform/Automation.h"
#include "platform/Dialogs.h"

#include <string>

namespace glyphmere::word {

inline constexpr const char* kWordClass = "Word.Application";
inline constexpr const char* kWordName = "Microsoft Word";

// The entries of a list control that procedures append to (the font list).
class ItemList {
public:
    virtual ~ItemList() = default;
    virtual void addItem(const std::string& text) = 0;
};

// Appends Word's font names to comboBox in Word's order, from an instance of its own that it ends
// before returning (or leaves visible, when a document of the user's landed in it). Throws
// AutomationError when Word cannot be started or asked.
void LoadFontNames(platform::Automation& automation, ItemList& comboBox);

// True when a running Word answers with its name, or is found but too busy to answer in time; every other
// failure counts as not running.
bool IsWordRunning(platform::Automation& automation);

// Asks whether to go on when Word is running. True means: abandon the run.
bool WarnIfWordOpen(platform::Automation& automation, platform::Dialogs& dialogs);

} // namespace glyphmere::word
