// The IP address control: its address routines and messages, the Text property, IsValidHost, and
// the typing, mouse and focus rules, driven through the real boxes.
#include "EditIPAddr.h"
#include "KeyFilter.h"
#include "PasteDrive.h"

#include <QApplication>
#include <QClipboard>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>
#include <functional>

using namespace vxt;

namespace {

// The message of the EIPAddressError that `f` raises; a failure when it raises nothing.
std::string ErrorOf(const std::function<void()> &f)
{
    try {
        f();
    } catch (const EIPAddressError &e) {
        return e.what();
    }
    return "(no error)";
}

// Types into whatever widget has the focus, key by key, as a user does.
void Type(const QString &keys)
{
    for (QChar c : keys) QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
}

}  // namespace

class TestEditIPAddr : public QObject {
    Q_OBJECT

    QWidget *host = nullptr;
    QLineEdit *before = nullptr;   // a widget before the control in the tab order
    TEditIPAddr *ip = nullptr;
    QLineEdit *after = nullptr;

    QLineEdit *Box(int i) { return ip->Box(i); }

private slots:
    void init()
    {
        host = new QWidget;
        auto *lay = new QVBoxLayout(host);
        before = new QLineEdit(host);
        ip = new TEditIPAddr(host);
        after = new QLineEdit(host);
        lay->addWidget(before);
        lay->addWidget(ip);
        lay->addWidget(after);
        host->show();
        host->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(host));
        before->setFocus();
    }

    void cleanup()
    {
        delete host;
        host = nullptr;
    }

    // ---- address routines ---------------------------------------------------------------

    void tokensAndCharacters()
    {
        QCOMPARE(GetToken("10.20.30.40", 1, '.'), std::string("10"));
        QCOMPARE(GetToken("10.20.30.40", 3, '.'), std::string("30"));
        QCOMPARE(GetToken("10.20.30.40", 4, '.'), std::string("40"));
        QCOMPARE(GetToken("10.20.30.40", 5, '.'), std::string());
        QCOMPARE(GetToken("10..30", 2, '.'), std::string());
        QCOMPARE(GetToken("abc", 0, '.'), std::string());
        QCOMPARE(CountChar("1.2.3.4", '.'), 3);
        QCOMPARE(CountChar("", '.'), 0);
        QCOMPARE(StripChars("1.2-3 4", ".- "), std::string("1234"));
        QVERIFY(IsAllDigits("0123456789"));
        QVERIFY(!IsAllDigits("12a"));
        QVERIFY(!IsAllDigits("1 2"));
    }

    void tripletsOfValidAddresses()
    {
        QCOMPARE(IPToTriplets("10.0.0.1"), std::string("010000000001"));
        QCOMPARE(IPToTriplets("192.168.100.255"), std::string("192168100255"));
        ValidateIPAddress("0.0.0.0");
        ValidateIPAddress("255.255.255.255");
        QCOMPARE(int(GetOctet("192.168.1.20", 1)), 192);
        QCOMPARE(int(GetOctet("192.168.1.20", 2)), 168);
        QCOMPARE(int(GetOctet("192.168.1.20", 3)), 1);
        QCOMPARE(int(GetOctet("192.168.1.20", 4)), 20);
        QCOMPARE(int(GetOctet("192.168.1.20", 0)), 0);
        QCOMPARE(int(GetOctet("192.168.1.20", 5)), 0);
    }

    void addressMessages()
    {
        QCOMPARE(ErrorOf([] { IPToTriplets("1234567890.23456"); }),
                 std::string("Illegal length for IPString![1234567890.23456(16)]"));
        QCOMPARE(ErrorOf([] { IPToTriplets("1.2.3"); }), std::string("Must include exactly 3 dots! [1.2.3]"));
        QCOMPARE(ErrorOf([] { IPToTriplets("1.2.3.4.5"); }), std::string("Must include exactly 3 dots! [1.2.3.4.5]"));
        QCOMPARE(ErrorOf([] { IPToTriplets("1..2.3"); }),
                 std::string("IPAddress must include 4 pieces of length 1..3. IPAddressString[1..2.3]"));
        QCOMPARE(ErrorOf([] { IPToTriplets("1.2.3.1234"); }),
                 std::string("IPAddress must include 4 pieces of length 1..3. IPAddressString[1.2.3.1234]"));
        QCOMPARE(ErrorOf([] { IPToTriplets("10.0.0.01"); }),
                 std::string("Leading zero not allowed. IPAddressString[10.0.0.01]"));
        QCOMPARE(ErrorOf([] { CheckTriplets("0101", "1.1"); }),
                 std::string("Illegal length for IPString![1.1 (Length:4) ]"));
        QCOMPARE(ErrorOf([] { ValidateIPAddress("1.a.2.3"); }),
                 std::string("IP Address contains illegal symbols. IPAddressString[1.a.2.3]"));
        QCOMPARE(ErrorOf([] { ValidateIPAddress("10.0.0.256"); }),
                 std::string("Triplets must be of range 0..255  IPAddressString[10.0.0.256]"));
        QCOMPARE(ErrorOf([] { GetOctet("300.1.1.1", 2); }),
                 std::string("Triplets must be of range 0..255  IPAddressString[300.1.1.1]"));
        // The errors are runtime errors, so the general error report shows their text.
        try {
            ValidateIPAddress("x");
            QFAIL("no error");
        } catch (const std::runtime_error &e) {
            QCOMPARE(std::string(e.what()), std::string("Must include exactly 3 dots! [x]"));
        }
    }

    // ---- layout -------------------------------------------------------------------------

    void layoutOfTheBoxes()
    {
        TEditIPAddr fresh;
        QCOMPARE(fresh.size(), QSize(100, 21));
        QCOMPARE(fresh.sizeHint(), QSize(100, 21));
        QCOMPARE(fresh.Panel()->geometry(), QRect(0, 0, 100, 21));
        const int boxX[] = {1, 25, 49, 73};
        for (int i = 0; i < 4; ++i) {
            QLineEdit *b = fresh.Box(i);
            QCOMPARE(b->parentWidget(), static_cast<QWidget *>(fresh.Panel()));
            QCOMPARE(b->x(), boxX[i]);
            QCOMPARE(b->width(), 21);
            QCOMPARE(TypingLimit(b), 3);
            QVERIFY(!b->hasFrame());
            QCOMPARE(b->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
            QCOMPARE(b->property("tag").toInt(), i);
            QCOMPARE(bool(b->focusPolicy() & Qt::TabFocus), i == 0);   // only box 0 is a tab stop
            // Three digits fit without scrolling (2 pixels each side, 1 for the caret).
            QVERIFY(b->fontMetrics().horizontalAdvance(QStringLiteral("888")) + 5 <= b->width());
        }
        const int dotX[] = {22, 46, 70};
        for (int i = 0; i < 3; ++i) {
            QLabel *d = fresh.Dot(i);
            QCOMPARE(d->text(), QStringLiteral("."));
            QCOMPARE(d->x(), dotX[i]);
            QCOMPARE(d->width(), 3);
            QCOMPARE(d->property("tag").toInt(), i);
        }
        QCOMPARE(fresh.Panel()->cursor().shape(), Qt::IBeamCursor);
        QVERIFY(!fresh.AcceptOctal());
        QCOMPARE(fresh.Text(), std::string());
    }

    // ---- Text, AcceptOctal, IsValidHost ---------------------------------------------------

    void setterFillsTheBoxes()
    {
        ip->SetText("10.1.2.3");
        QCOMPARE(Box(0)->text(), QStringLiteral("10"));
        QCOMPARE(Box(1)->text(), QStringLiteral("1"));
        QCOMPARE(Box(2)->text(), QStringLiteral("2"));
        QCOMPARE(Box(3)->text(), QStringLiteral("3"));
        QCOMPARE(Box(0)->selectedText(), QStringLiteral("10"));
        QCOMPARE(ip->Text(), std::string("10.1.2.3"));
        QVERIFY(before->hasFocus());   // setting the text does not take the focus
        ip->SetText("");
        for (int i = 0; i < 4; ++i) QVERIFY(Box(i)->text().isEmpty());
        QCOMPARE(ip->Text(), std::string());
    }

    void setterRefusesBadAddresses()
    {
        ip->SetText("1.2.3.4");
        const std::string bad = "Bad IP address string given to component";
        QCOMPARE(ErrorOf([&] { ip->SetText("10.0.0.256"); }), bad);
        QCOMPARE(ErrorOf([&] { ip->SetText("10.0.0.01"); }), bad);
        QCOMPARE(ErrorOf([&] { ip->SetText("10.0.0"); }), bad);
        QCOMPARE(ErrorOf([&] { ip->SetText("a.b.c.d"); }), bad);
        QCOMPARE(ip->Text(), std::string("1.2.3.4"));   // the boxes are left as they were
    }

    void getterFillsAndRewritesBoxes()
    {
        Box(0)->setText(QStringLiteral("192"));
        Box(2)->setText(QStringLiteral("1"));
        Box(3)->setText(QStringLiteral("010"));
        QCOMPARE(ip->Text(), std::string("192.0.1.10"));
        QCOMPARE(Box(1)->text(), QStringLiteral("0"));
        QCOMPARE(Box(3)->text(), QStringLiteral("10"));
    }

    void acceptOctalKeepsLeadingZeros()
    {
        ip->SetAcceptOctal(true);
        Box(0)->setText(QStringLiteral("192"));
        Box(2)->setText(QStringLiteral("1"));
        Box(3)->setText(QStringLiteral("010"));
        QCOMPARE(ip->Text(), std::string("192.0.1.010"));
        QCOMPARE(Box(1)->text(), QStringLiteral("0"));
        QCOMPARE(Box(3)->text(), QStringLiteral("010"));
    }

    void isValidHost_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("valid");
        QTest::newRow("first 0") << "0.1.2.3" << false;
        QTest::newRow("loopback") << "127.0.0.1" << false;
        QTest::newRow("first 240") << "240.1.1.1" << false;
        QTest::newRow("first 255") << "255.1.1.1" << false;
        QTest::newRow("last 0") << "10.1.1.0" << false;
        QTest::newRow("last 255") << "10.1.1.255" << false;
        QTest::newRow("host") << "10.1.1.1" << true;
        QTest::newRow("other host") << "192.168.0.254" << true;
    }

    void isValidHost()
    {
        QFETCH(QString, address);
        QFETCH(bool, valid);
        ip->SetText(address.toStdString());
        QCOMPARE(ip->IsValidHost(), valid);
    }

    void isValidHostOfEmptyBoxesRaises()
    {
        QCOMPARE(ErrorOf([&] { ip->IsValidHost(); }), std::string("Must include exactly 3 dots! []"));
    }

    // ---- typing -------------------------------------------------------------------------

    void typingThreeDigitsMovesOn()
    {
        ip->setFocus();
        QVERIFY(Box(0)->hasFocus());
        Type(QStringLiteral("192"));
        QCOMPARE(Box(0)->text(), QStringLiteral("192"));
        QVERIFY(Box(1)->hasFocus());
        QCOMPARE(Box(1)->cursorPosition(), 0);
        Type(QStringLiteral("168"));
        QVERIFY(Box(2)->hasFocus());
        Type(QStringLiteral("1.20"));
        QVERIFY(Box(3)->hasFocus());
        QCOMPARE(ip->Text(), std::string("192.168.1.20"));
        Type(QStringLiteral("5"));   // the last box holds three digits at most and moves nowhere
        QCOMPARE(Box(3)->text(), QStringLiteral("205"));
        QVERIFY(Box(3)->hasFocus());
    }

    void dotOrSpaceMovesOnAndSelects()
    {
        ip->SetText("1.22.3.4");
        ip->setFocus();
        Box(0)->clear();
        Type(QStringLiteral("10."));
        QVERIFY(Box(1)->hasFocus());
        QCOMPARE(Box(1)->selectedText(), QStringLiteral("22"));
        QCOMPARE(Box(0)->text(), QStringLiteral("10"));
        Type(QStringLiteral(" "));
        QVERIFY(Box(2)->hasFocus());
        QCOMPARE(Box(2)->selectedText(), QStringLiteral("3"));
        QCOMPARE(Box(1)->text(), QStringLiteral("22"));
        // In the last box, and in an empty box, "." does nothing.
        Type(QStringLiteral(".."));
        QVERIFY(Box(3)->hasFocus());
        Type(QStringLiteral("."));
        QVERIFY(Box(3)->hasFocus());
        QCOMPARE(Box(3)->text(), QStringLiteral("4"));
        Box(2)->setFocus();
        Box(2)->clear();
        Type(QStringLiteral("."));
        QVERIFY(Box(2)->hasFocus());
        QCOMPARE(Box(2)->text(), QString());
    }

    void valueAbove255BecomesSelected255()
    {
        ip->setFocus();
        Type(QStringLiteral("300"));
        QCOMPARE(Box(0)->text(), QStringLiteral("255"));
        QCOMPARE(Box(0)->selectedText(), QStringLiteral("255"));
        QVERIFY(Box(0)->hasFocus());
        Box(2)->setFocus();
        Type(QStringLiteral("99"));
        Box(2)->setCursorPosition(1);
        Type(QStringLiteral("9"));   // 999 with the caret inside
        QCOMPARE(Box(2)->text(), QStringLiteral("255"));
        QCOMPARE(Box(2)->selectedText(), QStringLiteral("255"));
        QVERIFY(Box(2)->hasFocus());
    }

    void threeDigitsWithCaretInsideStay()
    {
        Box(1)->setFocus();
        Type(QStringLiteral("12"));
        Box(1)->setCursorPosition(0);
        Type(QStringLiteral("1"));
        QCOMPARE(Box(1)->text(), QStringLiteral("112"));
        QVERIFY(Box(1)->hasFocus());
    }

    void keypadDigitsAndDecimalPoint()
    {
        ip->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_1, Qt::KeypadModifier, 0);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_7, Qt::KeypadModifier, 0);
        QCOMPARE(Box(0)->text(), QStringLiteral("17"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Period, Qt::KeypadModifier);
        QVERIFY(Box(1)->hasFocus());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_2, Qt::KeypadModifier);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Comma, Qt::KeypadModifier);
        QVERIFY(Box(2)->hasFocus());
        QCOMPARE(ip->Text(), std::string("17.2.0.0"));
    }

    void nonDigitKeysAreNotInserted()
    {
        ip->setFocus();
        Type(QStringLiteral("1a-+x/"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ShiftModifier);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_1, Qt::AltModifier);
        QCOMPARE(Box(0)->text(), QStringLiteral("1"));
        // The box is writable again after each key.
        for (int i = 0; i < 4; ++i) QVERIFY(!Box(i)->isReadOnly());
        Type(QStringLiteral("2"));
        QCOMPARE(Box(0)->text(), QStringLiteral("12"));
    }

    void pastingIsBlocked()
    {
        QApplication::clipboard()->setText(QStringLiteral("77"));
        ip->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_V, Qt::ControlModifier);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Insert, Qt::ShiftModifier);
        QCOMPARE(Box(0)->text(), QString());
        QVERIFY(!Box(0)->isReadOnly());
    }

    // Text dropped onto a box obeys the digits-only rule of the keys.
    void droppedTextFollowsTheDigitRule()
    {
        for (const char *text : {"-1", "1x", "1.2"}) {
            test::DropInto(Box(1), QString::fromLatin1(text));
            QCOMPARE(Box(1)->text(), QString());
        }
        test::DropInto(Box(1), QStringLiteral("42"));
        QCOMPARE(Box(1)->text(), QStringLiteral("42"));
    }

    void shiftAndCtrlAloneChangeNothing()
    {
        ip->SetText("1.2.3.4");
        Box(1)->setFocus();
        Box(1)->setCursorPosition(1);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Shift);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Control);
        QVERIFY(Box(1)->hasFocus());
        QCOMPARE(Box(1)->cursorPosition(), 1);
        QCOMPARE(ip->Text(), std::string("1.2.3.4"));
    }

    void arrowsMoveBetweenBoxes()
    {
        ip->SetText("12.34.56.78");
        Box(0)->setFocus();
        Box(0)->setCursorPosition(1);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);   // inside the text: caret moves
        QVERIFY(Box(0)->hasFocus());
        QCOMPARE(Box(0)->cursorPosition(), 2);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);   // at the end: next box, at its start
        QVERIFY(Box(1)->hasFocus());
        QCOMPARE(Box(1)->cursorPosition(), 0);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Left);    // at the start: previous box, at its end
        QVERIFY(Box(0)->hasFocus());
        QCOMPARE(Box(0)->cursorPosition(), 2);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Left);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Left);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Left);    // box 0 has no box before it
        QVERIFY(Box(0)->hasFocus());
        QCOMPARE(Box(0)->cursorPosition(), 0);
        Box(3)->setFocus();
        Box(3)->setCursorPosition(2);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);   // box 3 has no box after it
        QVERIFY(Box(3)->hasFocus());
        QCOMPARE(ip->Text(), std::string("12.34.56.78"));
    }

    void backspaceAtStartDeletesInThePreviousBox()
    {
        ip->SetText("12.34.56.78");
        Box(2)->setFocus();
        Box(2)->setCursorPosition(0);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backspace);
        QVERIFY(Box(1)->hasFocus());
        QCOMPARE(Box(1)->text(), QStringLiteral("3"));
        QCOMPARE(Box(1)->cursorPosition(), 1);
        QCOMPARE(Box(2)->text(), QStringLiteral("56"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backspace);   // an ordinary backspace
        QCOMPARE(Box(1)->text(), QString());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backspace);   // into box 0
        QVERIFY(Box(0)->hasFocus());
        QCOMPARE(Box(0)->text(), QStringLiteral("1"));
        // An empty previous box just takes the focus.
        Box(2)->setFocus();
        Box(2)->setCursorPosition(0);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backspace);
        QVERIFY(Box(1)->hasFocus());
        QCOMPARE(Box(1)->text(), QString());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Delete);   // Delete is let through
        Box(3)->setFocus();
        Box(3)->setCursorPosition(0);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Delete);
        QCOMPARE(Box(3)->text(), QStringLiteral("8"));
    }

    // ---- mouse and focus ----------------------------------------------------------------

    void clickOnPanelFocusesLastBox()
    {
        ip->SetText("1.2.3.45");
        QTest::mouseClick(ip->Panel(), Qt::LeftButton, Qt::NoModifier, QPoint(97, 10));
        QVERIFY(Box(3)->hasFocus());
        QCOMPARE(Box(3)->cursorPosition(), 2);
        QVERIFY(!Box(3)->hasSelectedText());
    }

    void clickOnDotFocusesBoxToItsLeft()
    {
        ip->SetText("111.22.3.4");
        for (int i = 0; i < 3; ++i) {
            before->setFocus();
            QTest::mouseClick(ip->Dot(i), Qt::LeftButton, Qt::NoModifier, QPoint(1, 5));
            QVERIFY(Box(i)->hasFocus());
            QCOMPARE(Box(i)->cursorPosition(), Box(i)->text().size());
            QVERIFY(!Box(i)->hasSelectedText());
        }
    }

    void controlFocusGoesToBoxZeroSelected()
    {
        ip->SetText("10.20.30.40");
        Box(0)->deselect();
        ip->setFocus();
        QVERIFY(Box(0)->hasFocus());
        QCOMPARE(Box(0)->selectedText(), QStringLiteral("10"));
        // Tab order: the widget before, box 0, the widget after; boxes 1 to 3 are no tab stops.
        before->setFocus();
        QTest::keyClick(before, Qt::Key_Tab);
        QVERIFY(Box(0)->hasFocus());
        QCOMPARE(Box(0)->selectedText(), QStringLiteral("10"));
        QTest::keyClick(Box(0), Qt::Key_Tab);
        QVERIFY(after->hasFocus());
        QTest::keyClick(after, Qt::Key_Backtab, Qt::ShiftModifier);
        QVERIFY(Box(0)->hasFocus());
    }

    void leavingSelectsBoxZero()
    {
        ip->SetText("10.20.30.40");
        Box(2)->setFocus();
        Box(0)->deselect();
        after->setFocus();
        QCOMPARE(Box(0)->selectedText(), QStringLiteral("10"));
        QVERIFY(!Box(0)->isReadOnly());
    }
};

QTEST_MAIN(TestEditIPAddr)
#include "test_editipaddr.moc"
