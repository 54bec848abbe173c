#pragma once

#include "batch/Outcome.h"

#include <atomic>
#include <cstddef>
#include <functional>
#include <string>
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

using DocumentWork = std::function<Outcome(std::size_t index)>;

// The key under which a document is kept from being worked on twice at once: its real path (links and
// "." resolved), or its full path when it cannot be resolved.
std::string exclusionKey(const std::string& path);

// Works on the items 0..keys.size()-1 with up to jobs threads, each taking the first item not yet
// started whose key no other job holds. No item starts once stop is set; the items in progress end.
// Returns whether some item was never started.
bool runInParallel(const std::vector<std::string>& keys, unsigned jobs, const std::atomic<bool>& stop,
                   const DocumentWork& work, RunObserver& observer);

} // namespace glyphmere::batch
