#pragma once

#include "platform/Automation.h"

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace glyphmere::fakes {

// An automation service that records the whole conversation, so one assertion checks every call made to
// Word. Each object answers for a member path from its application ("Selection.Font"); a read of a path
// that has no scripted value gives a new object for that path. Transcript lines:
//   create Word.Application          attach Word.Application
//   get Selection.Font               (only reads of scripted values and default values are logged)
//   put Selection.Font.name = "Arial"    put ActiveWindow.ActivePane.View.Type = 3
//   call Documents.Open("/d/a.docx", missing)    call Quit()
//   default Word.Application         enumerate FontNames
// Texts are quoted; integers, Booleans (True/False), doubles and missing are written bare.
class RecordingAutomation final : public platform::Automation {
public:
    platform::ObjectRef create(std::string_view className) override;
    platform::ObjectRef attach(std::string_view className) override;

    // Scripting ------------------------------------------------------------------------------------
    // A value that reads of this member path return, e.g. "ActiveWindow.ActivePane.View.Type" -> 5.
    std::map<std::string, platform::Variant> values;
    // The elements that enumerating this member path gives, e.g. "FontNames" -> {"Arial", "Calibri"}.
    std::map<std::string, std::vector<platform::Variant>> collections;
    // Transcript lines (without arguments: "call Documents.Open", "put Selection.Font.Size",
    // "get FontNames", "create Word.Application") whose call throws an AutomationError with this text.
    std::map<std::string, std::string> failures;
    // What attach finds: nothing (it fails) or a running instance with this default value.
    bool running = false;
    std::string runningDefaultValue = "Microsoft Word";
    // The default value of an instance made by create.
    std::string createdDefaultValue = "Microsoft Word";

    // Observation ----------------------------------------------------------------------------------
    std::vector<std::string> transcript;
    // Instances made by create and not yet ended by Quit.
    int liveInstances() const { return m_live; }
    int createdInstances() const { return m_created; }

    // Used by the recorded objects.
    void record(const std::string& line, const std::string& failureKey);
    void instanceEnded() { --m_live; }

private:
    int m_live = 0;
    int m_created = 0;
};

// The text of a value as the transcript shows it.
std::string transcriptText(const platform::Variant& value);

} // namespace glyphmere::fakes
