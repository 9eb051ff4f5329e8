// A command that raises and nothing catches: the program's application object shows the error box
// with the failure's text and the program goes on, its windows and unsaved documents intact.
#include "Application.h"
#include "Blocking.h"
#include "ChildWin.h"
#include "GatewayModule.h"
#include "Main.h"
#include "MainFormDrive.h"
#include "QtStr.h"
#include "UiTestSupport.h"
#include "VXTOptions.h"

#include <QAction>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>
#include <atomic>

using namespace vxt;
using namespace vxt::test;

namespace {

// How the raising command is started.
enum class Delivery { Shortcut, InsideAWait, Queued };

// Texts outside Latin-1: the check a caller of StdStr forgot.
const QString kEuro = QString::fromUtf8("Tag \u20AC");
const QString kYen = QString::fromUtf8("Tag \u5186");

QString Refusal(const QString &text) { return QString::fromStdString(ENotLatin1(text).what()); }

}  // namespace

Q_DECLARE_METATYPE(Delivery)

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
    // one that repeats the error on screen is not shown again.
    void errorWhileTheBoxIsUpComesAfterIt()
    {
        MessageBoxRecorder boxes;
        int depth = 0;
        int deepest = 0;
        boxes.OnShow = [&](const ShownBox &) {
            deepest = std::max(deepest, ++depth);
            if (boxes.Shown().size() == 1) {
                QMetaObject::invokeMethod(command, &QAction::trigger, Qt::QueuedConnection);   // the same again
                QMetaObject::invokeMethod(form, [] { (void)StdStr(kYen); }, Qt::QueuedConnection);
                QCoreApplication::processEvents();
            }
            --depth;
        };
        QTest::keyClick(form, Qt::Key_F12, Qt::ControlModifier);
        QTRY_COMPARE(boxes.Texts(), (std::vector<std::string>{Refusal(kEuro).toStdString(), Refusal(kYen).toStdString()}));
        QCOMPARE(depth, 0);
        QCOMPARE(deepest, 1);   // two boxes, one after the other
        QCOMPARE(form->Documents(), QList<TMDIChild *>{doc});
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
