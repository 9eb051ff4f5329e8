// The main window's frame: action states, captions, the modified mark, closing documents.
#include "ChildWin.h"
#include "Documents.h"
#include "FileDialog.h"
#include "Main.h"
#include "UiTestSupport.h"

#include <QAction>
#include <QLabel>
#include <QMdiArea>
#include <QMenuBar>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QToolBar>
#include <QtTest>

using namespace vxt;
using namespace vxt::test;

namespace {

// A document that keeps its content in memory; stands in for the real kinds.
class TTestDoc : public TMDIChild {
public:
    TTestDoc() { setWidget(new QWidget); resize(200, 120); }
    void New(const std::string &fileName) override
    {
        FileName = fileName;
        SetCaption(fileName);
    }
    void Open(const std::string &fileName) override
    {
        FileName = fileName;
        Named = true;
        SetCaption(fileName);
    }
    void OpenContent(const std::string &fileName, const std::string &) override { Open(fileName); }
    bool GetFromVelto(const TDeviceData &) override { return false; }
    bool UpdateFile() override
    {
        ++writes;
        Saved = true;
        return true;
    }
    bool SaveAs() override
    {
        std::optional<std::string> name = dlgSaveFileExecute("Test (*.tst)|*.tst", "tst");
        if (!name) return false;
        FileName = *name;
        Named = true;
        return UpdateFile();
    }
    bool SendToVelto(const TDeviceData &) override { return false; }
    bool TagsPageActive() const override { return tagsPage; }
    bool HasSelectedItem() const override { return selected; }

    int writes = 0;
    bool tagsPage = false;
    bool selected = false;
};

class TSiteTestDoc : public TTestDoc {};
class TDerivedDoc : public TTestDoc {};

}  // namespace

class TestMainForm : public QObject {
    Q_OBJECT
private:
    TMainForm *form = nullptr;

    TTestDoc *NewDoc(const std::string &name, DocKind kind = DocKind::Modbus)
    {
        auto *d = static_cast<TTestDoc *>(form->CreateDocument(kind));
        d->New(name);
        form->UpdateActions();
        return d;
    }
    QAction *Act(const char *name) { return form->findChild<QAction *>(QString::fromLatin1(name)); }

private slots:
    void initTestCase()
    {
        RegisterDocumentClass({DocKind::Modbus, typeid(TTestDoc), []() { return new TTestDoc; }, ".vlt"});
        RegisterDocumentClass({DocKind::Site, typeid(TSiteTestDoc), []() { return new TSiteTestDoc; }, ".kws"});
        RegisterDocumentClass({DocKind::Hostlink, typeid(TDerivedDoc), []() { return new TDerivedDoc; }, ".vlt"});
    }

    void init()
    {
        form = new TMainForm;
        form->resize(900, 600);
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form));
    }

    void cleanup()
    {
        for (TMDIChild *d : form->Documents()) d->Saved = true;
        delete form;
        form = nullptr;
    }

    void noDocumentNotConnected()
    {
        form->UpdateActions();
        QCOMPARE(form->windowTitle(), QStringLiteral("VXT - [] - Not Connected"));
        QCOMPARE(form->StatusPanel1->text(), QStringLiteral("Not Connected"));
        for (const char *n : {"FileSave", "FileSaveAs", "FileClose", "ConfigurationAddTag", "ConfigurationEditTag",
                              "ConfigurationRemoveTag", "ConfigurationSendToVelto", "WebSiteAddFile",
                              "WebSiteExtractFile", "WebSiteViewFile", "WebSiteRemoveFile", "WebSiteSendToVelto",
                              "ConfigurationGetFromVelto", "WebSiteGetFromVelto", "ToolsTagMonitor",
                              "DevicesProperties", "DevicesConnect", "WindowCascade", "WindowMinimizeAll"})
            QVERIFY2(!Act(n)->isEnabled(), n);
        for (const char *n : {"FileNew", "FileOpen", "FileExit", "DevicesSearchLocal", "DevicesSearchRemote",
                              "ToolsOptions", "ToolsAbout"})
            QVERIFY2(Act(n)->isEnabled(), n);
    }

    void actionsCarryCaptionsHintsAndKeys()
    {
        QCOMPARE(Act("FileOpen")->text(), QStringLiteral("&Open..."));
        QCOMPARE(Act("FileOpen")->shortcut(), QKeySequence(QStringLiteral("Ctrl+O")));
        QCOMPARE(Act("FileExit")->shortcut(), QKeySequence(QStringLiteral("Ctrl+X")));
        QCOMPARE(Act("FileSave")->shortcut(), QKeySequence(QStringLiteral("Ctrl+S")));
        QCOMPARE(Act("mnuDevicesSearchLocal")->shortcut(), QKeySequence(QStringLiteral("Ctrl+L")));
        QCOMPARE(Act("ToolsTagMonitor")->statusTip(), QStringLiteral("Monitor a Tag Value from Connected Velto"));
        QCOMPARE(Act("DevicesConnect")->text(), QStringLiteral("Co&nnect..."));
        QVERIFY(Act("DevicesConnect")->isCheckable());
        // Every action with an image shows a distinct icon.
        QSet<qint64> keys;
        int withImage = 0;
        for (QAction *a : form->findChildren<QAction *>()) {
            if (a->icon().isNull() || a->objectName().startsWith(QStringLiteral("mnu"))) continue;
            ++withImage;
            const QImage img = a->icon().pixmap(16, 16).toImage();
            keys.insert(qint64(qHashBits(img.constBits(), size_t(img.sizeInBytes()))));
        }
        QCOMPARE(withImage, 22);
        QCOMPARE(keys.size(), 22);
        // The main menu and the toolbar in their order.
        QStringList menus;
        for (QAction *m : form->menuBar()->actions()) menus << m->text();
        QCOMPARE(menus, (QStringList{"&File", "&Devices", "&Configuration", "Web &Site", "&Tools", "&Window"}));
        QStringList bar;
        for (QAction *a : form->ToolBar->actions()) bar << (a->isSeparator() ? QStringLiteral("|") : a->objectName());
        QCOMPARE(bar.join(QLatin1Char(' ')),
                 QStringLiteral("FileNew FileOpen FileSave | DevicesSearchLocal DevicesProperties DevicesConnect | "
                                "ConfigurationAddTag ConfigurationEditTag ConfigurationRemoveTag "
                                "ConfigurationSendToVelto ConfigurationGetFromVelto | WebSiteAddFile "
                                "WebSiteExtractFile WebSiteViewFile WebSiteRemoveFile WebSiteSendToVelto "
                                "WebSiteGetFromVelto"));
        QStringList pop;
        for (QAction *a : form->pupDevices->actions()) pop << (a->isSeparator() ? QStringLiteral("|") : a->objectName());
        QCOMPARE(pop.join(QLatin1Char(' ')),
                 QStringLiteral("DevicesSearchLocal DevicesSearchRemote | DevicesProperties DevicesConnect"));
    }

    void deviceListColumnsAndHiddenValues()
    {
        QTableWidget *list = form->lstDevices;
        QCOMPARE(list->columnCount(), 9);
        const QStringList captions{"Device", "Host", "MAC", "Version", "DHCP", "IP Address", "Netmask", "Gateway",
                                   "Remote IP/Host"};
        const int widths[] = {140, 120, 104, 50, 50, 95, 95, 95, 95};
        for (int c = 0; c < 9; ++c) {
            QCOMPARE(list->horizontalHeaderItem(c)->text(), captions[c]);
            QCOMPARE(list->columnWidth(c), widths[c]);
        }
        list->setRowCount(1);
        form->SetRow(0, "Velto-10-MB", {"dev", "00-11-22-33-44-55", "2.0.4-SN", "Yes", "10.0.0.2", "255.0.0.0",
                                        "10.0.0.1", "", "1", "1", "0"});
        QCOMPARE(form->RowCaption(0), std::string("Velto-10-MB"));
        QCOMPARE(form->RowSubItem(0, 1), std::string("00-11-22-33-44-55"));
        QCOMPARE(form->RowSubItem(0, 7), std::string(""));
        QCOMPARE(form->RowSubItem(0, 8), std::string("1"));
        QCOMPARE(form->RowSubItem(0, 10), std::string("0"));
        QCOMPARE(list->item(0, 2)->textAlignment() & Qt::AlignHorizontal_Mask, int(Qt::AlignHCenter));
        QCOMPARE(list->item(0, 8)->textAlignment() & Qt::AlignHorizontal_Mask, int(Qt::AlignLeft));
    }

    void selectionDrivesPropertiesAndConnect()
    {
        form->lstDevices->setRowCount(1);
        form->SetRow(0, "Velto-10-MB", {"dev", "00-11-22-33-44-55", "2.0.4-SN", "Yes", "10.0.0.2", "", "", "", "1",
                                        "1", "0"});
        form->UpdateActions();
        QVERIFY(!Act("DevicesConnect")->isEnabled());
        QCOMPARE(Act("DevicesProperties")->text(), QStringLiteral("&Properties..."));
        form->lstDevices->selectRow(0);
        form->UpdateActions();
        QVERIFY(Act("DevicesProperties")->isEnabled());
        QVERIFY(Act("DevicesConnect")->isEnabled());
        QCOMPARE(Act("DevicesProperties")->text(), QStringLiteral("&Properties of Velto-10-MB/00-11-22-33-44-55..."));
        QCOMPARE(Act("DevicesProperties")->statusTip(),
                 QStringLiteral("Edit Properties of Velto-10-MB/00-11-22-33-44-55"));
        form->lstDevices->clearSelection();
        // A connected device can be disconnected without a selection.
        Act("DevicesConnect")->setChecked(true);
        form->UpdateActions();
        QVERIFY(Act("DevicesConnect")->isEnabled());
        QVERIFY(!Act("DevicesProperties")->isEnabled());
        Act("DevicesConnect")->setChecked(false);
    }

    void connectedStateAndDocumentRules()
    {
        form->Connected = true;
        form->ConnectedDevice.Device = "Velto-10-MB";
        form->ConnectedDevice.MAC = "00-11-22-33-44-55";
        form->UpdateActions();
        QCOMPARE(form->StatusPanel1->text(), QStringLiteral("Connected To: Velto-10-MB/00-11-22-33-44-55"));
        QCOMPARE(form->windowTitle(), QStringLiteral("VXT - [] - Velto-10-MB/00-11-22-33-44-55"));
        for (const char *n : {"ConfigurationGetFromVelto", "WebSiteGetFromVelto", "ToolsTagMonitor"})
            QVERIFY2(Act(n)->isEnabled(), n);
        QVERIFY(!Act("ConfigurationSendToVelto")->isEnabled());

        TTestDoc *cfg = NewDoc("/tmp/a.vlt");
        QCOMPARE(form->windowTitle(), QStringLiteral("VXT - [/tmp/a.vlt] - Velto-10-MB/00-11-22-33-44-55"));
        QVERIFY(Act("ConfigurationSendToVelto")->isEnabled());
        QVERIFY(!Act("WebSiteSendToVelto")->isEnabled());
        QVERIFY(!Act("WebSiteAddFile")->isEnabled());
        // Tag commands need the tag page, then a selected row.
        cfg->selected = true;
        form->UpdateActions();
        QVERIFY(!Act("ConfigurationAddTag")->isEnabled());
        QVERIFY(!Act("ConfigurationEditTag")->isEnabled());
        cfg->tagsPage = true;
        form->UpdateActions();
        QVERIFY(Act("ConfigurationAddTag")->isEnabled());
        QVERIFY(Act("ConfigurationEditTag")->isEnabled());
        QVERIFY(Act("ConfigurationRemoveTag")->isEnabled());
        cfg->selected = false;
        form->UpdateActions();
        QVERIFY(Act("ConfigurationAddTag")->isEnabled());
        QVERIFY(!Act("ConfigurationRemoveTag")->isEnabled());

        TTestDoc *site = NewDoc("/tmp/s.kws", DocKind::Site);
        QVERIFY(Act("WebSiteSendToVelto")->isEnabled());
        QVERIFY(Act("WebSiteAddFile")->isEnabled());
        QVERIFY(!Act("WebSiteViewFile")->isEnabled());
        QVERIFY(!Act("ConfigurationSendToVelto")->isEnabled());
        QVERIFY(!Act("ConfigurationAddTag")->isEnabled());
        site->selected = true;
        form->UpdateActions();
        QVERIFY(Act("WebSiteViewFile")->isEnabled());
        QVERIFY(Act("WebSiteRemoveFile")->isEnabled());

        // A class derived from a document kind is none of the kinds.
        TTestDoc *derived = NewDoc("/tmp/d.vlt", DocKind::Hostlink);
        derived->tagsPage = true;
        RegisterDocumentClass({DocKind::Hostlink, typeid(int), []() { return new TDerivedDoc; }, ".vlt"});
        form->UpdateActions();
        QVERIFY(!Act("ConfigurationSendToVelto")->isEnabled());
        QVERIFY(!Act("ConfigurationAddTag")->isEnabled());
        RegisterDocumentClass({DocKind::Hostlink, typeid(TDerivedDoc), []() { return new TDerivedDoc; }, ".vlt"});
        form->Connected = false;
    }

    void modifiedMarkFollowsTheActiveDocument()
    {
        TTestDoc *a = NewDoc("/tmp/one.vlt");
        TTestDoc *b = NewDoc("/tmp/two.vlt");
        QCOMPARE(form->ActiveDocument(), b);
        a->Saved = false;
        form->UpdateActions();
        QCOMPARE(a->windowTitle(), QStringLiteral("/tmp/one.vlt"));   // not the active one: no mark yet
        form->MDIArea->setActiveSubWindow(a);
        form->UpdateActions();
        QCOMPARE(a->windowTitle(), QStringLiteral("/tmp/one.vlt*"));
        a->Saved = true;
        form->UpdateActions();
        QCOMPARE(a->windowTitle(), QStringLiteral("/tmp/one.vlt"));
        QVERIFY(Act("WindowCascade")->isEnabled());
    }

    void closeQuestionAnswers()
    {
        MessageBoxRecorder boxes;
        QTemporaryDir dir;
        TTestDoc *d = NewDoc(dir.filePath(QStringLiteral("noname1.vlt")).toStdString());
        d->Saved = false;

        // Cancel keeps it open.
        boxes.Answer(MsgResult::Cancel);
        form->FileCloseExecute();
        QCOMPARE(form->Documents().size(), 1);
        QCOMPARE(boxes.Shown().back().Text, std::string("File \"noname1.vlt\" has Changed. Save this file?"));
        QCOMPARE(boxes.Shown().back().Kind, MsgKind::Confirmation);
        QCOMPARE(boxes.Shown().back().Buttons, int(mbYesNoCancel));

        // Yes on a new document opens the save dialog; cancelling it keeps the document open and modified.
        boxes.Answer(MsgResult::Yes);
        SetNextFileName(std::nullopt);
        form->FileCloseExecute();
        QCOMPARE(form->Documents().size(), 1);
        QVERIFY(!d->Saved);

        // Yes with a name saves and closes.
        boxes.Answer(MsgResult::Yes);
        const std::string target = dir.filePath(QStringLiteral("saved.tst")).toStdString();
        SetNextFileName(target);
        QPointer<TTestDoc> guard(d);
        form->FileCloseExecute();
        QTRY_VERIFY(guard.isNull());
        QCOMPARE(boxes.Shown().size(), size_t(3));

        // A named document shows its whole path; No closes without saving.
        TTestDoc *n = NewDoc("x");
        n->Open("/data/plant/line1.vlt");
        n->Saved = false;
        boxes.Answer(MsgResult::No);
        QPointer<TTestDoc> g2(n);
        form->FileCloseExecute();
        QTRY_VERIFY(g2.isNull());
        QCOMPARE(boxes.Shown().back().Text, std::string("File \"/data/plant/line1.vlt\" has Changed. Save this file?"));
    }

    void saveCommandsUseTheDocument()
    {
        TTestDoc *d = NewDoc("/tmp/x.vlt");
        d->Named = true;
        form->FileSaveExecute();
        QCOMPARE(d->writes, 1);
        SetNextFileName(std::nullopt);
        form->FileSaveAsExecute();
        QCOMPARE(d->writes, 1);
        SetNextFileName(std::string("/tmp/vxt-test-saveas.tst"));
        form->FileSaveAsExecute();
        QCOMPARE(d->writes, 2);
        QCOMPARE(d->FileName, std::string("/tmp/vxt-test-saveas.tst"));
    }

    void exitAsksOncePerModifiedDocument()
    {
        MessageBoxRecorder boxes;
        TTestDoc *a = NewDoc("/tmp/a.vlt");
        TTestDoc *b = NewDoc("/tmp/b.vlt");
        NewDoc("/tmp/clean.vlt");
        a->Saved = false;
        b->Saved = false;
        // No on the first, Cancel on the second: nothing closes, the program goes on.
        boxes.Answer(MsgResult::No);
        boxes.Answer(MsgResult::Cancel);
        form->FileExitExecute();
        QCOMPARE(boxes.Shown().size(), size_t(2));
        QCOMPARE(form->Documents().size(), 3);
        QVERIFY(form->isVisible());

        boxes.Clear();
        boxes.Answer(MsgResult::No);
        boxes.Answer(MsgResult::No);
        form->FileExitExecute();
        QCOMPARE(boxes.Shown().size(), size_t(2));
        QTRY_COMPARE(form->Documents().size(), 0);
        QVERIFY(!form->isVisible());
    }

    void openRefusesUnknownFiles()
    {
        MessageBoxRecorder boxes;
        form->OpenFile("/nonexistent/file.vlt");
        QCOMPARE(boxes.Texts(),
                 (std::vector<std::string>{"The File \"/nonexistent/file.vlt\" is not recognized as a valid file"}));
        QCOMPARE(boxes.Shown()[0].Kind, MsgKind::Error);
        QCOMPARE(form->Documents().size(), 0);
    }
};

QTEST_MAIN(TestMainForm)
#include "test_mainform.moc"
