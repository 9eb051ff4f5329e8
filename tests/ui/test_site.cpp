// The web-site document: the information boxes, adding with its three checks and their messages,
// extracting, viewing (and the temporary file), removing, saving and opening, and sending and
// getting the container through the transfer dialog against the FTP device.
#include "Command.h"
#include "FileDialog.h"
#include "FileUtils.h"
#include "FileViewer.h"
#include "FtpDevice.h"
#include "Main.h"
#include "NumFormat.h"
#include "QtStr.h"
#include "Site.h"
#include "SiteModule.h"
#include "StrUtils.h"
#include "TransferSite.h"
#include "UiTestSupport.h"
#include "Utiles.h"
#include "VXTOptions.h"

#include <QDir>
#include <QLabel>
#include <QMdiArea>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>
#include <cerrno>
#include <cstring>
#include <functional>

using namespace vxt;
using namespace vxt::test;

namespace {

const char kNoRoom[] =
    "There is no room enough in Velto Web Site file for the File(s) you selected.\r\nThe total size of the selected "
    "File(s) must be less than %d bytes at this moment.\r\n\r\nNo files have been Added.\r\n\r\nNote: Each file "
    "needs 30 bytes plus the file size in Velto Web Site.";

std::string TooLarge(const std::string &name)
{
    return "The Name of the File \"" + name +
           "\" is to Large for Velto Web Server.\r\nThe filename must be shorter than 17 characters including its "
           "extension,\r\n\r\nNo files have been Added.";
}

std::string Exists(const std::string &name)
{
    return "The File \"" + name + "\" already exists in the Velto Web Site.\r\n\r\nNo files have been Added.";
}

std::string Bytes(size_t n, char seed)
{
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i) s[i] = char(seed + char(i % 7));
    return s;
}

// Closes the transfer dialog once it shows its final state; `during` runs on every poll before.
void AutoCloseTransfer(std::function<void(TfrmTransferSite *)> during = {})
{
    auto *timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, during]() {
        TfrmTransferSite *dlg = frmTransferSite;
        if (!dlg || !dlg->isVisible()) return;
        if (dlg->btnCancel->text() == QStringLiteral("&Close")) {
            timer->stop();
            timer->deleteLater();
            dlg->btnCancel->click();
            return;
        }
        if (during) during(dlg);
    });
    // A dialog that closes by itself (a cancel) leaves the timer to the next poll with no dialog.
    QObject::connect(frmTransferSite, &QDialog::finished, timer, [timer]() {
        timer->stop();
        timer->deleteLater();
    });
    timer->start();
}

}  // namespace

class TestSite : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<MessageBoxRecorder> boxes;
    TMainForm *form = nullptr;

    std::string Path(const std::string &name) const { return StdStr(dir->filePath(QStr(name))); }

    std::string Write(const std::string &name, const std::string &bytes) const
    {
        const std::string p = Path(name);
        QFile f(QStr(p));
        f.open(QIODevice::WriteOnly);
        f.write(bytes.data(), qint64(bytes.size()));
        return p;
    }

    TMDISite *NewSite(const std::string &name = "noname1.kws")
    {
        auto *doc = new TMDISite;
        form->AddDocument(doc);
        doc->New(name);
        return doc;
    }

    static TDeviceData Device()
    {
        TDeviceData d;
        d.Device = "Velto-10-MB";
        d.MAC = "00-11-22-33-44-01";
        d.IP = "127.0.0.1";
        d.Username = "admin";
        d.Password = "secret";
        return d;
    }

    std::unique_ptr<FtpDevice> StartDevice()
    {
        FtpDeviceOptions options;
        options.password = QStringLiteral("secret");
        auto device = std::make_unique<FtpDevice>(options);
        if (!device->start()) qWarning("%s", qPrintable(device->errorString()));
        frmTransferSite->FtpPort = device->ftpPort();
        return device;
    }

    static void Select(TMDISite *doc, int row)
    {
        doc->lstFiles->selectRow(row);
        QCOMPARE(doc->HasSelectedItem(), row >= 0);
    }

private slots:
    void initTestCase()
    {
        RegisterSiteDocuments();
        form = new TMainForm;
        frmTransferSite = new TfrmTransferSite(form);
        frmFileViewer = new TfrmFileViewer(form);
    }

    void cleanupTestCase() { delete form; }

    void init()
    {
        dir = std::make_unique<QTemporaryDir>();
        SetIniFileNameOverride(Path("vxt.ini"));
        SetDecimalSeparator('.');
        boxes = std::make_unique<MessageBoxRecorder>();
        ClearNextFileName();
    }

    void cleanup()
    {
        for (TMDIChild *d : form->Documents()) {
            d->Saved = true;
            d->close();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        boxes.reset();
        SetIniFileNameOverride("");
    }

    void newDocument()
    {
        // A file lying where the new name points is not taken in.
        TVeltoSite old(GetAppDir() + "noname987.kws");
        old.AddFile(Write("old.htm", "old"));
        old.SaveToFile();
        TMDISite *doc = NewSite("noname987.kws");
        QFile::remove(QStr(GetAppDir() + "noname987.kws"));

        QCOMPARE(doc->windowTitle(), QStringLiteral("Velto Web Site - noname987.kws"));
        QCOMPARE(doc->FileName, GetAppDir() + "noname987.kws");
        QCOMPARE(doc->Site->FileName, doc->FileName);
        QVERIFY(doc->Saved);
        QVERIFY(!doc->Named);
        QCOMPARE(doc->Site->Bytes(), std::string("\x01\x00\x00\x00\x22\x00\x00\x00", 8));
        QCOMPARE(doc->stMaximumSize->text(), QStringLiteral("1572864 bytes"));
        QCOMPARE(doc->stRequiredSize->text(), QStringLiteral("8 bytes (0.00%)"));
        QCOMPARE(doc->stBytesLeft->text(), QStringLiteral("1572856 bytes"));
        QCOMPARE(doc->stTotalFiles->text(), QStringLiteral("0 file(s)"));
        QCOMPARE(doc->prgTotalUsed->value(), 0);
        QCOMPARE(doc->lstFiles->rowCount(), 0);
        QVERIFY(doc->btnAddFile->isEnabled());
        QVERIFY(!doc->btnExtractFile->isEnabled());
        QVERIFY(!doc->btnViewFile->isEnabled());
        QVERIFY(!doc->btnRemoveFile->isEnabled());
        QCOMPARE(doc->stFileused->text(), QString());
        QCOMPARE(KindOf(doc), std::optional<DocKind>(DocKind::Site));
    }

    void addThroughTheDialog()
    {
        TMDISite *doc = NewSite();
        SetNextFileNames({Write("a.htm", Bytes(100, 'a'))});
        QTest::mouseClick(doc->btnAddFile, Qt::LeftButton);
        QVERIFY(boxes->Shown().empty());
        QCOMPARE(doc->lstFiles->rowCount(), 1);
        QCOMPARE(doc->lstFiles->item(0, 0)->text(), QStringLiteral("a.htm"));
        QCOMPARE(doc->lstFiles->item(0, 1)->text(), QStringLiteral("100"));
        QVERIFY(doc->lstFiles->item(0, 1)->textAlignment() & Qt::AlignRight);
        QCOMPARE(doc->stRequiredSize->text(), QStringLiteral("138 bytes (0.01%)"));
        QCOMPARE(doc->stBytesLeft->text(), QStringLiteral("1572726 bytes"));
        QCOMPARE(doc->stTotalFiles->text(), QStringLiteral("1 file(s)"));
        QCOMPARE(doc->Site->Size(), 138);
        QVERIFY(!doc->Saved);

        // A cancelled dialog adds nothing.
        doc->Saved = true;
        SetNextFileNames({});
        doc->AddFile();
        QCOMPARE(doc->lstFiles->rowCount(), 1);
        QVERIFY(doc->Saved);

        // Several files chosen at once are added in their order.
        SetNextFileNames({Write("b.gif", Bytes(10, 'b')), Write("c.css", Bytes(5, 'c'))});
        doc->AddFile();
        QCOMPARE(doc->lstFiles->rowCount(), 3);
        QCOMPARE(doc->lstFiles->item(2, 0)->text(), QStringLiteral("c.css"));
    }

    void longNameRefusesTheWholeSelection()
    {
        TMDISite *doc = NewSite();
        const std::string ok16 = Write("abcdefghijk.html", "x");       // 16 characters: fits
        const std::string bad17 = Write("abcdefghijkl.html", "y");     // 17 characters
        doc->AddFiles({ok16, bad17});
        QCOMPARE(boxes->Texts(), std::vector<std::string>{TooLarge("abcdefghijkl.html")});
        QCOMPARE(boxes->Shown().front().Kind, MsgKind::Warning);
        QCOMPARE(doc->Site->FileCount(), 0);
        QVERIFY(doc->Saved);
        boxes->Clear();
        doc->AddFiles({ok16});
        QVERIFY(boxes->Shown().empty());
        QCOMPARE(doc->Site->FileCount(), 1);
    }

    void duplicatesAreCaseSensitive()
    {
        TMDISite *doc = NewSite();
        QDir(dir->path()).mkdir(QStringLiteral("upper"));
        doc->AddFiles({Write("upper/INDEX.HTM", "upper")});
        doc->Saved = true;
        doc->AddFiles({Write("index.htm", "lower")});
        QVERIFY(boxes->Shown().empty());
        QCOMPARE(doc->Site->FileCount(), 2);
        // The name check comes first, then the duplicates, over the whole selection.
        doc->Saved = true;
        doc->AddFiles({Write("new.htm", "n"), Write("INDEX.HTM", "again")});
        QCOMPARE(boxes->Texts(), std::vector<std::string>{Exists("INDEX.HTM")});
        QCOMPARE(doc->Site->FileCount(), 2);
        QVERIFY(doc->Saved);
        boxes->Clear();
        doc->AddFiles({Write("INDEX.HTM", "again"), Write("a-very-long-name.htm", "n")});
        QCOMPARE(boxes->Texts(), std::vector<std::string>{TooLarge("a-very-long-name.htm")});
    }

    void roomCheck()
    {
        TMDISite *doc = NewSite();
        // One file that leaves exactly 1,000 bytes free.
        doc->AddFiles({Write("big.bin", std::string(size_t(TVeltoSite::kCapacity - 8 - 30 - 1000), 'b'))});
        QCOMPARE(doc->Site->FreeSpace(), 1000);
        QCOMPARE(doc->stBytesLeft->text(), QStringLiteral("1000 bytes"));
        doc->Saved = true;
        doc->AddFiles({Write("n971.bin", std::string(971, 'c'))});
        QCOMPARE(boxes->Texts(), std::vector<std::string>{Format(kNoRoom, 1000)});
        QCOMPARE(doc->Site->FileCount(), 1);
        QVERIFY(doc->Saved);
        // Two files that each fit but not together.
        boxes->Clear();
        doc->AddFiles({Write("h1.bin", std::string(470, 'd')), Write("h2.bin", std::string(471, 'e'))});
        QCOMPARE(boxes->Texts(), std::vector<std::string>{Format(kNoRoom, 1000)});
        QCOMPARE(doc->Site->FileCount(), 1);
        boxes->Clear();
        doc->AddFiles({Write("n970.bin", std::string(970, 'f'))});
        QVERIFY(boxes->Shown().empty());
        QCOMPARE(doc->Site->FileCount(), 2);
        QCOMPARE(doc->Site->FreeSpace(), 0);
        QCOMPARE(doc->prgTotalUsed->value(), 100);
    }

    // Every file is read before any is added: one that cannot be read adds nothing, and its
    // failure names it; the bytes read count, not the size the system reports (0 in /proc).
    void unreadableOrOverfullFileAddsNothing()
    {
        TMDISite *doc = NewSite();
        doc->Saved = true;
        const std::string good = Write("good.htm", "good");
        const std::string mem = "/proc/self/mem";
        SetNextFileNames({good, mem});
        QTest::mouseClick(doc->btnAddFile, Qt::LeftButton);
        QCOMPARE(boxes->Texts(), std::vector<std::string>{"Cannot read file \"" + mem + "\". " + std::strerror(EIO)});
        QCOMPARE(doc->Site->FileCount(), 0);
        QVERIFY(doc->Saved);

        const std::string zeroSized = "/proc/kallsyms";
        if (FileSize(zeroSized) != 0 || ReadFileHead(zeroSized, size_t(TVeltoSite::kCapacity)).size() <
                                             size_t(TVeltoSite::kCapacity))
            QSKIP("/proc/kallsyms is no large file reporting size 0 here");
        boxes->Clear();
        SetNextFileNames({good, zeroSized});
        QTest::mouseClick(doc->btnAddFile, Qt::LeftButton);
        QCOMPARE(boxes->Texts(), std::vector<std::string>{Format(kNoRoom, TVeltoSite::kCapacity - 8)});
        QCOMPARE(doc->Site->FileCount(), 0);
        QCOMPARE(doc->stBytesLeft->text(), QStringLiteral("1572856 bytes"));
        QVERIFY(doc->Saved);
    }

    void selectionShowsTheShare()
    {
        TMDISite *doc = NewSite();
        doc->AddFiles({Write("a.htm", Bytes(100, 'a')), Write("b.gif", Bytes(10, 'b'))});
        Select(doc, 0);
        QVERIFY(doc->btnExtractFile->isEnabled());
        QVERIFY(doc->btnViewFile->isEnabled());
        QVERIFY(doc->btnRemoveFile->isEnabled());
        QCOMPARE(doc->stFileused->text(), QStringLiteral("56.18%"));   // 100 of 178 bytes
        SetDecimalSeparator(',');
        Select(doc, 1);
        QCOMPARE(doc->stFileused->text(), QStringLiteral("5,62%"));
        doc->lstFiles->clearSelection();
        QVERIFY(!doc->HasSelectedItem());
        QVERIFY(!doc->btnExtractFile->isEnabled());
        QCOMPARE(doc->stFileused->text(), QString());
        // The main window's file commands follow the selection.
        form->UpdateActions();
        QVERIFY(form->WebSiteAddFile->isEnabled());
        QVERIFY(!form->WebSiteViewFile->isEnabled());
        Select(doc, 0);
        form->UpdateActions();
        QVERIFY(form->WebSiteViewFile->isEnabled());
    }

    void extract()
    {
        TMDISite *doc = NewSite();
        const std::string content = Bytes(300, 'q');
        doc->AddFiles({Write("page.htm", content)});
        doc->Saved = true;
        Select(doc, 0);
        const std::string dest = Path("out/extracted.htm");
        QDir(dir->path()).mkdir(QStringLiteral("out"));
        SetNextFileName(std::nullopt);
        doc->ExtractFile();
        QVERIFY(!FileExists(dest));
        SetNextFileName(dest);
        QTest::mouseClick(doc->btnExtractFile, Qt::LeftButton);
        QCOMPARE(ReadFileBytes(dest), content);
        QVERIFY(doc->Saved);   // extracting changes nothing
    }

    void viewUsesAPrivateTemporaryFile()
    {
        TMDISite *doc = NewSite();
        doc->AddFiles({Write("index.htm", "<html>\nHello\n</html>\n")});
        Select(doc, 0);
        QString seenPath, caption, text;
        bool existed = false;
        WhenModalOf<TfrmFileViewer>([&](TfrmFileViewer *v) {
            seenPath = QStr(v->FileName);
            existed = QFileInfo::exists(seenPath);
            caption = v->windowTitle();
            text = v->mmoViewer->toPlainText();
            QVERIFY(v->mmoViewer->isReadOnly());
            QTest::mouseClick(v->btnClose, Qt::LeftButton);
        });
        QTest::mouseClick(doc->btnViewFile, Qt::LeftButton);
        QVERIFY(existed);
        QCOMPARE(QFileInfo(seenPath).fileName(), QStringLiteral("view.tmp"));
        QCOMPARE(caption, QStringLiteral("File Viewer - index.htm"));
        QCOMPARE(text, QStringLiteral("<html>\nHello\n</html>\n"));
        QVERIFY(!QFileInfo::exists(seenPath));
        QVERIFY(!QFileInfo::exists(QFileInfo(seenPath).path()));   // its folder went too
        QVERIFY(QFileInfo(seenPath).path() != QDir::currentPath());
        QVERIFY(!QFileInfo::exists(QDir::current().filePath(QStringLiteral("view.tmp"))));
        QVERIFY(boxes->Shown().empty());
    }

    // Without a temporary folder, the failure says which folder and why.
    void viewWithoutTemporaryFolderSaysWhy()
    {
        TMDISite *doc = NewSite();
        doc->AddFiles({Write("index.htm", "x")});
        Select(doc, 0);
        const QByteArray old = qgetenv("TMPDIR");
        // A file where the folder should be: no folder can be made in it.
        const QString missing = QStr(Write("not-a-folder", "x"));
        qputenv("TMPDIR", QFile::encodeName(missing));
        QTest::mouseClick(doc->btnViewFile, Qt::LeftButton);
        qputenv("TMPDIR", old);
        QCOMPARE(boxes->Texts(), std::vector<std::string>{"Cannot create a temporary folder to view the file.\r\n\"" +
                                                          StdPath(missing) + "/vxt-view-XXXXXX\": " +
                                                          std::strerror(ENOTDIR)});
    }

    // Any bytes are shown as text: a file that is valid UTF-8 as UTF-8, any other byte by byte, as
    // Latin-1, a zero byte as a blank.
    void viewReadsUtf8OrLatin1_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("shown");
        QTest::newRow("UTF-8") << QByteArray("\xc3\xbc" "ber data") << QString::fromUtf8("\u00fcber data");
        QTest::newRow("Latin-1") << QByteArray("\xfc") << QString::fromUtf8("\u00fc");
        QTest::newRow("ASCII") << QByteArray("<p>plain</p>\n") << QStringLiteral("<p>plain</p>\n");
        QTest::newRow("UTF-8 cut short") << QByteArray("ab\xe2\x82") << QString::fromUtf8("ab\u00e2\u0082");
        QTest::newRow("binary") << QByteArray("GIF89a\0\x01\xff", 9) << QString::fromUtf8("GIF89a \u0001\u00ff");
    }

    void viewReadsUtf8OrLatin1()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, shown);
        TMDISite *doc = NewSite();
        doc->AddFiles({Write("page.txt", bytes.toStdString())});
        Select(doc, 0);
        QString text;
        WhenModalOf<TfrmFileViewer>([&](TfrmFileViewer *v) {
            text = v->mmoViewer->toPlainText();
            v->btnClose->click();
        });
        form->WebSiteViewFileExecute();
        QCOMPARE(text, shown);
    }

    void removeAsksFirst()
    {
        TMDISite *doc = NewSite();
        doc->AddFiles({Write("a.htm", "a"), Write("b.htm", "bb")});
        doc->Saved = true;
        Select(doc, 1);
        boxes->Answer(MsgResult::No);
        QTest::mouseClick(doc->btnRemoveFile, Qt::LeftButton);
        QCOMPARE(boxes->Texts(),
                 std::vector<std::string>{"Are you sure to Remove the File \"b.htm\" from Velto Web Site?"});
        QCOMPARE(boxes->Shown().front().Kind, MsgKind::Confirmation);
        QCOMPARE(boxes->Shown().front().Buttons, mbYesNo);
        QCOMPARE(doc->Site->FileCount(), 2);
        QVERIFY(doc->Saved);
        Select(doc, 1);
        boxes->Answer(MsgResult::Yes);
        doc->RemoveFile();
        QCOMPARE(doc->Site->FileCount(), 1);
        QCOMPARE(doc->lstFiles->rowCount(), 1);
        QCOMPARE(doc->stRequiredSize->text(), QStringLiteral("39 bytes (0.00%)"));
        QVERIFY(!doc->Saved);
        QVERIFY(!doc->btnRemoveFile->isEnabled());
    }

    void saveAsAndSave()
    {
        TMDISite *doc = NewSite();
        doc->AddFiles({Write("a.htm", Bytes(100, 'a'))});
        SetNextFileName(std::nullopt);
        QVERIFY(!doc->SaveAs());
        QVERIFY(!doc->Named);
        QVERIFY(!doc->Saved);

        const std::string target = Write("site.kws", "an older file that gets replaced");
        SetNextFileName(target);
        QVERIFY(doc->Save());   // not named yet: Save asks for a name
        QVERIFY(doc->Named);
        QVERIFY(doc->Saved);
        QCOMPARE(doc->FileName, target);
        QCOMPARE(doc->windowTitle(), QStr("Velto Web Site - " + target));
        QCOMPARE(ReadFileBytes(target), doc->Site->Bytes());
        QCOMPARE(int(ReadFileBytes(target).size()), 138);

        doc->AddFiles({Write("b.htm", "b")});
        QVERIFY(doc->Save());   // named: written in place, no dialog
        QCOMPARE(ReadFileBytes(target), doc->Site->Bytes());
        QCOMPARE(QDir(dir->path()).entryList(QStringList{QStringLiteral("site.kws*")}, QDir::Files).size(), 1);
    }

    void failedSaveAsKeepsTheNames()
    {
        TMDISite *doc = NewSite();
        doc->AddFiles({Write("a.htm", "a")});
        SetNextFileName(Path("no-such-folder/site.kws"));
        QVERIFY(!RunCommand([&]() { doc->SaveAs(); }));
        QCOMPARE(boxes->Shown().size(), size_t(1));
        QVERIFY(!doc->Named);
        QVERIFY(!doc->Saved);
        QCOMPARE(doc->FileName, GetAppDir() + "noname1.kws");
        QCOMPARE(doc->Site->FileName, doc->FileName);
    }

    void openAndDamagedOpen()
    {
        TVeltoSite good(Path("good.kws"));
        good.AddFile(Write("a.htm", "aaa"));
        good.AddFile(Write("b.htm", "bbbb"));
        good.SaveToFile();
        auto *doc = new TMDISite;
        form->AddDocument(doc);
        doc->Open(Path("good.kws"));
        QCOMPARE(doc->windowTitle(), QStr("Velto Web Site - " + Path("good.kws")));
        QVERIFY(doc->Named);
        QVERIFY(doc->Saved);
        QCOMPARE(doc->lstFiles->rowCount(), 2);
        QCOMPARE(doc->lstFiles->item(1, 0)->text(), QStringLiteral("b.htm"));

        // Header and total right, but the one entry claims more bytes than the file has.
        std::string damaged("\x01\x00\x01\x00\x00\x00\x00\x00", 8);
        std::string entry("x.htm");
        entry.resize(20, '\0');
        entry += std::string("\xe8\x03\x00\x00\x00\x00", 6);   // 1000 bytes
        damaged += entry + std::string("\xe8\x03\x00\x00", 4) + "only a few bytes";
        const uint32_t total = uint32_t(damaged.size());
        for (int i = 0; i < 4; ++i) damaged[size_t(4 + i)] = char((total >> (8 * i)) & 0xFF);
        const std::string bad = Write("bad.kws", damaged);
        QVERIFY(IsSiteFile(bad));
        doc->Open(bad);
        QCOMPARE(boxes->Shown().size(), size_t(1));
        QVERIFY(boxes->Texts().front().find(bad) != std::string::npos);
        QCOMPARE(doc->FileName, Path("good.kws"));
        QCOMPARE(doc->lstFiles->rowCount(), 2);
        QCOMPARE(doc->Site->Bytes(), ReadFileBytes(Path("good.kws")));
        QCOMPARE(ReadFileBytes(bad), damaged);
        QVERIFY(form->Documents().contains(doc));   // a document with content stays open
    }

    void sendToVelto()
    {
        std::unique_ptr<FtpDevice> device = StartDevice();
        QVERIFY(device->isRunning());
        TMDISite *doc = NewSite();
        doc->AddFiles({Write("a.htm", Bytes(5000, 'a')), Write("b.gif", Bytes(777, 'b'))});
        const std::string before = doc->Site->Bytes();

        boxes->Answer(MsgResult::No);
        doc->SendToVelto(Device());
        QCOMPARE(boxes->Texts(),
                 std::vector<std::string>{"Sending this Web Site to Velto will overwrite current Device Web Site.\r\n"
                                          "Are you sure to Send this Web Site to Connected Velto?"});
        QCOMPARE(boxes->Shown().front().Kind, MsgKind::Warning);
        QVERIFY(device->lines().isEmpty());

        boxes->Clear();
        AutoCloseTransfer();
        QVERIFY(doc->SendToVelto(Device()));
        QCOMPARE(frmTransferSite->lblStatus->text(), QStringLiteral("TRANSFER COMPLETED!"));
        const std::optional<QByteArray> stored = device->file();
        QVERIFY(stored.has_value());
        QCOMPARE(stored->toStdString(), before);
        QCOMPARE(doc->Site->Bytes(), before);
        QVERIFY(!doc->Saved);   // unchanged by sending: still the unsaved edits
    }

    void getFromVelto()
    {
        std::unique_ptr<FtpDevice> device = StartDevice();
        TVeltoSite remote(Path("remote.kws"));
        remote.AddFile(Write("index.htm", Bytes(2000, 'i')));
        remote.AddFile(Write("logo.gif", Bytes(300, 'l')));
        QVERIFY(device->setFile(QByteArray::fromStdString(remote.Bytes())));
        TMDISite *doc = NewSite();
        AutoCloseTransfer();
        QVERIFY(doc->GetFromVelto(Device()));
        QCOMPARE(doc->Site->Bytes(), remote.Bytes());
        QCOMPARE(doc->lstFiles->rowCount(), 2);
        QCOMPARE(doc->lstFiles->item(0, 0)->text(), QStringLiteral("index.htm"));
        QCOMPARE(doc->stTotalFiles->text(), QStringLiteral("2 file(s)"));
        QVERIFY(!doc->Saved);
        QCOMPARE(doc->FileName, GetAppDir() + "noname1.kws");
    }

    void cancelledGetKeepsTheDocument()
    {
        std::unique_ptr<FtpDevice> device = StartDevice();
        TVeltoSite remote(Path("remote.kws"));
        remote.AddFile(Write("big.bin", Bytes(1000000, 'z')));
        QVERIFY(device->setFile(QByteArray::fromStdString(remote.Bytes())));
        QVERIFY(device->fail(QStringLiteral("stall"), QStringLiteral("RETR"), 100000));
        TMDISite *doc = NewSite();
        doc->AddFiles({Write("mine.htm", "mine")});
        doc->Saved = true;
        const std::string before = doc->Site->Bytes();
        bool clicked = false;
        AutoCloseTransfer([&](TfrmTransferSite *dlg) {
            if (!clicked && dlg->lblProgress->text().startsWith(QStringLiteral("Progress: 100000 of"))) {
                clicked = true;
                dlg->btnCancel->click();
            }
        });
        QVERIFY(doc->GetFromVelto(Device()));
        QVERIFY(clicked);
        QCOMPARE(frmTransferSite->lblStatus->text(), QStringLiteral("TRANSFER CANCELED!"));
        QVERIFY(!frmTransferSite->Completed);
        QCOMPARE(doc->Site->Bytes(), before);
        QVERIFY(doc->Saved);
        QCOMPARE(doc->lstFiles->rowCount(), 1);
    }

    void damagedContainerFromTheDevice()
    {
        std::unique_ptr<FtpDevice> device = StartDevice();
        // Two files announced, one there.
        TVeltoSite remote(Path("remote.kws"));
        remote.AddFile(Write("index.htm", "index"));
        std::string bytes = remote.Bytes();
        bytes[2] = '\x02';
        QVERIFY(device->setFile(QByteArray::fromStdString(bytes)));
        TMDISite *doc = NewSite();
        doc->AddFiles({Write("mine.htm", "mine")});
        doc->Saved = true;
        const std::string before = doc->Site->Bytes();
        AutoCloseTransfer();
        QVERIFY(doc->GetFromVelto(Device()));
        QVERIFY(frmTransferSite->Completed);
        QCOMPARE(boxes->Shown().size(), size_t(1));
        QVERIFY(boxes->Texts().front().rfind("The Web Site received from Velto cannot be used.", 0) == 0);
        QCOMPARE(doc->Site->Bytes(), before);
        QVERIFY(doc->Saved);
    }

    void getFromVeltoCommandNumbersTheNewDocument()
    {
        std::unique_ptr<FtpDevice> device = StartDevice();
        QVERIFY(device->setFile(QByteArray("\x01\x00\x00\x00\x22\x00\x00\x00", 8)));
        form->Connected = false;
        const int docs = form->Documents().size();
        form->WebSiteGetFromVeltoExecute();   // not connected: nothing
        QCOMPARE(form->Documents().size(), docs);

        form->Connected = true;
        form->ConnectedDevice = Device();
        form->NewFileCounter = 5;
        AutoCloseTransfer();
        form->WebSiteGetFromVeltoExecute();
        QCOMPARE(form->NewFileCounter, 6);
        auto *doc = qobject_cast<TMDISite *>(form->ActiveDocument());
        QVERIFY(doc);
        QCOMPARE(doc->windowTitle().left(QStringLiteral("Velto Web Site - noname5.kws").size()),
                 QStringLiteral("Velto Web Site - noname5.kws"));
        QCOMPARE(doc->Site->FileCount(), 0);
        QVERIFY(!doc->Saved);

        // A failed transfer leaves the new document open all the same.
        device->stop();
        AutoCloseTransfer();
        form->WebSiteGetFromVeltoExecute();
        QCOMPARE(form->NewFileCounter, 7);
        QCOMPARE(form->Documents().size(), docs + 2);
        form->Connected = false;
    }

    void screenshot()
    {
        TMDISite *doc = NewSite();
        doc->AddFiles({Write("index.htm", Bytes(12000, 'i')), Write("logo.gif", Bytes(48000, 'l')),
                       Write("abcdefghijk.html", Bytes(300, 'x'))});
        form->resize(900, 600);
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form));
        // Showing the window clears the selection with the buttons it enables.
        QVERIFY(!doc->HasSelectedItem());
        QVERIFY(!doc->btnViewFile->isEnabled());
        Select(doc, 1);
        QVERIFY(doc->btnViewFile->isEnabled());
        QCOMPARE(doc->stFileused->text(), QStringLiteral("79.47%"));
        const QString path = QDir::temp().filePath(QStringLiteral("vxt-site.png"));
        QVERIFY(doc->grab().save(path));
        QVERIFY(doc->widget()->width() >= 547);
        QVERIFY(doc->widget()->height() >= 335);
        QVERIFY(doc->rect().contains(doc->widget()->geometry()));   // nothing cut off
    }
};

QTEST_MAIN(TestSite)
#include "test_site.moc"
