#include "batch/BatchCommandLine.h"

#include "batch/DocumentRestyler.h"
#include "batch/FontNameNote.h"
#include "batch/InputList.h"
#include "batch/JsonLinesFile.h"
#include "batch/JsonReport.h"
#include "batch/ParallelRun.h"
#include "batch/ProgressLine.h"
#include "common/SafeReplace.h"
#include "glyphmere/Version.h"
#include "word/WordContract.h"

#include <cstdlib>
#include <exception>
#include <optional>
#include <ostream>

namespace glyphmere::batch {
namespace {

constexpr const char* kProgramName = "glyphmere-batch";
constexpr mode_t kReportMode = 0644;

// Prints each outcome in input order, keeps the progress line, and keeps the outcomes for the report
// (or writes each one's line to a JSON Lines report at once).
class RunPrinter final : public RunObserver {
public:
    RunPrinter(const std::vector<BatchItem>& items, const BatchEnvironment& environment, JsonLinesFile* lines)
        : m_items(items), m_out(environment.out), m_lines(lines), m_outcomes(items.size())
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
        // The report's line first: whoever sees a document's printed line finds it in the report too.
        if (m_lines)
            m_lines->append(reportLine(m_items[index].path, outcome));
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
    JsonLinesFile* m_lines;
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

void reportUnwritable(const std::string& reportPath, const std::string& reason, std::ostream& err)
{
    err << kProgramName << ": the report " << reportPath << " could not be written: " << reason << std::endl;
}

// Writes the whole-file report; false (with the reason on err) when it cannot be written.
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
        reportUnwritable(reportPath, error.what(), err);
        return false;
    }
}

// Ends the report: the whole file written now, or the JSON Lines file flushed. False when it failed.
bool finishReport(const BatchArguments& parsed, JsonLinesFile* lines, const std::vector<BatchItem>& items,
                  const std::vector<Outcome>& outcomes, bool interrupted, std::ostream& err)
{
    if (parsed.reportPath.empty())
        return true;
    if (!lines)
        return writeReport(parsed.reportPath, items, outcomes, interrupted, err);
    if (lines->finish())
        return true;
    reportUnwritable(parsed.reportPath, lines->failure(), err);
    return false;
}

int runItems(const BatchArguments& parsed, const std::vector<BatchItem>& items, const BatchEnvironment& environment,
             JsonLinesFile* lines)
{
    DocumentRestyler restyler(parsed, environment.automation, environment.saveDeferral);
    std::vector<std::string> keys;
    for (const BatchItem& item : items)
        keys.push_back(exclusionKey(fullPath(item.path)));
    restyler.claimBackupPlaces(keys);
    RunPrinter printer(items, environment, lines);
    const bool interrupted = runInParallel(
        keys, parsed.jobs.value_or(environment.defaultJobs), environment.stop,
        [&](std::size_t index) { return restyler.restyle(items[index], keys[index]); }, printer);
    printer.clearProgress();
    if (interrupted)
        reportInterruption(printer.outcomes(), environment.err);
    const bool reported = finishReport(parsed, lines, items, printer.outcomes(), interrupted, environment.err);
    if (interrupted)
        return kExitInterrupted;
    const bool anyFailed = countOf(printer.outcomes(), OutcomeStatus::Failed) > 0;
    return anyFailed || !reported ? kExitSomeFailed : kExitAllChanged;
}

// The JSON Lines report, created before the run so that a path that cannot be written stops it early.
std::optional<JsonLinesFile> openJsonLines(const BatchArguments& parsed, std::ostream& err, bool& failed)
{
    if (parsed.reportFormat != ReportFormat::JsonLines)
        return std::nullopt;
    try {
        return JsonLinesFile(parsed.reportPath);
    } catch (const std::exception& error) {
        reportUnwritable(parsed.reportPath, error.what(), err);
        failed = true;
        return std::nullopt;
    }
}

std::optional<std::string> processVariable(const std::string& name)
{
    const char* value = std::getenv(name.c_str());
    return value ? std::optional<std::string>(value) : std::nullopt;
}

// Keeps the items of the shard, in their order.
void keepShard(std::vector<BatchItem>& items, Shard shard)
{
    std::erase_if(items, [shard](const BatchItem& item) { return !belongsTo(item.shardKey, shard); });
}

int restyleFiles(const BatchArguments& parsed, std::optional<Shard> shard, const BatchEnvironment& environment)
{
    const InputSources sources{parsed.scanExtension(), parsed.nullSeparated, environment.in};
    InputList list = listInputs(parsed.inputs, sources, environment.stop);
    if (shard)
        keepShard(list.items, *shard);
    if (!list.error.empty()) {
        environment.err << kProgramName << ": " << list.error << std::endl;
        return kExitUsageError;
    }
    if (list.interrupted) {
        environment.err << kProgramName << ": interrupted while the folders were scanned; no document was changed."
                        << std::endl;
        return kExitInterrupted;
    }
    bool reportFailed = false;
    std::optional<JsonLinesFile> lines = openJsonLines(parsed, environment.err, reportFailed);
    if (reportFailed)
        return kExitUsageError;
    return runItems(parsed, list.items, environment, lines ? &*lines : nullptr);
}

// Word's font list, from an instance of its own that the window's font list procedure ends as it ends
// its own.
std::vector<std::string> installedFontNames(platform::Automation& automation)
{
    struct CollectedNames final : word::ItemList {
        void addItem(const std::string& text) override { names.push_back(text); }
        std::vector<std::string> names;
    } collected;
    word::LoadFontNames(automation, collected);
    return collected.names;
}

int listFonts(platform::Automation& automation, std::ostream& out, std::ostream& err)
{
    try {
        for (const std::string& name : installedFontNames(automation))
            out << name << '\n';
        out.flush();
        return kExitAllChanged;
    } catch (const std::exception& error) {
        // The font list is all this command does: its failure is the outcome, reported with the reason.
        err << kProgramName << ": the font list could not be read: " << error.what() << std::endl;
        return kExitSomeFailed;
    }
}

// Before the run, one note for each font name that is not installed. Word takes any name, and documents
// may be restyled for another machine's fonts, so the run goes on either way.
void noteUnknownFontNames(const BatchArguments& parsed, platform::Automation& automation, std::ostream& err)
{
    std::vector<std::string> installed;
    try {
        installed = installedFontNames(automation);
    } catch (const std::exception& error) {
        err << kProgramName << ": note: the installed fonts could not be listed, so the font names were not "
            << "checked: " << error.what() << std::endl;
        return;
    }
    if (installed.empty())
        return; // nothing to compare with (Word on a machine without its fonts)
    const std::pair<const char*, std::optional<std::string>> names[] = {
        {"--font", parsed.fontName},
        {"--east-asian-font", parsed.eastAsianFont},
        {"--complex-script-font", parsed.complexScriptFont}};
    for (const auto& [option, name] : names) {
        if (!name)
            continue;
        if (const std::optional<std::string> note = fontNameNote(option, *name, installed))
            err << kProgramName << ": note: " << *note << std::endl;
    }
}

int usageError(const std::string& error, std::ostream& err)
{
    err << kProgramName << ": " << error << "\nTry '" << kProgramName << " --help' for more information." << std::endl;
    return kExitUsageError;
}

} // namespace

int runCommandLine(const std::vector<std::string>& arguments, const BatchEnvironment& environment)
{
    const BatchArguments parsed = parseArguments(arguments);
    if (!parsed.error.empty())
        return usageError(parsed.error, environment.err);
    switch (parsed.command) {
    case Command::Help:
        environment.out << usageText() << std::flush;
        return kExitAllChanged;
    case Command::Version:
        environment.out << kProgramName << ' ' << kVersion << std::endl;
        return kExitAllChanged;
    case Command::ListFonts:
        return listFonts(environment.automation, environment.out, environment.err);
    case Command::Restyle:
        break;
    }
    std::optional<Shard> shard;
    if (parsed.shard) {
        std::string error;
        shard = resolveShard(*parsed.shard, environment.variable ? environment.variable : processVariable, error);
        if (!shard)
            return usageError(error, environment.err);
    }
    if (!parsed.quiet)
        noteUnknownFontNames(parsed, environment.automation, environment.err);
    return restyleFiles(parsed, shard, environment);
}

int runCommandLine(const std::vector<std::string>& arguments, platform::Automation& automation, std::ostream& out,
                   std::ostream& err)
{
    static const std::atomic<bool> kNeverStopped{false};
    return runCommandLine(arguments, BatchEnvironment{automation, out, err, kNeverStopped});
}

} // namespace glyphmere::batch
