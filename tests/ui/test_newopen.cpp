// New and Open through the main window with the real document kinds: the shared "noname" counter
// across kinds and the get-from-device command, opening by the type probes, files that are not
// recognised, the same file twice, and a damaged web site.
#include "ConfigDocument.h"
#include "FileDialog.h"
#include "FileUtils.h"
#include "GatewayModule.h"
#include "Main.h"
#include "MainFormDrive.h"
#include "NewFile.h"
#include "QtStr.h"
#include "Site.h"
#include "SiteModule.h"
#include "TransferSite.h"
#include "UiTestSupport.h"
#include "Utiles.h"
#include "VXTOptions.h"

#include <QListWidget>
#include <QMdiArea>
#include <QPushButton>
#include <QTableWidget>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QtTest>
#include <sys/inotify.h>
#include <unistd.h>

using namespace vxt;
using namespace vxt::test;

Q_DECLARE_METATYPE(vxt::DocKind)

namespace {

std::string NotRecognized(const std::string &name)
{
    return "The File \"" + name + "\" is not recognized as a valid file";
}

// The opens of one file, as the system reports them to a watch on it.
class OpenCounter {
public:
    explicit OpenCounter(const std::string &path)
        : fd_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)),
          // Two like events in a row are told as one: the closes between the opens keep them apart.
          watch_(::inotify_add_watch(fd_, path.c_str(), IN_OPEN | IN_CLOSE))
    {
    }
    ~OpenCounter() { ::close(fd_); }
    bool Watching() const { return fd_ >= 0 && watch_ >= 0; }
    // The opens since the last call: each is queued as it happens.
    int Opens()
    {
        int opens = 0;
        alignas(inotify_event) char buf[4096];
        for (ssize_t n; (n = ::read(fd_, buf, sizeof buf)) > 0;) {
            for (ssize_t at = 0; at < n;) {
                const auto *e = reinterpret_cast<const inotify_event *>(buf + at);
                opens += (e->mask & IN_OPEN) != 0;
                at += ssize_t(sizeof(inotify_event) + e->len);
            }
        }
        return opens;
    }

private:
    int fd_, watch_;
};

const char kSmtp[] = "[SMTP]\r\nENABLE=0\r\nSERVER=\r\nTIMEOUT=20\r\nRETRIES=5\r\nRETRYINT=10\r\nFROM=\r\nAUTH=0\r\n"
                     "USER=\r\nPASS=\r\nTOO_0=\r\nTOO_1=\r\nTOO_2=\r\nTOO_3=\r\nTOO_4=\r\nTOO_5=\r\n\r\n";

// A whole configuration of the family, its scan time 250 ms.
QByteArray ConfigText(const char *type, const char *version, const char *com)
{
    return QByteArray("[GENERAL]\r\nFILETYPE=") + type + "\r\nFILEVERSION=" + version +
           "\r\n\r\n[COM]\r\nCOMTYPE=0\r\nBAUD=9600\r\nPARITY=0\r\nSCANTIME=250\r\nMSGTOUT=1000\r\n" + com +
           "\r\n" + kSmtp;
}

}  // namespace

class TestNewOpen : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<MessageBoxRecorder> boxes;
    TMainForm *form = nullptr;

    std::string Write(const std::string &name, const std::string &bytes) const
    {
        const std::string p = StdStr(dir->filePath(QStr(name)));
        QFile f(QStr(p));
        f.open(QIODevice::WriteOnly);
        f.write(bytes.data(), qint64(bytes.size()));
        return p;
    }

    std::string SiteFile(const std::string &name)
    {
        TVeltoSite s(StdStr(dir->filePath(QStr(name))));
        s.AddFile(Write("index.htm", "<html></html>"));
        s.SaveToFile();
        return s.FileName;
    }

    int DocumentCount() { return vxt::test::DocumentCount(form); }

private slots:
    void initTestCase()
    {
        RegisterGatewayDocuments();
        RegisterSiteDocuments();
    }

    void init()
    {
        dir = std::make_unique<QTemporaryDir>();
        SetIniFileNameOverride(StdStr(dir->filePath(QStringLiteral("vxt.ini"))));
        boxes = std::make_unique<MessageBoxRecorder>();
        StartMainForm(form);
    }

    void cleanup()
    {
        StopMainForm(form);
        boxes.reset();
        ClearNextFileName();
        SetIniFileNameOverride("");
    }

    void newNumbersAcrossKinds()
    {
        QCOMPARE(form->NewFileCounter, 1);
        AnswerNewFile(3);
        form->FileNewExecute();
        auto *first = qobject_cast<TMDISite *>(form->ActiveDocument());
        QVERIFY(first);
        QCOMPARE(first->windowTitle(), QStringLiteral("Velto Web Site - noname1.kws"));
        QCOMPARE(first->FileName, GetAppDir() + "noname1.kws");

        // A cancelled dialog creates nothing and uses no number.
        AnswerNewFile(3, false);
        form->FileNewExecute();
        QCOMPARE(DocumentCount(), 1);
        QCOMPARE(form->NewFileCounter, 2);

        int next = 2;
        if (FindDocumentClass(DocKind::Modbus)) {
            AnswerNewFile(0);
            form->FileNewExecute();
            QCOMPARE(KindOf(form->ActiveDocument()), std::optional<DocKind>(DocKind::Modbus));
            QCOMPARE(form->ActiveDocument()->FileName, GetAppDir() + "noname2.vlt");
            next = 3;
        }

        // Getting a web site from the device takes the next number too, whatever its outcome.
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        frmTransferSite->FtpPort = closed.serverPort();
        closed.close();
        form->Connected = true;
        form->ConnectedDevice.IP = "127.0.0.1";
        WhenModalOf<TfrmTransferSite>([](TfrmTransferSite *dlg) {
            QTRY_COMPARE(dlg->btnCancel->text(), QStringLiteral("&Close"));
            dlg->btnCancel->click();
        });
        form->WebSiteGetFromVeltoExecute();
        form->Connected = false;
        QCOMPARE(form->ActiveDocument()->FileName, GetAppDir() + "noname" + std::to_string(next) + ".kws");

        AnswerNewFile(3);
        form->FileNewExecute();
        QCOMPARE(form->ActiveDocument()->windowTitle(),
                 QStr("Velto Web Site - noname" + std::to_string(next + 1) + ".kws"));
        QCOMPARE(form->NewFileCounter, next + 2);
        QVERIFY(form->ActiveDocument()->Saved);
        QVERIFY(!form->ActiveDocument()->Named);
    }

    void openByProbe_data()
    {
        QTest::addColumn<DocKind>("kind");
        QTest::addColumn<QByteArray>("content");   // empty: a web site
        QTest::newRow("web site") << DocKind::Site << QByteArray();
        QTest::newRow("Modbus") << DocKind::Modbus << QByteArray("[GENERAL]\r\nFILETYPE=MB\r\nFILEVERSION=1.0\r\n");
        QTest::newRow("Hostlink") << DocKind::Hostlink
                                  << QByteArray("[GENERAL]\r\nFILETYPE=HL\r\nFILEVERSION=1.0\r\n");
        QTest::newRow("DF1") << DocKind::DF1 << QByteArray("[GENERAL]\r\nFILETYPE=DF1\r\nFILEVERSION=2.0\r\n");
    }

    void openByProbe()
    {
        QFETCH(DocKind, kind);
        QFETCH(QByteArray, content);
        if (!FindDocumentClass(kind)) QSKIP("this document kind is not part of the program yet");
        const std::string path =
            content.isEmpty() ? SiteFile("site.kws") : Write("config.vlt", content.toStdString());
        form->OpenFile(path);
        QCOMPARE(DocumentCount(), 1);
        TMDIChild *doc = form->ActiveDocument();
        QVERIFY(doc);
        QCOMPARE(KindOf(doc), std::optional<DocKind>(kind));
        QCOMPARE(doc->FileName, path);
        QVERIFY(doc->Named);
        if (kind == DocKind::Site) {
            QVERIFY(boxes->Shown().empty());
            QVERIFY(doc->Saved);
            QCOMPARE(doc->windowTitle(), QStr("Velto Web Site - " + path));
            QCOMPARE(qobject_cast<TMDISite *>(doc)->lstFiles->rowCount(), 1);
        }
    }

    // Every kind is read once, and what refuses a file still says so as before.
    void openReadsTheFileOnce_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("kind");     // a DocKind, -1 for none
        QTest::addColumn<int>("loaded");   // a configuration's scan time, a web site's stored files
        QTest::addColumn<QString>("box");  // the one box shown, %1 the name opened; empty for none
        QTest::newRow("Modbus") << ConfigText("MB", "1.0", "FORMAT=0\r\nPKTTOUT=4\r\n") << int(DocKind::Modbus)
                                << 250 << QString();
        QTest::newRow("Hostlink") << ConfigText("HL", "1.0", "") << int(DocKind::Hostlink) << 250 << QString();
        QTest::newRow("DF1") << ConfigText("DF1", "2.0", "DATABITS=8\r\nERRORMTHD=0\r\n") << int(DocKind::DF1)
                             << 250 << QString();
        TVeltoSite site{std::string()};
        site.AddFile("page.htm", std::string(200000, 'p'));
        QTest::newRow("web site") << QByteArray::fromStdString(site.Bytes()) << int(DocKind::Site) << 1 << QString();
        QByteArray zero = ConfigText("MB", "1.0", "");
        const qsizetype at = zero.indexOf("SERVER=") + 7;
        zero.insert(at, '\0');
        QTest::newRow("zero byte") << zero << -1 << 0
                                   << QStringLiteral("The File \"%1\" is not a text file: it holds a zero byte at "
                                                     "offset ") + QString::number(at) + QLatin1Char('.');
        QTest::newRow("no document") << QByteArray("just some text\r\n") << -1 << 0 << QStr(NotRecognized("%1"));
    }

    void openReadsTheFileOnce()
    {
        QFETCH(QByteArray, content);
        QFETCH(int, kind);
        QFETCH(int, loaded);
        QFETCH(QString, box);
        const std::string path = Write("document", content.toStdString());
        OpenCounter counter(path);
        QVERIFY(counter.Watching());
        ReadFileBytes(path);
        const int oneRead = counter.Opens();
        QVERIFY(oneRead >= 1);
        form->OpenFile(path);
        QCOMPARE(counter.Opens(), oneRead);
        QCOMPARE(boxes->Texts(), box.isEmpty() ? std::vector<std::string>{}
                                               : std::vector<std::string>{StdStr(box.arg(QStr(path)))});
        QCOMPARE(DocumentCount(), kind < 0 ? 0 : 1);
        if (kind < 0) return;
        TMDIChild *doc = form->ActiveDocument();
        QCOMPARE(KindOf(doc), std::optional<DocKind>(DocKind(kind)));
        QCOMPARE(doc->FileName, path);
        if (auto *config = qobject_cast<TMDIGatewayConfig *>(doc)) QCOMPARE(config->sldScanTime->value(), loaded);
        if (auto *web = qobject_cast<TMDISite *>(doc)) QCOMPARE(web->Site->FileCount(), loaded);
    }

    void openThroughTheDialog()
    {
        const std::string path = SiteFile("dialog.kws");
        SetNextFileName(std::nullopt);
        form->FileOpenExecute();
        QCOMPARE(DocumentCount(), 0);
        SetNextFileName(path);
        form->FileOpenExecute();
        QCOMPARE(DocumentCount(), 1);
        QCOMPARE(form->ActiveDocument()->FileName, path);
    }

    void unrecognizedFiles()
    {
        const std::string text = Write("notes.txt", "just some text\r\n");
        const std::string missing = StdStr(dir->filePath(QStringLiteral("missing.kws")));
        const std::string otherVersion = Write("old.vlt", "[GENERAL]\r\nFILETYPE=MB\r\nFILEVERSION=2.0\r\n");
        // The total-size field one byte off the length.
        std::string site = ReadFileBytes(SiteFile("off.kws"));
        site[4] = char(site[4] + 1);
        const std::string offByOne = Write("off.kws", site);
        for (const std::string &f : {text, missing, otherVersion, offByOne}) {
            boxes->Clear();
            form->OpenFile(f);
            QCOMPARE(boxes->Texts(), std::vector<std::string>{NotRecognized(f)});
            QCOMPARE(boxes->Shown().front().Kind, MsgKind::Error);
            QCOMPARE(DocumentCount(), 0);
        }
    }

    void sameFileTwiceOpensTwoWindows()
    {
        const std::string path = SiteFile("twice.kws");
        form->OpenFile(path);
        form->OpenFile(path);
        QCOMPARE(DocumentCount(), 2);
        const QList<TMDIChild *> docs = form->Documents();
        auto *a = qobject_cast<TMDISite *>(docs.at(0));
        auto *b = qobject_cast<TMDISite *>(docs.at(1));
        QVERIFY(a && b && a != b);
        a->AddFiles({Write("extra.htm", "extra")});
        QCOMPARE(a->Site->FileCount(), 2);
        QCOMPARE(b->Site->FileCount(), 1);
        QVERIFY(!a->Saved);
        QVERIFY(b->Saved);
    }

    void damagedWebSiteOpensNothing()
    {
        // A valid header and total, but the directory claims a file larger than the data.
        std::string bytes = ReadFileBytes(SiteFile("damaged.kws"));
        bytes[8 + 20] = char(0x7F);   // the entry's size, now far beyond the end
        const std::string path = Write("damaged.kws", bytes);
        QVERIFY(IsSiteFile(path));
        form->OpenFile(path);
        QCOMPARE(boxes->Shown().size(), size_t(1));
        QCOMPARE(boxes->Shown().front().Kind, MsgKind::Error);
        QVERIFY(boxes->Texts().front().find(path) != std::string::npos);
        QVERIFY(boxes->Texts().front().find("is damaged") != std::string::npos);
        QCOMPARE(DocumentCount(), 0);
        QCOMPARE(ReadFileBytes(path), bytes);
    }
};

QTEST_MAIN(TestNewOpen)
#include "test_newopen.moc"
