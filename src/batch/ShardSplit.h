#pragma once

#include "batch/BatchArguments.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace glyphmere::batch {

// One of the N disjoint parts of a run's documents (index from 0 to count - 1).
struct Shard {
    unsigned long index = 0;
    unsigned long count = 1;
};

// A variable of the environment, or nothing when it is not set.
using VariableLookup = std::function<std::optional<std::string>(const std::string& name)>;

// The hash that decides a document's part: FNV-1a (64 bits) of the bytes of its path relative to the
// folder, list or file argument it came from, followed by MurmurHash3's 64-bit finaliser so that paths
// that differ only in their last bytes still spread over every part. It depends on nothing but those
// bytes, so every machine agrees on it, wherever the share is mounted.
std::uint64_t shardHash(std::string_view relativePath);

// Whether the document with this relative path belongs to shard: its hash modulo the count.
bool belongsTo(std::string_view relativePath, Shard shard);

// The shard that --shard asks for. "auto" reads a Slurm job array's SLURM_ARRAY_TASK_ID (counted from
// SLURM_ARRAY_TASK_MIN in steps of SLURM_ARRAY_TASK_STEP) and SLURM_ARRAY_TASK_COUNT; "auto/N" takes the
// index from SLURM_ARRAY_TASK_ID or from a Kubernetes Indexed Job's JOB_COMPLETION_INDEX, which comes
// without the count. Sets error (a usage error) and returns nothing when the variables do not say.
std::optional<Shard> resolveShard(const ShardRequest& request, const VariableLookup& variable, std::string& error);

// The path of a document as it counts for the split: lexically normal, without a leading "./".
std::string shardKey(std::string_view path);

} // namespace glyphmere::batch
