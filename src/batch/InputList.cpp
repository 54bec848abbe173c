#include "batch/InputList.h"

#include "batch/ReportReader.h"
#include "batch/ShardSplit.h"
#include "batch/SystemAccess.h"
#include "common/SafeReplace.h"
#include "doclist/AddFolder.h"
#include "platform/PathSeparator.h"

#include <algorithm>
#include <istream>
#include <iterator>
#include <stdexcept>

namespace glyphmere::batch {
namespace {

constexpr const char* kUnreadable = "it could not be read, so no document below it was added";

struct ScanInterrupted {};

// A list or report that cannot be read: the run does not start.
struct UnreadableInput {
    std::string message;
};

// The walk's window-system services without a window: between two steps it only looks whether a stop
// was requested, and leaves the walk when it was.
class HeadlessWalk final : public platform::WindowSystem {
public:
    explicit HeadlessWalk(const std::atomic<bool>& stop) : m_stop(stop) {}

    platform::TwipSize screenSize() override { return {}; }
    std::string programFolder() override { return {}; }
    void processPendingEvents() override
    {
        if (m_stop.load())
            throw ScanInterrupted();
    }
    void endProgram() override {}

private:
    const std::atomic<bool>& m_stop;
};

class InputReader {
public:
    InputReader(const InputSources& sources, const std::atomic<bool>& stop)
        : m_sources(sources), m_fileSystem(os::fileSystemService()), m_walk(stop)
    {
    }

    void append(const BatchInput& input, std::vector<BatchItem>& items)
    {
        switch (input.kind) {
        case InputKind::File:
            items.push_back({input.path, "", shardKey(input.path)});
            break;
        case InputKind::Folder:
            appendFolder(input.path, items);
            break;
        case InputKind::PathList:
            for (const std::string& path :
                 pathsInList(contentOf(input.path, "list"), m_sources.nullSeparated, m_sources.windowsLists))
                items.push_back({path, "", shardKey(path)});
            break;
        case InputKind::RetryReport:
            appendRetried(input.path, items);
            break;
        }
    }

private:
    void appendFolder(const std::string& folder, std::vector<BatchItem>& items)
    {
        doclist::AddFolder::ScanResult scan =
            doclist::AddFolder::scanFolderTree(*m_fileSystem, m_walk, folder, m_sources.extension);
        // The scan puts each path after the folder and one separator, its system's own, unless the folder
        // already ends in that one ("share/" on Windows becomes "share/\\").
        const bool endsInSeparator = folder.ends_with(platform::kPathSeparator);
        const std::size_t prefix = folder.size() + (endsInSeparator ? 0 : 1);
        const auto relative = [prefix](const std::string& path) {
            return shardKey(path.substr(std::min(prefix, path.size())));
        };
        for (const std::string& skipped : scan.skipped)
            items.push_back({skipped, kUnreadable, relative(skipped)});
        for (const std::string& path : scan.paths)
            items.push_back({path, "", relative(path)});
    }

    void appendRetried(const std::string& report, std::vector<BatchItem>& items)
    {
        std::vector<std::string> paths;
        try {
            paths = undoneDocuments(contentOf(report, "report"));
        } catch (const std::runtime_error& error) {
            throw UnreadableInput{"the report " + report + " could not be read: " + error.what()};
        }
        for (const std::string& path : paths) {
            // A folder that could not be read before is scanned again.
            const auto attributes = m_fileSystem->attributes(path);
            if (attributes && (*attributes & platform::FileAttribute::Directory))
                appendFolder(path, items);
            else
                items.push_back({path, "", shardKey(path)});
        }
    }

    std::string contentOf(const std::string& path, const char* what)
    {
        if (path != "-") {
            try {
                return common::readWholeFile(path);
            } catch (const std::runtime_error& error) {
                throw UnreadableInput{std::string("the ") + what + " " + path + " could not be read: " + error.what()};
            }
        }
        if (!m_sources.standardInput)
            throw UnreadableInput{std::string("the ") + what + " could not be read: there is no standard input"};
        std::istream& in = *m_sources.standardInput;
        std::string text(std::istreambuf_iterator<char>(in), {});
        if (in.bad())
            throw UnreadableInput{std::string("the ") + what + " could not be read from standard input"};
        return text;
    }

    const InputSources& m_sources;
    std::unique_ptr<platform::FileSystem> m_fileSystem;
    HeadlessWalk m_walk;
};

} // namespace

InputList listInputs(const std::vector<BatchInput>& inputs, const InputSources& sources, const std::atomic<bool>& stop)
{
    InputList list;
    InputReader reader(sources, stop);
    try {
        for (const BatchInput& input : inputs)
            reader.append(input, list.items);
    } catch (const ScanInterrupted&) {
        list.interrupted = true;
    } catch (const UnreadableInput& unreadable) {
        list.error = unreadable.message;
        list.items.clear();
    }
    return list;
}

std::vector<std::string> pathsInList(std::string_view text, bool nullSeparated, bool windowsText)
{
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (windowsText && text.starts_with(kByteOrderMark))
        text.remove_prefix(kByteOrderMark.size());
    const char separator = nullSeparated ? '\0' : '\n';
    std::vector<std::string> paths;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find(separator, start), text.size());
        std::string_view path = text.substr(start, end - start);
        if (windowsText && !nullSeparated && path.ends_with('\r'))
            path.remove_suffix(1);
        if (!path.empty())
            paths.emplace_back(path);
        start = end + 1;
    }
    return paths;
}

} // namespace glyphmere::batch
