#include "Program.h"

#include "About.h"
#include "Blocking.h"
#include "EMail.h"
#include "DF1Tags.h"
#include "GetTagConfig.h"
#include "HostlinkTags.h"
#include "GatewayModule.h"
#include "Icons.h"
#include "KeyFilter.h"
#include "InputInteger.h"
#include "InternalTags.h"
#include "Main.h"
#include "ModbusTags.h"
#include "Monitor.h"
#include "MonitorModule.h"
#include "NewFile.h"
#include "NoFeature.h"
#include "NumFormat.h"
#include "Options.h"
#include "Password.h"
#include "Properties.h"
#include "SearchRemote.h"
#include "SiteModule.h"
#include "FileViewer.h"
#include "Splash.h"
#include "TransferSite.h"
#include "TransferDF1Config.h"
#include "TransferHostlinkConfig.h"
#include "TransferModbusConfig.h"
#include "Version.h"
#include "WriteValue.h"

#include <QApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QLocale>
#include <QScreen>
#include <QTimer>

namespace vxt {

namespace {

void Wait(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

}  // namespace

TMainForm *StartWindows(int splashMs)
{
    // A decimal point with no byte of its own (U+066B of Arabic and Persian locales) leaves ".".
    const QString point = QLocale::system().decimalPoint();
    SetDecimalSeparator(point.size() == 1 && point.at(0).unicode() < 0x80 ? char(point.at(0).unicode()) : '.');

    auto *splash = new TfrmSplash;
    splash->show();
    splash->repaint();
    QApplication::processEvents();
    Wait(splashMs);

    QApplication::setApplicationName(QStringLiteral("Velto Configuration Manager"));
    QApplication::setWindowIcon(ImageListIcon(3));

    RegisterGatewayDocuments();
    RegisterSiteDocuments();
    auto *mainForm = new TMainForm;
    mainForm->hooks.EndProgram = &EndProgram;
    RegisterMonitor(mainForm);
    frmProperties = new TfrmProperties(mainForm);
    frmPassword = new TfrmPassword(mainForm);
    frmSearchRemote = new TfrmSearchRemote(mainForm);
    frmNewFile = new TfrmNewFile(mainForm);
    frmTransferSite = new TfrmTransferSite(mainForm);
    frmFileViewer = new TfrmFileViewer(mainForm);
    frmOptions = new TfrmOptions(mainForm);
    frmAbout = new TfrmAbout(mainForm);
    frmMonitor = new TfrmMonitor(mainForm);
    frmWriteValue = new TfrmWriteValue(mainForm);
    frmGetTagConfig = new TfrmGetTagConfig(mainForm);
    frmModbusTags = new TfrmModbusTags(mainForm);
    frmInternalTags = new TfrmInternalTags(mainForm);
    frmEmail = new TfrmEmail(mainForm);
    frmTransferModbusConfig = new TfrmTransferModbusConfig(mainForm);
    frmInputInteger = new TfrmInputInteger(mainForm);
    frmHostlinkTags = new TfrmHostlinkTags(mainForm);
    frmTransferHostlinkConfig = new TfrmTransferHostlinkConfig(mainForm);
    frmDF1Tags = new TfrmDF1Tags(mainForm);
    frmTransferDF1Config = new TfrmTransferDF1Config(mainForm);
    frmVersion = new TfrmVersion(mainForm);
    frmNoFeature = new TfrmNoFeature(mainForm);
    GuardLineEdits(mainForm);

    splash->close();
    delete splash;

    return mainForm;
}

void ShowMainWindow(TMainForm *mainForm)
{
    // Maximised; the geometry also covers desktops without a window manager to maximise it.
    if (QScreen *screen = QGuiApplication::primaryScreen()) mainForm->setGeometry(screen->availableGeometry());
    mainForm->showMaximized();
}

}  // namespace vxt
