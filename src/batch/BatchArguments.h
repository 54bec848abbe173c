#pragma once

#include "docengine/session/RestyleRequest.h"

#include <optional>
#include <string>
#include <vector>

namespace glyphmere::batch {

enum class Command { Restyle, ListFonts, Help, Version };

// Where a run's documents come from: a document, a folder whose matching documents are added, a list of
// paths (--files-from, "-" for standard input), or the documents a previous report left undone.
enum class InputKind { File, Folder, PathList, RetryReport };

// One thing to restyle, as given.
struct BatchInput {
    std::string path;
    InputKind kind = InputKind::File;
};

enum class ReportFormat { Json, JsonLines };

// --shard as written: "K/N", "auto" (both from a job runner's variables) or "auto/N" (the index from
// them, the count given).
struct ShardRequest {
    std::optional<unsigned long> index; // none: from the environment
    std::optional<unsigned long> count; // none: from the environment
};

// The command line, read. error is empty when the arguments make sense; otherwise it says what is wrong.
struct BatchArguments {
    Command command = Command::Restyle;
    std::string fontName;
    std::string fontSize;
    bool headersAndFooters = false;
    bool allStories = false;
    std::optional<std::string> eastAsianFont;
    std::optional<std::string> complexScriptFont;
    bool styles = false;
    bool dryRun = false;
    std::optional<unsigned> jobs; // the number of cores when not given
    std::optional<std::string> extension;
    std::string reportPath;
    std::optional<ReportFormat> reportFormat; // Json when not given
    std::string backupFolder;
    bool nullSeparated = false; // the --files-from lists end each path with NUL, not a newline
    bool quiet = false;         // no notes on the error output
    std::optional<ShardRequest> shard;
    std::vector<BatchInput> inputs; // in the order given
    std::string error;

    // The extension that a folder scan matches ("docx" when none is given).
    std::string scanExtension() const;
    // What the engine is asked for each document when an option that only the built-in engine offers was
    // given: such a run goes to the engine directly. nullopt otherwise: the run goes through Word's object
    // model, as the window's does.
    std::optional<docengine::RestyleRequest> engineRequest() const;
};

inline constexpr unsigned kMaxJobs = 256;

// Reads the arguments that follow the program's name (see usageText). Option values may also be
// attached with "=" (--font=Arial); after "--" every argument is a file.
BatchArguments parseArguments(const std::vector<std::string>& arguments);

// The text printed by --help.
std::string usageText();

} // namespace glyphmere::batch
