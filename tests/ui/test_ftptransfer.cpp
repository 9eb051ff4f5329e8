// The web-site transfer dialog against the FTP device over loopback: full-size upload and download
// byte for byte, the exact commands of every logon method as the firewall got them, cancel, a device
// that refuses, stalls or vanishes, the size column of the listing, and the dialog's own states.
#include "FtpDevice.h"
#include "NumFormat.h"
#include "QtStr.h"
#include "TransferSite.h"
#include "UiTestSupport.h"
#include "VXTOptions.h"
#include "VeltoSite.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QtTest>
#include <functional>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace vxt;
using namespace vxt::test;

namespace {

const char kConnectError[] =
    "Error while trying to connect to Velto FTP Server.\r\nVerify connection or wait for Velto to establish the "
    "connection.";
const char kUploadCanceled[] =
    "The transfer was canceled: the Device Web Site is now incomplete.\r\nSend the Web Site again to restore it.";

QByteArray RandomBytes(int size, quint32 seed)
{
    QByteArray b(size, '\0');
    QRandomGenerator gen(seed);
    for (int i = 0; i < size; ++i) b[i] = char(gen.bounded(256));
    return b;
}

// A container that fills the whole capacity: one file of random bytes.
QByteArray FullContainer(quint32 seed)
{
    const int fileSize = TVeltoSite::kCapacity - TVeltoSite::kHeaderSize - 30;
    QByteArray c;
    auto put32 = [&c](quint32 v) {
        for (int i = 0; i < 4; ++i) c.append(char((v >> (8 * i)) & 0xFF));
    };
    c.append('\x01').append('\0').append('\x01').append('\0');
    put32(quint32(TVeltoSite::kCapacity));
    QByteArray name("big.bin");
    name.resize(20, '\0');
    c.append(name);
    put32(quint32(fileSize));
    c.append('\0').append('\0');
    put32(quint32(fileSize));
    c.append(RandomBytes(fileSize, seed));
    return c;
}

// The command lines with the PORT arguments reduced to the address part, which is all that is fixed.
QStringList Normalized(QStringList lines)
{
    static const QRegularExpression port(QStringLiteral("^PORT (\\d+,\\d+,\\d+,\\d+),\\d+,\\d+$"));
    for (QString &l : lines) {
        const QRegularExpressionMatch m = port.match(l);
        if (m.hasMatch()) l = QStringLiteral("PORT ") + m.captured(1);
    }
    return lines;
}

// Holds up the first queued call the dialog gets while `when` holds, as a busy UI thread would.
class StallFirstCall : public QObject {
public:
    StallFirstCall(std::function<bool()> when, int ms) : when_(std::move(when)), ms_(ms) {}
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (!done_ && e->type() == QEvent::MetaCall && when_()) {
            done_ = true;
            QThread::msleep(ulong(ms_));
        }
        return false;
    }

private:
    std::function<bool()> when_;
    int ms_;
    bool done_ = false;
};

struct Outcome {
    int result = -1;
    QString status, progress, rate, button, caption, description;
    bool isDefault = false;
    bool blinking = false;
    bool completed = false;
    bool canceled = false;
};

}  // namespace

class TestFtpTransfer : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<FtpDevice> device;
    std::unique_ptr<MessageBoxRecorder> boxes;
    TfrmTransferSite *dlg = nullptr;

    void StartDevice(FtpDeviceOptions options = {})
    {
        options.password = QStringLiteral("secret");
        device = std::make_unique<FtpDevice>(options);
        QVERIFY2(device->start(), qPrintable(device->errorString()));
        dlg->FtpPort = device->ftpPort();
    }

    static TDeviceData LocalDevice()
    {
        TDeviceData d;
        d.Device = "Velto-10-MB";
        d.Hostname = "velto-mb";
        d.MAC = "00-11-22-33-44-01";
        d.Version = "2.0.4-SN";
        d.IP = "127.0.0.1";
        d.Username = "admin";
        d.Password = "secret";
        return d;
    }

    void SetProxy(bool enabled, int method, bool auth)
    {
        SetFtpProxyEnabled(enabled);
        SetFtpProxyServer("127.0.0.1");
        SetFtpProxyPort(device->proxyPort());
        SetFtpProxyAuth(auth);
        SetFtpProxyUserName("fw");
        SetFtpProxyPassword("fwpass");
        SetFtpProxyMethod(uint8_t(method));
    }

    // Shows the dialog; `during` runs on every poll while it is up; once the final state shows,
    // its texts are kept and Close is pressed (unless the dialog closed by itself).
    Outcome Run(uint8_t direction, std::string *stream, std::function<void()> during = {})
    {
        dlg->Direction = direction;
        dlg->Stream = stream;
        Outcome o;
        bool seen = false;
        QTimer poll;
        poll.setInterval(10);
        QObject::connect(&poll, &QTimer::timeout, [&]() {
            if (!dlg->isVisible()) return;
            if (during) during();
            if (!seen && dlg->btnCancel->text() == QStringLiteral("&Close")) {
                seen = true;
                o.status = dlg->lblStatus->text();
                o.progress = dlg->lblProgress->text();
                o.rate = dlg->lblRate->text();
                o.button = dlg->btnCancel->text();
                o.isDefault = dlg->btnCancel->isDefault();
                o.blinking = dlg->TimerBlink->isActive();
                QTimer::singleShot(0, dlg->btnCancel, &QPushButton::click);
            }
        });
        poll.start();
        o.result = dlg->exec();
        poll.stop();
        if (!seen) {
            o.status = dlg->lblStatus->text();
            o.progress = dlg->lblProgress->text();
            o.button = dlg->btnCancel->text();
        }
        o.caption = dlg->windowTitle();
        o.description = dlg->lblDescription->text();
        o.completed = dlg->Completed;
        o.canceled = dlg->Canceled;
        dlg->Stream = nullptr;
        return o;
    }

private slots:
    void init()
    {
        dir = std::make_unique<QTemporaryDir>();
        SetIniFileNameOverride(StdStr(dir->filePath(QStringLiteral("vxt.ini"))));
        SetDecimalSeparator('.');
        boxes = std::make_unique<MessageBoxRecorder>();
        dlg = new TfrmTransferSite;
        frmTransferSite = dlg;
        dlg->Device = LocalDevice();
    }

    void cleanup()
    {
        delete dlg;
        dlg = nullptr;
        device.reset();
        boxes.reset();
        SetIniFileNameOverride("");
    }

    void uploadFullContainer()
    {
        StartDevice();
        const QByteArray container = FullContainer(7);
        std::string stream = container.toStdString();
        const Outcome o = Run(1, &stream);

        QCOMPARE(o.caption, QStringLiteral("Send Web Site to Velto"));
        QCOMPARE(o.description, QStringLiteral("Send File To Velto FTP Server..."));
        QCOMPARE(o.status, QStringLiteral("TRANSFER COMPLETED!"));
        QVERIFY(o.completed);
        QCOMPARE(o.button, QStringLiteral("&Close"));
        QVERIFY(o.isDefault);
        QVERIFY(o.blinking);
        QCOMPARE(o.result, int(QDialog::Accepted));
        QCOMPARE(o.progress, QStringLiteral("Progress: 1572864 of 1572864 bytes"));
        QVERIFY2(QRegularExpression(QStringLiteral("^Transfer Rate: \\d+\\.\\d\\d KB/s$")).match(o.rate).hasMatch(),
                 qPrintable(o.rate));
        QVERIFY(!dlg->TimerBlink->isActive());   // closing stops the blinking
        QVERIFY(boxes->Shown().empty());

        const std::optional<QByteArray> stored = device->file();
        QVERIFY(stored.has_value());
        QCOMPARE(stored->size(), container.size());
        QVERIFY(*stored == container);
        QCOMPARE(Normalized(device->lines()),
                 QStringList({"USER admin", "PASS secret", "TYPE I", "PORT 127,0,0,1", "STOR userpage.kws", "QUIT"}));
        QVERIFY(device->lines(QStringLiteral("proxy")).isEmpty());
    }

    void downloadFullContainer()
    {
        StartDevice();
        const QByteArray container = FullContainer(11);
        QVERIFY(device->setFile(container));
        std::string stream;
        const Outcome o = Run(0, &stream);

        QCOMPARE(o.caption, QStringLiteral("Get Web Site from Velto"));
        QCOMPARE(o.description, QStringLiteral("Get File From Velto FTP Server..."));
        QCOMPARE(o.status, QStringLiteral("TRANSFER COMPLETED!"));
        QVERIFY(o.completed);
        QCOMPARE(o.progress, QStringLiteral("Progress: 1572864 of 1572864 bytes"));
        QCOMPARE(int(stream.size()), container.size());
        QVERIFY(QByteArray::fromStdString(stream) == container);
        QCOMPARE(Normalized(device->lines()),
                 QStringList({"USER admin", "PASS secret", "TYPE I", "PORT 127,0,0,1", "LIST", "PORT 127,0,0,1",
                              "RETR userpage.kws", "QUIT"}));
        // The device boxes show the record.
        QCOMPARE(dlg->stDevice->text(), QStringLiteral("Velto-10-MB"));
        QCOMPARE(dlg->stHostname->text(), QStringLiteral("velto-mb"));
        QCOMPARE(dlg->stMACAddress->text(), QStringLiteral("00-11-22-33-44-01"));
        QCOMPARE(dlg->stFirmware->text(), QStringLiteral("2.0.4-SN"));
        QCOMPARE(dlg->stIPAddress->text(), QStringLiteral("127.0.0.1"));
        QCOMPARE(dlg->stRemoteIP->text(), QString());
    }

    void logonMethods_data()
    {
        QTest::addColumn<int>("method");
        QTest::addColumn<bool>("auth");
        QTest::addColumn<QStringList>("firewall");
        const QStringList tail{"TYPE I", "PORT 127,0,0,1", "LIST", "PORT 127,0,0,1", "RETR userpage.kws", "QUIT"};
        QTest::newRow("1 USER user@host, firewall logon")
            << 1 << true << QStringList({"USER fw", "PASS fwpass", "USER admin@velto.remote", "PASS secret"}) + tail;
        QTest::newRow("1 USER user@host") << 1 << false << QStringList({"USER admin@velto.remote", "PASS secret"}) + tail;
        QTest::newRow("2 SITE, firewall logon")
            << 2 << true
            << QStringList({"USER fw", "PASS fwpass", "SITE velto.remote", "USER admin", "PASS secret"}) + tail;
        QTest::newRow("2 SITE") << 2 << false << QStringList({"SITE velto.remote", "USER admin", "PASS secret"}) + tail;
        QTest::newRow("3 OPEN, firewall logon")
            << 3 << true
            << QStringList({"USER fw", "PASS fwpass", "OPEN velto.remote", "USER admin", "PASS secret"}) + tail;
        // Authentication off: no firewall account, whatever the settings hold.
        QTest::newRow("3 OPEN") << 3 << false << QStringList({"OPEN velto.remote", "USER admin", "PASS secret"}) + tail;
        QTest::newRow("4 USER user@fwuser@host")
            << 4 << true << QStringList({"USER admin@fw@velto.remote", "PASS fwpass", "PASS secret"}) + tail;
        QTest::newRow("4 without firewall account")
            << 4 << false << QStringList({"USER admin@@velto.remote", "PASS ", "PASS secret"}) + tail;
    }

    void logonMethods()
    {
        QFETCH(int, method);
        QFETCH(bool, auth);
        QFETCH(QStringList, firewall);
        FtpDeviceOptions options;
        options.proxy = true;
        options.proxyMethod = method;
        if (auth) {
            options.proxyUser = QStringLiteral("fw");
            options.proxyPassword = QStringLiteral("fwpass");
        }
        StartDevice(options);
        SetProxy(true, method, auth);
        const QByteArray content = RandomBytes(5000, quint32(method));
        QVERIFY(device->setFile(content));
        TDeviceData d = LocalDevice();
        d.RemoteIP = "velto.remote";
        dlg->Device = d;
        std::string stream;
        const Outcome o = Run(0, &stream);

        QCOMPARE(o.status, QStringLiteral("TRANSFER COMPLETED!"));
        QVERIFY(QByteArray::fromStdString(stream) == content);
        QCOMPARE(Normalized(device->lines(QStringLiteral("proxy"))), firewall);
        const QList<FtpRecord> targets = device->records(QStringLiteral("proxy_target"));
        QCOMPARE(targets.size(), 1);
        QCOMPARE(targets.first().host, QStringLiteral("velto.remote"));
        // Behind the firewall the device sees the device account only.
        const QStringList atDevice = device->lines();
        QVERIFY(atDevice.size() >= 3);
        QCOMPARE(atDevice.mid(0, 3), QStringList({"USER admin", "PASS secret", "TYPE I"}));
        QCOMPARE(dlg->stRemoteIP->text(), QStringLiteral("velto.remote"));
    }

    void remoteDeviceWithoutProxyGoesDirect()
    {
        FtpDeviceOptions options;
        options.proxy = true;
        StartDevice(options);
        SetProxy(false, 2, true);
        QVERIFY(device->setFile("abc"));
        TDeviceData d = LocalDevice();
        d.IP = "10.1.2.3";   // never reached: a remote device is reached at its remote address
        d.RemoteIP = "127.0.0.1";
        dlg->Device = d;
        std::string stream;
        QCOMPARE(Run(0, &stream).status, QStringLiteral("TRANSFER COMPLETED!"));
        QCOMPARE(stream, std::string("abc"));
        QVERIFY(device->lines(QStringLiteral("proxy")).isEmpty());
        QCOMPARE(device->lines().first(), QStringLiteral("USER admin"));
    }

    void localDeviceIgnoresProxy()
    {
        FtpDeviceOptions options;
        options.proxy = true;
        options.proxyMethod = 3;
        StartDevice(options);
        SetProxy(true, 3, true);
        QVERIFY(device->setFile("abc"));
        std::string stream;
        QCOMPARE(Run(0, &stream).status, QStringLiteral("TRANSFER COMPLETED!"));
        QVERIFY(device->lines(QStringLiteral("proxy")).isEmpty());
        QCOMPARE(device->lines().mid(0, 2), QStringList({"USER admin", "PASS secret"}));
    }

    void methodOutsideRangeKeepsThePreviousOne()
    {
        FtpDeviceOptions options;
        options.proxy = true;
        options.proxyMethod = 2;
        StartDevice(options);
        SetProxy(true, 2, false);
        QVERIFY(device->setFile("abc"));
        TDeviceData d = LocalDevice();
        d.RemoteIP = "velto.remote";
        dlg->Device = d;
        std::string stream;
        QCOMPARE(Run(0, &stream).status, QStringLiteral("TRANSFER COMPLETED!"));
        QVERIFY(device->clearRecords());
        SetFtpProxyMethod(9);
        stream.clear();
        QCOMPARE(Run(0, &stream).status, QStringLiteral("TRANSFER COMPLETED!"));
        QCOMPARE(device->lines(QStringLiteral("proxy")).first(), QStringLiteral("SITE velto.remote"));
    }

    void connectFailure()
    {
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        const quint16 port = closed.serverPort();
        closed.close();
        dlg->FtpPort = port;
        std::string stream = "kept";
        const Outcome o = Run(0, &stream);
        QCOMPARE(boxes->Texts(), std::vector<std::string>{kConnectError});
        QCOMPARE(boxes->Shown().front().Kind, MsgKind::Error);
        QCOMPARE(o.status, QStringLiteral("TRANSFER ERROR!"));
        QVERIFY(!o.completed);
        QCOMPARE(o.button, QStringLiteral("&Close"));
        QVERIFY(o.blinking);
        QCOMPARE(stream, std::string("kept"));
    }

    void refusedLogon()
    {
        StartDevice();
        QVERIFY(device->fail(QStringLiteral("login")));
        std::string stream;
        const Outcome o = Run(1, &stream);
        QCOMPARE(boxes->Texts(), std::vector<std::string>{kConnectError});
        QCOMPARE(o.status, QStringLiteral("TRANSFER ERROR!"));
        QVERIFY(!device->lines().contains(QStringLiteral("STOR userpage.kws")));
        QVERIFY(!device->file().has_value());
    }

    void deviceDropsDownload()
    {
        StartDevice();
        QVERIFY(device->setFile(FullContainer(3)));
        QVERIFY(device->fail(QStringLiteral("drop"), QStringLiteral("RETR"), 400000));
        std::string stream;
        QElapsedTimer t;
        t.start();
        const Outcome o = Run(0, &stream);
        QCOMPARE(o.status, QStringLiteral("TRANSFER ERROR!"));
        QVERIFY(!o.completed);
        QVERIFY(boxes->Shown().empty());   // errors of the transfer show no box
        QVERIFY(t.elapsed() < 8000);       // no waiting for a time-out
        QCOMPARE(device->records(QStringLiteral("failure")).size(), 1);
    }

    void deviceDropsUpload()
    {
        StartDevice();
        QVERIFY(device->fail(QStringLiteral("drop"), QStringLiteral("STOR"), 300000));
        std::string stream = FullContainer(5).toStdString();
        const Outcome o = Run(1, &stream);
        QCOMPARE(o.status, QStringLiteral("TRANSFER ERROR!"));
        QVERIFY(!o.completed);
        QVERIFY(boxes->Shown().empty());
    }

    void deviceVanishesDuringDownload()
    {
        StartDevice();
        QVERIFY(device->setFile(FullContainer(9)));
        QVERIFY(device->fail(QStringLiteral("stall"), QStringLiteral("RETR"), 200000));
        std::string stream;
        bool killed = false;
        const Outcome o = Run(0, &stream, [&]() {
            if (!killed && dlg->lblProgress->text().startsWith(QStringLiteral("Progress: 200000 of"))) {
                killed = true;
                device->kill();
            }
        });
        QVERIFY(killed);
        QCOMPARE(o.status, QStringLiteral("TRANSFER ERROR!"));
        QVERIFY(!o.completed);
        QVERIFY(boxes->Shown().empty());
    }

    void cancelDuringDownload()
    {
        StartDevice();
        QVERIFY(device->setFile(FullContainer(13)));
        QVERIFY(device->fail(QStringLiteral("stall"), QStringLiteral("RETR"), 300000));
        std::string stream;
        bool clicked = false;
        QElapsedTimer sinceClick;
        const Outcome o = Run(0, &stream, [&]() {
            if (clicked || !dlg->lblProgress->text().startsWith(QStringLiteral("Progress: 300000 of 1572864")))
                return;
            // Escape does nothing while the transfer runs.
            QTest::keyClick(dlg, Qt::Key_Escape);
            QVERIFY(dlg->isVisible());
            QVERIFY(dlg->Transferring);
            QCOMPARE(dlg->btnCancel->text(), QStringLiteral("&Cancel"));
            QVERIFY(!dlg->btnCancel->isDefault());
            clicked = true;
            sinceClick.start();
            QTest::mouseClick(dlg->btnCancel, Qt::LeftButton);
        });
        QVERIFY(clicked);
        QVERIFY(sinceClick.elapsed() < 3000);
        QCOMPARE(o.result, int(QDialog::Rejected));   // the dialog closed by itself
        QCOMPARE(o.status, QStringLiteral("TRANSFER CANCELED!"));
        QVERIFY(o.canceled);
        QVERIFY(!o.completed);
        QVERIFY(!dlg->Transferring);
        QVERIFY(boxes->Shown().empty());
        QTRY_VERIFY(device->lines().contains(QStringLiteral("ABOR")));
    }

    // A cancelled upload leaves a cut container on the device and says so once the dialog has closed;
    // a cancelled download leaves the device as it was, and so does an upload cancelled before its
    // data connection opened.
    void cancelMidTransfer_data()
    {
        QTest::addColumn<int>("direction");
        QTest::addColumn<QString>("stalled");   // the command the device stops answering at
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("send") << 1 << "STOR" << QStringList{QString::fromLatin1(kUploadCanceled)};
        QTest::newRow("get") << 0 << "RETR" << QStringList{};
        QTest::newRow("send, device silent after PORT") << 1 << "PORT" << QStringList{};
    }

    void cancelMidTransfer()
    {
        QFETCH(int, direction);
        QFETCH(QString, stalled);
        QFETCH(QStringList, shown);
        const bool beforeData = stalled == QStringLiteral("PORT");
        StartDevice();
        const QByteArray container = FullContainer(17);
        QVERIFY(device->setFile(container));
        QVERIFY(device->fail(QStringLiteral("stall"), stalled, beforeData ? 0 : 300000));
        std::string stream = direction ? FullContainer(23).toStdString() : std::string();
        bool clicked = false;
        bool visibleAtBox = true;
        boxes->OnShow = [&](const ShownBox &) { visibleAtBox = dlg->isVisible(); };
        const Outcome o = Run(uint8_t(direction), &stream, [&]() {
            if (clicked) return;
            if (beforeData) {
                if (device->records(QStringLiteral("failure")).isEmpty()) return;
            } else {
                const QStringList words = dlg->lblProgress->text().split(QLatin1Char(' '));
                if (words.size() < 2 || words[1].toLongLong() < 300000) return;
            }
            clicked = true;
            QTest::mouseClick(dlg->btnCancel, Qt::LeftButton);
        });
        QVERIFY(clicked);
        QCOMPARE(o.result, int(QDialog::Rejected));
        QCOMPARE(o.status, QStringLiteral("TRANSFER CANCELED!"));
        QStringList texts;
        for (const std::string &t : boxes->Texts()) texts << QString::fromStdString(t);
        QCOMPARE(texts, shown);
        if (!shown.isEmpty()) {
            QCOMPARE(boxes->Shown().front().Kind, MsgKind::Warning);
            QVERIFY(!visibleAtBox);
        }
        if (beforeData) {
            QVERIFY(!device->lines().contains(QStringLiteral("STOR userpage.kws")));
            QCOMPARE(device->file(), std::optional<QByteArray>(container));
        }
    }

    // Against a server that takes the connection and then neither reads nor closes it, Cancel does
    // not wait for it: the dialog closes at once, and a cancel before any byte moved says nothing.
    void cancelAgainstASilentServer()
    {
        const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof a;
        QVERIFY(::bind(listener, reinterpret_cast<sockaddr *>(&a), len) == 0 && ::listen(listener, 1) == 0);
        ::getsockname(listener, reinterpret_cast<sockaddr *>(&a), &len);
        dlg->FtpPort = ntohs(a.sin_port);
        int conn = -1;
        std::string stream = FullContainer(19).toStdString();
        QElapsedTimer sinceClick;
        qint64 closedAfter = -1;
        const QMetaObject::Connection closed =
            connect(dlg, &QDialog::finished, this, [&]() { closedAfter = sinceClick.elapsed(); });
        const Outcome o = Run(1, &stream, [&]() {
            if (conn >= 0 || (conn = ::accept(listener, nullptr, nullptr)) < 0) return;
            sinceClick.start();
            QTest::mouseClick(dlg->btnCancel, Qt::LeftButton);
        });
        disconnect(closed);
        ::close(conn);
        ::close(listener);
        QVERIFY(sinceClick.isValid());
        QCOMPARE(o.status, QStringLiteral("TRANSFER CANCELED!"));
        QVERIFY2(closedAfter >= 0 && closedAfter < 500, qPrintable(QString::number(closedAfter)));
        QVERIFY(boxes->Shown().empty());
    }

    void listingWithoutSizeAtColumn38()
    {
        StartDevice();
        QVERIFY(device->setFile("abc"));
        QVERIFY(device->setListing(QStringList{QStringLiteral("-rw-r--r-- 1 velto velto 3 userpage.kws")}));
        std::string stream;
        const Outcome o = Run(0, &stream);
        QCOMPARE(o.status, QStringLiteral("TRANSFER ERROR!"));
        QVERIFY(!device->lines().contains(QStringLiteral("RETR userpage.kws")));
        QVERIFY(device->lines().contains(QStringLiteral("QUIT")));   // the connection is closed
        QVERIFY(boxes->Shown().empty());
    }

    void listingSizeDrivesTheProgress()
    {
        StartDevice();
        QVERIFY(device->setFile(RandomBytes(10000, 1)));
        const QString head = QStringLiteral("-rw-r--r--   1 velto    velto").leftJustified(37, QLatin1Char(' '));
        QVERIFY(device->setListing(QStringList{head + QStringLiteral("4711 Jan 01 00:00 userpage.kws")}));
        SetDecimalSeparator(',');
        std::string stream;
        const Outcome o = Run(0, &stream);
        QCOMPARE(o.status, QStringLiteral("TRANSFER COMPLETED!"));
        QCOMPARE(int(stream.size()), 10000);
        QCOMPARE(o.progress, QStringLiteral("Progress: 4711 of 4711 bytes"));
        QVERIFY2(QRegularExpression(QStringLiteral("^Transfer Rate: \\d+,\\d\\d KB/s$")).match(o.rate).hasMatch(),
                 qPrintable(o.rate));
    }

    // The window handles the start of the transfer late, when the bytes have long moved: the rate
    // still counts from when they began to move.
    void rateCountsFromTheStartOfTheWork()
    {
        StartDevice();
        const QByteArray container = FullContainer(13);
        std::string stream = container.toStdString();
        const int stallMs = 600;
        StallFirstCall stall([this]() { return dlg->lblStatus->text() == QStringLiteral("Sending File..."); }, stallMs);
        dlg->installEventFilter(&stall);
        const Outcome o = Run(1, &stream);
        dlg->removeEventFilter(&stall);
        QCOMPARE(o.status, QStringLiteral("TRANSFER COMPLETED!"));
        static const QRegularExpression rate(QStringLiteral("^Transfer Rate: (\\d+\\.\\d\\d) KB/s$"));
        const QRegularExpressionMatch m = rate.match(o.rate);
        QVERIFY2(m.hasMatch(), qPrintable(o.rate));
        // At most the whole container over the time the window was held up.
        const double most = container.size() / 1024.0 / (stallMs / 1000.0);
        QVERIFY2(m.captured(1).toDouble() > 0 && m.captured(1).toDouble() <= most, qPrintable(o.rate));
    }

    // A server that takes the connection and never says a word: the error comes at the read
    // time-out, with no further wait for the answer to QUIT.
    void neverGreetingServerFailsAtTheReadTimeOut()
    {
        QTcpServer silent;
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        dlg->FtpPort = silent.serverPort();
        std::string stream = "kept";
        QElapsedTimer t;
        qint64 shownAt = -1;
        boxes->OnShow = [&](const ShownBox &) { shownAt = t.elapsed(); };
        t.start();
        const Outcome o = Run(0, &stream);
        QCOMPARE(boxes->Texts(), std::vector<std::string>{kConnectError});
        QCOMPARE(o.status, QStringLiteral("TRANSFER ERROR!"));
        QVERIFY2(shownAt >= 9900 && shownAt < 11000, qPrintable(QString::number(shownAt)));
        QCOMPARE(stream, std::string("kept"));
    }

    void downloadLargerThanTheCapacityIsRefused()
    {
        StartDevice();
        QVERIFY(device->setFile(RandomBytes(TVeltoSite::kCapacity + 1, 2)));
        std::string stream;
        const Outcome o = Run(0, &stream);
        QCOMPARE(o.status, QStringLiteral("TRANSFER ERROR!"));
        QVERIFY(stream.empty());
        QVERIFY(device->lines().contains(QStringLiteral("ABOR")));
    }

    void secondActivationStartsNothing()
    {
        StartDevice();
        QVERIFY(device->setFile("abc"));
        std::string stream;
        int before = -1;
        int after = -1;
        bool done = false;
        Run(0, &stream, [&]() {
            if (done || dlg->btnCancel->text() != QStringLiteral("&Close")) return;
            done = true;
            before = int(device->lines().size());
            QEvent activate(QEvent::WindowActivate);
            QApplication::sendEvent(dlg, &activate);
            QTest::qWait(300);
            after = int(device->lines().size());
        });
        QVERIFY(before > 0);
        QCOMPARE(after, before);
        QCOMPARE(dlg->lblStatus->text(), QStringLiteral("TRANSFER COMPLETED!"));
    }

    void escapeClosesOnceFinished()
    {
        StartDevice();
        QVERIFY(device->setFile("abc"));
        dlg->Direction = 0;
        std::string stream;
        dlg->Stream = &stream;
        QTimer poll;
        poll.setInterval(10);
        QObject::connect(&poll, &QTimer::timeout, [&]() {
            if (dlg->isVisible() && dlg->btnCancel->text() == QStringLiteral("&Close")) {
                poll.stop();
                QTest::keyClick(dlg, Qt::Key_Escape);
            }
        });
        poll.start();
        QCOMPARE(dlg->exec(), int(QDialog::Accepted));
        QVERIFY(dlg->Completed);
        dlg->Stream = nullptr;
    }

    void newShowingResetsAndCancelWhileConnecting()
    {
        StartDevice();
        QVERIFY(device->setFile("abc"));
        std::string stream;
        QCOMPARE(Run(0, &stream).status, QStringLiteral("TRANSFER COMPLETED!"));
        // The device now keeps the next logon waiting.
        QVERIFY(device->fail(QStringLiteral("stall"), QStringLiteral("USER")));
        stream.clear();
        bool clicked = false;
        const Outcome o = Run(0, &stream, [&]() {
            if (clicked || !device->lines().contains(QStringLiteral("USER admin"))) return;
            QCOMPARE(dlg->lblStatus->text(), QStringLiteral("Connecting to FTP Server..."));
            QCOMPARE(dlg->lblRate->text(), QStringLiteral("Transfer Rate: 0.00 KB/s"));
            QCOMPARE(dlg->lblProgress->text(), QString());
            QCOMPARE(dlg->Progress->value(), 0);
            QVERIFY(!dlg->Completed);
            QVERIFY(!dlg->Transferring);
            clicked = true;
            QTest::mouseClick(dlg->btnCancel, Qt::LeftButton);
        });
        QVERIFY(clicked);
        QCOMPARE(o.result, int(QDialog::Rejected));
        QCOMPARE(o.status, QStringLiteral("TRANSFER CANCELED!"));
        QVERIFY(!o.completed);
        QVERIFY(boxes->Shown().empty());   // a cancelled connect is no connection error
    }

    void screenshot()
    {
        StartDevice();
        QVERIFY(device->setFile(FullContainer(1)));
        std::string stream;
        QString path;
        Run(0, &stream, [&]() {
            if (path.isEmpty() && dlg->btnCancel->text() == QStringLiteral("&Close")) {
                dlg->lblStatus->setVisible(true);
                path = QDir::temp().filePath(QStringLiteral("vxt-transfersite.png"));
                QVERIFY(dlg->grab().save(path));
            }
        });
        QVERIFY(QFileInfo::exists(path));
    }
};

QTEST_MAIN(TestFtpTransfer)
#include "test_ftptransfer.moc"
