// The tag-list download against the device emulator: wire bytes, kinds per family, Stop, failures,
// the proxy of remote devices and the limit of 128 tags.
#include "Emulator.h"
#include "GetTagConfig.h"
#include "QtStr.h"
#include "UiTestSupport.h"
#include "VXTOptions.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace vxt;
using namespace vxt::test;

namespace {

const QString kMB = QStringLiteral("00-11-22-33-44-01");
const QString kHL = QStringLiteral("00-11-22-33-44-02");
const QString kDF = QStringLiteral("00-11-22-33-44-03");

QJsonObject Tag(const QString &name, int type, int scale)
{
    return {{QStringLiteral("NAME"), name}, {QStringLiteral("TYPE"), type}, {QStringLiteral("SCALE"), scale}};
}

QJsonObject WithTags(QJsonObject device, const QJsonArray &tags)
{
    device[QStringLiteral("config")] = QJsonObject{{QStringLiteral("tags"), tags}};
    return device;
}

// Ten tags per family: (type, scale) and the kind the family's table gives.
struct TenTags {
    QJsonArray tags;
    std::vector<TTagKind> kinds;
};

TenTags Modbus()
{
    const int rows[10][3] = {{0, 1, KindInteger}, {1, 2, KindFloat}, {2, 1, KindInteger}, {3, 1, KindInteger},
                             {4, 1, KindFloat},   {5, 1, KindFloat}, {6, 2, KindFloat},   {7, 1, KindDigital},
                             {8, 2, KindDigital}, {6, 1, KindInteger}};
    TenTags t;
    for (int i = 0; i < 10; ++i) {
        t.tags.append(Tag(QStringLiteral("MB tag %1").arg(i), rows[i][0], rows[i][1]));
        t.kinds.push_back(TTagKind(rows[i][2]));
    }
    return t;
}

TenTags PlcFamily(const QString &prefix)
{
    const int rows[10][3] = {{0, 1, KindInteger}, {1, 2, KindFloat},   {2, 1, KindInteger}, {3, 1, KindFloat},
                             {4, 1, KindInteger}, {5, 2, KindDigital}, {6, 1, KindDigital}, {4, 2, KindFloat},
                             {0, 2, KindFloat},   {1, 1, KindInteger}};
    TenTags t;
    for (int i = 0; i < 10; ++i) {
        t.tags.append(Tag(QStringLiteral("%1 tag %2").arg(prefix).arg(i), rows[i][0], rows[i][1]));
        t.kinds.push_back(TTagKind(rows[i][2]));
    }
    return t;
}

}  // namespace

class TestGetTagConfig : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<Emulator> emu;
    TfrmGetTagConfig *dlg = nullptr;
    QTemporaryDir dir;

    TDeviceData DeviceOf(const QString &mac, const std::string &ip, uint8_t family)
    {
        TDeviceData d;
        d.MAC = StdStr(mac);
        d.IP = ip;
        d.Family = family;
        return d;
    }

    // Shows the dialog; once the download has ended, runs `atEnd` and presses the button (Close).
    int Run(const TDeviceData &device, std::function<void()> atEnd = {})
    {
        dlg->Device = device;
        auto *poll = new QTimer(dlg);
        QElapsedTimer clock;
        clock.start();
        connect(poll, &QTimer::timeout, dlg, [this, poll, atEnd, clock]() {
            const bool ended = dlg->isVisible() && !dlg->Downloading &&
                               dlg->lblStatus->text() != QStringLiteral("Initializing Tag Configuration Download...");
            if (ended || clock.elapsed() > 30000) {
                poll->stop();
                if (atEnd) atEnd();
                if (dlg->isVisible()) dlg->btnStop->click();
            }
        });
        poll->start(10);
        const int r = dlg->exec();
        delete poll;
        return r;
    }

    QList<EmulatedRequest> Requests()
    {
        QList<EmulatedRequest> r;
        for (const EmulatedRequest &q : emu->requests(QStringLiteral("http"))) r << q;
        return r;
    }

private slots:
    void initTestCase()
    {
        SetIniFileNameOverride(dir.filePath(QStringLiteral("vxt.ini")).toStdString());
        const TenTags hl = PlcFamily(QStringLiteral("HL")), df = PlcFamily(QStringLiteral("DF"));
        QJsonObject remote = WithTags(Emulator::device("1109", "2.0.4-SN", kHL, "127.0.0.3"), hl.tags);
        remote[QStringLiteral("remote_names")] = QJsonArray{QStringLiteral("velto-far.invalid")};
        EmulatorOptions options;
        options.devices = {WithTags(Emulator::device("1118", "2.0.4-SN", kMB, "127.0.0.2"), Modbus().tags), remote,
                           WithTags(Emulator::device("1116", "2.0.5-SN", kDF, "127.0.0.4"), df.tags)};
        options.proxy = true;
        emu = std::make_unique<Emulator>(options);
        QVERIFY2(emu->start(), qPrintable(emu->errorString()));
    }

    void init()
    {
        QVERIFY(emu->reset());
        dlg = new TfrmGetTagConfig;
        dlg->SetHttpPort(emu->httpPort());
        dlg->Channel.SetTimeout(1500);
    }

    void cleanup()
    {
        delete dlg;
        dlg = nullptr;
        QFile::remove(dir.filePath(QStringLiteral("vxt.ini")));
    }

    void downloadsTenTagsWithTheirKinds_data()
    {
        QTest::addColumn<QString>("mac");
        QTest::addColumn<QString>("ip");
        QTest::addColumn<int>("family");
        QTest::addColumn<QString>("prefix");
        QTest::newRow("Modbus") << kMB << "127.0.0.2" << 0 << "MB";
        QTest::newRow("Hostlink") << kHL << "127.0.0.3" << 1 << "HL";
        QTest::newRow("DF1") << kDF << "127.0.0.4" << 2 << "DF";
    }

    void downloadsTenTagsWithTheirKinds()
    {
        QFETCH(QString, mac);
        QFETCH(QString, ip);
        QFETCH(int, family);
        QFETCH(QString, prefix);
        const TenTags expected = family == 0 ? Modbus() : PlcFamily(prefix);
        MessageBoxRecorder boxes;
        QString captionWhileRunning;
        QObject::connect(dlg->Progress, &QProgressBar::valueChanged, dlg, [&](int v) {
            if (v == 1) captionWhileRunning = dlg->btnStop->text();
        });
        QString statusAtEnd, captionAtEnd;
        const int r = Run(DeviceOf(mac, StdStr(ip), uint8_t(family)), [&]() {
            statusAtEnd = dlg->lblStatus->text();
            captionAtEnd = dlg->btnStop->text();
        });
        QCOMPARE(r, int(QDialog::Accepted));
        QVERIFY(boxes.Shown().empty());
        QCOMPARE(statusAtEnd, QStringLiteral("Done."));
        QCOMPARE(captionAtEnd, QStringLiteral("Close"));
        QCOMPARE(captionWhileRunning, QStringLiteral("Stop"));
        QCOMPARE(dlg->TagCount, 10);
        QCOMPARE(dlg->Progress->maximum(), 10);
        QCOMPARE(dlg->Progress->value(), 10);
        for (int i = 0; i < 10; ++i) {
            QCOMPARE(QStr(dlg->Tags[size_t(i)].Name), QStringLiteral("%1 tag %2").arg(prefix).arg(i));
            QCOMPARE(int(dlg->Tags[size_t(i)].Kind), int(expected.kinds[size_t(i)]));
            QVERIFY(dlg->Tags[size_t(i)].KnownType);
        }
        // The wire: one count, then each tag by number, all on the administration page.
        const QList<EmulatedRequest> reqs = Requests();
        QCOMPARE(reqs.size(), 11);
        QCOMPARE(reqs[0].path, QStringLiteral("/admpost.cgi"));
        QCOMPARE(reqs[0].body, QByteArray("GETTAGCOUNT();"));
        QCOMPARE(reqs[0].header("Content-Type"), QByteArray("text/x-kprot"));
        for (int i = 0; i < 10; ++i) {
            QCOMPARE(reqs[i + 1].path, QStringLiteral("/admpost.cgi"));
            QCOMPARE(reqs[i + 1].body, QStringLiteral("GETTAG(TAG=%1,);").arg(i).toLatin1());
            QCOMPARE(reqs[i + 1].device, mac);
            QVERIFY(!reqs[i + 1].viaProxy);
        }
    }

    void stopAfterThreeKeepsThreeAndStaysOpen()
    {
        MessageBoxRecorder boxes;
        // Stop is pressed the moment the third tag is in, as a user would between two requests.
        QObject::connect(dlg->Progress, &QProgressBar::valueChanged, dlg, [&](int v) {
            if (v == 3) dlg->btnStop->click();
        });
        bool openAtEnd = false;
        QString statusAtEnd, captionAtEnd;
        const int r = Run(DeviceOf(kMB, "127.0.0.2", 0), [&]() {
            openAtEnd = dlg->isVisible();
            statusAtEnd = dlg->lblStatus->text();
            captionAtEnd = dlg->btnStop->text();
        });
        QCOMPARE(r, int(QDialog::Accepted));
        QVERIFY(openAtEnd);
        QCOMPARE(statusAtEnd, QStringLiteral("Download Stopped by user."));
        QCOMPARE(captionAtEnd, QStringLiteral("Close"));
        QCOMPARE(dlg->TagCount, 3);
        QVERIFY(boxes.Shown().empty());
        QCOMPARE(Requests().size(), 4);
    }

    void stopDuringABlockingRequestTakesEffectBeforeTheNextTag()
    {
        MessageBoxRecorder boxes;
        QVERIFY(emu->setFail(kMB, QStringLiteral("delay:600"), 1, QStringLiteral("GETTAG")));
        // Pressed while the first tag's request is still waiting for its reply.
        QTimer::singleShot(300, dlg, [this]() { dlg->btnStop->click(); });
        QString statusAtEnd;
        Run(DeviceOf(kMB, "127.0.0.2", 0), [&]() { statusAtEnd = dlg->lblStatus->text(); });
        QCOMPARE(statusAtEnd, QStringLiteral("Download Stopped by user."));
        QCOMPARE(dlg->TagCount, 1);
        QCOMPARE(Requests().size(), 2);
    }

    void failureAtTagFiveKeepsTagsZeroToFour()
    {
        MessageBoxRecorder boxes;
        // The device stops answering once five tags are in.
        QObject::connect(dlg->Progress, &QProgressBar::valueChanged, dlg, [&](int v) {
            if (v == 5) QVERIFY(emu->setFail(kMB, QStringLiteral("http500"), 1, QStringLiteral("GETTAG")));
        });
        const int r = Run(DeviceOf(kMB, "127.0.0.2", 0));
        QCOMPARE(r, int(QDialog::Rejected));
        QCOMPARE(boxes.Texts(), std::vector<std::string>{"Error while obtaining Tags."});
        QCOMPARE(boxes.Shown()[0].Kind, MsgKind::Error);
        QCOMPARE(dlg->TagCount, 5);
        QCOMPARE(QStr(dlg->Tags[4].Name), QStringLiteral("MB tag 4"));
        QVERIFY(!dlg->isVisible());
        QCOMPARE(Requests().last().body, QByteArray("GETTAG(TAG=5,);"));
    }

    void wrongReplyAndSilentDeviceFailQuietly_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("command");
        QTest::newRow("count wrong") << "wrong" << "GETTAGCOUNT";
        QTest::newRow("count silent") << "silent" << "GETTAGCOUNT";
        QTest::newRow("tag refused") << "wrong" << "GETTAG";
        QTest::newRow("tag dropped") << "close" << "GETTAG";
    }

    void wrongReplyAndSilentDeviceFailQuietly()
    {
        QFETCH(QString, mode);
        QFETCH(QString, command);
        MessageBoxRecorder boxes;
        QVERIFY(emu->setFail(kMB, mode, 1, command));
        QCOMPARE(Run(DeviceOf(kMB, "127.0.0.2", 0)), int(QDialog::Rejected));
        // Only the download's own box: the request routine stays silent.
        QCOMPARE(boxes.Texts(), std::vector<std::string>{"Error while obtaining Tags."});
        QCOMPARE(dlg->TagCount, 0);
    }

    void noTagsIsReported()
    {
        MessageBoxRecorder boxes;
        QJsonObject change{{QStringLiteral("tags"), QJsonArray()}};
        QCOMPARE(emu->control("POST", QStringLiteral("config/") + kMB,
                              QJsonDocument(change).toJson(QJsonDocument::Compact), nullptr),
                 200);
        QCOMPARE(Run(DeviceOf(kMB, "127.0.0.2", 0)), int(QDialog::Rejected));
        QCOMPARE(boxes.Texts(), std::vector<std::string>{"No Configured Tags in connected Velto."});
        QCOMPARE(dlg->TagCount, 0);
        QCOMPARE(Requests().size(), 1);
    }

    void missingNameAndUnknownType()
    {
        MessageBoxRecorder boxes;
        QJsonObject noName{{QStringLiteral("NAME"), QJsonValue::Null}, {QStringLiteral("TYPE"), 7}};
        QJsonObject odd = Tag(QStringLiteral("Odd"), 12, 2);
        QJsonObject noFields{{QStringLiteral("NAME"), QStringLiteral("Bare")},
                             {QStringLiteral("TYPE"), QJsonValue::Null},
                             {QStringLiteral("SCALE"), QJsonValue::Null}};
        QJsonObject change{{QStringLiteral("tags"), QJsonArray{noName, odd, noFields}}};
        QCOMPARE(emu->control("POST", QStringLiteral("config/") + kMB,
                              QJsonDocument(change).toJson(QJsonDocument::Compact), nullptr),
                 200);
        QCOMPARE(Run(DeviceOf(kMB, "127.0.0.2", 0)), int(QDialog::Accepted));
        QVERIFY(boxes.Shown().empty());
        QCOMPARE(dlg->TagCount, 3);
        QCOMPARE(dlg->Tags[0].Name, std::string("*"));
        QCOMPARE(int(dlg->Tags[0].Kind), int(KindDigital));
        QCOMPARE(dlg->Tags[1].Name, std::string("Odd"));
        QVERIFY(!dlg->Tags[1].KnownType);
        QCOMPARE(dlg->Tags[1].Type, 12);
        QCOMPARE(int(dlg->Tags[1].Kind), int(KindFloat));
        // TYPE 0 and SCALE 1 by default: integer.
        QCOMPARE(int(dlg->Tags[2].Kind), int(KindInteger));
        QVERIFY(dlg->Tags[2].KnownType);
    }

    void moreThan128TagsAreCutAndSaid()
    {
        MessageBoxRecorder boxes;
        QJsonArray tags;
        for (int i = 0; i < 128; ++i) tags.append(Tag(QStringLiteral("T%1").arg(i), 0, 1));
        QJsonObject change{{QStringLiteral("tags"), tags}, {QStringLiteral("tag_count_reply"), 130}};
        QCOMPARE(emu->control("POST", QStringLiteral("config/") + kMB,
                              QJsonDocument(change).toJson(QJsonDocument::Compact), nullptr),
                 200);
        QString statusAtEnd;
        QCOMPARE(Run(DeviceOf(kMB, "127.0.0.2", 0), [&]() { statusAtEnd = dlg->lblStatus->text(); }),
                 int(QDialog::Accepted));
        QVERIFY(boxes.Shown().empty());
        QCOMPARE(dlg->TagCount, 128);
        QCOMPARE(dlg->Progress->maximum(), 128);
        QCOMPARE(statusAtEnd, QStringLiteral("Done. The device reports 130 Tags; only the first 128 are listed."));
        QCOMPARE(Requests().last().body, QByteArray("GETTAG(TAG=127,);"));
    }

    void remoteDeviceGoesThroughTheProxyOfTheSettings()
    {
        MessageBoxRecorder boxes;
        SetHttpProxyEnabled(true);
        SetHttpProxyServer("127.0.0.1");
        SetHttpProxyPort(emu->proxyPort());
        TDeviceData remote = DeviceOf(kHL, "10.1.2.3", 1);
        remote.RemoteIP = "velto-far.invalid";
        QCOMPARE(Run(remote), int(QDialog::Accepted));
        QCOMPARE(dlg->TagCount, 10);
        const QList<EmulatedRequest> proxied = emu->requests(QStringLiteral("proxy"));
        QCOMPARE(proxied.size(), 11);
        QCOMPARE(proxied[0].target, QStringLiteral("http://velto-far.invalid:%1/admpost.cgi").arg(emu->httpPort()));
        // A local device never uses the proxy; and a proxy switched off is read at the next showing.
        QVERIFY(emu->clearRequests());
        QCOMPARE(Run(DeviceOf(kMB, "127.0.0.2", 0)), int(QDialog::Accepted));
        QCOMPARE(emu->requests(QStringLiteral("proxy")).size(), 0);
        SetHttpProxyEnabled(false);
        QVERIFY(emu->clearRequests());
        QCOMPARE(Run(remote), int(QDialog::Rejected));   // no proxy: the remote name does not resolve
        QCOMPARE(emu->requests(QStringLiteral("proxy")).size(), 0);
        QCOMPARE(boxes.Texts().back(), std::string("Error while obtaining Tags."));
    }

    void eachShowingStartsAfresh()
    {
        MessageBoxRecorder boxes;
        QCOMPARE(Run(DeviceOf(kMB, "127.0.0.2", 0)), int(QDialog::Accepted));
        QCOMPARE(dlg->TagCount, 10);
        QVERIFY(emu->setFail(kMB, QStringLiteral("wrong"), 1, QStringLiteral("GETTAGCOUNT")));
        QCOMPARE(Run(DeviceOf(kMB, "127.0.0.2", 0)), int(QDialog::Rejected));
        QCOMPARE(dlg->TagCount, 0);
        QCOMPARE(Run(DeviceOf(kDF, "127.0.0.4", 2)), int(QDialog::Accepted));
        QCOMPARE(dlg->TagCount, 10);
        QCOMPARE(dlg->Tags[0].Name, std::string("DF tag 0"));
    }
};

QTEST_MAIN(TestGetTagConfig)
#include "test_gettagconfig.moc"
