#include "batch/BatchCommandLine.h"

#include "batch/DocumentRestyler.h"
#include "batch/InputList.h"
#include "batch/JsonReport.h"
#include "batch/ParallelRun.h"
#include "batch/ProgressLine.h"
#include "common/SafeReplace.h"
#include "word/WordContract.h"

#include <exception>
#include <optional>
#include <ostream>

namespace glyphmere::batch {
namespace {

using platform::Variant;

constexpr const char* kProgramName = "glyphmere-batch";
constexpr mode_t kReportMode = 0644;

// Prints each outcome in input order, keeps the progress line, and keeps the outcomes for the report.
class RunPrinter final : public RunObserver {
public:
    RunPrinter(const std::vector<BatchItem>& items, const BatchEnvironment& environment)
        : m_items(items), m_out(environment.out), m_outcomes(items.size())
    {
        if (environment.errIsTerminal)
            m_progress.emplace(environment.err, items.size());
    }

    void finished(const Outcome& outcome) override
    {
        if (m_progress)
            m_progress->documentEnded(outcome.status == OutcomeStatus::Failed);
    }

    void inOrder(std::size_t index, const Outcome& outcome) override
    {
        if (m_progress)
            m_progress->clear();
        m_out << outcomeLine(m_items[index].path, outcome) << std::endl;
        if (m_progress && index + 1 < m_items.size())
            m_progress->redraw();
        m_outcomes[index] = outcome;
    }

    const std::vector<Outcome>& outcomes() const { return m_outcomes; }
    void clearProgress()
    {
        if (m_progress)
            m_progress->clear();
    }

private:
    const std::vector<BatchItem>& m_items;
    std::ostream& m_out;
    std::vector<Outcome> m_outcomes;
    std::optional<ProgressLine> m_progress;
};

std::size_t countOf(const std::vector<Outcome>& outcomes, OutcomeStatus status)
{
    std::size_t count = 0;
    for (const Outcome& outcome : outcomes)
        count += outcome.status == status ? 1 : 0;
    return count;
}

void reportInterruption(const std::vector<Outcome>& outcomes, std::ostream& err)
{
    const std::size_t notStarted = countOf(outcomes, OutcomeStatus::NotStarted);
    err << kProgramName << ": interrupted: " << outcomes.size() - notStarted << " of " << outcomes.size()
        << " documents were done (" << countOf(outcomes, OutcomeStatus::Changed) << " changed, "
        << countOf(outcomes, OutcomeStatus::Failed) << " failed); " << notStarted
        << " were not started and are as they were." << std::endl;
}

// Writes the report; false (with the reason on err) when it cannot be written.
bool writeReport(const std::string& reportPath, const std::vector<BatchItem>& items,
                 const std::vector<Outcome>& outcomes, bool interrupted, std::ostream& err)
{
    std::vector<std::string> paths;
    for (const BatchItem& item : items)
        paths.push_back(item.path);
    try {
        common::writeFileSafely(reportPath, reportJson(paths, outcomes, interrupted), {kReportMode});
        return true;
    } catch (const std::exception& error) {
        err << kProgramName << ": the report " << reportPath << " could not be written: " << error.what()
            << std::endl;
        return false;
    }
}

int runItems(const BatchArguments& parsed, const std::vector<BatchItem>& items, const BatchEnvironment& environment)
{
    DocumentRestyler restyler(parsed, environment.automation);
    std::vector<std::string> keys;
    for (const BatchItem& item : items)
        keys.push_back(exclusionKey(fullPath(item.path)));
    RunPrinter printer(items, environment);
    const bool interrupted =
        runInParallel(keys, parsed.jobs.value_or(environment.defaultJobs), environment.stop,
                      [&](std::size_t index) { return restyler.restyle(items[index]); }, printer);
    printer.clearProgress();
    if (interrupted)
        reportInterruption(printer.outcomes(), environment.err);
    const bool reported = parsed.reportPath.empty() ||
                          writeReport(parsed.reportPath, items, printer.outcomes(), interrupted, environment.err);
    if (interrupted)
        return kExitInterrupted;
    const bool anyFailed = countOf(printer.outcomes(), OutcomeStatus::Failed) > 0;
    return anyFailed || !reported ? kExitSomeFailed : kExitAllChanged;
}

int restyleFiles(const BatchArguments& parsed, const BatchEnvironment& environment)
{
    const InputList list = listInputs(parsed.inputs, parsed.scanExtension(), environment.stop);
    if (list.interrupted) {
        environment.err << kProgramName << ": interrupted while the folders were scanned; no document was changed."
                        << std::endl;
        return kExitInterrupted;
    }
    return runItems(parsed, list.items, environment);
}

std::vector<std::string> readFontNames(const Variant& app)
{
    std::vector<std::string> names;
    for (const Variant& font : app.get("FontNames").enumerate())
        names.push_back(font.toText());
    app.call("Quit");
    return names;
}

int listFonts(platform::Automation& automation, std::ostream& out, std::ostream& err)
{
    std::optional<Variant> app;
    try {
        app = Variant(automation.create(word::kWordClass));
        for (const std::string& name : readFontNames(*app))
            out << name << '\n';
        out.flush();
        return kExitAllChanged;
    } catch (const std::exception& error) {
        // The font list is all this command does: its failure is the outcome, reported with the reason.
        if (app) {
            try {
                app->call("Quit");
            } catch (const std::exception&) {
                // Already reporting the failure that matters.
            }
        }
        err << kProgramName << ": the font list could not be read: " << error.what() << std::endl;
        return kExitSomeFailed;
    }
}

} // namespace

int runCommandLine(const std::vector<std::string>& arguments, const BatchEnvironment& environment)
{
    const BatchArguments parsed = parseArguments(arguments);
    if (!parsed.error.empty()) {
        environment.err << kProgramName << ": " << parsed.error << "\n\n" << usageText() << std::flush;
        return kExitUsageError;
    }
    switch (parsed.command) {
    case Command::Help:
        environment.out << usageText() << std::flush;
        return kExitAllChanged;
    case Command::ListFonts:
        return listFonts(environment.automation, environment.out, environment.err);
    case Command::Restyle:
        break;
    }
    return restyleFiles(parsed, environment);
}

int runCommandLine(const std::vector<std::string>& arguments, platform::Automation& automation,
                   std::ostream& out, std::ostream& err)
{
    static const std::atomic<bool> kNeverStopped{false};
    return runCommandLine(arguments, BatchEnvironment{automation, out, err, kNeverStopped});
}

} // namespace glyphmere::batch
