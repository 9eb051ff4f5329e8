// A command that raises and nothing catches: the program's application object shows the error box
// with the failure's text and the program goes on, its windows and unsaved documents intact.
#include "Application.h"
#include "Blocking.h"
#include "ChildWin.h"
#include "FileDialog.h"
#include "GatewayModule.h"
#include "Main.h"
#include "MainFormDrive.h"
#include "QtStr.h"
#include "Site.h"
#include "SiteModule.h"
#include "UiTestSupport.h"
#include "VXTOptions.h"

#include <QAction>
#include <QElapsedTimer>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>
#include <atomic>
#include <stdexcept>
#include <sys/stat.h>

using namespace vxt;
using namespace vxt::test;

namespace {

// How the raising command is started.
enum class Delivery { Shortcut, InsideAWait, Queued };

// Texts outside Latin-1: the check a caller of StdStr forgot.
const QString kEuro = QString::fromUtf8("Tag \u20AC");
const QString kYen = QString::fromUtf8("Tag \u5186");

QString Refusal(const QString &text) { return QString::fromStdString(ENotLatin1(text).what()); }

// How one of the program's own commands is started.
enum class WayIn { Shortcut, MenuBar, Button, ButtonClickCall, Close };

// Something a command raises that is no std::exception, so no nested report of a command takes it.
struct TRaised {};

// Raises from a window's handler, for the application's last net.
class TRaisingWidget : public QWidget {
public:
    bool event(QEvent *e) override
    {
        if (e->type() == QEvent::User) throw std::runtime_error("Delivery failed");
        return QWidget::event(e);
    }
    void closeEvent(QCloseEvent *) override { throw std::runtime_error("Closing failed"); }
};

}  // namespace

Q_DECLARE_METATYPE(Delivery)
Q_DECLARE_METATYPE(WayIn)

class TestErrorReport : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir;
    TMainForm *form = nullptr;
    TMDIChild *doc = nullptr;
    QAction *command = nullptr;
    bool standard = true;   // what the command raises: ENotLatin1, or something that is no std::exception

    void Raise()
    {
        if (!standard) throw 42;
        (void)StdStr(kEuro);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dynamic_cast<TApplication *>(QCoreApplication::instance()));
        RegisterGatewayDocuments();
        RegisterSiteDocuments();
    }

    void init()
    {
        dir = std::make_unique<QTemporaryDir>();
        SetIniFileNameOverride(StdStr(dir->filePath(QStringLiteral("vxt.ini"))));
        StartMainForm(form);
        doc = form->CreateDocument(DocKind::Modbus);
        QVERIFY(doc);
        doc->Saved = false;   // unsaved work that must survive
        command = new QAction(QStringLiteral("Raise"), form);
        command->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F12));
        form->addAction(command);
        connect(command, &QAction::triggered, this, &TestErrorReport::Raise);
    }

    void cleanup()
    {
        StopMainForm(form);
        doc = nullptr;
        standard = true;
        ClearNextFileName();
        SetIniFileNameOverride("");
        dir.reset();
    }

    void raisedErrorIsShownAndTheProgramGoesOn_data()
    {
        QTest::addColumn<Delivery>("delivery");
        QTest::addColumn<bool>("isStandard");
        QTest::addColumn<QString>("text");
        QTest::newRow("shortcut") << Delivery::Shortcut << true << Refusal(kEuro);
        QTest::newRow("inside a request's wait") << Delivery::InsideAWait << true << Refusal(kEuro);
        QTest::newRow("queued") << Delivery::Queued << true << Refusal(kEuro);
        QTest::newRow("no std::exception") << Delivery::Queued << false << QStringLiteral("Unknown error.");
    }

    void raisedErrorIsShownAndTheProgramGoesOn()
    {
        QFETCH(Delivery, delivery);
        QFETCH(bool, isStandard);
        QFETCH(QString, text);
        standard = isStandard;
        MessageBoxRecorder boxes;
        switch (delivery) {
        case Delivery::Shortcut:
            QTest::keyClick(form, Qt::Key_F12, Qt::ControlModifier);
            break;
        case Delivery::InsideAWait: {
            // The command runs while a request waits; the request goes on to its own end.
            std::atomic<bool> raised{false};
            QTimer::singleShot(0, form, [&] {
                raised = true;
                command->trigger();
            });
            const int answer = RunAndWait<int>([&] {
                QElapsedTimer t;
                t.start();
                while (!raised && t.elapsed() < 5000) QThread::msleep(5);
                return 7;
            });
            QCOMPARE(answer, 7);
            break;
        }
        case Delivery::Queued:
            QMetaObject::invokeMethod(command, &QAction::trigger, Qt::QueuedConnection);
            break;
        }
        QTRY_COMPARE(boxes.Shown().size(), size_t(1));
        QCOMPARE(QString::fromStdString(boxes.Shown()[0].Text), text);
        QVERIFY(boxes.Shown()[0].Kind == MsgKind::Error);
        QCOMPARE(boxes.Shown()[0].Buttons, int(mbOK));
        QVERIFY(form->isVisible());
        QCOMPARE(form->Documents(), QList<TMDIChild *>{doc});
        QVERIFY(!doc->Saved);
        // The program still takes commands.
        QTest::keyClick(form, Qt::Key_F12, Qt::ControlModifier);
        QTRY_COMPARE(boxes.Shown().size(), size_t(2));
    }

    // An error raised while the box of another is up waits for it to close: boxes never stack, and
    // one that repeats the error on screen is not shown again. The program's own commands (Save)
    // report the same way.
    void errorWhileTheBoxIsUpComesAfterIt_data()
    {
        QTest::addColumn<bool>("save");
        QTest::newRow("raised in the event loop") << false;
        QTest::newRow("raised by File Save") << true;
    }

    void errorWhileTheBoxIsUpComesAfterIt()
    {
        QFETCH(bool, save);
        MessageBoxRecorder boxes;
        int depth = 0;
        int deepest = 0;
        if (save) {
            doc->New("noname1.vlt");
            doc->Saved = false;
            SetNextFileName(StdStr(dir->filePath(QStringLiteral("no/such/folder/x.vlt"))));   // cannot be written
        }
        boxes.OnShow = [&](const ShownBox &) {
            deepest = std::max(deepest, ++depth);
            if (boxes.Shown().size() == 1) {
                QMetaObject::invokeMethod(command, &QAction::trigger, Qt::QueuedConnection);   // the same again
                if (save)
                    QMetaObject::invokeMethod(form->FileSave, &QAction::trigger, Qt::QueuedConnection);
                else
                    QMetaObject::invokeMethod(form, [] { (void)StdStr(kYen); }, Qt::QueuedConnection);
                QCoreApplication::processEvents();
            }
            --depth;
        };
        QTest::keyClick(form, Qt::Key_F12, Qt::ControlModifier);
        QTRY_COMPARE(boxes.Shown().size(), size_t(2));
        QCOMPARE(boxes.Texts()[0], Refusal(kEuro).toStdString());
        if (!save) QCOMPARE(boxes.Texts()[1], Refusal(kYen).toStdString());
        QCOMPARE(depth, 0);
        QCOMPARE(deepest, 1);   // two boxes, one after the other
        QCOMPARE(form->Documents(), QList<TMDIChild *>{doc});
        QVERIFY(!doc->Saved);
    }

    // The program's own commands report what they raise before control returns into Qt: the box is
    // up when the input has been taken, nothing leaves the command, and the menu bar keeps working.
    void commandErrorIsReportedWhereItStarts_data()
    {
        QTest::addColumn<WayIn>("way");
        QTest::newRow("action by shortcut") << WayIn::Shortcut;
        QTest::newRow("action via the menu bar") << WayIn::MenuBar;
        QTest::newRow("button") << WayIn::Button;
        QTest::newRow("button's click()") << WayIn::ButtonClickCall;
        QTest::newRow("main window's close") << WayIn::Close;
    }

    void commandErrorIsReportedWhereItStarts()
    {
        QFETCH(WayIn, way);
        MessageBoxRecorder boxes;
        bool raise = true;
        // The first box a command shows raises, as a failing command does.
        boxes.OnShow = [&](const ShownBox &) {
            if (std::exchange(raise, false)) throw TRaised{};
        };
        QMenu *file = form->findChild<QMenu *>(QStringLiteral("mnuFile"));
        QVERIFY(file);
        QSignalSpy menuBarTriggered(form->menuBar(), &QMenuBar::triggered);
        auto pickFromMenu = [&](QAction *action) {
            form->menuBar()->setActiveAction(file->menuAction());
            QTRY_VERIFY(file->isVisible());
            QTest::mouseClick(file, Qt::LeftButton, {}, file->actionGeometry(action).center());
        };
        auto *site = static_cast<TMDISite *>(form->CreateDocument(DocKind::Site));
        QVERIFY(site);
        const std::string unknown = StdStr(dir->filePath(QStringLiteral("unknown.txt")));
        SetNextFileName(unknown);   // Open: a file of no known kind, reported in a box
        SetNextFileNames({StdStr(dir->filePath(QStringLiteral("a-name-far-too-long.htm")))});   // Add File
        bool escaped = false;
        try {
            switch (way) {
            case WayIn::Shortcut:
                QTest::keyClick(form, Qt::Key_O, Qt::ControlModifier);
                break;
            case WayIn::MenuBar:
                pickFromMenu(form->FileOpen);
                break;
            case WayIn::Button:
                QTest::mouseClick(site->btnAddFile, Qt::LeftButton);
                break;
            case WayIn::ButtonClickCall:
                site->btnAddFile->click();
                break;
            case WayIn::Close:
                site->Saved = false;
                form->close();   // asks about the unsaved documents
                break;
            }
        } catch (...) {
            escaped = true;
        }
        QVERIFY(!escaped);
        QVERIFY(!raise);
        // The box that raised, then the report of it.
        QCOMPARE(boxes.Shown().size(), size_t(2));
        QCOMPARE(boxes.Texts()[1], std::string("Unknown error."));
        QVERIFY(form->isVisible());
        QCOMPARE(DocumentCount(form), 2);
        if (way == WayIn::MenuBar) {
            // The menu bar still reports a later command.
            SetNextFileName(std::nullopt);
            pickFromMenu(form->FileOpen);
            QTRY_COMPARE(menuBarTriggered.count(), 2);
        }
    }

    // The last net shows its box once the raising event's delivery has ended, not inside it.
    void lastNetShowsItsBoxAfterTheDelivery()
    {
        MessageBoxRecorder boxes;
        TRaisingWidget w;
        QEvent e(QEvent::User);
        QCoreApplication::sendEvent(&w, &e);
        QVERIFY(boxes.Shown().empty());
        QTRY_COMPARE(boxes.Texts(), std::vector<std::string>{"Delivery failed"});
    }

    // A window whose close handler raises stays open.
    void lastNetKeepsAWindowWhoseCloseRaised()
    {
        MessageBoxRecorder boxes;
        TRaisingWidget w;
        w.show();
        QVERIFY(!w.close());
        QVERIFY(w.isVisible());
        QTRY_COMPARE(boxes.Texts(), std::vector<std::string>{"Closing failed"});
    }

    // An exchange that cannot be carried out at all is reported as such with its own reason, not as
    // a device that did not answer.
    void exchangeThatCannotStartShowsItsReason()
    {
        MessageBoxRecorder boxes;
        detail::FailNextWorkerStart(std::make_exception_ptr(std::runtime_error("No thread can be started.")));
        TPacket request, reply;
        request.SetCommand("GETDEVICE");
        QVERIFY(!form->SendHTTPServer("127.0.0.1", "", "admpost.cgi", request, reply));
        QCOMPARE(boxes.Texts(),
                 std::vector<std::string>{"The request could not be started.\r\nNo thread can be started."});
    }

    // A settings file that cannot be read leaves every request channel with the proxy it had.
    void unreadableSettingsKeepTheProxy()
    {
        MessageBoxRecorder boxes;
        SetHttpProxyEnabled(true);
        SetHttpProxyServer("proxy.example");
        SetHttpProxyPort(3128);
        TRequestChannel own;   // as the tag-list download and the monitor carry one
        form->SinchronizeOptions();
        QCOMPARE(own.SinchronizeOptions(), std::string());
        QCOMPARE(::chmod(GetIniFileName().c_str(), 0), 0);
        form->SinchronizeOptions();
        QCOMPARE(own.SinchronizeOptions(), std::string());
        for (const TRequestChannel *c : {&form->Channel, &own}) {
            QCOMPARE(c->IdHTTPRemote.Proxy.Server, std::string("proxy.example"));
            QCOMPARE(c->IdHTTPRemote.Proxy.Port, 3128);
        }
        QCOMPARE(boxes.Shown().size(), size_t(1));   // the file's problem, once
        QVERIFY(boxes.Shown()[0].Kind == MsgKind::Warning);
    }
};

int main(int argc, char **argv)
{
    TApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    TestErrorReport test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "test_error_report.moc"
