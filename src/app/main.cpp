#include "app/Form1.h"
#include "docengine/EngineAutomation.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/qt/QtDialogs.h"
#include "platform/qt/QtSettingsStore.h"
#include "platform/qt/QtShell.h"
#include "platform/qt/QtWindowSystem.h"
#include "platform/qt/StandardRandom.h"

#include <QApplication>

#include <csignal>

using namespace glyphmere;

int main(int argc, char** argv)
{
    // Past a file-size limit a write then fails, so the engine's save is abandoned and the document
    // stays as it was, instead of the signal ending the program halfway.
    std::signal(SIGXFSZ, SIG_IGN);
    QApplication application(argc, argv);

    docengine::EngineAutomation automation;
    platform::qt::QtSettingsStore settings;
    platform::posix::PosixFileSystem fileSystem;
    platform::qt::QtDialogs dialogs;
    platform::qt::QtShell shell;
    platform::qt::QtWindowSystem windowSystem;
    platform::qt::StandardRandom random;
    platform::Platform services{automation, settings, fileSystem, dialogs, shell, windowSystem, random};

    app::Form1 form(services);
    dialogs.setParent(&form);
    form.show();
    return application.exec();
}
