#pragma once

#include <functional>
#include <string>
#include <vector>

namespace glyphmere::docengine::hostile {

inline constexpr const char* kBody = "<w:p><w:r><w:t>Hello</w:t></w:r></w:p>";

// A document that a restyle must refuse, leaving it as it was: how it is made, the reason (or the start of
// it), and, where the system's own conditions make the refusal, how the restyle runs (none: as usual).
struct HostileCase {
    const char* label;
    std::function<void(const std::string& path)> make;
    std::string reason;
    bool reasonIsPrefix = false;
    std::function<std::string(const std::string& path)> restyle = nullptr;
};

// The reason a restyle through the engine gives for the document at path, or "(changed)".
std::string restyleReason(const std::string& path);

// The rows that each system makes with its own means (posix/ or win32/): a read-only file, a full disk.
std::vector<HostileCase> systemHostileCases();

} // namespace glyphmere::docengine::hostile
