#pragma once

#include <string>
#include <vector>

namespace glyphmere::platform::win32::test {

// Registers the stand-in Word (standin_word.dll beside the test program) for the current user as the
// class of the ProgID "Word.Application", as an installed Word registers itself. False when it cannot.
bool registerStandInWord();
// Removes the ProgID "Word.Application" again, as uninstalling Word does. False when it cannot.
bool unregisterStandInWord();

// The stand-in's log for one test: every call the stand-in answers while it lives, and the one call the
// test makes fail.
class StandInLog {
public:
    StandInLog();
    StandInLog(const StandInLog&) = delete;
    StandInLog& operator=(const StandInLog&) = delete;
    ~StandInLog();

    // The calls so far, one transcript line each.
    std::vector<std::string> lines() const;
    // Makes the stand-in fail this call (a line without its arguments: "call Documents.Open").
    void failAt(const std::string& call) const;
    void clear() const;

private:
    std::wstring m_path;
};

} // namespace glyphmere::platform::win32::test
