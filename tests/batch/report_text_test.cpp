#include "batch/InputList.h"
#include "batch/JsonReport.h"
#include "batch/ProgressLine.h"
#include "batch/ReportReader.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

namespace glyphmere::batch {
namespace {

TEST(JsonString, EscapesWhatJsonRequiresAndKeepsEveryByteOfAPath)
{
    const std::pair<std::string, std::string> cases[] = {
        {"/docs/a.docx", R"("/docs/a.docx")"},
        {R"(say "hi"\now)", R"("say \"hi\"\\now")"},
        {"tab\tline\nreturn\r", R"("tab\tline\nreturn\r")"},
        {std::string("nul\0bell\x07", 9) + "\x7F", R"("nul\u0000bell\u0007\u007f")"},
        {"caf\xC3\xA9 \xE6\x96\x87 \xF0\x9F\x98\x80", "\"caf\xC3\xA9 \xE6\x96\x87 \xF0\x9F\x98\x80\""},
        {"latin1 caf\xE9.docx", R"("latin1 caf\udce9.docx")"},
        {"overlong \xC0\xAF, surrogate \xED\xA0\x80", R"("overlong \udcc0\udcaf, surrogate \udced\udca0\udc80")"},
        {"cut \xE6\x96", R"("cut \udce6\udc96")"},
    };
    for (const auto& [text, json] : cases)
        EXPECT_EQ(jsonString(text), json) << json;
}

TEST(ReportJson, HoldsOneObjectPerDocumentInOrder)
{
    Outcome dryRun{OutcomeStatus::DryRun, "", 0.25, {{"word/document.xml", "main text", 3, 2}}};
    const std::string json = reportJson(
        {"b.docx", "a.docx", "c.docx"},
        {{OutcomeStatus::Changed, "", 1.5, {}}, {OutcomeStatus::Failed, "the document is read-only", 0, {}}, dryRun},
        true);

    EXPECT_EQ(json, "{\"interrupted\": true, \"documents\": [\n"
                    "  {\"path\": \"b.docx\", \"status\": \"changed\", \"reason\": \"\", \"seconds\": 1.500},\n"
                    "  {\"path\": \"a.docx\", \"status\": \"failed\", \"reason\": \"the document is read-only\", "
                    "\"seconds\": 0.000},\n"
                    "  {\"path\": \"c.docx\", \"status\": \"dry run\", \"reason\": \"\", \"seconds\": 0.250, "
                    "\"stories\": [{\"part\": \"word/document.xml\", \"story\": \"main text\", \"runs\": 3, "
                    "\"paragraphMarks\": 2}]}\n"
                    "]}\n");
}

TEST(UndoneDocuments, AreReadFromEitherReportFormatWithEveryPathByteKept)
{
    const Outcome changed{OutcomeStatus::Changed, "", 1, {}};
    const Outcome failed{OutcomeStatus::Failed, "the document is read-only", 0, {}};
    const Outcome notStarted{};
    const std::string odd = "caf\xE9 \"x\"\n\xF0\x9F\x98\x80.docx";
    const std::string whole =
        reportJson({"a.docx", odd, "c.docx", "d.docx"}, {changed, failed, changed, notStarted}, true);
    const std::string lines =
        reportLine("e.docx", failed) + reportLine("f.docx", changed) + "\n" + reportLine("g.docx", notStarted);

    EXPECT_EQ(undoneDocuments(whole), (std::vector<std::string>{odd, "d.docx"}));
    EXPECT_EQ(undoneDocuments(lines), (std::vector<std::string>{"e.docx", "g.docx"}));
    EXPECT_EQ(undoneDocuments(lines + whole), (std::vector<std::string>{"e.docx", "g.docx", odd, "d.docx"}));
    EXPECT_EQ(undoneDocuments(""), std::vector<std::string>{});
    EXPECT_EQ(undoneDocuments(R"({"path": "\u00e9\ud83d\ude00\/", "status": "failed", "extra": [1, -2.5e3, null]})"),
              std::vector<std::string>{"\xC3\xA9\xF0\x9F\x98\x80/"});
}

TEST(UndoneDocuments, TextThatIsNoReport_IsRefusedWithWhatIsWrong)
{
    const std::pair<std::string, std::string> cases[] = {
        {R"({"documents": [{"path": "a", "status": "failed"})", "\",\" was expected at byte 48"},
        {R"({"path": "a"})", "a document has no path or status"},
        {R"([1, 2])", "a document has no path or status"},
        {R"({"path": "a\q", "status": "failed"})", "an unknown escape"},
        {R"({"path": "\udc41", "status": "failed"})", "a lone surrogate stands for no byte"},
        {R"({"path": "\ud800x", "status": "failed"})", "a lone surrogate stands for no byte"},
        {R"({"path": "a", "status": failed})", "a value was expected"},
        {"{\"path\": \"a", "a string is not ended"},
        {std::string(100, '['), "it nests too deeply"},
    };
    for (const auto& [text, reason] : cases) {
        try {
            undoneDocuments(text);
            ADD_FAILURE() << text << " was read";
        } catch (const std::runtime_error& error) {
            EXPECT_THAT(error.what(), ::testing::HasSubstr(reason)) << text;
        }
    }
}

TEST(PathsInList, SplitOnNewlineOrNulKeepingEveryOtherByte)
{
    using namespace std::string_literals;
    EXPECT_EQ(pathsInList("a b.docx\n\nc\rd\xE9.docx\n", false),
              (std::vector<std::string>{"a b.docx", "c\rd\xE9.docx"}));
    EXPECT_EQ(pathsInList("x y\n.docx\0\0z.docx"s, true), (std::vector<std::string>{"x y\n.docx", "z.docx"}));
}

TEST(PathsInList, AsWindowsTextDropsTheLinesCarriageReturnsAndTheByteOrderMark)
{
    using namespace std::string_literals;
    const std::string_view list = "\xEF\xBB\xBF"
                                  "a.docx\r\n\r\nc\rd.docx\r\nlast.docx";
    EXPECT_EQ(pathsInList(list, false, true), (std::vector<std::string>{"a.docx", "c\rd.docx", "last.docx"}));
    EXPECT_EQ(pathsInList(list, false, false), (std::vector<std::string>{"\xEF\xBB\xBF"
                                                                         "a.docx\r",
                                                                         "\r", "c\rd.docx\r", "last.docx"}));
    // Separated by NUL bytes, a list keeps every other byte, CR included.
    EXPECT_EQ(pathsInList("\xEF\xBB\xBF"
                          "a\r\0b"s,
                          true, true),
              (std::vector<std::string>{"a\r", "b"}));
}

TEST(ProgressText, ShowsRateAndTimeLeftOnceSomethingIsDone)
{
    EXPECT_EQ(progressText(0, 200, 0, 0.0), "0/200 done, 0 failed");
    EXPECT_EQ(progressText(50, 200, 2, 4.0), "50/200 done, 2 failed, 12.5 documents/s, 0:12 left");
    EXPECT_EQ(progressText(1, 7201, 0, 1.0), "1/7201 done, 0 failed, 1.0 documents/s, 2:00:00 left");
    EXPECT_EQ(progressText(3, 3, 1, 0.5), "3/3 done, 1 failed, 6.0 documents/s, 0:00 left");
}

TEST(ProgressLine, IsRedrawnInPlaceAndClearedAway)
{
    std::ostringstream terminal;
    ProgressLine line(terminal, 2);
    line.documentEnded(false);
    line.documentEnded(true);
    line.clear();

    const std::string text = terminal.str();
    EXPECT_NE(text.find("\r\033[K2/2 done, 1 failed, "), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 4), "\r\033[K");
    EXPECT_EQ(text.find('\n'), std::string::npos);
}

} // namespace
} // namespace glyphmere::batch
