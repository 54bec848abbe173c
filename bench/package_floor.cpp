// The floor for the restyle benchmark: each package on the command line is opened, its main part and
// first header and footer are inflated and written back deflated through the same safe save as a
// restyle, with no XML work at all. The saves go through the batch's own run, one job, so their flushes
// overlap the next package's work exactly as a restyle's do. What a restyle costs beyond this is the
// engine's own work.

#include "batch/ParallelRun.h"
#include "docengine/files/DocumentFileAccess.h"
#include "docengine/files/SaveDeferral.h"
#include "docengine/ooxml/ZipPackage.h"

#include <atomic>
#include <cstdlib>
#include <iostream>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace glyphmere;

void rewriteChangedParts(const std::string& path, docengine::SaveDeferral& deferral)
{
    const char* const changedParts[] = {"word/document.xml", "word/header1.xml", "word/footer1.xml"};
    docengine::DocumentFileAccess access = docengine::DocumentFileAccess::open(path);
    access.deferSavesTo(deferral);
    const auto package = docengine::ZipPackage::open(std::move(access));
    std::map<std::string, std::string> replaced;
    for (const char* part : changedParts) {
        if (package->hasEntry(part))
            replaced[part] = package->read(part);
    }
    package->saveReplacing(replaced);
}

batch::DocumentResult floorWork(const std::string& path)
{
    docengine::SaveDeferral deferral;
    try {
        rewriteChangedParts(path, deferral);
    } catch (const std::exception& error) {
        return batch::Outcome{batch::OutcomeStatus::Failed, error.what(), 0, {}};
    }
    auto saves = std::make_shared<std::vector<docengine::PendingSave>>(deferral.take(path));
    return {batch::Outcome{batch::OutcomeStatus::Changed, "", 0, {}}, [saves] {
                for (docengine::PendingSave& save : *saves)
                    save.commit();
                return std::string();
            }};
}

class FailureCount : public batch::RunObserver {
public:
    void finished(const batch::Outcome& outcome) override
    {
        if (outcome.status == batch::OutcomeStatus::Failed) {
            std::cerr << outcome.reason << '\n';
            ++failures;
        }
    }
    void inOrder(std::size_t, const batch::Outcome&) override {}
    int failures = 0;
};

} // namespace

int main(int argc, char* argv[])
{
    setenv("TZ", ":/etc/localtime", 0); // as glyphmere-batch does: the zone is read once
    const std::vector<std::string> paths(argv + 1, argv + argc);
    const std::atomic<bool> never{false};
    FailureCount observer;
    batch::runInParallel(
        paths, 1, never, [&paths](std::size_t index) { return floorWork(paths[index]); }, observer);
    return observer.failures == 0 ? 0 : 1;
}
