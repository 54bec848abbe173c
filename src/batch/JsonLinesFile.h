#pragma once

#include <memory>
#include <string>

namespace glyphmere::batch {

// A JSON Lines report that grows as the run goes: each line is written whole with one call, so that
// `tail -f` and a reader after a crash see complete lines only. The system's file calls are in posix/
// and win32/.
class JsonLinesFile {
public:
    // Creates the file at path, or empties it. Throws std::runtime_error with the reason.
    explicit JsonLinesFile(const std::string& path);
    ~JsonLinesFile();
    JsonLinesFile(JsonLinesFile&& other) noexcept;
    JsonLinesFile& operator=(JsonLinesFile&& other) noexcept;

    // Appends line; after the first failure nothing more is written. Returns whether every line so far was
    // written.
    bool append(const std::string& line);
    // Flushes the file to disk; false when it or any line failed. failure() says why.
    bool finish();
    const std::string& failure() const { return m_failure; }

private:
    struct OpenFile; // the descriptor or the handle
    std::unique_ptr<OpenFile> m_file;
    std::string m_failure;
};

} // namespace glyphmere::batch
