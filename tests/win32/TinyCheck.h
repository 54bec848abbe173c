#pragma once

// A few assertion macros for test programs that are built without GoogleTest (the MinGW-w64 check):
// TEST_CASE registers a test, CHECK and CHECK_EQ report and go on, CHECK_THROWS_WITH expects an exception
// whose text holds a fragment. runAllTests() ends with the line "N passed, M failed"; given test names, it
// runs those only.

#include <algorithm>
#include <cstdio>
#include <exception>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace tinycheck {

struct TestCase {
    const char* name;
    void (*body)();
};

inline std::vector<TestCase>& allTests()
{
    static std::vector<TestCase> tests;
    return tests;
}

inline int& failedChecks()
{
    static int count = 0;
    return count;
}

struct Registration {
    Registration(const char* name, void (*body)()) { allTests().push_back({name, body}); }
};

inline void fail(const char* file, int line, const std::string& text)
{
    std::printf("  %s:%d: %s\n", file, line, text.c_str());
    ++failedChecks();
}

template <class Value>
std::string show(const Value& value)
{
    if constexpr (requires(std::ostream & out) { out << value; }) {
        std::ostringstream out;
        out << value;
        return out.str();
    } else {
        return "(value)";
    }
}

inline std::string show(const std::string& text) { return "\"" + text + "\""; }

template <class Value>
std::string show(const std::vector<Value>& values)
{
    std::string text = "{";
    for (const Value& value : values)
        text += (text.size() > 1 ? ", " : "") + show(value);
    return text + "}";
}

template <class Value>
std::string show(const std::optional<Value>& value)
{
    return value ? show(*value) : "nullopt";
}

inline int runAllTests(const std::vector<std::string>& only = {})
{
    int passed = 0;
    int failed = 0;
    for (const TestCase& test : allTests()) {
        if (!only.empty() && std::find(only.begin(), only.end(), test.name) == only.end())
            continue;
        const int failuresBefore = failedChecks();
        try {
            test.body();
        } catch (const std::exception& error) {
            fail(test.name, 0, std::string("unexpected exception: ") + error.what());
        }
        const bool ok = failedChecks() == failuresBefore;
        std::printf("[%s] %s\n", ok ? "  OK  " : " FAIL ", test.name);
        ++(ok ? passed : failed);
    }
    std::printf("%d passed, %d failed\n", passed, failed);
    std::fflush(stdout);
    return failed == 0 ? 0 : 1;
}

} // namespace tinycheck

#define TEST_CASE(name)                                                                                                \
    static void name();                                                                                                \
    static const tinycheck::Registration name##Registration(#name, name);                                              \
    static void name()

#define CHECK(condition)                                                                                               \
    do {                                                                                                               \
        if (!(condition))                                                                                              \
            tinycheck::fail(__FILE__, __LINE__, "CHECK(" #condition ") failed");                                       \
    } while (0)

#define CHECK_EQ(actual, expected)                                                                                     \
    do {                                                                                                               \
        const auto& actualValue = (actual);                                                                            \
        const auto& expectedValue = (expected);                                                                        \
        if (!(actualValue == expectedValue))                                                                           \
            tinycheck::fail(__FILE__, __LINE__,                                                                        \
                            "CHECK_EQ(" #actual ", " #expected "): " + tinycheck::show(actualValue) + " is not " +     \
                                tinycheck::show(expectedValue));                                                       \
    } while (0)

#define CHECK_THROWS_WITH(statement, fragment)                                                                         \
    do {                                                                                                               \
        try {                                                                                                          \
            statement;                                                                                                 \
            tinycheck::fail(__FILE__, __LINE__, #statement " did not throw");                                          \
        } catch (const std::exception& error) {                                                                        \
            if (std::string(error.what()).find(fragment) == std::string::npos)                                         \
                tinycheck::fail(__FILE__, __LINE__,                                                                    \
                                std::string(#statement " threw \"") + error.what() + "\", without \"" + (fragment) +   \
                                    "\"");                                                                             \
        }                                                                                                              \
    } while (0)
