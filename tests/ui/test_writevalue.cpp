// The write-value dialog: controls by kind, the key filters, the 12-character limit, the values
// read back and the message for a text that is no number.
#include "NumFormat.h"
#include "PasteDrive.h"
#include "QtStr.h"
#include "UiTestSupport.h"
#include "WriteValue.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

using namespace vxt;
using namespace vxt::test;

class TestWriteValue : public QObject {
    Q_OBJECT
private:
    TfrmWriteValue *dlg = nullptr;

    // Shows the dialog modally, runs `f` on it once it is up and returns the modal result.
    int Run(std::function<void()> f)
    {
        WhenModalOf<TfrmWriteValue>([f](TfrmWriteValue *) { f(); });
        return dlg->exec();
    }

    // Keys typed one by one into the edit box; what the box holds afterwards.
    QString Type(const QString &keys)
    {
        dlg->txtValue->clear();
        dlg->txtValue->setFocus();
        QTest::keyClicks(dlg->txtValue, keys);
        return dlg->txtValue->text();
    }

private slots:
    void init()
    {
        SetDecimalSeparator('.');
        dlg = new TfrmWriteValue;
    }

    void cleanup()
    {
        delete dlg;
        dlg = nullptr;
        SetDecimalSeparator('.');
    }

    void digitalShowsOnOffAndWritesOff()
    {
        dlg->TagName = "Pump running";
        dlg->Kind = KindDigital;
        dlg->BoolValue = true;
        bool onChecked = false, editHidden = false, radiosShown = false;
        QString title;
        const int r = Run([&]() {
            onChecked = dlg->rdoOn->isChecked() && !dlg->rdoOff->isChecked();
            editHidden = !dlg->txtValue->isVisible();
            radiosShown = dlg->rdoOn->isVisible() && dlg->rdoOff->isVisible();
            title = dlg->grpWriteValue->title();
            dlg->rdoOff->click();
            dlg->btnOk->click();
        });
        QCOMPARE(r, int(QDialog::Accepted));
        QVERIFY(onChecked);
        QVERIFY(editHidden);
        QVERIFY(radiosShown);
        QCOMPARE(title, QStringLiteral("Pump running"));
        QCOMPARE(dlg->BoolValue, false);
        QCOMPARE(dlg->windowTitle(), QStringLiteral("Write new Value"));
    }

    void digitalStartsOffWhenTheValueIsFalse()
    {
        dlg->Kind = KindDigital;
        dlg->BoolValue = false;
        bool offChecked = false;
        Run([&]() {
            offChecked = dlg->rdoOff->isChecked() && !dlg->rdoOn->isChecked();
            dlg->rdoOn->click();
            dlg->btnOk->click();
        });
        QVERIFY(offChecked);
        QCOMPARE(dlg->BoolValue, true);
    }

    void integerFilterAndValue()
    {
        dlg->TagName = "Tank level";
        dlg->Kind = KindInteger;
        dlg->IntValue = 250;
        QString shown, typedDot, typedLetters, typedNegative;
        bool radiosHidden = false;
        const int r = Run([&]() {
            shown = dlg->txtValue->text();
            radiosHidden = !dlg->rdoOn->isVisible() && !dlg->rdoOff->isVisible();
            typedDot = Type(QStringLiteral("1.5"));
            typedLetters = Type(QStringLiteral("a1b+2e,"));
            typedNegative = Type(QStringLiteral("-12"));
            dlg->btnOk->click();
        });
        QCOMPARE(r, int(QDialog::Accepted));
        QCOMPARE(shown, QStringLiteral("250"));
        QVERIFY(radiosHidden);
        QCOMPARE(typedDot, QStringLiteral("15"));
        QCOMPARE(typedLetters, QStringLiteral("12"));
        QCOMPARE(typedNegative, QStringLiteral("-12"));
        QCOMPARE(dlg->IntValue, -12);
    }

    // Keys of an Arabic or Persian keyboard typed over the shown value: the box shows the ASCII
    // digits and the program's separator, and OK writes that value, not the one shown before.
    void arabicKeysWriteTheirValue_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<char>("separator");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<double>("value");
        QTest::newRow("float") << int(KindFloat) << '.' << u"\u0661\u0662\u066B\u0665"_qs << u"12.5"_qs << 12.5;
        QTest::newRow("float, comma") << int(KindFloat) << ',' << u"-\u06F0\u066B\u06F2\u06F5"_qs << u"-0,25"_qs << -0.25;
        QTest::newRow("integer") << int(KindInteger) << '.' << u"\u06F4\u0662\u066B"_qs << u"42"_qs << 42.0;
    }

    void arabicKeysWriteTheirValue()
    {
        QFETCH(int, kind);
        QFETCH(char, separator);
        QFETCH(QString, keys);
        QFETCH(QString, shown);
        QFETCH(double, value);
        SetDecimalSeparator(separator);
        dlg->Kind = TTagKind(kind);
        dlg->IntValue = 7;
        dlg->FloatValue = 7;
        MessageBoxRecorder boxes;
        QString typed;
        const int r = Run([&]() {
            dlg->txtValue->setFocus();
            dlg->txtValue->selectAll();
            for (QChar c : keys)
                QTest::sendKeyEvent(QTest::Click, dlg->txtValue, Qt::Key(c.unicode()), QString(c), Qt::NoModifier);
            typed = dlg->txtValue->text();
            dlg->btnOk->click();
            if (dlg->isVisible()) dlg->btnCancel->click();   // a refused text
        });
        QCOMPARE(typed, shown);
        QCOMPARE(r, int(QDialog::Accepted));
        QCOMPARE(boxes.Shown().size(), size_t(0));
        QCOMPARE(kind == KindFloat ? dlg->FloatValue : double(dlg->IntValue), value);
    }

    void thirteenthCharacterCannotBeEntered()
    {
        dlg->Kind = KindInteger;
        QString typed;
        Run([&]() {
            typed = Type(QStringLiteral("1234567890123"));
            dlg->btnCancel->click();
        });
        QCOMPARE(typed, QStringLiteral("123456789012"));
    }

    void floatWithCommaTakesBothSeparators()
    {
        SetDecimalSeparator(',');
        dlg->Kind = KindFloat;
        dlg->FloatValue = 25.5;
        QString shown, typedComma, typedPoint, typedLetters;
        const int r = Run([&]() {
            shown = dlg->txtValue->text();
            typedLetters = Type(QStringLiteral("x1;e"));
            typedPoint = Type(QStringLiteral("-1.5"));
            typedComma = Type(QStringLiteral("3,25"));
            dlg->btnOk->click();
        });
        QCOMPARE(r, int(QDialog::Accepted));
        QCOMPARE(shown, QStringLiteral("25,5"));
        QCOMPARE(typedLetters, QStringLiteral("1"));
        QCOMPARE(typedPoint, QStringLiteral("-1.5"));
        QCOMPARE(typedComma, QStringLiteral("3,25"));
        QCOMPARE(dlg->FloatValue, 3.25);
    }

    void floatWithPointIsReadWithAComma()
    {
        SetDecimalSeparator(',');
        dlg->Kind = KindFloat;
        Run([&]() {
            Type(QStringLiteral("-0.125"));
            dlg->btnOk->click();
        });
        QCOMPARE(dlg->FloatValue, -0.125);
    }

    void floatWithPointLocaleRefusesTheComma()
    {
        dlg->Kind = KindFloat;
        QString typed;
        Run([&]() {
            typed = Type(QStringLiteral("1,5"));
            dlg->btnCancel->click();
        });
        QCOMPARE(typed, QStringLiteral("15"));
    }

    // Pasted or dropped text obeys the filter the keys obey; a value longer than twelve characters
    // is shown whole and written back as it was, not cut.
    void pasteFollowsTheFilterAndLongValuesStayWhole()
    {
        dlg->Kind = KindFloat;
        dlg->FloatValue = -0.000123456789;
        QString shown, pastedExponent, droppedLetters, pastedNumber;
        const int r = Run([&]() {
            shown = dlg->txtValue->text();
            dlg->btnOk->click();
        });
        QCOMPARE(r, int(QDialog::Accepted));
        QCOMPARE(shown, QStringLiteral("-0.000123456789"));
        QCOMPARE(dlg->FloatValue, -0.000123456789);
        Run([&]() {
            dlg->txtValue->clear();
            PasteInto(dlg->txtValue, QStringLiteral("1e5"));
            pastedExponent = dlg->txtValue->text();
            DropInto(dlg->txtValue, QStringLiteral("x2"));
            droppedLetters = dlg->txtValue->text();
            PasteInto(dlg->txtValue, QStringLiteral("-2.5"));
            pastedNumber = dlg->txtValue->text();
            dlg->btnOk->click();
        });
        QCOMPARE(pastedExponent, QString());
        QCOMPARE(droppedLetters, QString());
        QCOMPARE(pastedNumber, QStringLiteral("-2.5"));
        QCOMPARE(dlg->FloatValue, -2.5);
    }

    void textThatIsNoNumberKeepsTheDialogOpen_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        const QString intMessage =
            QStringLiteral("Not a valid value.\r\nPlease enter an integer number between -2147483648 and 2147483647.");
        const QString floatMessage = QStringLiteral("Not a valid value.\r\nPlease enter a number.");
        QTest::newRow("integer empty") << 1 << "" << intMessage;
        QTest::newRow("integer minus") << 1 << "-" << intMessage;
        QTest::newRow("integer too big") << 1 << "99999999999" << intMessage;
        QTest::newRow("integer pasted letters") << 1 << "12ab" << intMessage;
        QTest::newRow("float empty") << 2 << "" << floatMessage;
        QTest::newRow("float minus") << 2 << "-" << floatMessage;
        QTest::newRow("float two separators") << 2 << "1.2.3" << floatMessage;
    }

    void textThatIsNoNumberKeepsTheDialogOpen()
    {
        QFETCH(int, kind);
        QFETCH(QString, text);
        QFETCH(QString, message);
        MessageBoxRecorder boxes;
        dlg->Kind = TTagKind(kind);
        dlg->IntValue = 7;
        dlg->FloatValue = 7.5;
        bool openAfter = false;
        QString textAfter;
        const int r = Run([&]() {
            dlg->txtValue->setText(text);   // as pasted: the filter does not see it
            dlg->btnOk->click();
            openAfter = dlg->isVisible();
            textAfter = dlg->txtValue->text();
            dlg->btnCancel->click();
        });
        QCOMPARE(r, int(QDialog::Rejected));
        QVERIFY(openAfter);
        QCOMPARE(textAfter, text);
        QCOMPARE(boxes.Shown().size(), size_t(1));
        QCOMPARE(QStr(boxes.Shown()[0].Text), message);
        QCOMPARE(boxes.Shown()[0].Kind, MsgKind::Error);
        QCOMPARE(dlg->IntValue, 7);
        QCOMPARE(dlg->FloatValue, 7.5);
    }

    void cancelChangesNothing()
    {
        dlg->Kind = KindInteger;
        dlg->IntValue = 5;
        const int r = Run([&]() {
            Type(QStringLiteral("99"));
            dlg->btnCancel->click();
        });
        QCOMPARE(r, int(QDialog::Rejected));
        QCOMPARE(dlg->IntValue, 5);
    }
};

QTEST_MAIN(TestWriteValue)
#include "test_writevalue.moc"
