#include "app/program/SystemServices.h"

#include "docengine/session/EngineAutomation.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/qt/QtSettingsStore.h"
#include "platform/qt/QtShell.h"

#include <csignal>

namespace glyphmere::app {

SystemServices makeSystemServices()
{
    // Past a file-size limit a write then fails, so the engine's save is abandoned and the document
    // stays as it was, instead of the signal ending the program halfway.
    std::signal(SIGXFSZ, SIG_IGN);
    return {std::make_unique<docengine::EngineAutomation>(), std::make_unique<platform::qt::QtSettingsStore>(),
            std::make_unique<platform::posix::PosixFileSystem>(), std::make_unique<platform::qt::QtShell>(), ""};
}

} // namespace glyphmere::app
