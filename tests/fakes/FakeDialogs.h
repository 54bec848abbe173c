#pragma once

#include "platform/Dialogs.h"

#include <deque>
#include <string>
#include <vector>

namespace glyphmere::fakes {

// Dialogs with scripted answers. Every dialog shown is logged; a dialog with no scripted answer left
// fails the test loudly (and answers as a cancel would).
class FakeDialogs final : public platform::Dialogs {
public:
    platform::MessageAnswer messageBox(const std::string& text, platform::MessageButtons buttons) override;
    // Logged and answered as an OK message box; the details are kept apart.
    void messageBoxWithDetails(const std::string& text, const std::string& details) override;
    std::string inputBox(const std::string& prompt, const std::string& defaultAnswer) override;
    std::vector<std::string> openFiles(const std::string& title, const std::string& filter) override;
    std::string browseForFolder(const std::string& title) override;

    std::deque<platform::MessageAnswer> messageAnswers;
    std::deque<std::string> inputAnswers;
    std::deque<std::vector<std::string>> openFilesAnswers;
    std::deque<std::string> folderAnswers;

    // What was shown, in order: "message[Ok]: TEXT", "message[YesNo]: TEXT", "input: PROMPT [DEFAULT]",
    // "openFiles: TITLE | FILTER", "browseForFolder: TITLE".
    std::vector<std::string> log;
    std::vector<std::string> messages;       // the texts of the message boxes alone
    std::vector<std::string> messageDetails; // the details of the boxes that offered them
};

} // namespace glyphmere::fakes
