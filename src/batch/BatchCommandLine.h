#pragma once

#include "batch/BatchArguments.h"
#include "batch/ShardSplit.h"
#include "docengine/session/RestyleRequest.h"
#include "platform/Automation.h"

#include <atomic>
#include <iosfwd>
#include <string>
#include <vector>

namespace glyphmere::batch {

inline constexpr int kExitAllChanged = 0;
inline constexpr int kExitSomeFailed = 1;
inline constexpr int kExitUsageError = 2;
inline constexpr int kExitInterrupted = 130;

// What a run works with: the program hands in the engine, its streams and the flag that its signal
// handler sets; tests hand in their own.
struct BatchEnvironment {
    platform::Automation& automation;
    std::ostream& out;
    std::ostream& err;
    const std::atomic<bool>& stop; // set: start no other document
    bool errIsTerminal = false;    // show the progress line on err
    unsigned defaultJobs = 1;      // --jobs when not given: the number of cores
    std::istream* in = nullptr;    // read by --files-from -
    VariableLookup variable = {};  // read by --shard auto; the process environment when empty
    // Where the engine keeps each document's save until the run commits it, in the background; the program
    // gives the same one to its engine. Null: the run keeps the saves of the engine's own restyle in one of
    // its own, and saves through Word's object model are committed at once.
    docengine::SaveDeferral* saveDeferral = nullptr;
};

// Runs glyphmere-batch with the arguments that follow the program's name. Restyles the documents with
// up to --jobs at a time, printing "changed: FILE", "failed: FILE: REASON" (or, in a dry run, "would
// change: FILE: ...") for each to out, in input order; --list-fonts prints one font name per line.
// Usage errors, notes, the progress line and what an interrupted run did go to err. Returns the exit
// status: 0 when every file was changed, 1 when any failed (or the report could not be written), 2 on a
// usage error or a list or report that cannot be read, 130 when stop was set before every document was
// started.
int runCommandLine(const std::vector<std::string>& arguments, const BatchEnvironment& environment);

// The same with one job by default, never stopped, without a progress line.
int runCommandLine(const std::vector<std::string>& arguments, platform::Automation& automation, std::ostream& out,
                   std::ostream& err);

} // namespace glyphmere::batch
