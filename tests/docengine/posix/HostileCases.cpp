#include "HostileCases.h"

#include "docengine/EngineMessages.h"
#include "support/TestDocuments.h"

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdint>

namespace glyphmere::docengine::hostile {

namespace {

using namespace glyphmere::testing_support;

// The same in a child process whose files may grow to at most `limit` bytes, as on a full disk.
std::string restyleReasonWithFileSizeLimit(const std::string& path, rlim_t limit)
{
    int channel[2];
    if (::pipe(channel) != 0)
        return "(no pipe)";
    const pid_t child = ::fork();
    if (child < 0)
        return "(no child process)";
    if (child == 0) {
        ::close(channel[0]);
        std::signal(SIGXFSZ, SIG_IGN);
        const struct rlimit fileSize {
            limit, limit
        };
        const std::string reason = ::setrlimit(RLIMIT_FSIZE, &fileSize) == 0 ? restyleReason(path) : "(no limit)";
        const bool written = ::write(channel[1], reason.data(), reason.size()) == static_cast<ssize_t>(reason.size());
        ::_exit(written ? 0 : 1);
    }
    ::close(channel[1]);
    std::string reason;
    char buffer[256];
    for (ssize_t count; (count = ::read(channel[0], buffer, sizeof buffer)) > 0;)
        reason.append(buffer, static_cast<std::size_t>(count));
    ::close(channel[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return reason;
}

std::string incompressibleBytes(std::size_t size)
{
    std::string bytes(size, '\0');
    std::uint32_t state = 2463534242u;
    for (char& byte : bytes) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        byte = static_cast<char>(state);
    }
    return bytes;
}

} // namespace

std::vector<HostileCase> systemHostileCases()
{
    return {
        {"read-only file",
         [](const std::string& path) {
             writePackage(path, minimalDocx(kBody));
             ::chmod(path.c_str(), 0444);
         },
         messages::kReadOnly},
        {"full disk",
         [](const std::string& path) {
             writePackage(path, minimalDocx(kBody, {{"word/media/noise.bin", incompressibleBytes(64 * 1024)}}));
         },
         messages::cannotSave("the file would be larger than the system allows"), false,
         [](const std::string& path) { return restyleReasonWithFileSizeLimit(path, 16 * 1024); }},
    };
}

} // namespace glyphmere::docengine::hostile
