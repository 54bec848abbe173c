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

// Documents that other programs wrote; LibreOffice must open each one after the restyle.
const char* const kFixtures[] = {"libreoffice.docx", "libreoffice-rich.docx", "pandoc.docx", "python-docx.docx"};

// Needs LibreOffice, poppler-utils and the fonts DejaVu Serif (fonts-dejavu-core) and Liberation Sans
// (fonts-liberation), all installed by scripts/install-deps.sh --tests; without them it fails.
TEST(LibreOfficeCheck, RestyledDocumentsOpenAndShowTheChosenFont)
{
    ASSERT_TRUE(onPath("soffice") && onPath("pdffonts"))
        << "soffice (libreoffice-writer-nogui) or pdffonts (poppler-utils) is not installed; "
           "scripts/install-deps.sh --tests installs them";
    TemporaryFolder folder;
    const std::string data = GLYPHMERE_TEST_DATA;
    std::filesystem::copy_file(data + "/libreoffice.docx", folder.file("original.docx"));
    std::vector<std::string> documents;
    for (const char* fixture : kFixtures) {
        std::filesystem::copy_file(data + "/" + fixture, folder.file(fixture));
        documents.push_back(folder.file(fixture));
    }
    std::vector<std::string> batch{GLYPHMERE_BATCH, "--font", "DejaVu Serif", "--size", "13", "--headers-footers"};
    batch.insert(batch.end(), documents.begin(), documents.end());
    const RunResult restyle = run(batch);
    ASSERT_EQ(restyle.exitStatus, 0) << restyle.output;

    // One start of LibreOffice converts them all, with a profile of its own so that parallel runs never meet.
    std::vector<std::string> conversion{"timeout",
                                        "240",
                                        "soffice",
                                        "-env:UserInstallation=file://" + folder.file("profile"),
                                        "--headless",
                                        "--convert-to",
                                        "pdf",
                                        "--outdir",
                                        folder.file("pdf"),
                                        folder.file("original.docx")};
    conversion.insert(conversion.end(), documents.begin(), documents.end());
    const RunResult converted = run(conversion);
    ASSERT_EQ(converted.exitStatus, 0) << converted.output;
    for (const char* fixture : kFixtures) {
        const std::string pdf = std::filesystem::path(fixture).replace_extension(".pdf").string();
        EXPECT_TRUE(std::filesystem::is_regular_file(folder.file("pdf/" + pdf)))
            << "LibreOffice did not open " << fixture << "\n"
            << converted.output;
    }

    const std::set<std::string> before = fontsOfPdf(folder.file("pdf/original.pdf"));
    EXPECT_TRUE(before.count("LiberationSans"))
        << "the check must be able to see the document's own font (Liberation Sans, from fonts-liberation)";
    const std::set<std::string> after = fontsOfPdf(folder.file("pdf/libreoffice.pdf"));
    EXPECT_TRUE(after.count("DejaVuSerif")) << "DejaVu Serif comes from fonts-dejavu-core";
    for (const std::string& font : after)
        EXPECT_TRUE(isBodyFontOrBulletSymbol(font, "DejaVuSerif")) << font << " is still used";
}

} // namespace
