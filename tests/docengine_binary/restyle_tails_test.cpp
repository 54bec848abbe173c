#include "docengine/binary/RestyleTails.h"

#include <gtest/gtest.h>

#include <string>

namespace glyphmere::docengine {
namespace {

struct TailCase {
    const char* name;
    std::string stream;
    std::vector<ByteExtent> replaced;
    std::uint64_t keptEnd;
    std::uint64_t expected;
};

TEST(RewritableTailStart, WritesOverOnlyATailOfReplacedStructuresAndZeros)
{
    const std::string kept(8, 'k');
    const TailCase cases[] = {
        {"replaced structures end the stream", kept + "AAAABB", {{12, 14}, {8, 12}}, 8, 8},
        {"zeros between and after them",
         kept + "AA" + std::string(3, '\0') + "BB" + std::string(2, '\0'),
         {{8, 10}, {13, 15}},
         8,
         8},
        {"the same page listed twice", kept + "AAAA", {{8, 12}, {8, 12}}, 8, 8},
        {"foreign bytes between them", kept + "AAxBB", {{8, 10}, {11, 13}}, 8, 13},
        {"foreign bytes after them", kept + "AAAAx", {{8, 12}}, 8, 13},
        {"one before the kept end is left where it is", kept + "AABB", {{4, 8}, {10, 12}, {8, 10}}, 8, 8},
        {"a kept structure reaches into them", kept + "AAAA", {{8, 12}}, 10, 12},
        {"nothing replaced", kept, {}, 0, 8},
        {"one running past the stream's end", kept + "AAB", {{8, 10}, {10, 12}}, 8, 11},
    };
    for (const TailCase& row : cases)
        EXPECT_EQ(rewritableTailStart(row.stream, row.replaced, row.keptEnd), row.expected) << row.name;
}

} // namespace
} // namespace glyphmere::docengine
