#pragma once

#include "common/UniqueFd.h"

#include <string>

namespace glyphmere::batch {

// A JSON Lines report that grows as the run goes: each line is written whole with one call, so that
// `tail -f` and a reader after a crash see complete lines only.
class JsonLinesFile {
public:
    // Creates the file at path, or empties it. Throws std::runtime_error with the reason.
    explicit JsonLinesFile(const std::string& path);

    // Appends line; after the first failure nothing more is written. Returns whether every line so far was
    // written.
    bool append(const std::string& line);
    // Flushes the file to disk; false when it or any line failed. failure() says why.
    bool finish();
    const std::string& failure() const { return m_failure; }

private:
    common::UniqueFd m_fd;
    std::string m_failure;
};

} // namespace glyphmere::batch
