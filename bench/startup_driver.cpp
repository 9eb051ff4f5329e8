// Starts the windows as the program's main() does (splash without its wait, every dialog, the main
// window maximised) and writes "shown" on stdout once the main window has been exposed and painted,
// then quits. bench_startup times it from the outside.
#include "About.h"
#include "DF1Tags.h"
#include "EMail.h"
#include "GatewayModule.h"
#include "GetTagConfig.h"
#include "HostlinkTags.h"
#include "Icons.h"
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
#include "Splash.h"
#include "TransferDF1Config.h"
#include "TransferHostlinkConfig.h"
#include "TransferModbusConfig.h"
#include "Version.h"
#include "WriteValue.h"

#include <QApplication>
#include <QEventLoop>
#include <QLocale>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <cstdio>

using namespace vxt;

namespace {

void Wait(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Reports the first exposure of the main window once what it brought (the paint) is done.
class FirstExpose : public QObject {
public:
    explicit FirstExpose(QWidget *window) : window_(window) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (!done_ && event->type() == QEvent::Expose && watched == window_->windowHandle() &&
            window_->windowHandle()->isExposed()) {
            done_ = true;
            QTimer::singleShot(0, []() {
                std::fputs("shown\n", stdout);
                std::fflush(stdout);
                QCoreApplication::quit();
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QWidget *window_;
    bool done_ = false;
};

}  // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QString point = QLocale::system().decimalPoint();
    SetDecimalSeparator(point.isEmpty() ? '.' : point.at(0).toLatin1());

    auto *splash = new TfrmSplash;
    splash->show();
    splash->repaint();
    QApplication::processEvents();
    Wait(0);

    QApplication::setApplicationName(QStringLiteral("Velto Configuration Manager"));
    QApplication::setWindowIcon(ImageListIcon(3));

    RegisterGatewayDocuments();
    RegisterSiteDocuments();
    auto *mainForm = new TMainForm;
    RegisterMonitor(mainForm);
    frmProperties = new TfrmProperties(mainForm);
    frmPassword = new TfrmPassword(mainForm);
    frmSearchRemote = new TfrmSearchRemote(mainForm);
    frmNewFile = new TfrmNewFile(mainForm);
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

    splash->close();
    delete splash;

    FirstExpose watch(mainForm);
    app.installEventFilter(&watch);
    if (QScreen *screen = QGuiApplication::primaryScreen()) mainForm->setGeometry(screen->availableGeometry());
    mainForm->showMaximized();

    const int rc = app.exec();
    app.removeEventFilter(&watch);
    delete mainForm;
    return rc;
}
