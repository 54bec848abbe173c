#include "support/TestDocuments.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <sstream>

namespace {

using glyphmere::testing_support::TemporaryFolder;

// What a program printed (standard output and error together) and how it ended.
struct RunResult {
    int exitStatus = -1;
    std::string output;
};

RunResult run(const std::vector<std::string>& arguments)
{
    int channel[2];
    if (::pipe(channel) != 0)
        return {};
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(channel[1], STDOUT_FILENO);
        ::dup2(channel[1], STDERR_FILENO);
        ::close(channel[0]);
        ::close(channel[1]);
        std::vector<char*> argv;
        for (const std::string& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        ::execvp(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(channel[1]);
    RunResult result;
    char buffer[4096];
    for (ssize_t count; (count = ::read(channel[0], buffer, sizeof buffer)) > 0;)
        result.output.append(buffer, static_cast<std::size_t>(count));
    ::close(channel[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

bool onPath(const std::string& program)
{
    const char* path = std::getenv("PATH");
    std::istringstream folders(path ? path : "");
    for (std::string folder; std::getline(folders, folder, ':');) {
        std::error_code error;
        const auto status = std::filesystem::status(std::filesystem::path(folder) / program, error);
        if (std::filesystem::is_regular_file(status) &&
            (status.permissions() & std::filesystem::perms::others_exec) != std::filesystem::perms::none)
            return true;
    }
    return false;
}

// The font families that pdffonts lists, without the subset prefix ("BAAAAA+DejaVuSerif" gives
// "DejaVuSerif"), each once.
std::set<std::string> fontsOfPdf(const std::string& pdf)
{
    const RunResult listing = run({"pdffonts", pdf});
    EXPECT_EQ(listing.exitStatus, 0) << listing.output;
    std::set<std::string> fonts;
    std::istringstream lines(listing.output);
    std::string line;
    for (int header = 0; header < 2 && std::getline(lines, line); ++header) {
    }
    while (std::getline(lines, line)) {
        std::string name = line.substr(0, line.find(' '));
        if (const auto plus = name.find('+'); plus != std::string::npos)
            name.erase(0, plus + 1);
        if (!name.empty())
            fonts.insert(name);
    }
    return fonts;
}

// A list's bullet is drawn in the font that the numbering definition gives its level ("Symbol", which
// LibreOffice draws with OpenSymbol); the font pass leaves numbering definitions alone, as Word does.
bool isBodyFontOrBulletSymbol(const std::string& font, const std::string& bodyFont)
{
    return font.rfind(bodyFont, 0) == 0 || font.find("Symbol") != std::string::npos;
}

TEST(LibreOfficeCheck, RestyledDocumentIsShownInTheChosenFont)
{
    if (!onPath("soffice") || !onPath("pdffonts"))
        GTEST_SKIP() << "soffice (libreoffice-writer-nogui) or pdffonts (poppler-utils) is not installed";
    TemporaryFolder folder;
    const std::string fixture = std::string(GLYPHMERE_TEST_DATA) + "/libreoffice.docx";
    std::filesystem::copy_file(fixture, folder.file("original.docx"));
    std::filesystem::copy_file(fixture, folder.file("restyled.docx"));

    const RunResult batch = run({GLYPHMERE_BATCH, "--font", "DejaVu Serif", "--size", "13", "--headers-footers",
                                 folder.file("restyled.docx")});
    ASSERT_EQ(batch.exitStatus, 0) << batch.output;

    // One start of LibreOffice converts both, with a profile of its own so that parallel runs never meet.
    const RunResult conversion =
        run({"timeout", "240", "soffice", "-env:UserInstallation=file://" + folder.file("profile"), "--headless",
             "--convert-to", "pdf", "--outdir", folder.file("pdf"), folder.file("original.docx"),
             folder.file("restyled.docx")});
    ASSERT_EQ(conversion.exitStatus, 0) << conversion.output;

    const std::set<std::string> before = fontsOfPdf(folder.file("pdf/original.pdf"));
    EXPECT_TRUE(before.count("LiberationSans")) << "the check must be able to see the document's own font";
    const std::set<std::string> after = fontsOfPdf(folder.file("pdf/restyled.pdf"));
    EXPECT_TRUE(after.count("DejaVuSerif"));
    for (const std::string& font : after)
        EXPECT_TRUE(isBodyFontOrBulletSymbol(font, "DejaVuSerif")) << font << " is still used";
}

} // namespace
