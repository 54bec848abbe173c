#pragma once

#include "platform/win32/ServerProcess.h"

#include <map>
#include <string>
#include <vector>

namespace glyphmere::platform::win32::test {

// The stand-in's processes that run now.
ProcessIds standInProcesses();
// Waits (at most timeoutMilliseconds) until none of these processes runs any more; false if one still does.
bool waitUntilEnded(const ProcessIds& processes, unsigned timeoutMilliseconds);
// Ends every stand-in process, so a test leaves none behind whatever it found.
void endStandIns();

// Registers the stand-in Word (standin_word.exe beside the test program, a local server) for the current
// user as the class of the ProgID "Word.Application", as an installed Word registers itself. False when it
// cannot.
bool registerStandInWord();

// The stand-in's log for one test, and the switches the test sets (the stand-in's control file, which
// goes with it): every call the stand-in answers while it lives, and the faults it shows.
class StandInLog {
public:
    StandInLog();
    StandInLog(const StandInLog&) = delete;
    StandInLog& operator=(const StandInLog&) = delete;
    ~StandInLog();

    // The calls so far, one transcript line each.
    std::vector<std::string> lines() const;
    // Makes the stand-in fail this call (a line without its arguments: "call Documents.Open").
    void failAt(const std::string& call);
    // Sets one switch of the control file (StandInWord.h).
    void set(const std::string& name, const std::string& value);
    void clear() const;

private:
    void writeSwitches() const;

    std::wstring m_path;
    std::map<std::string, std::string> m_switches;
};

} // namespace glyphmere::platform::win32::test
