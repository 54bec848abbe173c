#pragma once

#include <string>
#include <vector>

namespace glyphmere::platform {

enum class MessageButtons { Ok, YesNo };
enum class MessageAnswer { Ok, Yes, No };

// The program's modal dialogs. Every box has the title "Glyphmere" and no icon.
class Dialogs {
public:
    virtual ~Dialogs() = default;

    // With YesNo, Yes is the default button; closing the box otherwise counts as No.
    virtual MessageAnswer messageBox(const std::string& text, MessageButtons buttons) = 0;
    // An OK box that also offers details: text the user can read whole, select and copy, however long.
    virtual void messageBoxWithDetails(const std::string& text, const std::string& details) = 0;
    // The typed answer, or "" when cancelled.
    virtual std::string inputBox(const std::string& prompt, const std::string& defaultAnswer) = 0;
    // A multi-select open-file dialog. filter has the form "Label|pattern|Label|pattern", the first
    // entry selected. Returns the chosen files as full paths in the dialog's order; empty when cancelled.
    virtual std::vector<std::string> openFiles(const std::string& title, const std::string& filter) = 0;
    // The chosen folder's full path, or "" when cancelled or when the choice has no file-system path.
    virtual std::string browseForFolder(const std::string& title) = 0;
};

} // namespace glyphmere::platform
