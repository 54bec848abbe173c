#pragma once

#include "platform/Automation.h"

#include <cstddef>

namespace glyphmere::docengine {

class SaveDeferral;

// The automation service on Linux: serves the class "Word.Application" with the built-in document
// engine. It keeps a thread-safe table of live instances: create adds one, the instance's Quit removes
// it, and attach finds one that was created in this process and has not quit (and fails otherwise).
// Any other class name fails with a readable description.
class EngineAutomation final : public platform::Automation {
public:
    // With a deferral, every document's save is kept there for the caller to commit (see SaveDeferral);
    // without one, saves are committed at once.
    explicit EngineAutomation(SaveDeferral* deferral = nullptr);
    ~EngineAutomation() override;

    platform::ObjectRef create(std::string_view className) override;
    platform::ObjectRef attach(std::string_view className) override;

    std::size_t liveInstanceCount() const;

    struct Table;

private:
    std::shared_ptr<Table> m_table;
    SaveDeferral* m_deferral;
};

} // namespace glyphmere::docengine
