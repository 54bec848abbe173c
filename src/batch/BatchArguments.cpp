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
    else if (auto cs = optionValue(arguments, index, "--complex-script-font", parsed.complexScriptFont.has_value(), error))
        parsed.complexScriptFont = *cs;
    else if (auto extension = optionValue(arguments, index, "--ext", parsed.extension.has_value(), error))
        parsed.extension = *extension;
    else if (auto report = optionValue(arguments, index, "--report", !parsed.reportPath.empty(), error))
        parsed.reportPath = *report;
    else if (auto backup = optionValue(arguments, index, "--backup", !parsed.backupFolder.empty(), error))
        parsed.backupFolder = *backup;
    else if (auto folder = optionValue(arguments, index, "--recursive", false, error))
        parsed.inputs.push_back({*folder, true});
    else
        return false;
    return true;
}

std::optional<unsigned> jobCount(const std::string& text)
{
    unsigned count = 0;
    const auto [end, failure] = std::from_chars(text.data(), text.data() + text.size(), count);
    if (failure != std::errc() || end != text.data() + text.size() || count < 1 || count > kMaxJobs)
        return std::nullopt;
    return count;
}

// Reads one option at index (moving past its value); false when the argument is no option we know.
bool readOption(const std::vector<std::string>& arguments, std::size_t& index, BatchArguments& parsed,
                bool& listFonts)
{
    if (readSwitch(arguments[index], parsed, listFonts) || readTextOption(arguments, index, parsed))
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

std::string inputsError(const BatchArguments& parsed)
{
    if (parsed.inputs.empty())
        return "no files or folders given";
    bool scansFolders = false;
    for (const BatchInput& input : parsed.inputs) {
        if (input.path.empty())
            return "an empty file name was given";
        scansFolders = scansFolders || input.isFolder;
    }
    if (parsed.extension && !scansFolders)
        return "--ext applies only to folders given with --recursive";
    if (parsed.extension && parsed.extension->find('/') != std::string::npos)
        return "--ext needs an extension such as docx, not \"" + *parsed.extension + "\"";
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
    for (const std::string& error : {fontNameError("--font", parsed.fontName),
                                     fontNameError("--east-asian-font", parsed.eastAsianFont),
                                     fontNameError("--complex-script-font", parsed.complexScriptFont)}) {
        if (!error.empty())
            return error;
    }
    if (parsed.dryRun && !parsed.backupFolder.empty())
        return "--backup cannot be used with --dry-run, which writes no file";
    return inputsError(parsed);
}

void finishParsing(BatchArguments& parsed, bool listFonts)
{
    if (!parsed.error.empty() || parsed.command == Command::Help)
        return;
    if (listFonts) {
        const bool restyleArgumentsGiven = !parsed.fontName.empty() || !parsed.fontSize.empty() ||
                                           parsed.headersAndFooters || !parsed.inputs.empty() ||
                                           parsed.needsEngine() || parsed.jobs || !parsed.reportPath.empty() ||
                                           !parsed.backupFolder.empty() || parsed.extension;
        parsed.command = Command::ListFonts;
        if (restyleArgumentsGiven)
            parsed.error = "--list-fonts takes no other arguments";
        return;
    }
    parsed.error = restyleArgumentsError(parsed);
}

} // namespace

bool BatchArguments::needsEngine() const
{
    return allStories || eastAsianFont || complexScriptFont || styles || dryRun;
}

std::string BatchArguments::scanExtension() const
{
    return extension.value_or("docx");
}

docengine::RestyleRequest BatchArguments::engineRequest() const
{
    using docengine::StoryReach;
    const StoryReach reach = allStories          ? StoryReach::AllStories
                             : headersAndFooters ? StoryReach::CurrentPageHeaderFooter
                                                 : StoryReach::MainText;
    return {fontName, fontSize, reach, eastAsianFont, complexScriptFont, styles, dryRun};
}

BatchArguments parseArguments(const std::vector<std::string>& arguments)
{
    BatchArguments parsed;
    bool listFonts = false;
    bool onlyFilesFollow = false;
    for (std::size_t index = 0; index < arguments.size() && parsed.error.empty(); ++index) {
        const std::string& argument = arguments[index];
        if (onlyFilesFollow || !argument.starts_with("-")) {
            parsed.inputs.push_back({argument, false});
        } else if (argument == "--") {
            onlyFilesFollow = true;
        } else if (!readOption(arguments, index, parsed, listFonts)) {
            parsed.error = "unknown option \"" + argument + "\"";
        }
    }
    finishParsing(parsed, listFonts);
    return parsed;
}

std::string usageText()
{
    return "Usage: glyphmere-batch --font NAME --size POINTS [OPTION...] [--] FILE... [--recursive FOLDER...]\n"
           "       glyphmere-batch --list-fonts\n"
           "       glyphmere-batch --help\n"
           "\n"
           "Gives each Word document FILE, and each one found below a FOLDER, the font NAME at POINTS points\n"
           "and saves it over its own file. Files and folders may be mixed; they are reported in that order.\n"
           "\n"
           "  --font NAME          the font name, as --list-fonts prints it\n"
           "  --size POINTS        the font size in points, such as 12 or 10.5\n"
           "  --headers-footers    also change the header and the footer of the first page\n"
           "  --recursive FOLDER   every document in FOLDER and below it (hidden folders are not entered,\n"
           "                       lock files (~NAME, .~lock.NAME#) are left out); may be given more than once\n"
           "  --ext EXT            the extension that --recursive looks for (default docx)\n"
           "  --jobs N             restyle N documents at a time (default: the number of cores)\n"
           "  --report FILE        write a JSON report: one object per document (path, status, reason,\n"
           "                       seconds)\n"
           "  --backup FOLDER      first copy each original under FOLDER, at its path relative to the\n"
           "                       current folder (a document outside it: at its full path, without the\n"
           "                       leading \"/\")\n"
           "  --list-fonts         print the font names that can be chosen, one per line\n"
           "  --help               print this text\n"
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
           "Prints \"changed: FILE\" or \"failed: FILE: REASON\" for each file (\"would change: FILE: ...\"\n"
           "in a dry run). A file that fails is left as it was. On a terminal a progress line is kept on\n"
           "the error output. Ctrl-C or SIGTERM lets the documents in progress finish, starts no other,\n"
           "prints \"not started: FILE\" for the rest and exits with 130. Exit status: 0 when every file was\n"
           "changed, 1 when any failed, 2 on a usage error.\n";
}

} // namespace glyphmere::batch
