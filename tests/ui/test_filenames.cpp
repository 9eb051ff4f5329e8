// Files whose names hold letters beyond ASCII (Latin-1 letters, CJK, or a folder so named), through
// the real file dialogs: opening from the command line and from File > Open, Save As onto a new and
// onto an existing file, the web site's add, extract and view, the names in captions and boxes, and
// "All Files" listing files without a dot.
#include "FileDialog.h"
#include "FileUtils.h"
#include "FileViewer.h"
#include "GatewayModule.h"
#include "Main.h"
#include "MainFormDrive.h"
#include "MsgBox.h"
#include "NewFile.h"
#include "QtStr.h"
#include "Site.h"
#include "SiteModule.h"
#include "UiTestSupport.h"
#include "VXTOptions.h"

#include <QComboBox>
#include <QDirIterator>
#include <QFileDialog>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>
#include <filesystem>
#include <fstream>
#include <sys/inotify.h>
#include <unistd.h>

using namespace vxt;
using namespace vxt::test;

namespace {

const char kModbusCaption[] = "Velto Modbus Configuration - ";
const char kSiteCaption[] = "Velto Web Site - ";

// The bytes the file system knows the name by (UTF-8 here).
std::string Bytes(const QString &path) { return path.toUtf8().toStdString(); }

void WriteFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray ReadFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Every file under `root`, relative to it, sorted.
QStringList FilesUnder(const QString &root)
{
    QStringList r;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) r << QDir(root).relativeFilePath(it.next());
    r.sort();
    return r;
}

// The names the dialog lists in its current folder.
QStringList Listed(QFileDialog *dlg)
{
    auto *view = dlg->findChild<QListView *>(QStringLiteral("listView"));
    if (!view || !view->model()) return {};
    QStringList r;
    const QModelIndex root = view->rootIndex();
    for (int i = 0; i < view->model()->rowCount(root); ++i) r << view->model()->index(i, 0, root).data().toString();
    r.sort();
    return r;
}

// Picks files in the next real file dialog as a user does: goes to their folder, types their names
// and presses the dialog's button. With no paths, presses it on what the dialog came up with.
void PickInDialog(const QStringList &paths, QString *presetName = nullptr)
{
    WhenModalOf<QFileDialog>([paths, presetName](QFileDialog *dlg) {
        if (presetName) *presetName = dlg->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->text();
        if (!paths.isEmpty()) {
            dlg->setDirectory(QFileInfo(paths.first()).path());
            // What is typed counts, not the name the dialog came up with.
            if (auto *view = dlg->findChild<QListView *>(QStringLiteral("listView")))
                if (view->selectionModel()) view->selectionModel()->clear();
            QStringList names;
            for (const QString &p : paths) names << QFileInfo(p).fileName();
            QString typed = names.first();
            if (names.size() > 1) typed = QLatin1Char('"') + names.join(QStringLiteral("\" \"")) + QLatin1Char('"');
            dlg->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(typed);
        }
        QMetaObject::invokeMethod(dlg, "accept", Qt::DirectConnection);
    });
}

std::vector<std::string> ReplaceQuestion(const std::string &name)
{
    return {name + " already exists.\r\nDo you want to replace it?"};
}

}  // namespace

class TestFileNames : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<MessageBoxRecorder> boxes;
    TMainForm *form = nullptr;
    QByteArray modbusFile;   // a valid configuration file, as the program writes it

    QString Path(const QString &name) const { return dir->filePath(name); }

    int DocumentCount() { return vxt::test::DocumentCount(form); }
    void CloseDocuments() { vxt::test::CloseDocuments(form); }

    TMDIChild *NewDocument(int kind)
    {
        AnswerNewFile(kind);
        form->FileNewExecute();
        return form->ActiveDocument();
    }

    QString MainCaption()
    {
        form->UpdateActions();
        return form->windowTitle();
    }

    static void AddNameRows()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("Latin-1 letters") << QStringLiteral("café.vlt");
        QTest::newRow("CJK") << QStringLiteral("配置.vlt");
        QTest::newRow("in a folder so named") << QStringLiteral("déjà/配置/a.vlt");
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
        SetIniFileNameOverride(dir->filePath(QStringLiteral("vxt.ini")).toStdString());
        boxes = std::make_unique<MessageBoxRecorder>();
        StartMainForm(form);
        if (modbusFile.isEmpty() && FindDocumentClass(DocKind::Modbus)) {
            TMDIChild *doc = NewDocument(0);
            const std::string seed = Path(QStringLiteral("seed.vlt")).toStdString();
            SetNextFileName(seed);
            QVERIFY(doc->SaveAs());
            modbusFile = QByteArray::fromStdString(ReadFileBytes(seed));
            CloseDocuments();
            QFile::remove(QString::fromStdString(seed));
        }
    }

    void cleanup()
    {
        StopMainForm(form);
        boxes.reset();
        ClearNextFileName();
        SetIniFileNameOverride("");
    }

    void openFromTheCommandLineAndTheOpenDialog_data() { AddNameRows(); }

    void openFromTheCommandLineAndTheOpenDialog()
    {
        QFETCH(QString, name);
        if (!FindDocumentClass(DocKind::Modbus)) QSKIP("no configuration documents");
        const QString path = Path(name);
        WriteFile(path, modbusFile);
        const std::string bytes = Bytes(path);

        const char *argv[] = {"vxt", bytes.c_str()};
        form->OpenCommandLine(2, argv);
        QCOMPARE(boxes->Texts(), std::vector<std::string>{});
        QCOMPARE(DocumentCount(), 1);
        QCOMPARE(form->ActiveDocument()->FileName, bytes);
        QCOMPARE(form->ActiveDocument()->windowTitle(), QLatin1String(kModbusCaption) + path);
        QCOMPARE(MainCaption(), QStringLiteral("VXT - [%1] - Not Connected").arg(path));
        CloseDocuments();

        PickInDialog({path});
        form->FileOpenExecute();
        QCOMPARE(boxes->Texts(), std::vector<std::string>{});
        QCOMPARE(DocumentCount(), 1);
        QCOMPARE(form->ActiveDocument()->FileName, bytes);
        QCOMPARE(form->ActiveDocument()->windowTitle(), QLatin1String(kModbusCaption) + path);
    }

    void fileNamedInAnotherEncodingOpensFromTheCommandLine()
    {
        // A name that is no UTF-8 (written by another system): its bytes still name the file, and it
        // reads as Latin-1.
        if (!FindDocumentClass(DocKind::Modbus)) QSKIP("no configuration documents");
        const std::string bytes = dir->path().toStdString() + "/S\xfc" "d.vlt";
        {
            std::ofstream out(bytes, std::ios::binary);
            out.write(modbusFile.constData(), modbusFile.size());
        }
        const char *argv[] = {"vxt", bytes.c_str()};
        form->OpenCommandLine(2, argv);
        QCOMPARE(boxes->Texts(), std::vector<std::string>{});
        QCOMPARE(DocumentCount(), 1);
        QCOMPARE(form->ActiveDocument()->FileName, bytes);
        QCOMPARE(form->ActiveDocument()->windowTitle(),
                 QLatin1String(kModbusCaption) + Path(QStringLiteral("Süd.vlt")));

        // Save As comes up with the file's own bytes: Enter on them asks to replace that very file
        // and writes it, not a second one named in UTF-8.
        {
            std::ofstream(bytes, std::ios::binary) << "replaced by the save";
        }
        // No: the dialog comes again on the same name; cancelled there, nothing is written.
        QString preset, again;
        boxes->Answer(MsgResult::No);
        boxes->OnShow = [&](const ShownBox &) {
            WhenModalOf<QFileDialog>([&](QFileDialog *dlg) {
                again = dlg->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->text();
                dlg->reject();
            });
        };
        PickInDialog({}, &preset);
        form->FileSaveAsExecute();
        boxes->OnShow = nullptr;
        QCOMPARE(again, preset);
        QCOMPARE(boxes->Texts(), ReplaceQuestion("S\xfc" "d.vlt"));
        QCOMPARE(ReadFileBytes(bytes), std::string("replaced by the save"));
        boxes->Clear();

        PickInDialog({}, &preset);
        form->FileSaveAsExecute();
        QCOMPARE(StdPath(preset), std::string("S\xfc" "d.vlt"));
        QCOMPARE(boxes->Texts(), ReplaceQuestion("S\xfc" "d.vlt"));
        QCOMPARE(form->ActiveDocument()->FileName, bytes);
        QCOMPARE(QByteArray::fromStdString(ReadFileBytes(bytes)), modbusFile);
        const auto entries = std::filesystem::directory_iterator(dir->path().toStdString());
        QCOMPARE(std::distance(begin(entries), end(entries)), 1);   // Qt cannot list such a name
        ::unlink(bytes.c_str());   // a name Qt cannot remove for us
    }

    // A file name's bytes survive the way to the dialogs and back, whatever they are; valid UTF-8
    // reads as its text, and a typed name is written in UTF-8.
    void fileNameBytesSurviveTheDialogs_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");   // empty: no text of its own
        const QString none;
        QTest::newRow("ASCII") << QByteArray("/a/plant.vlt") << QStringLiteral("/a/plant.vlt");
        QTest::newRow("UTF-8") << QByteArray("/d\xc3\xa9j\xc3\xa0/\xe9\x85\x8d.vlt") << QStringLiteral("/déjà/配.vlt");
        QTest::newRow("beyond the BMP") << QByteArray("\xf0\x9f\x92\xa9.kws") << QString::fromUtf8("\xf0\x9f\x92\xa9.kws");
        QTest::newRow("Latin-1") << QByteArray("S\xfc" "d.vlt") << none;
        QTest::newRow("pair half then raw byte") << QByteArray("\xf0\x9f\x92\xa9\xa9") << none;
        QTest::newRow("cut short") << QByteArray("a\xc3") << none;
        QTest::newRow("overlong slash") << QByteArray("\xc0\xaf.vlt") << none;
        QTest::newRow("encoded surrogate") << QByteArray("\xed\xb3\xbc") << none;
        QTest::newRow("past U+10FFFF") << QByteArray("\xf4\x90\x80\x80") << none;
        QTest::newRow("BOM first") << QByteArray("\xef\xbb\xbfname.vlt") << QStringLiteral("\uFEFFname.vlt");
        QTest::newRow("BOM after raw byte") << QByteArray("S\xfc\xef\xbb\xbf.vlt") << none;
        QTest::newRow("BOM only") << QByteArray("\xef\xbb\xbf") << QStringLiteral("\uFEFF");
        QTest::newRow("every high byte") << [] {
            QByteArray b;
            for (int c = 0x80; c <= 0xff; ++c) b += char(c);
            return b;
        }() << none;
    }

    void fileNameBytesSurviveTheDialogs()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        const std::string name = bytes.toStdString();
        QCOMPARE(StdPath(QPath(name)), name);
        if (!text.isEmpty()) {
            QCOMPARE(QPath(name), text);
            QCOMPARE(StdPath(text), name);
        }
    }

    // A file whose name looks like one of Qt's options is opened all the same: the program, started
    // with that one argument, reads the file.
    void commandLineNameLikeAQtOption_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("-reverse") << QStringLiteral("-reverse");
        QTest::newRow("-widgetcount") << QStringLiteral("-widgetcount");
    }

    void commandLineNameLikeAQtOption()
    {
        QFETCH(QString, name);
        WriteFile(Path(name), modbusFile);
        const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        QVERIFY(watch >= 0);
        QVERIFY(inotify_add_watch(watch, QFile::encodeName(Path(name)).constData(), IN_OPEN) >= 0);
        QProcess vxt;
        vxt.setWorkingDirectory(dir->path());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("VXT_SPLASH_MS"), QStringLiteral("0"));
        vxt.setProcessEnvironment(env);
        vxt.start(QStringLiteral(VXT_PROGRAM), {name});
        QVERIFY(vxt.waitForStarted());
        char event[4096];
        bool opened = false;   // the check runs once more after the wait
        QTRY_VERIFY_WITH_TIMEOUT(opened = opened || ::read(watch, event, sizeof event) > 0, 60000);
        vxt.kill();
        vxt.waitForFinished();
        ::close(watch);
    }

    void saveAsOntoNewAndExistingFiles_data() { AddNameRows(); }

    void saveAsOntoNewAndExistingFiles()
    {
        QFETCH(QString, name);
        if (!FindDocumentClass(DocKind::Modbus)) QSKIP("no configuration documents");
        TMDIChild *doc = NewDocument(0);
        const QString target = Path(name);
        QDir().mkpath(QFileInfo(target).path());

        // Onto a new file.
        PickInDialog({target});
        form->FileSaveAsExecute();
        QCOMPARE(boxes->Texts(), std::vector<std::string>{});
        QCOMPARE(FilesUnder(dir->path()), QStringList{name});
        QCOMPARE(ReadFile(target), modbusFile);
        QCOMPARE(doc->FileName, Bytes(target));
        QVERIFY(doc->Named);
        QCOMPARE(doc->windowTitle(), QLatin1String(kModbusCaption) + target);
        QCOMPARE(MainCaption(), QStringLiteral("VXT - [%1] - Not Connected").arg(target));

        // Onto an existing file beside it: the replace question names it, Yes replaces that very file.
        const QString existing = QFileInfo(target).path() + QStringLiteral("/设置 ü.vlt");
        WriteFile(existing, "an older file that gets replaced");
        PickInDialog({existing});
        form->FileSaveAsExecute();
        QCOMPARE(boxes->Texts(), ReplaceQuestion(Bytes(QStringLiteral("设置 ü.vlt"))));
        QStringList expected{name, QDir(dir->path()).relativeFilePath(existing)};
        expected.sort();
        QCOMPARE(FilesUnder(dir->path()), expected);
        QCOMPARE(ReadFile(existing), modbusFile);
        QCOMPARE(doc->FileName, Bytes(existing));
        QCOMPARE(doc->windowTitle(), QLatin1String(kModbusCaption) + existing);
    }

    // Save As onto a link asks about the file the save will write, and Yes writes that file and
    // keeps the link; a link the save would refuse gets the plain question, then the refusal.
    void saveAsOntoALinkNamesTheFileWritten_data()
    {
        QTest::addColumn<QString>("target");      // relative to the temporary folder
        QTest::addColumn<bool>("targetExists");
        QTest::addColumn<bool>("named");          // the question names the target
        QTest::newRow("to a file") << QStringLiteral("real.vlt") << true << true;
        QTest::newRow("dangling") << QStringLiteral("missing.vlt") << false << true;
        QTest::newRow("loop") << QStringLiteral("link.vlt") << false << false;
    }

    void saveAsOntoALinkNamesTheFileWritten()
    {
        QFETCH(QString, target);
        QFETCH(bool, targetExists);
        QFETCH(bool, named);
        if (!FindDocumentClass(DocKind::Modbus)) QSKIP("no configuration documents");
        const std::string link = Bytes(Path(QStringLiteral("link.vlt"))), aim = Bytes(Path(target));
        if (targetExists) WriteFile(Path(target), "an older file");
        QCOMPARE(::symlink(aim.c_str(), link.c_str()), 0);
        TMDIChild *doc = NewDocument(0);
        boxes->Answer(MsgResult::Yes);
        PickInDialog({Path(QStringLiteral("link.vlt"))});
        form->FileSaveAsExecute();
        const std::string question = named ? "link.vlt already exists as a link to \"" + aim +
                                                 "\".\r\nDo you want to write that file?"
                                           : ReplaceQuestion("link.vlt").front();
        QVERIFY(!boxes->Texts().empty());
        QCOMPARE(boxes->Texts().front(), question);
        QFileInfo info(Path(QStringLiteral("link.vlt")));
        QVERIFY(info.isSymLink());
        if (named) {
            QCOMPARE(boxes->Texts().size(), size_t(1));
            QCOMPARE(ReadFile(Path(target)), modbusFile);
            QCOMPARE(doc->FileName, link);
        } else {
            QCOMPARE(boxes->Texts().size(), size_t(2));   // the refusal follows
            QVERIFY(!doc->Named);
        }
    }

    void webSiteAddExtractAndView()
    {
        const QString folder = Path(QStringLiteral("déjà 配置"));
        const QString latin = folder + QStringLiteral("/café.htm");
        const QString cjk = folder + QStringLiteral("/配置.htm");
        WriteFile(latin, "<html>Welcome</html>");
        WriteFile(cjk, "<p>Settings</p>");
        auto *doc = qobject_cast<TMDISite *>(NewDocument(3));
        QVERIFY(doc);

        // Add: both files, from the folder, named as they are on disk.
        PickInDialog({latin, cjk});
        QTest::mouseClick(doc->btnAddFile, Qt::LeftButton);
        QCOMPARE(boxes->Texts(), std::vector<std::string>{});
        QCOMPARE(doc->lstFiles->rowCount(), 2);
        QCOMPARE(doc->lstFiles->item(0, 0)->text(), QStringLiteral("café.htm"));
        QCOMPARE(doc->lstFiles->item(1, 0)->text(), QStringLiteral("配置.htm"));
        QCOMPARE(doc->Site->GetEntry(1).Name, Bytes(QStringLiteral("配置.htm")));

        // Extract: the dialog offers the stored name; the file lands where the user points.
        const QString out = Path(QStringLiteral("出力 à/配置.htm"));
        QDir().mkpath(QFileInfo(out).path());
        doc->lstFiles->selectRow(1);
        QString preset;
        PickInDialog({out}, &preset);
        QTest::mouseClick(doc->btnExtractFile, Qt::LeftButton);
        QCOMPARE(boxes->Texts(), std::vector<std::string>{});
        QCOMPARE(preset, QStringLiteral("配置.htm"));
        QCOMPARE(ReadFile(out), ReadFile(cjk));

        // View, with the temporary folder itself under such a name.
        const QString tmp = Path(QStringLiteral("临时 é"));
        QVERIFY(QDir().mkpath(tmp));
        const QByteArray oldTmp = qgetenv("TMPDIR");
        qputenv("TMPDIR", tmp.toUtf8());
        doc->lstFiles->selectRow(0);
        QString caption, text;
        WhenModalOf<TfrmFileViewer>([&](TfrmFileViewer *v) {
            caption = v->windowTitle();
            text = v->mmoViewer->toPlainText();
            v->btnClose->click();
        });
        QTest::mouseClick(doc->btnViewFile, Qt::LeftButton);
        if (oldTmp.isEmpty()) qunsetenv("TMPDIR");
        else qputenv("TMPDIR", oldTmp);
        QCOMPARE(boxes->Texts(), std::vector<std::string>{});
        QCOMPARE(caption, QStringLiteral("File Viewer - café.htm"));
        QCOMPARE(text, QStringLiteral("<html>Welcome</html>"));
        QCOMPARE(FilesUnder(tmp), QStringList{});

        // Save As into the folder.
        const QString site = folder + QStringLiteral("/网站.kws");
        PickInDialog({site});
        form->FileSaveAsExecute();
        QCOMPARE(boxes->Texts(), std::vector<std::string>{});
        QCOMPARE(ReadFile(site), QByteArray::fromStdString(doc->Site->Bytes()));
        QCOMPARE(doc->windowTitle(), QLatin1String(kSiteCaption) + site);
    }

    // A stored name (from a foreign container or the device) gives the Extract dialog its last part
    // only, and Enter on it writes into the folder the dialog opens in; a name without one gives none.
    void extractPresetIsTheStoredNamesLastPart_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QString>("preset");
        QTest::newRow("absolute") << QByteArray("/tmp/x") << QStringLiteral("x");
        QTest::newRow("upwards") << QByteArray("../../escaped.txt") << QStringLiteral("escaped.txt");
        QTest::newRow("in a folder") << QByteArray("sub/page.htm") << QStringLiteral("page.htm");
        QTest::newRow("plain") << QByteArray("index.htm") << QStringLiteral("index.htm");
        QTest::newRow("folder, then up") << QByteArray("a/..") << QString();
        QTest::newRow("dot") << QByteArray(".") << QString();
        QTest::newRow("dot dot") << QByteArray("..") << QString();
        QTest::newRow("folder") << QByteArray("a/") << QString();
    }

    void extractPresetIsTheStoredNamesLastPart()
    {
        QFETCH(QByteArray, stored);
        QFETCH(QString, preset);
        auto *doc = qobject_cast<TMDISite *>(NewDocument(3));
        QVERIFY(doc);
        const QString page = Path(QStringLiteral("page.htm"));
        WriteFile(page, "<p>page</p>");
        doc->AddFiles({Bytes(page)});
        // The name field of the first entry (20 bytes after the 8-byte header), as a foreign container holds it.
        std::string bytes = doc->Site->Bytes();
        std::string field = stored.toStdString();
        field.resize(20, '\0');
        bytes.replace(8, 20, field);
        doc->Site->LoadFromBytes(bytes);
        doc->RefreshFileList();
        doc->lstFiles->selectRow(0);

        // The folder a dialog opens in for a bare name is the current one.
        const QString folder = Path(QStringLiteral("a/b"));
        QVERIFY(QDir().mkpath(folder));
        struct Current {
            QString before = QDir::currentPath();
            ~Current() { QDir::setCurrent(before); }
        } restore;
        QVERIFY(QDir::setCurrent(folder));
        QString shown = QStringLiteral("(no dialog)"), opensIn;
        WhenModalOf<QFileDialog>([&](QFileDialog *dlg) {
            shown = dlg->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->text();
            opensIn = dlg->directory().absolutePath();
            // Enter on the preset, but never where the test has no business writing.
            if (shown.isEmpty() || opensIn != folder) dlg->reject();
            else QMetaObject::invokeMethod(dlg, "accept", Qt::DirectConnection);
        });
        QTest::mouseClick(doc->btnExtractFile, Qt::LeftButton);
        QCOMPARE(boxes->Texts(), std::vector<std::string>{});
        QCOMPARE(shown, preset);
        if (!preset.isEmpty()) QCOMPARE(opensIn, folder);
        QStringList expected{QStringLiteral("page.htm")};
        if (!preset.isEmpty()) expected << QStringLiteral("a/b/") + preset;
        expected.sort();
        QCOMPARE(FilesUnder(dir->path()), expected);
    }

    void boxesShowNamesAsTyped()
    {
        boxes.reset();   // the real boxes
        const QString missing = Path(QStringLiteral("déjà/配置.vlt"));
        QString shown;
        WhenModalOf<QMessageBox>([&](QMessageBox *box) {
            shown = box->text();
            box->button(QMessageBox::Ok)->click();
        });
        form->OpenFile(Bytes(missing));
        QCOMPARE(shown, QStringLiteral("The File \"%1\" is not recognized as a valid file").arg(missing));

        // Device texts in boxes keep their Latin-1 reading.
        WhenModalOf<QMessageBox>([&](QMessageBox *box) {
            shown = box->text();
            box->button(QMessageBox::Ok)->click();
        });
        ShowError("The Tag T\xb0" "C already exists.");
        QCOMPARE(shown, QStringLiteral("The Tag T°C already exists."));
    }

    // Device texts are Latin-1: the one conversion carries a text whole or refuses it, naming the
    // first character it has no byte for, never a "?" in its place.
    void deviceTextsConvertWholeOrNotAtAll()
    {
        QCOMPARE(StdStr(QString::fromUtf8("S\u00FCd-\u00FF")), std::string("S\xFC" "d-\xFF"));
        const std::pair<const char *, std::string> refused[] = {{"S\u00FCd\u20AC2024", "\"\u20AC\" (U+20AC)"},
                                                                {"Pumpe-\u914D", "\"\u914D\" (U+914D)"},
                                                                {"a\U0001F600b", "\"\U0001F600\" (U+1F600)"}};
        for (const auto &[text, character] : refused) {
            const QString q = QString::fromUtf8(text);
            std::string out = "kept";
            QVERIFY(!TryStdStr(q, out));
            QCOMPARE(out, std::string("kept"));
            try {
                StdStr(q);
                QFAIL(text);
            } catch (const ENotLatin1 &e) {
                QCOMPARE(std::string(e.what()), "The text cannot contain " + character + ".");
            }
            QCOMPARE(TextRefusal(q, "Host name", TextGoal::Latin1), "The Host name cannot contain " + character + ".");
        }
        QCOMPARE(TextRefusal(QStringLiteral("a/b"), "Host name"), std::string("The Host name cannot contain \"/\" (U+002F)."));
        QCOMPARE(TextRefusal(QStringLiteral("a/b"), "Proxy", TextGoal::Latin1), std::string());
        QCOMPARE(TextRefusal(QString::fromUtf8("S\u00FCd"), "Host name"), std::string());
    }

    void allFilesListsFilesWithoutADot()
    {
        WriteFile(Path(QStringLiteral("a.htm")), "a");
        WriteFile(Path(QStringLiteral("README")), "r");
        auto *doc = qobject_cast<TMDISite *>(NewDocument(3));
        QVERIFY(doc);
        QStringList all, htm;
        QString shownFilter;
        WhenModalOf<QFileDialog>([&](QFileDialog *dlg) {
            dlg->setDirectory(dir->path());
            QTRY_VERIFY_WITH_TIMEOUT(Listed(dlg).contains(QStringLiteral("a.htm")), 10000);
            all = Listed(dlg);
            shownFilter = dlg->findChild<QComboBox *>(QStringLiteral("fileTypeCombo"))->itemText(0);
            dlg->selectNameFilter(dlg->nameFilters().at(2));
            QTRY_VERIFY_WITH_TIMEOUT(!Listed(dlg).contains(QStringLiteral("README")), 10000);
            htm = Listed(dlg);
            dlg->reject();
        });
        doc->AddFile();
        QCOMPARE(shownFilter, QStringLiteral("All Files (*.*)"));
        QCOMPARE(all, (QStringList{QStringLiteral("README"), QStringLiteral("a.htm")}));
        QCOMPARE(htm, QStringList{QStringLiteral("a.htm")});
        QCOMPARE(doc->Site->FileCount(), 0);
    }
};

QTEST_MAIN(TestFileNames)
#include "test_filenames.moc"
