#include "fakes/FakeDialogs.h"

#include <gtest/gtest.h>

namespace glyphmere::fakes {
namespace {

template <typename Answer>
Answer takeScripted(std::deque<Answer>& answers, const std::string& shown, Answer cancelled)
{
    if (answers.empty()) {
        ADD_FAILURE() << "unscripted dialog: " << shown;
        return cancelled;
    }
    Answer answer = std::move(answers.front());
    answers.pop_front();
    return answer;
}

} // namespace

platform::MessageAnswer FakeDialogs::messageBox(const std::string& text, platform::MessageButtons buttons)
{
    const bool yesNo = buttons == platform::MessageButtons::YesNo;
    log.push_back(std::string(yesNo ? "message[YesNo]: " : "message[Ok]: ") + text);
    messages.push_back(text);
    if (!yesNo && messageAnswers.empty())
        return platform::MessageAnswer::Ok; // an OK box needs no script
    return takeScripted(messageAnswers, log.back(), platform::MessageAnswer::No);
}

void FakeDialogs::messageBoxWithDetails(const std::string& text, const std::string& details)
{
    messageBox(text, platform::MessageButtons::Ok);
    messageDetails.push_back(details);
}

std::string FakeDialogs::inputBox(const std::string& prompt, const std::string& defaultAnswer)
{
    log.push_back("input: " + prompt + " [" + defaultAnswer + "]");
    return takeScripted(inputAnswers, log.back(), std::string());
}

std::vector<std::string> FakeDialogs::openFiles(const std::string& title, const std::string& filter)
{
    log.push_back("openFiles: " + title + " | " + filter);
    return takeScripted(openFilesAnswers, log.back(), std::vector<std::string>());
}

std::string FakeDialogs::browseForFolder(const std::string& title)
{
    log.push_back("browseForFolder: " + title);
    return takeScripted(folderAnswers, log.back(), std::string());
}

} // namespace glyphmere::fakes
