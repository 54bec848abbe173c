#include "batch/ShardSplit.h"

#include "batch/Utf8Path.h"

#include <charconv>
#include <filesystem>

namespace glyphmere::batch {
namespace {

constexpr std::uint64_t kFnvOffset = 14695981039346656037ull;
constexpr std::uint64_t kFnvPrime = 1099511628211ull;

std::uint64_t finalised(std::uint64_t hash)
{
    hash ^= hash >> 33;
    hash *= 0xff51afd7ed558ccdull;
    hash ^= hash >> 33;
    hash *= 0xc4ceb9fe1a85ec53ull;
    return hash ^ (hash >> 33);
}

std::optional<unsigned long> numberIn(const VariableLookup& variable, const std::string& name, std::string& error)
{
    const std::optional<std::string> text = variable(name);
    if (!text)
        return std::nullopt;
    unsigned long number = 0;
    const auto [end, failure] = std::from_chars(text->data(), text->data() + text->size(), number);
    if (text->empty() || failure != std::errc() || end != text->data() + text->size())
        error = "--shard auto: " + name + " holds \"" + *text + "\", not a whole number";
    return number;
}

// The index and count of this task of a Slurm job array.
std::optional<Shard> slurmShard(const VariableLookup& variable, std::string& error)
{
    const auto id = numberIn(variable, "SLURM_ARRAY_TASK_ID", error);
    const auto first = numberIn(variable, "SLURM_ARRAY_TASK_MIN", error).value_or(0);
    const auto step = numberIn(variable, "SLURM_ARRAY_TASK_STEP", error).value_or(1);
    const auto count = numberIn(variable, "SLURM_ARRAY_TASK_COUNT", error);
    if (!error.empty())
        return std::nullopt;
    if (!count || *count == 0) {
        error = "--shard auto: SLURM_ARRAY_TASK_ID is set without SLURM_ARRAY_TASK_COUNT";
        return std::nullopt;
    }
    if (*id < first || step == 0 || (*id - first) % step != 0) {
        error = "--shard auto: the Slurm array task " + std::to_string(*id) + " is not one of a range from " +
                std::to_string(first) + " in steps of " + std::to_string(step) + " (use --array=0-" +
                std::to_string(*count - 1) + ", or --shard K/N)";
        return std::nullopt;
    }
    return Shard{(*id - first) / step, *count};
}

std::optional<Shard> shardFromEnvironment(const std::optional<unsigned long>& count, const VariableLookup& variable,
                                          std::string& error)
{
    const bool slurm = variable("SLURM_ARRAY_TASK_ID").has_value();
    const bool kubernetes = variable("JOB_COMPLETION_INDEX").has_value();
    if (slurm && kubernetes) {
        error = "--shard auto: both SLURM_ARRAY_TASK_ID and JOB_COMPLETION_INDEX are set; give --shard K/N";
        return std::nullopt;
    }
    if (slurm) {
        const std::optional<Shard> shard = slurmShard(variable, error);
        if (shard && count && shard->count != *count) {
            error = "--shard auto/" + std::to_string(*count) + ": the Slurm job array has " +
                    std::to_string(shard->count) + " tasks";
            return std::nullopt;
        }
        return shard;
    }
    if (!kubernetes) {
        error = "--shard auto needs SLURM_ARRAY_TASK_ID or JOB_COMPLETION_INDEX in the environment";
        return std::nullopt;
    }
    const std::optional<unsigned long> index = numberIn(variable, "JOB_COMPLETION_INDEX", error);
    if (!error.empty())
        return std::nullopt;
    if (!count) {
        error = "--shard auto: JOB_COMPLETION_INDEX gives no count of parts; give it as --shard auto/N";
        return std::nullopt;
    }
    return Shard{*index, *count};
}

} // namespace

std::uint64_t shardHash(std::string_view relativePath)
{
    std::uint64_t hash = kFnvOffset;
    for (const char c : relativePath) {
        hash ^= static_cast<unsigned char>(c);
        hash *= kFnvPrime;
    }
    return finalised(hash);
}

bool belongsTo(std::string_view relativePath, Shard shard)
{
    return shardHash(relativePath) % shard.count == shard.index;
}

std::optional<Shard> resolveShard(const ShardRequest& request, const VariableLookup& variable, std::string& error)
{
    if (request.index && request.count)
        return Shard{*request.index, *request.count};
    std::optional<Shard> shard = shardFromEnvironment(request.count, variable, error);
    if (shard && shard->index >= shard->count) {
        error = "--shard auto: the index " + std::to_string(shard->index) + " is not below the count " +
                std::to_string(shard->count);
        return std::nullopt;
    }
    return shard;
}

std::string shardKey(std::string_view path)
{
    // In the generic form, with "/" between the names on Windows too, so that a share is split the same
    // way whichever system runs a shard.
    const std::u8string generic = pathFromUtf8(path).lexically_normal().generic_u8string();
    std::string normal(generic.begin(), generic.end());
    while (normal.starts_with("./"))
        normal.erase(0, 2);
    return normal;
}

} // namespace glyphmere::batch
