#include "word/BatchRun.h"

#include <algorithm>

namespace glyphmere::word {
namespace {

constexpr const char* kLineBreak = "\r\n";

// The bound is read once, before the first document; the list cannot change meanwhile, since the run
// never yields to the window.
std::vector<DocumentFailure> restyleEveryRow(const BatchRunServices& services, int rowCount)
{
    std::vector<DocumentFailure> failures;
    for (int index = 1; index <= rowCount; ++index) {
        services.progressBar.setProgress(progressBefore(index, services.rows.count()));
        const std::string path = services.rows.text(index);
        RestyleResult result = services.restyle(path);
        if (!result.ok)
            failures.push_back({path, std::move(result.reason)});
    }
    return failures;
}

// Everything between the hourglass and the return to idle.
void runUnderHourglass(const BatchRunServices& services)
{
    if (services.rows.count() < 1) {
        services.dialogs.messageBox(kNoFilesMessage, platform::MessageButtons::Ok);
        return;
    }
    if (services.warnIfWordOpen())
        return;
    const int documentCount = services.rows.count();
    const std::vector<DocumentFailure> failures = restyleEveryRow(services, documentCount);
    const std::string message = closingMessage(documentCount, failures);
    if (failures.empty())
        services.dialogs.messageBox(message, platform::MessageButtons::Ok);
    else
        services.dialogs.messageBoxWithDetails(message, failureDetails(failures));
}

// Gives the pointer back and empties the bar when the run ends, whichever way it ends.
class BackToIdle {
public:
    explicit BackToIdle(const BatchRunServices& services) : m_services(services) {}
    ~BackToIdle()
    {
        m_services.pointer.setMousePointer(platform::MousePointer::Default);
        m_services.progressBar.setProgress(0.0f);
    }
    BackToIdle(const BackToIdle&) = delete;
    BackToIdle& operator=(const BackToIdle&) = delete;

private:
    const BatchRunServices& m_services;
};

} // namespace

float progressBefore(int index, int count)
{
    const double percent = (static_cast<double>(index) + 1.0) / (static_cast<double>(count) + 1.0) * 100.0;
    return static_cast<float>(percent);
}

std::string closingMessage(int documentCount, const std::vector<DocumentFailure>& failures)
{
    std::string message = kDoneMessage;
    if (failures.empty())
        return message;
    message += std::string(kLineBreak) + kLineBreak + std::to_string(failures.size()) + " of " +
               std::to_string(documentCount) + " documents could not be changed:";
    const std::size_t listed = std::min(failures.size(), static_cast<std::size_t>(kMostFailuresListed));
    for (std::size_t i = 0; i < listed; ++i)
        message += kLineBreak + failures[i].path + ": " + failures[i].reason;
    if (failures.size() > listed)
        message += kLineBreak + std::string("... and ") + std::to_string(failures.size() - listed) + " more.";
    return message;
}

std::string failureDetails(const std::vector<DocumentFailure>& failures)
{
    std::string details;
    for (const DocumentFailure& failure : failures) {
        if (!details.empty())
            details += '\n';
        details += failure.path + ": " + failure.reason;
    }
    return details;
}

void runBatch(const BatchRunServices& services)
{
    services.pointer.setMousePointer(platform::MousePointer::Hourglass);
    const BackToIdle idle(services);
    runUnderHourglass(services);
}

} // namespace glyphmere::word
