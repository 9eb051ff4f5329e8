// The rules every one-line box of the program keeps, walked over every box the program builds: the
// main window, every dialog of the start-up, and the pages of every document kind.
#include "Documents.h"
#include "EditIPAddr.h"
#include "KeyFilter.h"
#include "Main.h"
#include "MainFormDrive.h"
#include "NumFormat.h"
#include "PasteDrive.h"
#include "Program.h"

#include <QAbstractSpinBox>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QSet>
#include <QTest>

using namespace vxt;
using namespace vxt::test;

namespace {

// A box as a failure names it: its window's class and its own name.
QString Where(QLineEdit *e)
{
    const QWidget *w = e;
    while (w->parentWidget() && !w->isWindow() && !qobject_cast<const TMDIChild *>(w)) w = w->parentWidget();
    return QString::fromLatin1(w->metaObject()->className()) + QLatin1Char('.') + e->objectName();
}

// The four boxes of an address control take no Ctrl+V (the control makes them read-only for it).
bool InAddressControl(QLineEdit *e)
{
    return e->parentWidget() && qobject_cast<TEditIPAddr *>(e->parentWidget()->parentWidget());
}

// The boxes whose keys take only a number, by name (and by being a box of an address control).
bool IsNumberBox(QLineEdit *e)
{
    static const QSet<QString> names = {
        QStringLiteral("txtUnitID"),       QStringLiteral("txtAddress"),      QStringLiteral("txtBitPosition"),
        QStringLiteral("txtFileNumber"),   QStringLiteral("txtWordNumber"),   QStringLiteral("txtMinWrite"),
        QStringLiteral("txtMaxWrite"),     QStringLiteral("txtLowestAlarm"),  QStringLiteral("txtHighestAlarm"),
        QStringLiteral("txtFactorA"),      QStringLiteral("txtFactorB"),      QStringLiteral("txtValue"),
        QStringLiteral("txtPacketTout"),   QStringLiteral("txtEMailTimeout"), QStringLiteral("txtEMailRetries"),
        QStringLiteral("txtEMailInterRetries"),
    };
    return InAddressControl(e) || names.contains(e->objectName());
}

// Makes `e` take input as a user finds it: enabled, with the parts of its window enabled.
void Reach(QLineEdit *e)
{
    for (QWidget *w = e; w; w = w->parentWidget()) w->setEnabled(true);
}

enum class Way { Paste, Drop, Menu, Type };

// The edit's context menu, opened from the keyboard, and its Paste chosen.
void PasteFromMenu(QLineEdit *e, const QString &text)
{
    QApplication::clipboard()->setText(text);
    const QPoint at = e->rect().center();
    QContextMenuEvent open(QContextMenuEvent::Keyboard, at, e->mapToGlobal(at));
    QApplication::sendEvent(e, &open);
    auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
    QVERIFY(menu);
    for (QAction *a : menu->actions())
        if (a->text().startsWith(QLatin1String("&Paste"))) a->trigger();
    menu->close();
}

// `text` pasted, dropped or typed at the caret of `e`; false when `e` has no such way.
bool BringIn(QLineEdit *e, const QString &text, Way way)
{
    if (way == Way::Type) {
        for (QChar c : text) {
            Reach(e);   // a window may disable the box once it holds text
            QTest::sendKeyEvent(QTest::Click, e, Qt::Key(c.unicode()), QString(c), Qt::NoModifier);
        }
    } else if (way == Way::Paste) {
        if (InAddressControl(e)) return false;
        PasteInto(e, text, false);
    } else if (way == Way::Drop) {
        DropInto(e, text, e->inputMethodQuery(Qt::ImCursorRectangle).toRect().center());
    } else {
        // The menu's Paste is the edit's own paste, as Ctrl+V is; a masked box judges it itself.
        if (e->inputMask().isEmpty()) return false;
        PasteFromMenu(e, text);
    }
    return true;
}

// Empties `e` from code and makes it reachable (after the window's rules saw it empty).
void Fresh(QLineEdit *e)
{
    e->clear();
    Reach(e);
}

const char *Name(Way way)
{
    return way == Way::Paste ? "paste" : way == Way::Drop ? "drop" : way == Way::Menu ? "menu" : "typed";
}

// What `e`, emptied, shows once `text` came in the way `way`; null when `e` has no such way.
QString Brought(QLineEdit *e, const QString &text, Way way)
{
    Fresh(e);
    return BringIn(e, text, way) ? e->text() : QString();
}

// The decimal separator of the program for a test's while.
struct Separator {
    const char old = DecimalSeparator();
    explicit Separator(char sep) { SetDecimalSeparator(sep); }
    ~Separator() { SetDecimalSeparator(old); }
};

}  // namespace

class TestLineBoxes : public QObject {
    Q_OBJECT

    TMainForm *form = nullptr;
    QList<QLineEdit *> boxes;

private slots:
    void initTestCase()
    {
        form = StartWindows(0);
        for (DocKind kind : {DocKind::Modbus, DocKind::Hostlink, DocKind::DF1, DocKind::Site})
            QVERIFY(form->CreateDocument(kind));
        for (QLineEdit *e : form->findChildren<QLineEdit *>()) {
            if (qobject_cast<QAbstractSpinBox *>(e->parentWidget()) || qobject_cast<QComboBox *>(e->parentWidget()))
                continue;
            boxes << e;
        }
        // Main window, start-up dialogs, three configuration documents: well over ninety boxes.
        QVERIFY2(boxes.size() >= 90, qPrintable(QString::number(boxes.size())));
    }

    void cleanupTestCase()
    {
        CloseDocuments(form);
        delete form;
    }

    // A single line end closing a paste or drop is dropped; any other line break, control or format
    // character, or a character outside the Basic Multilingual Plane refuses it whole; number boxes
    // take only what their keys take.
    void everyBoxTakesTheLineRule_data()
    {
        QTest::addColumn<QString>("brought");
        QTest::addColumn<QString>("taken");   // what a text box shows; null: refused
        QTest::addColumn<bool>("numberTakes");
        QTest::newRow("plain") << u"12"_qs << u"12"_qs << true;
        QTest::newRow("closing CR LF") << u"12\r\n"_qs << u"12"_qs << true;
        QTest::newRow("closing LF") << u"12\n"_qs << u"12"_qs << true;
        QTest::newRow("closing CR") << u"12\r"_qs << u"12"_qs << true;
        QTest::newRow("two closing line ends") << u"12\r\n\r\n"_qs << QString() << false;
        QTest::newRow("line end first") << u"\n12"_qs << QString() << false;
        QTest::newRow("inner CR LF") << u"1\r\n2"_qs << QString() << false;
        QTest::newRow("inner LF") << u"1\n2"_qs << QString() << false;
        QTest::newRow("inner CR") << u"1\r2"_qs << QString() << false;
        QTest::newRow("line separator") << u"1\u20282"_qs << QString() << false;
        QTest::newRow("tab") << u"1\t2"_qs << QString() << false;
        QTest::newRow("U+0001") << u"1\u00012"_qs << QString() << false;
        QTest::newRow("zero-width space") << u"1\u200B2"_qs << QString() << false;
        QTest::newRow("BOM") << u"\uFEFF12"_qs << QString() << false;
        QTest::newRow("soft hyphen") << u"1\u00AD2"_qs << QString() << false;
        QTest::newRow("emoji") << u"1\U0001F600"_qs << QString() << false;
        QTest::newRow("letters") << u"ab"_qs << u"ab"_qs << false;
        QTest::newRow("full-width digit") << u"1\uFF12"_qs << u"1\uFF12"_qs << false;
    }

    void everyBoxTakesTheLineRule()
    {
        QFETCH(QString, brought);
        QFETCH(QString, taken);
        QFETCH(bool, numberTakes);
        QStringList wrong;
        for (QLineEdit *e : std::as_const(boxes)) {
            for (Way way : {Way::Paste, Way::Drop, Way::Menu}) {
                // In front of a typed "1" where the limit leaves room: what comes in may begin
                // like the text behind it.
                Fresh(e);
                if (TypingLimit(e) == 0 || TypingLimit(e) > 2) {
                    QTest::keyClick(e, '1');
                    Reach(e);
                    e->cursorBackward(false);
                }
                const QString before = e->text();
                const int at = e->cursorPosition();
                if (!BringIn(e, brought, way)) continue;
                QString expected = before;
                if (IsNumberBox(e) ? numberTakes : !taken.isNull()) {
                    const QString t = e->objectName() == u"txtTagName"_qs ? taken.toUpper() : taken;
                    // A masked box's positions take what comes in over what they held.
                    if (e->inputMask().isEmpty()) expected.insert(at, t);
                    else expected.replace(at, t.size(), t);
                }
                if (e->text() != expected)
                    wrong << QStringLiteral("%1 (%2): \"%3\"").arg(Where(e), QLatin1String(Name(way)), e->text());
            }
        }
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(u"; "_qs)));
    }

    // The digits of Arabic and Persian keyboards are the ASCII digits in every number box, and the
    // Arabic decimal separator is the program's own where a box takes a fraction, typed, pasted or
    // dropped alike: the box shows what the ASCII text shows. Text boxes keep them as they come.
    void everyNumberBoxTakesArabicDigits_data()
    {
        QTest::addColumn<QString>("brought");
        QTest::addColumn<QString>("ascii");
        QTest::addColumn<char>("separator");
        QTest::addColumn<int>("numberBoxesTaking");   // at least; -1: every one
        QTest::newRow("Arabic-Indic digits") << u"\u0661\u0669"_qs << u"19"_qs << '.' << -1;
        QTest::newRow("Persian digits") << u"\u06F0\u06F7"_qs << u"07"_qs << '.' << -1;
        QTest::newRow("Arabic point") << u"\u0663\u066B"_qs << u"3."_qs << '.' << 18;
        QTest::newRow("Arabic point, comma separator") << u"\u066B\u06F5"_qs << u",5"_qs << ',' << 18;
    }

    void everyNumberBoxTakesArabicDigits()
    {
        QFETCH(QString, brought);
        QFETCH(QString, ascii);
        QFETCH(char, separator);
        QFETCH(int, numberBoxesTaking);
        const Separator sep(separator);
        QStringList wrong;
        int numberBoxes = 0, taking = 0;
        for (QLineEdit *e : std::as_const(boxes)) {
            const bool number = IsNumberBox(e);
            numberBoxes += number;
            bool took = false;
            for (Way way : {Way::Type, Way::Paste, Way::Drop, Way::Menu}) {
                const QString shown = Brought(e, brought, way);
                if (shown.isNull()) continue;
                const QString expected = number ? Brought(e, ascii, way) : Brought(e, QString(), way) + brought;
                took = took || (number && expected != Brought(e, QString(), way));
                if (shown != expected)
                    wrong << QStringLiteral("%1 (%2): \"%3\"").arg(Where(e), QLatin1String(Name(way)), shown);
            }
            taking += took;
        }
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(u"; "_qs)));
        QVERIFY2(taking >= (numberBoxesTaking < 0 ? numberBoxes : numberBoxesTaking), qPrintable(QString::number(taking)));
    }

    // Every limit stops typing and refuses a longer paste or drop whole, and cuts no value set from
    // code. The limits are the ones each box's window names.
    void everyLimitStopsTypingOnly()
    {
        const QStringList expected = {
            u"vxt::TMDIDF1Config.txtEMailInterRetries=3"_qs, u"vxt::TMDIDF1Config.txtEMailRetries=2"_qs,
            u"vxt::TMDIDF1Config.txtEMailSender=50"_qs, u"vxt::TMDIDF1Config.txtEMailServer=49"_qs,
            u"vxt::TMDIDF1Config.txtEMailTimeout=3"_qs, u"vxt::TMDIDF1Config.txtPass1=49"_qs,
            u"vxt::TMDIDF1Config.txtPass2=49"_qs, u"vxt::TMDIDF1Config.txtUser=49"_qs,
            u"vxt::TMDIHostlinkConfig.txtEMailInterRetries=3"_qs, u"vxt::TMDIHostlinkConfig.txtEMailRetries=2"_qs,
            u"vxt::TMDIHostlinkConfig.txtEMailSender=50"_qs, u"vxt::TMDIHostlinkConfig.txtEMailServer=49"_qs,
            u"vxt::TMDIHostlinkConfig.txtEMailTimeout=3"_qs, u"vxt::TMDIHostlinkConfig.txtPass1=49"_qs,
            u"vxt::TMDIHostlinkConfig.txtPass2=49"_qs, u"vxt::TMDIHostlinkConfig.txtUser=49"_qs,
            u"vxt::TMDIModbusConfig.txtEMailInterRetries=3"_qs, u"vxt::TMDIModbusConfig.txtEMailRetries=2"_qs,
            u"vxt::TMDIModbusConfig.txtEMailSender=50"_qs, u"vxt::TMDIModbusConfig.txtEMailServer=49"_qs,
            u"vxt::TMDIModbusConfig.txtEMailTimeout=3"_qs, u"vxt::TMDIModbusConfig.txtPacketTout=2"_qs,
            u"vxt::TMDIModbusConfig.txtPass1=20"_qs, u"vxt::TMDIModbusConfig.txtPass2=20"_qs,
            u"vxt::TMDIModbusConfig.txtUser=49"_qs,
            u"vxt::TfrmDF1Tags.txtBitPosition=2"_qs, u"vxt::TfrmDF1Tags.txtFileNumber=5"_qs,
            u"vxt::TfrmDF1Tags.txtTagName=15"_qs, u"vxt::TfrmDF1Tags.txtWordNumber=5"_qs,
            u"vxt::TfrmEmail.txtEMail=50"_qs,
            u"vxt::TfrmHostlinkTags.txtAddress=4"_qs, u"vxt::TfrmHostlinkTags.txtBitPosition=2"_qs,
            u"vxt::TfrmHostlinkTags.txtTagName=15"_qs, u"vxt::TfrmHostlinkTags.txtUnitID=2"_qs,
            u"vxt::TfrmInputInteger.txtValue=8"_qs,
            u"vxt::TfrmModbusTags.txtBitPosition=2"_qs, u"vxt::TfrmModbusTags.txtTagName=15"_qs,
            u"vxt::TfrmModbusTags.txtUnitID=3"_qs,
            u"vxt::TfrmOptions.txtFTPProxyPort=5"_qs, u"vxt::TfrmOptions.txtHTTPProxyPort=5"_qs,
            u"vxt::TfrmPassword.txtPassword=20"_qs,
            u"vxt::TfrmProperties.txtAdminPassword=20"_qs, u"vxt::TfrmProperties.txtAdminRetypePassword=20"_qs,
            u"vxt::TfrmProperties.txtHostname=20"_qs, u"vxt::TfrmProperties.txtRead=15"_qs,
            u"vxt::TfrmProperties.txtTrap=15"_qs, u"vxt::TfrmProperties.txtUserPassword=20"_qs,
            u"vxt::TfrmProperties.txtUserRetypePassword=20"_qs, u"vxt::TfrmProperties.txtUsername=20"_qs,
            u"vxt::TfrmProperties.txtWrite=15"_qs, u"vxt::TfrmWriteValue.txtValue=12"_qs,
        };
        QStringList limited, wrong;
        int addressBoxes = 0;
        for (QLineEdit *e : std::as_const(boxes)) {
            const int limit = TypingLimit(e);
            if (InAddressControl(e)) {
                addressBoxes += limit == 3;
                if (limit != 3) wrong << Where(e) + u" limit"_qs;
            } else if (limit > 0) {
                limited << QStringLiteral("%1=%2").arg(Where(e)).arg(limit);
            }
            if (limit == 0) continue;
            // The longer value's digits differ, so that what is typed over a part of it shows as such.
            const QString full(limit, u'1'), longer = u"1234567890"_qs.repeated(limit / 10 + 2).left(limit + 3);
            Fresh(e);
            e->setText(longer);
            if (e->text() != longer) wrong << Where(e) + u" set from code: "_qs + e->text();
            // Such a value may be shortened; what is typed or pasted over a part of it must fit.
            Reach(e);
            e->setSelection(0, 2);
            QTest::keyClick(e, '9');
            if (e->text() != longer) wrong << Where(e) + u" typed over a longer value: "_qs + e->text();
            Reach(e);
            e->end(false);
            QTest::keyClick(e, Qt::Key_Backspace);
            // (An address box turns what is past 255 into 255 as it is edited.)
            if (!InAddressControl(e) && e->text() != longer.chopped(1)) wrong << Where(e) + u" shortened: "_qs + e->text();
            for (Way way : {Way::Paste, Way::Menu}) {
                Fresh(e);
                e->setText(longer);
                Reach(e);
                e->selectAll();
                if (BringIn(e, full + u'1', way) && e->text() != longer)
                    wrong << Where(e) + u" longer value, "_qs + QLatin1String(Name(way)) + e->text();
            }
            Fresh(e);
            for (QChar c : full + u'1') {
                Reach(e);   // a window may disable the box once it holds text
                QTest::keyClick(e, c.toLatin1());
            }
            if (e->text() != full) wrong << Where(e) + u" typed: "_qs + e->text();
            for (Way way : {Way::Paste, Way::Drop}) {
                Fresh(e);
                if (!BringIn(e, full + u'1', way)) continue;
                if (!e->text().isEmpty()) wrong << Where(e) + u" longer "_qs + QLatin1String(Name(way)) + e->text();
                BringIn(e, full, way);
                if (e->text() != full) wrong << Where(e) + u" full "_qs + QLatin1String(Name(way)) + e->text();
            }
        }
        limited.sort();
        QCOMPARE(limited, expected);
        QCOMPARE(addressBoxes, 6 * 4);
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(u"; "_qs)));
    }
};

QTEST_MAIN(TestLineBoxes)
#include "test_lineboxes.moc"
