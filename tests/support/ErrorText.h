#pragma once

#include <functional>
#include <string>

namespace glyphmere::testing_support {

// The text of the Error that action throws (the engine's reason for a refusal, say), or `none` when it
// throws nothing, so that one expectation checks both that a call was refused and why. Exceptions of other
// types pass through and fail the test.
template <typename Error>
std::string errorText(const std::function<void()>& action, const std::string& none = "")
{
    try {
        action();
    } catch (const Error& error) {
        return error.what();
    }
    return none;
}

} // namespace glyphmere::testing_support
