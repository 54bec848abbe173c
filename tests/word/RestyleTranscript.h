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
// the read's number, so a transcript shows when each one was read.
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

inline Transcript opening(const std::string& path)
{
    return {"create Word.Application", "put DisplayAlerts = False", "put AutomationSecurity = 3",
            "call Documents.Open(\"" + path + "\", missing, missing, missing, \"glyphmere-no-password\")"};
}

// The font pass with the options' read number read.
inline Transcript fontPass(int read)
{
    return {"call Selection.WholeStory()", "put Selection.Font.name = \"Font" + std::to_string(read) + "\"",
            "put Selection.Font.Size = \"" + std::to_string(10 + read) + "\""};
}

inline Transcript saving(const std::string& path)
{
    return {"put Application.DisplayAlerts = False", "call ActiveDocument.SaveAs(\"" + path + "\")", "call Quit()"};
}

// The whole conversation for one document; savedViewType is what Word reports as the view's type.
inline Transcript restyleTranscript(const std::string& path, int headersAndFooters, int savedViewType)
{
    if (headersAndFooters != 1)
        return joined({opening(path), fontPass(1), saving(path)});
    const Transcript views = {"get ActiveWindow.ActivePane.View.Type", "put ActiveWindow.ActivePane.View.Type = 3",
                              "put ActiveWindow.ActivePane.View.SeekView = 9"};
    return joined({opening(path),
                   fontPass(1),
                   views,
                   fontPass(2),
                   {"put ActiveWindow.ActivePane.View.SeekView = 10"},
                   fontPass(3),
                   {"put ActiveWindow.ActivePane.View.Type = \"" + std::to_string(savedViewType) + "\""},
                   saving(path)});
}

// The Word calls (transcript lines without their arguments) that the failure tests make fail, one at a time.
inline const std::vector<std::string> kFailingSteps = {"put AutomationSecurity",
                                                       "call Documents.Open",
                                                       "put Selection.Font.name",
                                                       "put Selection.Font.Size",
                                                       "put ActiveWindow.ActivePane.View.SeekView",
                                                       "call ActiveDocument.SaveAs"};

} // namespace glyphmere::word::restyle_transcript
