#include "app/Form1.h"
#include "app/program/SystemServices.h"
#include "platform/qt/QtDialogs.h"
#include "platform/qt/QtWindowSystem.h"
#include "platform/qt/StandardRandom.h"

#include "glyphmere/Version.h"

#include <QApplication>

#include <cstring>
#include <iostream>

using namespace glyphmere;

int main(int argc, char** argv)
{
    // Answered before Qt starts, so that it needs no display and opens no window.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::cout << "glyphmere " << kVersion << std::endl;
            return 0;
        }
    }
    QApplication application(argc, argv);

    const app::SystemServices system = app::makeSystemServices();
    platform::qt::QtDialogs dialogs;
    platform::qt::QtWindowSystem windowSystem;
    platform::qt::StandardRandom random;
    platform::Platform services{
        *system.automation, *system.settings, *system.fileSystem, dialogs, *system.shell, windowSystem, random};

    app::Form1 form(services);
    dialogs.setParent(&form);
    form.show();
    if (!system.startupNotice.empty())
        dialogs.messageBox(system.startupNotice, platform::MessageButtons::Ok);
    return application.exec();
}
