#include "doclist/AddFiles.h"

#include "RecordingRows.h"
#include "fakes/FakeDialogs.h"

#include <gtest/gtest.h>

using namespace std::string_literals;

namespace glyphmere::doclist {
namespace {

using Paths = std::vector<std::string>;

TEST(AddFilesFromDialog, ChosenPaths_AreAppendedInTheDialogsOrder)
{
    fakes::FakeDialogs dialogs;
    dialogs.openFilesAnswers = {{"/d/one.doc"}, {"/d/c.doc", "/e/a.doc", "/d/b.txt"}, {}};
    RecordingRows rows;
    rows.Add("/x/already.doc");

    AddFilesFromDialog(dialogs, rows);
    AddFilesFromDialog(dialogs, rows);
    AddFilesFromDialog(dialogs, rows); // cancelled

    EXPECT_EQ(rows.rows, (Paths{"/x/already.doc", "/d/one.doc", "/d/c.doc", "/e/a.doc", "/d/b.txt"}));
    const std::string shown = "openFiles: Add File(s) - Hold Ctrl to select multiple files | "
                              "Word Documents (*.do*)|*.do*|All Files (*.*)|*.*";
    EXPECT_EQ(dialogs.log, (Paths{shown, shown, shown}));
    EXPECT_TRUE(dialogs.messages.empty());
}

struct SelectionCase {
    std::string result;
    char separator;
    Paths paths;
};

void PrintTo(const SelectionCase& c, std::ostream* out)
{
    *out << ::testing::PrintToString(c.result) << " with '" << c.separator << "'";
}

class MultipleSelectionTest : public ::testing::TestWithParam<SelectionCase> {};

TEST_P(MultipleSelectionTest, GivesOneFullPathPerName)
{
    EXPECT_EQ(pathsOfMultipleSelection(GetParam().result, GetParam().separator), GetParam().paths);
}

INSTANTIATE_TEST_SUITE_P(
    Table, MultipleSelectionTest,
    ::testing::Values(SelectionCase{"", '\\', {}}, SelectionCase{"C:\\Docs\\a.doc", '\\', {"C:\\Docs\\a.doc"}},
                      SelectionCase{"C:\\Docs\0c.doc\0a.doc\0b.doc"s,
                                    '\\',
                                    {"C:\\Docs\\c.doc", "C:\\Docs\\a.doc", "C:\\Docs\\b.doc"}},
                      SelectionCase{"C:\\\0a.doc\0b.doc"s, '\\', {"C:\\a.doc", "C:\\b.doc"}},
                      SelectionCase{"\\\\server\\share\\dir\0a.doc\0b.doc"s,
                                    '\\',
                                    {"\\\\server\\share\\dir\\a.doc", "\\\\server\\share\\dir\\b.doc"}},
                      SelectionCase{"/\0a.doc\0b.doc"s, '/', {"/a.doc", "/b.doc"}},
                      SelectionCase{"/home/ann\0a.doc"s, '/', {"/home/ann/a.doc"}}));

} // namespace
} // namespace glyphmere::doclist
