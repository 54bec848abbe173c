#pragma once

#include "batch/BatchCommandLine.h"

#include "BatchDocuments.h"
#include "docengine/session/EngineAutomation.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace glyphmere::batch::testing {

using Arguments = std::vector<std::string>;

// Quiet: what the runs print does not depend on the fonts installed.
inline const Arguments kRestyle = {"--font", "Liberation Serif", "--size", "13", "--quiet"};

inline std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// Runs in the temporary folder, with the real engine and its saves deferred to the run, as the program does.
class BatchRunTest : public ::testing::Test {
protected:
    BatchRunTest() { std::filesystem::current_path(folder.path()); }
    ~BatchRunTest() override { std::filesystem::current_path(m_previous); }

    int run(const Arguments& options, bool terminal = false)
    {
        Arguments arguments = kRestyle;
        arguments.insert(arguments.end(), options.begin(), options.end());
        return runCommandLine(arguments, BatchEnvironment{engine, out, err, stop, terminal, 4, nullptr, {}, &saves});
    }

    std::string document(const std::string& path)
    {
        const std::filesystem::path folderOfDocument = std::filesystem::path(path).parent_path();
        std::filesystem::create_directories(folderOfDocument.empty() ? "." : folderOfDocument);
        writeDocument(path);
        return path;
    }

    std::filesystem::path m_previous = std::filesystem::current_path();
    testing_support::TemporaryFolder folder;
    docengine::SaveDeferral saves;
    docengine::EngineAutomation engine{&saves};
    std::atomic<bool> stop{false};
    std::ostringstream out;
    std::ostringstream err;
};

} // namespace glyphmere::batch::testing
