#include "Application.h"
#include "Main.h"
#include "Program.h"

using namespace vxt;

int main(int argc, char *argv[])
{
    // Every argument names a file, even one that begins with "-": Qt is given none of them to take
    // as its own option (the platform and the like still come from QT_QPA_PLATFORM and its kin).
    int qtArgc = 1;
    TApplication app(qtArgc, argv);
    // VXT_SPLASH_MS shortens the splash (start-up measurements); the user always gets 2000 ms.
    bool custom = false;
    const int splashMs = qEnvironmentVariableIntValue("VXT_SPLASH_MS", &custom);
    TMainForm *mainForm = StartWindows(custom ? splashMs : 2000);
    ShowMainWindow(mainForm);
    mainForm->OpenCommandLine(argc, argv);

    const int rc = app.exec();
    delete mainForm;
    return rc;
}
