#include "MonitorModule.h"

#include "Main.h"
#include "Monitor.h"

namespace vxt {

void RegisterMonitor(TMainForm *mainForm)
{
    mainForm->hooks.ShowTagMonitor = [mainForm](const TDeviceData &device) {
        if (!frmMonitor) frmMonitor = new TfrmMonitor(mainForm);
        frmMonitor->Device = device;
        frmMonitor->exec();
    };
}

}  // namespace vxt
