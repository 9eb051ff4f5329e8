// The web-site container (1,572,864 bytes) sent to and got from the FTP device on loopback through
// the site transfer dialog, against curl moving the same file in active mode from the same server;
// and how long the event loop stalls meanwhile.
#include "BenchSupport.h"
#include "Blocking.h"
#include "FtpDevice.h"
#include "Main.h"
#include "MsgBox.h"
#include "NumFormat.h"
#include "StallWatch.h"
#include "TransferSite.h"
#include "VXTOptions.h"

#include <QApplication>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <optional>
#include <random>
#include <string>
#include <vector>

using namespace vxt;
using namespace vxt::bench;
using vxt::test::FtpDevice;

namespace {

const int kContainerBytes = 1572864;
const int kRounds = 5;
const char kUser[] = "admin";
const char kPassword[] = "admin";

std::string Container()
{
    std::string s(size_t(kContainerBytes), '\0');
    std::mt19937 random(7);
    for (char &c : s) c = char(random() & 0xff);
    return s;
}

TDeviceData LocalDevice()
{
    TDeviceData d;
    d.Device = "Velto-10-MB";
    d.Hostname = "velto-mb";
    d.MAC = "00-11-22-33-44-01";
    d.Version = "2.0.4-SN";
    d.IP = "127.0.0.1";
    d.Username = kUser;
    d.Password = kPassword;
    return d;
}

struct DialogRun {
    double ms = 0;   // connecting to disconnected
    bool completed = false;
    double tickGapMs = 0, busyMs = 0;
};

// One showing of the transfer dialog; Close is pressed once it offers it.
DialogRun RunDialog(TfrmTransferSite *dlg, uint8_t direction, std::string *stream, bool tick)
{
    DialogRun run;
    dlg->Direction = direction;
    dlg->Stream = stream;

    // The program's own hooks around each blocking step mark the first and the last.
    const BlockingHooks program = GetBlockingHooks();
    Clock::time_point first, last;
    bool started = false;
    GetBlockingHooks().Enter = [&]() {
        if (!started) first = Clock::now();
        started = true;
        if (program.Enter) program.Enter();
    };
    GetBlockingHooks().Leave = [&]() {
        if (program.Leave) program.Leave();
        last = Clock::now();
    };
    QTimer close;
    close.setInterval(20);
    QObject::connect(&close, &QTimer::timeout, dlg, [dlg]() {
        if (dlg->isVisible() && dlg->btnCancel->text() == QStringLiteral("&Close")) dlg->btnCancel->click();
    });
    {
        StallWatch watch(tick);
        close.start();
        dlg->exec();
        close.stop();
        run.tickGapMs = watch.LongestTickGapMs;
        run.busyMs = watch.LongestBusyMs;
    }
    GetBlockingHooks() = program;
    dlg->Stream = nullptr;
    run.completed = dlg->Completed;
    if (started) run.ms = MsSince(first, last);
    return run;
}

// curl's own time of the whole session (connect, logon, transfer), in ms; < 0 when it failed.
double Curl(const QStringList &arguments)
{
    QProcess curl;
    curl.start(QStringLiteral("curl"), QStringList{"-sS", "-P", "-", "-w", "%{time_total}"} + arguments);
    if (!curl.waitForFinished(60000) || curl.exitStatus() != QProcess::NormalExit || curl.exitCode() != 0) {
        std::fprintf(stderr, "bench_ftp: curl failed: %s\n", curl.readAllStandardError().constData());
        return -1;
    }
    bool ok = false;
    const double seconds = curl.readAllStandardOutput().trimmed().toDouble(&ok);
    return ok ? seconds * 1000 : -1;
}

double MBps(double ms) { return ms > 0 ? kContainerBytes / 1e6 / (ms / 1000) : 0; }

}  // namespace

int main(int argc, char *argv[])
{
    DefaultToOffscreen();
    QApplication app(argc, argv);
    SetDecimalSeparator('.');
    QTemporaryDir dir;
    SetIniFileNameOverride(dir.filePath(QStringLiteral("vxt.ini")).toStdString());

    std::vector<std::string> boxes;
    SetMessageBoxHandler([&boxes](const std::string &text, MsgKind, int) {
        boxes.push_back(text);
        return MsgResult::OK;
    });

    auto *form = new TMainForm;
    frmTransferSite = new TfrmTransferSite(form);
    form->resize(1000, 700);
    form->show();
    if (!QTest::qWaitForWindowExposed(form)) std::fprintf(stderr, "bench_ftp: main window not exposed\n");
    frmTransferSite->Device = LocalDevice();

    test::FtpDeviceOptions options;
    options.user = QString::fromLatin1(kUser);
    options.password = QString::fromLatin1(kPassword);
    FtpDevice device(options);
    if (!device.start()) {
        std::fprintf(stderr, "bench_ftp: FTP device: %s\n", qPrintable(device.errorString()));
        return 2;
    }
    frmTransferSite->FtpPort = device.ftpPort();

    const std::string container = Container();
    const QByteArray containerBytes = QByteArray::fromStdString(container);
    const QString local = dir.filePath(QStringLiteral("userpage.kws"));
    const QString fetched = dir.filePath(QStringLiteral("fetched.kws"));
    {
        QFile f(local);
        if (!f.open(QIODevice::WriteOnly) || f.write(containerBytes) != containerBytes.size()) return 2;
    }
    const QString url = QStringLiteral("ftp://%1:%2@127.0.0.1:%3/userpage.kws")
                            .arg(QString::fromLatin1(kUser), QString::fromLatin1(kPassword))
                            .arg(device.ftpPort());

    std::vector<double> upMs, downMs, curlUpMs, curlDownMs;
    double tickGapMs = 0, busyMs = 0;
    bool failed = false;
    // Round 0 warms up and is not counted; the last one watches the loop with a 1 ms timer and is
    // not timed.
    for (int round = 0; round <= kRounds + 1 && !failed; ++round) {
        const bool tick = round == kRounds + 1;
        device.removeFile();
        std::string send = container;
        const DialogRun up = RunDialog(frmTransferSite, 1, &send, tick);
        const std::optional<QByteArray> stored = device.file();
        std::string got;
        const DialogRun down = RunDialog(frmTransferSite, 0, &got, tick);
        if (!up.completed || !stored || *stored != containerBytes || !down.completed || got != container) {
            std::fprintf(stderr, "bench_ftp: the program's transfer failed (send %d, get %d)\n", up.completed,
                         down.completed);
            failed = true;
            break;
        }
        if (tick) {
            tickGapMs = std::max(up.tickGapMs, down.tickGapMs);
            continue;
        }
        busyMs = std::max({busyMs, up.busyMs, down.busyMs});

        device.removeFile();
        const double curlUp = Curl({QStringLiteral("-T"), local, url});
        const std::optional<QByteArray> curlStored = device.file();
        QFile::remove(fetched);
        const double curlDown = Curl({url, QStringLiteral("-o"), fetched});
        QFile f(fetched);
        if (curlUp < 0 || curlDown < 0 || !curlStored || *curlStored != containerBytes ||
            !f.open(QIODevice::ReadOnly) || f.readAll() != containerBytes) {
            std::fprintf(stderr, "bench_ftp: curl's transfer failed\n");
            failed = true;
            break;
        }
        if (round == 0) continue;
        upMs.push_back(up.ms);
        downMs.push_back(down.ms);
        curlUpMs.push_back(curlUp);
        curlDownMs.push_back(curlDown);
    }
    for (const std::string &b : boxes) std::fprintf(stderr, "bench_ftp: box shown: %s\n", b.c_str());
    if (failed || !boxes.empty()) return 2;

    const double up = MBps(Median(upMs)), curlUp = MBps(Median(curlUpMs));
    const double down = MBps(Median(downMs)), curlDown = MBps(Median(curlDownMs));
    const std::string rounds = "median of " + std::to_string(kRounds) + " rounds, whole session";
    Figure("ftp upload", "program " + Fixed(up, 2) + " MB/s, curl " + Fixed(curlUp, 2) + " MB/s, ratio " +
                             Fixed(up / curlUp, 2) + " (" + rounds + ")",
           ">= 0.50", up / curlUp >= 0.5);
    Figure("ftp download", "program " + Fixed(down, 2) + " MB/s, curl " + Fixed(curlDown, 2) + " MB/s, ratio " +
                               Fixed(down / curlDown, 2) + " (" + rounds + ")",
           ">= 0.50", down / curlDown >= 0.5);
    Figure("ui stall during ftp transfer",
           "longest gap of a 1 ms timer " + Fixed(tickGapMs, 1) + " ms, longest busy stretch of the event loop " +
               Fixed(busyMs, 1) + " ms",
           "< 50 ms", tickGapMs < 50 && busyMs < 50);

    device.stop();
    delete form;
    return 0;
}
