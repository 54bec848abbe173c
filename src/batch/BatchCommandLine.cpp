#include "batch/BatchCommandLine.h"

#include "platform/NumberText.h"
#include "word/OptionsSource.h"
#include "word/RestyleDocument.h"
#include "word/WordContract.h"

#include <exception>
#include <filesystem>
#include <optional>
#include <ostream>

namespace glyphmere::batch {
namespace {

using platform::Variant;

constexpr const char* kProgramName = "glyphmere-batch";

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

// Reads one option at index (moving past its value); false when the argument is no option we know.
bool readOption(const std::vector<std::string>& arguments, std::size_t& index, BatchArguments& parsed,
                bool& listFonts)
{
    const std::string& argument = arguments[index];
    if (argument == "--help" || argument == "-h") {
        parsed.command = Command::Help;
    } else if (argument == "--list-fonts") {
        listFonts = true;
    } else if (argument == "--headers-footers") {
        parsed.headersAndFooters = true;
    } else if (auto font = optionValue(arguments, index, "--font", !parsed.fontName.empty(), parsed.error)) {
        parsed.fontName = *font;
    } else if (auto size = optionValue(arguments, index, "--size", !parsed.fontSize.empty(), parsed.error)) {
        parsed.fontSize = *size;
    } else {
        return false;
    }
    return true;
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
    if (parsed.files.empty())
        return "no files given";
    for (const std::string& file : parsed.files) {
        if (file.empty())
            return "an empty file name was given";
    }
    return "";
}

void finishParsing(BatchArguments& parsed, bool listFonts)
{
    if (!parsed.error.empty() || parsed.command == Command::Help)
        return;
    if (listFonts) {
        const bool restyleArgumentsGiven = !parsed.fontName.empty() || !parsed.fontSize.empty() ||
                                           parsed.headersAndFooters || !parsed.files.empty();
        parsed.command = Command::ListFonts;
        if (restyleArgumentsGiven)
            parsed.error = "--list-fonts takes no other arguments";
        return;
    }
    parsed.error = restyleArgumentsError(parsed);
}

// Word is handed a full path, as it resolves a relative one against its own folder, not ours.
std::string fullPath(const std::string& file)
{
    std::error_code error;
    const std::filesystem::path full = std::filesystem::absolute(file, error);
    return error ? file : full.string();
}

int restyleFiles(const BatchArguments& parsed, platform::Automation& automation, std::ostream& out)
{
    const word::FixedOptions options(parsed.fontName, parsed.fontSize, parsed.headersAndFooters);
    int exitStatus = kExitAllChanged;
    for (const std::string& file : parsed.files) {
        const word::RestyleResult result = word::RestyleDocument(automation, options, fullPath(file));
        if (result.ok) {
            out << "changed: " << file << std::endl;
        } else {
            out << "failed: " << file << ": " << result.reason << std::endl;
            exitStatus = kExitSomeFailed;
        }
    }
    return exitStatus;
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

BatchArguments parseArguments(const std::vector<std::string>& arguments)
{
    BatchArguments parsed;
    bool listFonts = false;
    bool onlyFilesFollow = false;
    for (std::size_t index = 0; index < arguments.size() && parsed.error.empty(); ++index) {
        const std::string& argument = arguments[index];
        if (onlyFilesFollow || !argument.starts_with("-")) {
            parsed.files.push_back(argument);
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
    return "Usage: glyphmere-batch --font NAME --size POINTS [--headers-footers] [--] FILE...\n"
           "       glyphmere-batch --list-fonts\n"
           "       glyphmere-batch --help\n"
           "\n"
           "Gives each Word document FILE, in the order given, the font NAME at POINTS points and saves it\n"
           "over its own file.\n"
           "\n"
           "  --font NAME        the font name, as --list-fonts prints it\n"
           "  --size POINTS      the font size in points, such as 12 or 10.5\n"
           "  --headers-footers  also change the header and the footer of the first page\n"
           "  --list-fonts       print the font names that can be chosen, one per line\n"
           "  --help             print this text\n"
           "\n"
           "Prints \"changed: FILE\" or \"failed: FILE: REASON\" for each file. A file that fails is left as\n"
           "it was. Exit status: 0 when every file was changed, 1 when any failed, 2 on a usage error.\n";
}

int runCommandLine(const std::vector<std::string>& arguments, platform::Automation& automation,
                   std::ostream& out, std::ostream& err)
{
    const BatchArguments parsed = parseArguments(arguments);
    if (!parsed.error.empty()) {
        err << kProgramName << ": " << parsed.error << "\n\n" << usageText() << std::flush;
        return kExitUsageError;
    }
    switch (parsed.command) {
    case Command::Help:
        out << usageText() << std::flush;
        return kExitAllChanged;
    case Command::ListFonts:
        return listFonts(automation, out, err);
    case Command::Restyle:
        break;
    }
    return restyleFiles(parsed, automation, out);
}

} // namespace glyphmere::batch
