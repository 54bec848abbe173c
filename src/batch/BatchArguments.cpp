#include "batch/BatchArguments.h"

#include "platform/NumberText.h"

#include <charconv>
#include <exception>

namespace glyphmere::batch {
namespace {

// One option with a value: "--font NAME" or "--font=NAME". Returns the value, or nothing when argument
// is not this option; sets error when the value is missing or was given before.
std::optional<std::string> optionValue(const std::vector<std::string>& arguments, std::size_t& index,
                                       const std::string& option, bool alreadyGiven, std::string& error)
{
    const std::string& argument = arguments[index];
    std::optional<std::string> value;
    if (argument.starts_with(option + "="))
        value = argument.substr(option.size() + 1);
    else if (argument != option)
        return std::nullopt;
    else if (index + 1 < arguments.size())
        value = arguments[++index];
    if (!value || value->empty())
        error = option + " needs a value";
    else if (alreadyGiven)
        error = option + " is given more than once";
    return value.value_or("");
}

bool readSwitch(const std::string& argument, BatchArguments& parsed, bool& listFonts)
{
    if (argument == "--help" || argument == "-h")
        parsed.command = Command::Help;
    else if (argument == "--version")
        parsed.command = parsed.command == Command::Help ? Command::Help : Command::Version;
    else if (argument == "--list-fonts")
        listFonts = true;
    else if (argument == "--headers-footers")
        parsed.headersAndFooters = true;
    else if (argument == "--all-stories")
        parsed.allStories = true;
    else if (argument == "--styles")
        parsed.styles = true;
    else if (argument == "--dry-run")
        parsed.dryRun = true;
    else if (argument == "--null")
        parsed.nullSeparated = true;
    else if (argument == "--quiet")
        parsed.quiet = true;
    else
        return false;
    return true;
}

// The options with a value that is kept as text.
bool readTextOption(const std::vector<std::string>& arguments, std::size_t& index, BatchArguments& parsed)
{
    std::string& error = parsed.error;
    if (auto font = optionValue(arguments, index, "--font", !parsed.fontName.empty(), error))
        parsed.fontName = *font;
    else if (auto size = optionValue(arguments, index, "--size", !parsed.fontSize.empty(), error))
        parsed.fontSize = *size;
    else if (auto name = optionValue(arguments, index, "--east-asian-font", parsed.eastAsianFont.has_value(), error))
        parsed.eastAsianFont = *name;
    else if (auto cs =
                 optionValue(arguments, index, "--complex-script-font", parsed.complexScriptFont.has_value(), error))
        parsed.complexScriptFont = *cs;
    else if (auto extension = optionValue(arguments, index, "--ext", parsed.extension.has_value(), error))
        parsed.extension = *extension;
    else if (auto report = optionValue(arguments, index, "--report", !parsed.reportPath.empty(), error))
        parsed.reportPath = *report;
    else if (auto backup = optionValue(arguments, index, "--backup", !parsed.backupFolder.empty(), error))
        parsed.backupFolder = *backup;
    else if (auto folder = optionValue(arguments, index, "--recursive", false, error))
        parsed.inputs.push_back({*folder, InputKind::Folder});
    else if (auto list = optionValue(arguments, index, "--files-from", false, error))
        parsed.inputs.push_back({*list, InputKind::PathList});
    else if (auto report = optionValue(arguments, index, "--retry-failed", false, error))
        parsed.inputs.push_back({*report, InputKind::RetryReport});
    else
        return false;
    return true;
}

std::optional<unsigned long> wholeNumber(std::string_view text)
{
    unsigned long number = 0;
    const auto [end, failure] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (text.empty() || failure != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return number;
}

// "K/N", "auto" or "auto/N"; nothing when text is none of them or K is not below N.
std::optional<ShardRequest> shardRequest(const std::string& text)
{
    if (text == "auto")
        return ShardRequest{};
    const std::size_t slash = text.find('/');
    if (slash == std::string::npos)
        return std::nullopt;
    const std::string_view index = std::string_view(text).substr(0, slash);
    const std::optional<unsigned long> count = wholeNumber(std::string_view(text).substr(slash + 1));
    if (!count || *count == 0)
        return std::nullopt;
    if (index == "auto")
        return ShardRequest{std::nullopt, count};
    const std::optional<unsigned long> number = wholeNumber(index);
    if (!number || *number >= *count)
        return std::nullopt;
    return ShardRequest{number, count};
}

// The options whose value is checked as it is read.
bool readCheckedOption(const std::vector<std::string>& arguments, std::size_t& index, BatchArguments& parsed)
{
    std::string& error = parsed.error;
    if (auto format = optionValue(arguments, index, "--report-format", parsed.reportFormat.has_value(), error)) {
        parsed.reportFormat = *format == "jsonl" ? ReportFormat::JsonLines : ReportFormat::Json;
        if (*format != "json" && *format != "jsonl" && error.empty())
            error = "--report-format needs json or jsonl, not \"" + *format + "\"";
    } else if (auto shard = optionValue(arguments, index, "--shard", parsed.shard.has_value(), error)) {
        parsed.shard = shardRequest(*shard).value_or(ShardRequest{});
        if (!shardRequest(*shard) && error.empty())
            error = "--shard needs K/N with K from 0 to N-1 (such as 2/8), auto or auto/N, not \"" + *shard + "\"";
    } else {
        return false;
    }
    return true;
}

std::optional<unsigned> jobCount(const std::string& text)
{
    const std::optional<unsigned long> count = wholeNumber(text);
    if (!count || *count < 1 || *count > kMaxJobs)
        return std::nullopt;
    return static_cast<unsigned>(*count);
}

// Reads one option at index (moving past its value); false when the argument is no option we know.
bool readOption(const std::vector<std::string>& arguments, std::size_t& index, BatchArguments& parsed, bool& listFonts)
{
    if (readSwitch(arguments[index], parsed, listFonts) || readTextOption(arguments, index, parsed) ||
        readCheckedOption(arguments, index, parsed))
        return true;
    const auto jobs = optionValue(arguments, index, "--jobs", parsed.jobs.has_value(), parsed.error);
    if (!jobs)
        return false;
    parsed.jobs = jobCount(*jobs);
    if (!parsed.jobs && parsed.error.empty())
        parsed.error = "--jobs needs a whole number from 1 to " + std::to_string(kMaxJobs) + ", not \"" + *jobs + "\"";
    parsed.jobs = parsed.jobs.value_or(1);
    return true;
}

// The reason the engine would refuse a font name, prefixed with its option; "" when it is usable.
std::string fontNameError(const std::string& option, const std::optional<std::string>& name)
{
    if (!name)
        return "";
    docengine::RestyleRequest request{.fontName = *name, .fontSize = "12"};
    try {
        docengine::fontChangeFor(request);
    } catch (const std::exception& error) {
        return option + ": " + error.what();
    }
    return "";
}

std::size_t countOf(const BatchArguments& parsed, InputKind kind)
{
    std::size_t count = 0;
    for (const BatchInput& input : parsed.inputs)
        count += input.kind == kind ? 1 : 0;
    return count;
}

std::string inputsError(const BatchArguments& parsed)
{
    if (parsed.inputs.empty())
        return "no files or folders given";
    std::size_t fromStandardInput = 0;
    for (const BatchInput& input : parsed.inputs) {
        if (input.path.empty())
            return "an empty file name was given";
        fromStandardInput += input.kind == InputKind::PathList && input.path == "-" ? 1 : 0;
    }
    // A retried folder, one that could not be read before, is scanned again.
    const bool scansFolders = countOf(parsed, InputKind::Folder) + countOf(parsed, InputKind::RetryReport) > 0;
    if (parsed.extension && !scansFolders)
        return "--ext applies only to folders given with --recursive";
    if (parsed.extension && parsed.extension->find('/') != std::string::npos)
        return "--ext needs an extension such as docx, not \"" + *parsed.extension + "\"";
    if (parsed.nullSeparated && countOf(parsed, InputKind::PathList) == 0)
        return "--null applies only to lists given with --files-from";
    if (fromStandardInput > 1)
        return "--files-from - is given more than once; standard input can be read only once";
    return "";
}

// What is wrong with a complete set of restyle arguments, or "" when nothing is.
std::string restyleArgumentsError(const BatchArguments& parsed)
{
    if (parsed.fontName.empty())
        return "--font NAME is required";
    if (parsed.fontSize.empty())
        return "--size POINTS is required";
    if (!platform::isNumeric(parsed.fontSize))
        return "--size needs a number of points, not \"" + parsed.fontSize + "\"";
    for (const std::string& error :
         {fontNameError("--font", parsed.fontName), fontNameError("--east-asian-font", parsed.eastAsianFont),
          fontNameError("--complex-script-font", parsed.complexScriptFont)}) {
        if (!error.empty())
            return error;
    }
    if (parsed.dryRun && !parsed.backupFolder.empty())
        return "--backup cannot be used with --dry-run, which writes no file";
    if (parsed.reportFormat && parsed.reportPath.empty())
        return "--report-format applies only with --report FILE";
    return inputsError(parsed);
}

void finishParsing(BatchArguments& parsed, bool listFonts, std::size_t argumentCount)
{
    if (!parsed.error.empty() || parsed.command == Command::Help || parsed.command == Command::Version)
        return;
    if (listFonts) {
        parsed.command = Command::ListFonts;
        if (argumentCount > 1)
            parsed.error = "--list-fonts takes no other arguments";
        return;
    }
    parsed.error = restyleArgumentsError(parsed);
}

} // namespace

std::string BatchArguments::scanExtension() const { return extension.value_or("docx"); }

std::optional<docengine::RestyleRequest> BatchArguments::engineRequest() const
{
    if (!allStories && !eastAsianFont && !complexScriptFont && !styles && !dryRun)
        return std::nullopt;
    using docengine::StoryReach;
    const StoryReach reach = allStories          ? StoryReach::AllStories
                             : headersAndFooters ? StoryReach::CurrentPageHeaderFooter
                                                 : StoryReach::MainText;
    return docengine::RestyleRequest{fontName, fontSize, reach, eastAsianFont, complexScriptFont, styles, dryRun};
}

BatchArguments parseArguments(const std::vector<std::string>& arguments)
{
    BatchArguments parsed;
    bool listFonts = false;
    bool onlyFilesFollow = false;
    for (std::size_t index = 0; index < arguments.size() && parsed.error.empty(); ++index) {
        const std::string& argument = arguments[index];
        if (onlyFilesFollow || !argument.starts_with("-")) {
            parsed.inputs.push_back({argument, InputKind::File});
        } else if (argument == "--") {
            onlyFilesFollow = true;
        } else if (!readOption(arguments, index, parsed, listFonts)) {
            parsed.error = "unknown option \"" + argument + "\"";
        }
    }
    finishParsing(parsed, listFonts, arguments.size());
    return parsed;
}

std::string usageText()
{
    return "Usage: glyphmere-batch --font NAME --size POINTS [OPTION...] [--] FILE... [--recursive FOLDER...]\n"
           "       glyphmere-batch --list-fonts | --help | --version\n"
           "\n"
           "Gives each Word document FILE, and each one found below a FOLDER, the font NAME at POINTS points\n"
           "and saves it over its own file. Documents are worked on and reported in the order given.\n"
           "\n"
           "What to change:\n"
           "  --font NAME          the font name, as --list-fonts prints it (a name that is not installed is\n"
           "                       still applied, after a note naming the closest installed ones)\n"
           "  --size POINTS        the font size in points, such as 12 or 10.5\n"
           "  --headers-footers    also change the header and the footer of the first page\n"
           "\n"
           "Which documents:\n"
           "  --recursive FOLDER   every document in FOLDER and below it (hidden folders are not entered,\n"
           "                       lock files (~NAME, .~lock.NAME#) are left out); may be given more than once\n"
           "  --ext EXT            the extension that --recursive looks for (default docx)\n"
           "  --files-from LIST    the paths in the file LIST, one per line (\"-\": standard input)\n"
           "  --null               the --files-from lists end each path with a NUL byte (find -print0)\n"
           "  --retry-failed REPORT  the documents that an earlier --report marked failed or not started\n"
           "  --shard K/N          only the K-th of N parts of the documents (K from 0 to N-1), split by a\n"
           "                       hash of each path as given or listed, or relative to its FOLDER;\n"
           "                       \"auto\": K and N from SLURM_ARRAY_TASK_ID and SLURM_ARRAY_TASK_COUNT;\n"
           "                       \"auto/N\": K from JOB_COMPLETION_INDEX or SLURM_ARRAY_TASK_ID\n"
           "\n"
           "How to run:\n"
           "  --jobs N             restyle N documents at a time (default: the number of cores)\n"
           "  --report FILE        write a report: one object per document (path, status, reason, seconds)\n"
           "  --report-format FORMAT  json (default): one JSON document written at the end; jsonl: one line\n"
           "                       per document as it ends, in input order\n"
           "  --backup FOLDER      first copy each original under FOLDER, at its real path relative to the\n"
           "                       current folder (a document outside it: at its full path, without the\n"
           "                       leading \"/\")\n"
           "  --quiet              print no notes\n"
           "\n"
           "Options of the built-in engine, beyond what the window does:\n"
           "  --all-stories        every header and footer of every section, footnotes, endnotes, comments\n"
           "                       and text boxes too\n"
           "  --east-asian-font NAME, --complex-script-font NAME\n"
           "                       also set the East Asian or complex-script font (theme fonts removed)\n"
           "  --styles             also the document defaults and every style's fonts and sizes\n"
           "  --dry-run            change nothing; print how many runs and paragraph marks of each story\n"
           "                       would change\n"
           "\n"
           "Other commands:\n"
           "  --list-fonts         print the font names that can be chosen, one per line\n"
           "  --help               print this text\n"
           "  --version            print the program's name and version\n"
           "\n"
           "Prints \"changed: FILE\" or \"failed: FILE: REASON\" for each file (\"would change: FILE: ...\"\n"
           "in a dry run). A file that fails is left as it was. On a terminal a progress line is kept on\n"
           "the error output. Ctrl-C or SIGTERM lets the documents in progress finish, starts no other,\n"
           "prints \"not started: FILE\" for the rest and exits with 130. Exit status: 0 when every file was\n"
           "changed, 1 when any failed, 2 on a usage error or a list or report that cannot be read.\n";
}

} // namespace glyphmere::batch
