// Faults of the web-site FTP transfer, sent and got through the document commands: each ends in the
// dialog's own status (and its connect message where the logon failed) within the FTP time-outs, the
// UI keeps running, and the document's file and the settings file stay as they were. The transfer
// tests cover a refused logon, a closed port, a dropped download and upload, a killed download, a
// bad listing and a download over the capacity, on the dialog alone.
#include "FaultCheck.h"
#include "FtpDevice.h"
#include "Main.h"
#include "QtStr.h"
#include "Site.h"
#include "SiteModule.h"
#include "TransferSite.h"
#include "UiTestSupport.h"
#include "VXTOptions.h"
#include "VeltoSite.h"

#include <QLabel>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTableWidget>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

using namespace vxt;
using namespace vxt::test;

namespace {

const QString kConnectError = QStringLiteral(
    "Error while trying to connect to Velto FTP Server.\r\nVerify connection or wait for Velto to establish the "
    "connection.");
const QString kQuestion = QStringLiteral(
    "Sending this Web Site to Velto will overwrite current Device Web Site.\r\nAre you sure to Send this Web Site "
    "to Connected Velto?");
const QString kError = QStringLiteral("TRANSFER ERROR!");

// The dialog's own time-outs (connect and read), and the wait for the reply to QUIT after a failure.
const int kFtpTimeoutMs = 10000;
const int kQuitMs = 2000;
const int kMarginMs = 1500;
const int kMaxGapMs = 1000;

QByteArray RandomBytes(int size, quint32 seed)
{
    QByteArray b(size, '\0');
    QRandomGenerator gen(seed);
    for (int i = 0; i < size; ++i) b[i] = char(gen.bounded(256));
    return b;
}

// What the transfer dialog showed at its end.
struct SiteEnd {
    bool seen = false;
    QString status, button;
    bool completed = false, blinking = false;
};

}  // namespace

class TestFaultsSite : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<FtpDevice> device;
    std::unique_ptr<MessageBoxRecorder> boxes;
    TMainForm *form = nullptr;
    FaultWatch watch;
    QTimer poll;
    SiteEnd end;
    std::function<void(TfrmTransferSite *)> during;
    // A server that greets every connection with the same bytes and says nothing more: a device
    // whose FTP server answers nonsense.
    QTcpServer fake;
    QByteArray greeting;

    QStringList Shown() const
    {
        QStringList r;
        for (const std::string &t : boxes->Texts()) r << QString::fromStdString(t);
        return r;
    }

    std::string Path(const char *name) const { return StdStr(dir->filePath(QString::fromLatin1(name))); }

    // A web site of two files the user keeps in the test's folder, open as a document.
    TMDISite *OpenSavedSite()
    {
        const std::string a = Path("index.htm"), b = Path("logo.gif");
        for (const auto &[name, seed] : {std::pair{a, 1u}, std::pair{b, 2u}}) {
            QFile f(QStr(name));
            if (!f.open(QIODevice::WriteOnly)) return nullptr;
            f.write(RandomBytes(150000, seed));
        }
        TVeltoSite site(Path("plant.kws"));
        site.AddFile(a);
        site.AddFile(b);
        site.SaveToFile();
        auto *doc = new TMDISite;
        form->AddDocument(doc);
        doc->Open(Path("plant.kws"));
        return doc;
    }

    // Watches the transfer dialog: `during` runs on every poll while it works; its final state is
    // kept and Close pressed.
    void DriveTransfer()
    {
        end = SiteEnd{};
        poll.disconnect();
        poll.setInterval(10);
        connect(&poll, &QTimer::timeout, this, [this]() {
            TfrmTransferSite *dlg = frmTransferSite;
            if (!dlg->isVisible()) return;
            if (dlg->btnCancel->text() != QStringLiteral("&Close")) {
                if (during) during(dlg);
                return;
            }
            poll.stop();
            end.seen = true;
            end.status = dlg->lblStatus->text();
            end.button = dlg->btnCancel->text();
            end.completed = dlg->Completed;
            end.blinking = dlg->TimerBlink->isActive();
            dlg->btnCancel->click();
        });
        poll.start();
    }

    // The fault a row names on the FTP device; "stopped" has no device at all, "vanish" kills it
    // once the upload has moved `after` bytes.
    void Apply(const QString &fault, const QString &command, qint64 after)
    {
        during = nullptr;
        if (fault == QStringLiteral("stopped")) {
            device->stop();
        } else if (fault == QStringLiteral("vanish")) {
            QVERIFY(device->fail(QStringLiteral("stall"), command, after, 1));
            during = [this, after](TfrmTransferSite *dlg) {
                const QStringList words = dlg->lblProgress->text().split(QLatin1Char(' '));
                if (words.size() > 1 && words[1].toLongLong() >= after && device->isRunning())
                    watch.Excluding([this]() { device->kill(); });
            };
        } else if (fault == QStringLiteral("big listing")) {
            // Far more than any listing of the device's one file.
            const QString head = QStringLiteral("-rw-r--r--   1 velto    velto").leftJustified(37, QLatin1Char(' '));
            QStringList lines;
            for (int i = 0; i < 25000; ++i) lines << head + QStringLiteral("1234 Jan 01 00:00 file%1.htm").arg(i);
            QVERIFY(device->setListing(lines));
        } else if (fault.endsWith(QStringLiteral("greeting"))) {
            greeting = fault.startsWith(QStringLiteral("big"))
                           ? QByteArray("220-") + QByteArray(10 * 1024 * 1024, 'x') + QByteArray("\r\n220 ready\r\n")
                           : QByteArray("HELLO THERE\r\n");
            QVERIFY(fake.listen(QHostAddress::LocalHost));
            frmTransferSite->FtpPort = fake.serverPort();
        } else if (fault == QStringLiteral("big file")) {
            QVERIFY(device->setFile(RandomBytes(10 * 1024 * 1024, 7)));
        } else {
            QVERIFY(device->fail(fault, command, after, 1));
        }
    }

    static void Rows()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("command");
        QTest::addColumn<qint64>("after");
        QTest::addColumn<bool>("connectError");
        QTest::addColumn<int>("minMs");
        QTest::addColumn<int>("maxMs");
    }

private slots:
    void initTestCase()
    {
        RegisterSiteDocuments();
        connect(&fake, &QTcpServer::newConnection, this, [this]() {
            while (QTcpSocket *s = fake.nextPendingConnection()) {
                connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
                s->write(greeting);
            }
        });
        FtpDeviceOptions options;
        options.password = QStringLiteral("secret");
        device = std::make_unique<FtpDevice>(options);
    }

    void init()
    {
        if (!device->isRunning()) QVERIFY2(device->start(), qPrintable(device->errorString()));
        QVERIFY(device->clearFail());
        QVERIFY(device->setListing(std::nullopt));
        QVERIFY(device->setFile(RandomBytes(200000, 3)));
        dir = std::make_unique<QTemporaryDir>();
        SetIniFileNameOverride(Path("vxt.ini"));
        SetFtpProxyEnabled(false);
        SetFtpProxyServer("fw.plant.test");
        SetFtpProxyMethod(3);
        boxes = std::make_unique<MessageBoxRecorder>();
        form = new TMainForm;
        frmTransferSite = new TfrmTransferSite(form);
        frmTransferSite->FtpPort = device->ftpPort();
        form->Connected = true;
        TDeviceData &d = form->ConnectedDevice;
        d.Device = "Velto-10-MB";
        d.MAC = "00-11-22-33-44-01";
        d.Version = "2.0.4";
        d.IP = "127.0.0.1";
        d.Username = "admin";
        d.Password = "secret";
    }

    void cleanup()
    {
        fake.close();
        poll.stop();
        during = nullptr;
        for (TMDIChild *doc : form->Documents()) {
            doc->Saved = true;
            delete doc;
        }
        delete form;
        form = nullptr;
        frmTransferSite = nullptr;
        boxes.reset();
        SetIniFileNameOverride("");
        dir.reset();
    }

    void cleanupTestCase() { device.reset(); }

    void send_data()
    {
        Rows();
        const int timeOut = kFtpTimeoutMs + kQuitMs + kMarginMs;
        QTest::newRow("silent at logon") << "stall" << "USER" << qint64(0) << true << kFtpTimeoutMs << timeOut;
        QTest::newRow("silent during the upload") << "stall" << "STOR" << qint64(200000) << false << kFtpTimeoutMs
                                                  << timeOut;
        QTest::newRow("file refused") << "refuse" << "STOR" << qint64(0) << false << 0 << kMarginMs;
        QTest::newRow("stopped device") << "stopped" << "" << qint64(0) << true << 0 << kMarginMs;
        QTest::newRow("device vanishes during the upload") << "vanish" << "STOR" << qint64(200000) << false << 0
                                                           << kMarginMs;
    }

    void send()
    {
        QFETCH(QString, fault);
        QFETCH(QString, command);
        QFETCH(qint64, after);
        QFETCH(bool, connectError);
        QFETCH(int, minMs);
        QFETCH(int, maxMs);
        TMDISite *doc = OpenSavedSite();
        QVERIFY(doc && doc->Saved);
        const std::string before = doc->Site->Bytes();
        const FolderSnapshot files(dir->path());
        QCOMPARE(files.FileCount(), 4);   // the site, its two source files and the settings
        Apply(fault, command, after);
        DriveTransfer();
        watch.Start();
        form->WebSiteSendToVeltoExecute();
        watch.Stop();

        QVERIFY(end.seen);
        QCOMPARE(end.status, kError);
        QCOMPARE(end.button, QStringLiteral("&Close"));
        QVERIFY(end.blinking);
        QVERIFY(!end.completed);
        QStringList expected{kQuestion};
        if (connectError) expected << kConnectError;
        QCOMPARE(Shown(), expected);
        QCOMPARE(doc->Site->Bytes(), before);
        QVERIFY(doc->Saved);
        if (fault == QStringLiteral("vanish")) QVERIFY(!device->isRunning());
        VXT_VERIFY_NONE(watch.Problems(minMs, maxMs, kMaxGapMs));
        VXT_VERIFY_NONE(files.Differences());
    }

    void get_data()
    {
        Rows();
        const int timeOut = kFtpTimeoutMs + kQuitMs + kMarginMs;
        QTest::newRow("silent during the download") << "stall" << "RETR" << qint64(100000) << false << kFtpTimeoutMs
                                                    << timeOut;
        QTest::newRow("logon cut") << "drop" << "PASS" << qint64(0) << true << 0 << kQuitMs + kMarginMs;
        QTest::newRow("listing cut") << "drop" << "LIST" << qint64(0) << false << 0 << kMarginMs;
        QTest::newRow("binary type refused") << "refuse" << "TYPE" << qint64(0) << true << 0 << kQuitMs + kMarginMs;
        // A refusal is an answer: it ends the download at once, not at the read time-out.
        QTest::newRow("listing refused") << "refuse" << "LIST" << qint64(0) << false << 0 << kMarginMs;
        QTest::newRow("file refused") << "refuse" << "RETR" << qint64(0) << false << 0 << kMarginMs;
        QTest::newRow("10 MB file") << "big file" << "" << qint64(0) << false << 0 << kMarginMs;
        QTest::newRow("oversized listing") << "big listing" << "" << qint64(0) << false << 0 << kMarginMs;
        // After a failed logon the client still says QUIT and waits a little for its reply.
        QTest::newRow("10 MB greeting") << "big greeting" << "" << qint64(0) << true << 0 << kQuitMs + kMarginMs;
        QTest::newRow("greeting that is no FTP reply") << "wrong greeting" << "" << qint64(0) << true << 0
                                                       << kQuitMs + kMarginMs;
    }

    void get()
    {
        QFETCH(QString, fault);
        QFETCH(QString, command);
        QFETCH(qint64, after);
        QFETCH(bool, connectError);
        QFETCH(int, minMs);
        QFETCH(int, maxMs);
        TMDISite *saved = OpenSavedSite();
        QVERIFY(saved);
        const FolderSnapshot files(dir->path());
        Apply(fault, command, after);
        DriveTransfer();
        watch.Start();
        form->WebSiteGetFromVeltoExecute();
        watch.Stop();

        QVERIFY(end.seen);
        QCOMPARE(end.status, kError);
        QVERIFY(end.blinking);
        QVERIFY(!end.completed);
        QCOMPARE(Shown(), connectError ? QStringList{kConnectError} : QStringList{});
        // The new document stays empty; the one from the file is untouched.
        auto *got = qobject_cast<TMDISite *>(form->ActiveDocument());
        QVERIFY(got && got != saved);
        QCOMPARE(got->Site->FileCount(), 0);
        QCOMPARE(got->lstFiles->rowCount(), 0);
        QCOMPARE(saved->Site->FileCount(), 2);
        QVERIFY(saved->Saved);
        VXT_VERIFY_NONE(watch.Problems(minMs, maxMs, kMaxGapMs));
        VXT_VERIFY_NONE(files.Differences());
    }
};

QTEST_MAIN(TestFaultsSite)
#include "test_faults_site.moc"
