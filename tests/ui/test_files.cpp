// Files in every state, as a user meets them: opening a file with a zero byte, a file far larger
// than any document and a file with a huge value; saving onto files the user may not write; and a
// settings file that cannot be read or holds garbage.
#include "Command.h"
#include "FileDialog.h"
#include "FileUtils.h"
#include "GatewayModule.h"
#include "Main.h"
#include "MainFormDrive.h"
#include "NewFile.h"
#include "Options.h"
#include "Site.h"
#include "SiteModule.h"
#include "TransferSite.h"
#include "UiTestSupport.h"
#include "VXTOptions.h"
#include "VeltoSite.h"

#include <QElapsedTimer>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

using namespace vxt;
using namespace vxt::test;

namespace {

const char kSmtp[] = "[SMTP]\r\nENABLE=0\r\nSERVER=\r\nTIMEOUT=20\r\nRETRIES=5\r\nRETRYINT=10\r\nFROM=\r\nAUTH=0\r\n"
                     "USER=\r\nPASS=\r\nTOO_0=\r\nTOO_1=\r\nTOO_2=\r\nTOO_3=\r\nTOO_4=\r\nTOO_5=\r\n\r\n";

// A Modbus file of `tags` tags; `baud` stands as the BAUD value.
std::string ModbusText(int tags, const std::string &baud = "9600")
{
    std::string t = "[GENERAL]\r\nFILETYPE=MB\r\nFILEVERSION=1.0\r\n\r\n[COM]\r\nCOMTYPE=0\r\nBAUD=" + baud +
                    "\r\nPARITY=0\r\nFORMAT=0\r\nSCANTIME=100\r\nMSGTOUT=1000\r\nPKTTOUT=4\r\n\r\n" + kSmtp;
    for (int i = 0; i < tags; ++i)
        t += "[TAG" + std::to_string(i) + "]\r\nNAME=TAG" + std::to_string(i) +
             "\r\nSOURCE=Internal\r\nUNITID=1\r\nADDRESS=00000\r\nTYPE=Single bit\r\nENRON=No\r\nBITPOS=0\r\n"
             "READONLY=No\r\nLIMITS=No\r\nWRMIN=0\r\nWRMAX=0\r\nALARM=No\r\nALMIN=0\r\nALMAX=0\r\nEMAIL=No\r\n"
             "SCALE=None\r\nFACTORA=1\r\nFACTORB=0\r\nTRAP=No\r\nKIND=0\r\n\r\n";
    return t;
}

mode_t ModeOf(const std::string &path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

std::string Denied(const std::string &path) { return "Cannot create file \"" + path + "\". " + std::strerror(EACCES); }

}  // namespace

class TestFiles : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<MessageBoxRecorder> boxes;
    TMainForm *form = nullptr;

    std::string Path(const std::string &name) const { return dir->filePath(QString::fromStdString(name)).toStdString(); }

    std::string Write(const std::string &name, const std::string &bytes) const
    {
        std::ofstream(Path(name), std::ios::binary) << bytes;
        return Path(name);
    }

    std::string Read(const std::string &path) const { return FileExists(path) ? ReadFileBytes(path) : "(none)"; }

    int DocumentCount() { return vxt::test::DocumentCount(form); }
    void Start() { StartMainForm(form); }
    void Stop() { StopMainForm(form); }

    // Shows the Options dialog; what its boxes hold, and the boxes it showed.
    std::unique_ptr<TfrmOptions> ShowOptions()
    {
        auto dlg = std::make_unique<TfrmOptions>(form);
        dlg->show();
        if (!QTest::qWaitForWindowActive(dlg.get())) return nullptr;
        return dlg;
    }

private slots:
    void initTestCase()
    {
        RegisterGatewayDocuments();
        RegisterSiteDocuments();
    }

    void init()
    {
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
        SetIniFileNameOverride(Path("vxt.ini"));
        boxes = std::make_unique<MessageBoxRecorder>();
    }

    void cleanup()
    {
        Stop();
        boxes.reset();
        ClearNextFileName();
        SetIniFileNameOverride("");
        for (const char *name : {"vxt.ini", "a.vlt", "other.vlt", "site.kws", "index.htm"})
            ::chmod(Path(name).c_str(), 0600);
        dir.reset();
    }

    // Open: a zero byte in a value refuses the file by name; nothing is read in part, so nothing
    // shorter can be saved.
    void openFileWithZeroByteIsRefused()
    {
        Start();
        std::string text = ModbusText(5);
        const size_t at = text.find("NAME=TAG1") + 8;
        text.insert(at, 1, '\0');
        const std::string path = Write("a.vlt", text);
        boxes->Clear();
        form->OpenFile(path);
        QCOMPARE(boxes->Texts(), (std::vector<std::string>{"The File \"" + path +
                                                           "\" is not a text file: it holds a zero byte at offset " +
                                                           std::to_string(at) + "."}));
        QVERIFY(boxes->Shown()[0].Kind == MsgKind::Error);
        QCOMPARE(DocumentCount(), 0);
        QCOMPARE(Read(path), text);
    }

    // Open: a file far larger than any document is refused at once with its size; memory is
    // checked by the unit tests of the probes.
    void openFarTooLargeFileIsRefusedAtOnce()
    {
        Start();
        const std::string sparse = Write("huge.vlt", ModbusText(1));
        QCOMPARE(::truncate(sparse.c_str(), 256LL * 1048576), 0);
        std::string random(50 * 1048576, '\0');
        std::mt19937 gen(7);
        for (char &c : random) c = char(gen());
        const std::string noise = Write("noise.kws", random);
        random = std::string();
        for (const auto &[path, size] : {std::pair{sparse, std::string("268435456")}, {noise, std::string("52428800")}}) {
            boxes->Clear();
            QElapsedTimer t;
            t.start();
            form->OpenFile(path);
            QVERIFY2(t.elapsed() < 2000, qPrintable(QString::number(t.elapsed())));
            QCOMPARE(boxes->Texts(), (std::vector<std::string>{
                                         "The File \"" + path + "\" is too large (" + size +
                                         " bytes) to be a Velto Configuration File or Web Site.\r\nFiles larger than "
                                         "4 MB (4194304 bytes) are not opened."}));
            QCOMPARE(DocumentCount(), 0);
        }
    }

    // Open from the command line: a file of /proc reports size 0; its read stops at the limit, and
    // a read that fails names the file and the system's reason.
    void openProcFilesNamesTheFileAndReason()
    {
        Start();
        const std::pair<std::string, std::string> cases[] = {
            {"/proc/self/mem", std::string("Cannot read file \"/proc/self/mem\". ") + std::strerror(EIO)},
            {"/proc/kallsyms", "The File \"/proc/kallsyms\" is too large (more than 4194304 bytes) to be a Velto "
                               "Configuration File or Web Site.\r\nFiles larger than 4 MB (4194304 bytes) are not "
                               "opened."},
        };
        for (const auto &[path, text] : cases) {
            if (path == "/proc/kallsyms" &&
                ReadFileHead(path, size_t(kMaxDocumentFileSize) + 1).size() <= size_t(kMaxDocumentFileSize))
                continue;   // small here
            boxes->Clear();
            const char *argv[] = {"vxt", path.c_str()};
            form->OpenCommandLine(2, argv);
            QCOMPARE(boxes->Texts(), std::vector<std::string>{text});
            QCOMPARE(DocumentCount(), 0);
        }
    }

    // Open: a BAUD value of 3 MB digits and a Hostlink password of 2 MB: every box quotes a line of
    // the value, fits the screen and comes at once (the boxes are laid out as shown).
    void hugeValueBoxesFitTheScreenAndComeAtOnce()
    {
        Start();
        std::vector<std::string> texts;
        std::vector<QSize> sizes;
        SetMessageBoxHandler([&](const std::string &text, MsgKind, int) {
            QMessageBox box;
            box.setText(QString::fromUtf8(text.c_str()).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
            sizes.push_back(box.sizeHint());
            texts.push_back(text);
            return MsgResult::OK;
        });
        const std::string baud = Write("a.vlt", ModbusText(1, std::string(3 * 1048576, '9')));
        std::string hostlink = ModbusText(0);
        hostlink.replace(hostlink.find("FILETYPE=MB"), 11, "FILETYPE=HL");
        hostlink.replace(hostlink.find("PASS="), 5, "PASS=" + std::string(2 * 1048576, 'p'));
        const std::string pass = Write("other.vlt", hostlink);
        QElapsedTimer t;
        t.start();
        form->OpenFile(baud);
        form->OpenFile(pass);
        QVERIFY2(t.elapsed() < 5000, qPrintable(QString::number(t.elapsed())));
        QCOMPARE(DocumentCount(), 2);
        const std::string cut = std::string(80, '9') + "...";
        QCOMPARE(texts.size(), size_t(3));
        QCOMPARE(texts[0], "The paramenter \"Baud Rate\" has not a valid value (" + cut +
                               ").\r\n Value \"9600 bps\" is taken as Default.");
        const std::string passBox = "The paramenter \"" + std::string(80, 'p') + "...\" is too large.\r\n Value \"" +
                                    std::string(49, 'p') + "\" is taken as Default.";
        QCOMPARE(texts[1], passBox);
        QCOMPARE(texts[2], passBox);
        for (const QSize &s : sizes) QVERIFY2(s.width() < 1024 && s.height() < 600, qPrintable(QString::number(s.width())));
        SetMessageBoxHandler(nullptr);
    }

    // Save and Save As onto a document the user may not write: the write failure, and the file
    // keeps its bytes and mode; the document stays modified. A file that may be written keeps
    // its mode when it is replaced.
    void saveOntoReadOnlyDocumentIsRefused()
    {
        Start();
        const std::string text = ModbusText(2);
        const std::string path = Write("a.vlt", text);
        form->OpenFile(path);
        QCOMPARE(DocumentCount(), 1);
        TMDIChild *doc = form->ActiveDocument();
        QVERIFY(doc);
        QCOMPARE(::chmod(path.c_str(), 0444), 0);
        doc->Saved = false;
        boxes->Clear();
        form->FileSaveExecute();
        QCOMPARE(boxes->Texts(), (std::vector<std::string>{Denied(path)}));
        QVERIFY(boxes->Shown()[0].Kind == MsgKind::Error);
        QCOMPARE(Read(path), text);
        QCOMPARE(ModeOf(path), mode_t(0444));
        QVERIFY(!doc->Saved);

        // Save As onto another read-only file, after answering the replace question.
        const std::string other = Write("other.vlt", "kept");
        QCOMPARE(::chmod(other.c_str(), 0444), 0);
        SetNextFileName(other);
        boxes->Clear();
        form->FileSaveAsExecute();
        QCOMPARE(boxes->Texts(), (std::vector<std::string>{Denied(other)}));
        QCOMPARE(Read(other), std::string("kept"));
        QCOMPARE(doc->FileName, path);

        // Writable again, by its group only: root writes it, and it keeps that mode.
        const mode_t writable = geteuid() == 0 ? 0464 : 0644;
        QCOMPARE(::chmod(path.c_str(), writable), 0);
        boxes->Clear();
        form->FileSaveExecute();
        QCOMPARE(boxes->Texts(), std::vector<std::string>{});
        QVERIFY(doc->Saved);
        QCOMPARE(ModeOf(path), writable);
        QCOMPARE(Read(path), text);
    }

    void saveOntoReadOnlyWebSiteIsRefused()
    {
        Start();
        TVeltoSite s(Path("site.kws"));
        s.AddFile(Write("index.htm", "<html></html>"));
        s.SaveToFile();
        const std::string path = s.FileName, bytes = Read(path);
        form->OpenFile(path);
        auto *doc = qobject_cast<TMDISite *>(form->ActiveDocument());
        QVERIFY(doc);
        QCOMPARE(::chmod(path.c_str(), 0444), 0);
        doc->Saved = false;
        boxes->Clear();
        form->FileSaveExecute();
        QCOMPARE(boxes->Texts(), (std::vector<std::string>{Denied(path)}));
        QCOMPARE(Read(path), bytes);
        QCOMPARE(ModeOf(path), mode_t(0444));

        // Extracting onto a read-only file is refused the same way.
        const std::string dest = Path("index.htm");
        QCOMPARE(::chmod(dest.c_str(), 0444), 0);
        doc->lstFiles->selectRow(0);
        SetNextFileName(dest);
        boxes->Clear();
        RunCommand([&] { doc->ExtractFile(); });
        QCOMPARE(boxes->Texts(), (std::vector<std::string>{Denied(dest)}));
        QCOMPARE(Read(dest), std::string("<html></html>"));
    }

    // A settings file that cannot be read (mode 000; root too is held to its mode) is reported once,
    // at start; Options then starts from the defaults, so OK is about what the user typed: here the
    // file may not be written either, which OK says.
    void unreadableSettingsReportedOnceOptionsStartFromDefaults()
    {
        const std::string ini = Write("vxt.ini", "[PROXYHTTP]\r\nPORT=3128\r\n\r\n[PROXYFTP]\r\nPORT=21\r\n\r\n");
        QCOMPARE(::chmod(ini.c_str(), 0), 0);
        Start();
        QCOMPARE(boxes->Texts(), (std::vector<std::string>{"The settings file \"" + ini +
                                                           "\" cannot be read: " + std::strerror(EACCES) + ".\r\nThe default "
                                                           "settings are used."}));
        QVERIFY(boxes->Shown()[0].Kind == MsgKind::Warning);
        boxes->Clear();
        auto dlg = ShowOptions();
        QVERIFY(dlg);
        QCOMPARE(boxes->Texts(), std::vector<std::string>{});
        QCOMPARE(dlg->txtHTTPProxyPort->text(), QStringLiteral("0"));
        QCOMPARE(dlg->txtFTPProxyPort->text(), QStringLiteral("0"));
        QTest::mouseClick(dlg->btnOk, Qt::LeftButton);
        QCOMPARE(boxes->Texts(), (std::vector<std::string>{Denied(ini)}));
        QVERIFY(dlg->isVisible());
        QCOMPARE(ModeOf(ini), mode_t(0));
        QCOMPARE(::chmod(ini.c_str(), 0600), 0);
        QCOMPARE(Read(ini), std::string("[PROXYHTTP]\r\nPORT=3128\r\n\r\n[PROXYFTP]\r\nPORT=21\r\n\r\n"));
    }

    // Garbage, and a zero byte in a value: reported once with the reason; Options starts from the
    // defaults and its OK, the user having been told, writes a sound file in its place.
    void garbageSettingsReportedOnceThenReplacedByOptions_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("why");
        static const char binary[] = "\x89PNG\x1a\xff garbage=\x01\r\n\x7f";
        static const char zero[] = "[PROXYHTTP]\r\nSERVER=a\0b\r\nPORT=3128\r\n\r\n[PROXYFTP]\r\nMETHOD=3\r\n";
        QTest::newRow("binary") << QByteArray(binary, sizeof binary - 1)
                                << QStringLiteral("holds no settings this program can read.");
        QTest::newRow("zero byte") << QByteArray(zero, sizeof zero - 1)
                                   << QStringLiteral("cannot be read: it holds a zero byte at offset 21, which no "
                                                     "settings file holds.");
    }

    void garbageSettingsReportedOnceThenReplacedByOptions()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, why);
        const std::string ini = Write("vxt.ini", bytes.toStdString());
        QCOMPARE(::chmod(ini.c_str(), 0640), 0);
        Start();
        QCOMPARE(boxes->Texts(),
                 (std::vector<std::string>{"The settings file \"" + ini + "\" " + why.toStdString() +
                                           "\r\nThe default settings are used; OK in the Options dialog replaces "
                                           "the file."}));
        boxes->Clear();
        auto dlg = ShowOptions();
        QVERIFY(dlg);
        QCOMPARE(boxes->Texts(), std::vector<std::string>{});
        QCOMPARE(dlg->txtHTTPProxyPort->text(), QStringLiteral("0"));
        QCOMPARE(dlg->txtHTTPProxy->text(), QString());
        QTest::mouseClick(dlg->btnOk, Qt::LeftButton);
        QCOMPARE(boxes->Texts(), std::vector<std::string>{});
        QVERIFY(!dlg->isVisible());
        QVERIFY(Read(ini).rfind("[PROXYHTTP]\r\nENABLED=0\r\nSERVER=\r\nPORT=0\r\n", 0) == 0);
        QCOMPARE(ModeOf(ini), mode_t(0600));   // it holds credentials: for its owner only
        QCOMPARE(SettingsFileProblem(), std::string());
    }

    // The settings hold the proxy credentials: a new file is readable by its owner only.
    void newSettingsFileIsPrivate()
    {
        Start();
        QCOMPARE(boxes->Texts(), std::vector<std::string>{});
        const mode_t mask = ::umask(022);
        auto dlg = ShowOptions();
        QVERIFY(dlg);
        QTest::mouseClick(dlg->btnOk, Qt::LeftButton);
        ::umask(mask);
        QVERIFY(!dlg->isVisible());
        QCOMPARE(ModeOf(Path("vxt.ini")), mode_t(0600));
    }
};

QTEST_MAIN(TestFiles)
#include "test_files.moc"
