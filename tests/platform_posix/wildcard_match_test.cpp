#include "platform/posix/WildcardMatch.h"

#include <gtest/gtest.h>

namespace glyphmere::platform::posix {
namespace {

struct MatchCase {
    const char* name;
    const char* pattern;
    bool matches;
};

void PrintTo(const MatchCase& c, std::ostream* out) { *out << '"' << c.name << "\" against \"" << c.pattern << '"'; }

class WildcardMatchTest : public ::testing::TestWithParam<MatchCase> {};

TEST_P(WildcardMatchTest, MatchesAsTheWindowsListingDoes)
{
    const MatchCase& c = GetParam();
    EXPECT_EQ(matchesWildcard(c.name, c.pattern), c.matches) << c.name << " against " << c.pattern;
}

INSTANTIATE_TEST_SUITE_P(Table, WildcardMatchTest,
                         ::testing::Values(MatchCase{"a.doc", "", true}, MatchCase{"noext", "*.*", true},
                                           MatchCase{"a.doc", "*", true}, MatchCase{"a.doc", "*.doc", true},
                                           MatchCase{"A.DOC", "*.doc", true}, MatchCase{"a.doc", "*.DOC", true},
                                           MatchCase{"a.dot", "*.doc", false}, MatchCase{"a.doc", "*.do?", true},
                                           MatchCase{"a.dot", "*.do*", true}, MatchCase{"a.d", "*.do*", false},
                                           MatchCase{"a.docx", "*.doc", true}, MatchCase{"a.DOCM", "*.doc", true},
                                           MatchCase{"a.dotx", "*.doc", false}, MatchCase{"a.doc.txt", "*.doc", false},
                                           MatchCase{"a.docx", "*.do?", false}, MatchCase{"a.docx", "b*.doc", false},
                                           MatchCase{"report.docx", "rep*.doc", true},
                                           MatchCase{"a..doc", "*..doc", true}, MatchCase{"a.doc", "*..doc", false},
                                           MatchCase{"abc", "a?c", true}, MatchCase{"ac", "a?c", false},
                                           MatchCase{"aXbYc", "a*b*c", true}, MatchCase{"aXbY", "a*b*c", false},
                                           MatchCase{"mississippi", "*sip*", true}, MatchCase{"", "*", true},
                                           MatchCase{"a", "**a**", true}));

} // namespace
} // namespace glyphmere::platform::posix
