#pragma once

#include "batch/Outcome.h"

#include <atomic>
#include <cstddef>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace glyphmere::batch {

// Told about the run as it goes; every call is made under the run's lock, one at a time.
class RunObserver {
public:
    virtual ~RunObserver() = default;
    // A document ended (in any order).
    virtual void finished(const Outcome& outcome) = 0;
    // The outcome of item index, in input order; at the end, the items never started come as NotStarted.
    virtual void inOrder(std::size_t index, const Outcome& outcome) = 0;
};

// What is left of a document's work once its outcome is known: the commit of its save, which puts the
// restyled file in place. It throws with the reason when it fails, the document then being as it was;
// otherwise it returns a note on how the file was put in place, or nothing when there is none to make.
using CommitStep = std::function<std::string()>;

// How a document's work ended: its outcome, and the commit still to be made before the outcome holds.
struct DocumentResult {
    // Implicit: work that saves nothing, or commits itself, returns its outcome alone.
    DocumentResult(Outcome outcome, CommitStep commit = {}) : outcome(std::move(outcome)), commit(std::move(commit)) {}
    Outcome outcome;
    CommitStep commit;
};

using DocumentWork = std::function<DocumentResult(std::size_t index)>;

// The key under which a document is kept from being worked on twice at once: its real path (links and
// "." resolved), or its full path when it cannot be resolved.
std::string exclusionKey(const std::string& path);

// Works on the items 0..keys.size()-1 with up to jobs threads, each taking the first item not yet
// started whose key no other job holds. An item's commit is handed to background flushers, and its job
// takes the next item meanwhile; the item ends, and is reported, when its commit has ended (a commit
// that throws makes it Failed with the reason), and its key is held until then. No item starts once stop
// is set; the items in progress end, commits included. Returns whether some item was never started.
bool runInParallel(const std::vector<std::string>& keys, unsigned jobs, const std::atomic<bool>& stop,
                   const DocumentWork& work, RunObserver& observer);

} // namespace glyphmere::batch
