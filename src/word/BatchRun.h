#pragma once

#include "platform/Dialogs.h"
#include "platform/MousePointer.h"
#include "word/RestyleDocument.h"

#include <functional>
#include <string>
#include <vector>

namespace glyphmere::word {

// The document list as the run reads it: rows numbered from 1, each the full path of one document.
class DocumentRows {
public:
    virtual ~DocumentRows() = default;
    virtual int count() const = 0;
    virtual std::string text(int index) const = 0;
};

// The run's progress bar, from 0 to 100.
class ProgressBar {
public:
    virtual ~ProgressBar() = default;
    virtual void setProgress(float percent) = 0;
};

// What one run works with. warnIfWordOpen returns true to abandon the run; restyle changes one document.
struct BatchRunServices {
    const DocumentRows& rows;
    ProgressBar& progressBar;
    platform::PointerSetting& pointer;
    platform::Dialogs& dialogs;
    std::function<bool()> warnIfWordOpen;
    std::function<RestyleResult(const std::string& path)> restyle;
};

// A document that could not be changed, and why.
struct DocumentFailure {
    std::string path;
    std::string reason;
};

inline constexpr const char* kNoFilesMessage = "No files added.";
inline constexpr const char* kDoneMessage = "Done.";
inline constexpr int kMostFailuresListed = 20;

// The progress shown before document index (1-based) of count documents: (index + 1) / (count + 1) * 100,
// so the bar stands at 100 while the last document is changed.
float progressBefore(int index, int count);

// The message that ends a run over documentCount documents: "Done." alone when none failed, otherwise
// "Done." followed by how many failed and one "PATH: REASON" line for each of the first 20.
std::string closingMessage(int documentCount, const std::vector<DocumentFailure>& failures);

// Every failed document, "PATH: REASON", one a line: the details that the closing message offers, so none
// is lost past the twentieth.
std::string failureDetails(const std::vector<DocumentFailure>& failures);

// Restyles every listed document from the first row to the last under the hourglass, after the
// open-Word warning, going on past a document that fails, and ends with one message naming the failures.
// The pointer goes back to the default and the bar to 0 however the run ends.
void runBatch(const BatchRunServices& services);

} // namespace glyphmere::word
