#include "app/Form1.h"
#include "app/program/SystemServices.h"
#include "platform/qt/QtDialogs.h"
#include "platform/qt/QtWindowSystem.h"
#include "platform/qt/StandardRandom.h"

#include <QApplication>

using namespace glyphmere;

int main(int argc, char** argv)
{
    QApplication application(argc, argv);

    const app::SystemServices system = app::makeSystemServices();
    platform::qt::QtDialogs dialogs;
    platform::qt::QtWindowSystem windowSystem;
    platform::qt::StandardRandom random;
    platform::Platform services{*system.automation, *system.settings, *system.fileSystem, dialogs,
                                *system.shell,      windowSystem,     random};

    app::Form1 form(services);
    dialogs.setParent(&form);
    form.show();
    return application.exec();
}
