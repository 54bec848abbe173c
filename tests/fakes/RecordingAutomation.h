#pragma once

#include "platform/Automation.h"

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace glyphmere::fakes {

// An automation service that records the whole conversation, so one assertion checks every call made to
// Word. Each object answers for a member path from its application ("Selection.Font"), and the document
// that Documents.Open returns answers for paths from "Document" ("Document.ActiveWindow.Selection"); a
// read of a path that has no scripted value gives a new object for that path. Transcript lines:
//   create Word.Application          attach Word.Application
//   get Document.ReadOnly            (only reads of scripted values, counts and default values are logged)
//   put Document.ActiveWindow.Selection.Font.name = "Arial"    put Visible = True
//   call Documents.Open("/d/a.docx", False, missing)    call Document.Close(0)    call Quit(0)
//   default Word.Application         enumerate FontNames
// Texts are quoted; integers, Booleans (True/False), doubles and missing are written bare.
// Documents.Count counts the documents opened and not yet closed, plus foreignDocuments.
class RecordingAutomation final : public platform::Automation {
public:
    platform::ObjectRef create(std::string_view className) override;
    platform::ObjectRef attach(std::string_view className) override;

    // Scripting ------------------------------------------------------------------------------------
    // A value that reads of this member path return, e.g. "Document.ActiveWindow.ActivePane.View.Type" -> 5.
    // A document opens writable in Word's .docx format, and Word saves nothing in the background.
    std::map<std::string, platform::Variant> values = {{"Document.ReadOnly", false},
                                                       {"Document.SaveFormat", std::int32_t{12}},
                                                       {"BackgroundSavingStatus", std::int32_t{0}}};
    // Values that reads of this member path return in turn before the one in values, e.g. a background
    // save still running: "BackgroundSavingStatus" -> {1, 1}.
    std::map<std::string, std::vector<platform::Variant>> valuesBefore;
    // The elements that enumerating this member path gives, e.g. "FontNames" -> {"Arial", "Calibri"}.
    std::map<std::string, std::vector<platform::Variant>> collections;
    // Transcript lines (without arguments: "call Documents.Open", "put Document.ActiveWindow.Selection.Font.Size",
    // "get FontNames", "create Word.Application") whose call throws an AutomationError with this text.
    std::map<std::string, std::string> failures;
    // Documents of the user's that landed in our instance; the last of them is its active document, so
    // any use of the application's ActiveDocument, Selection or ActiveWindow fails the test.
    int foreignDocuments = 0;
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
    // The scripted answer to a read of path, if it has one.
    std::optional<platform::Variant> scriptedValue(const std::string& path);
    void documentOpened() { ++m_openDocuments; }
    void documentClosed() { --m_openDocuments; }
    int documentCount() const { return m_openDocuments + foreignDocuments; }

private:
    int m_openDocuments = 0;
    int m_live = 0;
    int m_created = 0;
};

// The text of a value as the transcript shows it.
std::string transcriptText(const platform::Variant& value);

} // namespace glyphmere::fakes
