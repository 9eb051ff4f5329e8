// The tag monitor on the emulated device: its window with the dialogs it opens, the device it
// watches, and its tag-list download closed once it has ended.
#pragma once

#include "GetTagConfig.h"
#include "Monitor.h"
#include "MonitorLogic.h"
#include "QtStr.h"
#include "UiTestSupport.h"
#include "VXTTypes.h"
#include "WriteValue.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace vxt::test {

// The monitor window with its tag-list and write dialogs, all talking to `httpPort`.
inline TfrmMonitor *NewMonitor(int httpPort, int timeoutMs)
{
    auto *mon = new TfrmMonitor;
    frmGetTagConfig = new TfrmGetTagConfig(mon);
    frmWriteValue = new TfrmWriteValue(mon);
    mon->SetHttpPort(httpPort);
    mon->Channel.SetTimeout(timeoutMs);
    frmGetTagConfig->SetHttpPort(httpPort);
    frmGetTagConfig->Channel.SetTimeout(timeoutMs);
    return mon;
}

// Stops the monitor if it runs and ends it with its dialogs.
inline void DeleteMonitor(TfrmMonitor *&mon)
{
    if (mon->MonitorState != MonitorStopped) mon->btnStopClick();
    delete mon;
    mon = nullptr;
    frmGetTagConfig = nullptr;
    frmWriteValue = nullptr;
}

// The emulated Velto-10-MB at 127.0.0.2 as the device list holds it.
inline TDeviceData EmulatedMB(const QString &mac)
{
    TDeviceData d;
    d.Device = "Velto-10-MB";
    d.Hostname = "velto-mb";
    d.MAC = StdStr(mac);
    d.Version = "2.0.4-SN";
    d.IP = "127.0.0.2";
    d.Family = 0;
    return d;
}

// Closes the next tag-list download's window once the download has ended.
inline void CloseDownloadWhenDone()
{
    WhenModalOf<TfrmGetTagConfig>([](TfrmGetTagConfig *dlg) {
        auto *poll = new QTimer(dlg);
        QObject::connect(poll, &QTimer::timeout, dlg, [dlg, poll]() {
            if (dlg->Downloading ||
                dlg->lblStatus->text() == QStringLiteral("Initializing Tag Configuration Download..."))
                return;
            poll->deleteLater();
            if (dlg->isVisible()) dlg->btnStop->click();
        });
        poll->start(10);
    });
}

}  // namespace vxt::test
