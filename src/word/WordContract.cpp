#include "word/WordContract.h"

#include "platform/AutomationError.h"
#include "platform/Variant.h"
#include "word/WordInstance.h"

#include <vector>

namespace glyphmere::word {
namespace {

using platform::AutomationError;
using platform::Variant;

constexpr const char* kWordMayBeOpen = "Word may be open. It is recommended that you close Word first.\r\n\r\n"
                                       "Would you like to proceed anyway?";

std::vector<std::string> fontNamesOf(const Variant& word)
{
    std::vector<std::string> names;
    for (const Variant& name : word.get("FontNames").enumerate())
        names.push_back(name.toText());
    return names;
}

} // namespace

void LoadFontNames(platform::Automation& automation, ItemList& comboBox)
{
    const Variant word(automation.create(kWordClass));
    std::vector<std::string> names;
    try {
        names = fontNamesOf(word);
    } catch (const AutomationError&) {
        // The instance is ours: end it before the read's failure goes on to the caller, so no
        // invisible Word is left running. A failure to end it here would only hide the first error.
        try {
            endOurWord(word);
        } catch (const AutomationError&) {
        }
        throw;
    }
    endOurWord(word);
    // Appended only once every name was read, so a failed read leaves the list as it was.
    for (const std::string& name : names)
        comboBox.addItem(name);
}

bool IsWordRunning(platform::Automation& automation)
{
    // An instance that is there but does not answer in time is busy (a dialog of its own, a long task):
    // it runs. Any other failure (nothing running, an instance that cannot be reached, a failing read)
    // means "not running"; the caller then goes on without a warning.
    try {
        const Variant word(automation.attach(kWordClass));
        return word.defaultValue().toText() == kWordName;
    } catch (const platform::AutomationTimeout&) {
        return true;
    } catch (const AutomationError&) {
        return false;
    }
}

bool WarnIfWordOpen(platform::Automation& automation, platform::Dialogs& dialogs)
{
    if (!IsWordRunning(automation))
        return false;
    const auto answer = dialogs.messageBox(kWordMayBeOpen, platform::MessageButtons::YesNo);
    return answer != platform::MessageAnswer::Yes;
}

} // namespace glyphmere::word
