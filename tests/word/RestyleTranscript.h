#pragma once

// The conversation with Word that one document restyle must hold, shared by the transcript tests on
// Linux (the recording automation fake) and on Windows (the stand-in Word under Wine), so both check the
// same calls. Plain C++: the Windows test program is built without GoogleTest.

#include "word/OptionsSource.h"

#include <initializer_list>
#include <string>
#include <vector>

namespace glyphmere::word::restyle_transcript {

using Transcript = std::vector<std::string>;

// Options whose font name changes at every read ("Font1", "Font2", ...) and whose size is 10 more than
// the read's number, so a transcript shows when each one was read. The size is read once more than the
// name: first to check it before Word is started.
class CountingOptions final : public OptionsSource {
public:
    explicit CountingOptions(int headersAndFooters) : m_headersAndFooters(headersAndFooters) {}

    std::string fontName() const override { return "Font" + std::to_string(++nameReads); }
    std::string fontSize() const override { return std::to_string(10 + ++sizeReads); }
    int headersAndFootersValue() const override { return m_headersAndFooters; }

    mutable int nameReads = 0;
    mutable int sizeReads = 0;

private:
    int m_headersAndFooters;
};

inline Transcript joined(std::initializer_list<Transcript> pieces)
{
    Transcript all;
    for (const Transcript& piece : pieces)
        all.insert(all.end(), piece.begin(), piece.end());
    return all;
}

inline const std::string kDummyPassword = "\"glyphmere-no-password\"";

// Up to the checks that Word opened the document writable and in its own format.
inline Transcript opening(const std::string& path)
{
    const std::string& password = kDummyPassword;
    return {"create Word.Application",
            "put DisplayAlerts = False",
            "put AutomationSecurity = 3",
            "call Documents.Open(\"" + path + "\", False, False, False, " + password + ", " + password + ", False, " +
                password + ", " + password + ", missing, missing, False, False, missing, True)",
            "get Document.ReadOnly",
            "get Document.SaveFormat"};
}

// The font pass with the options' name read number read (the size's read is one more); the size goes to
// Word as a number.
inline Transcript fontPass(int read)
{
    return {"call Document.ActiveWindow.Selection.WholeStory()",
            "put Document.ActiveWindow.Selection.Font.name = \"Font" + std::to_string(read) + "\"",
            "put Document.ActiveWindow.Selection.Font.Size = " + std::to_string(10 + read + 1)};
}

// Our document closed without saving, then the instance ended when no other document is open in it.
inline Transcript ending() { return {"call Document.Close(0)", "get Documents.Count", "call Quit(0)"}; }

// The save in the format Word reported (12 is .docx), and the end.
inline Transcript saving(const std::string& path, int format = 12)
{
    return joined({{"put Application.DisplayAlerts = False",
                    "call Document.SaveAs2(\"" + path + "\", " + std::to_string(format) + ", missing, missing, False)",
                    "get BackgroundSavingStatus"},
                   ending()});
}

// The whole conversation for one document; savedViewType is what Word reports as the view's type.
inline Transcript restyleTranscript(const std::string& path, int headersAndFooters, int savedViewType)
{
    if (headersAndFooters != 1)
        return joined({opening(path), fontPass(1), saving(path)});
    const std::string view = "Document.ActiveWindow.ActivePane.View.";
    return joined({opening(path),
                   fontPass(1),
                   {"get " + view + "Type", "put " + view + "Type = 3", "put " + view + "SeekView = 9"},
                   fontPass(2),
                   {"put " + view + "SeekView = 10"},
                   fontPass(3),
                   {"put " + view + "Type = \"" + std::to_string(savedViewType) + "\""},
                   saving(path)});
}

// The Word calls (transcript lines without their arguments) that the failure tests make fail, one at a time.
inline const std::vector<std::string> kFailingSteps = {"put AutomationSecurity",
                                                       "call Documents.Open",
                                                       "get Document.ReadOnly",
                                                       "get Document.SaveFormat",
                                                       "call Document.ActiveWindow.Selection.WholeStory",
                                                       "put Document.ActiveWindow.Selection.Font.name",
                                                       "put Document.ActiveWindow.Selection.Font.Size",
                                                       "put Document.ActiveWindow.ActivePane.View.SeekView",
                                                       "call Document.SaveAs2",
                                                       "get BackgroundSavingStatus"};

} // namespace glyphmere::word::restyle_transcript
