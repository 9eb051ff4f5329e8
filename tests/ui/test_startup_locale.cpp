// The program's own start under a locale whose decimal point has no Latin-1 byte (U+066B of the
// Arabic and Persian locales): ctest runs this under ar_EG, ar_SA, fa_IR and ps_AF.
#include "KProt.h"
#include "Main.h"
#include "ModbusTags.h"
#include "ModbusTagsAddress.h"
#include "NumFormat.h"
#include "Program.h"
#include "TagEditorDrive.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLocale>
#include <QPushButton>
#include <QtTest>

using namespace vxt;
using namespace vxt::test;

class TestStartupLocale : public QObject {
    Q_OBJECT
private slots:
    void decimalPointWithoutAByteLeavesPoint()
    {
        const QLocale system = QLocale::system();
        QVERIFY2(system.decimalPoint() == QString(QChar(0x066B)),
                 qPrintable(QStringLiteral("run under a locale whose decimal point is U+066B, not ") + system.name()));
        SetDecimalSeparator(',');
        TMainForm *mainForm = StartWindows(0);
        QCOMPARE(DecimalSeparator(), '.');

        // Fractions type, read, print and travel whole; the locale's own digits and group
        // separator take no part in the program's numbers.
        MessageBoxRecorder boxes;
        RunEditor(frmModbusTags, [&] {
            Type(frmModbusTags->txtTagName, QStringLiteral("LEVEL"));
            Type(frmModbusTags->txtUnitID, QStringLiteral("1"));
            Type(frmModbusTags->txtAddress, QStringLiteral("1000"));
            Pick(frmModbusTags->cboType, 4);   // Float
            Limits(*frmModbusTags, "0.5", "99.75");
            QCOMPARE(frmModbusTags->txtMinWrite->text(), QStringLiteral("0.5"));
            ExpectEditorAccepts(frmModbusTags, boxes);
        });
        QCOMPARE(frmModbusTags->Tag.WrMin.AsFloat, 0.5f);
        QCOMPARE(frmModbusTags->Tag.WrMax.AsFloat, 99.75f);
        QCOMPARE(FloatToStr(99.75), std::string("99.75"));
        QCOMPARE(FloatToStr(1234567.5), std::string("1234567.5"));
        TPacket p;
        p.SetCommand("X");
        p.AddFloat("WRMIN", 0.5);
        QCOMPARE(p.GetText(), std::string("X(WRMIN=5.00000000E-1,);"));
        QCOMPARE(p.GetFloat("WRMIN", 0), 0.5);
        delete mainForm;
    }
};

QTEST_MAIN(TestStartupLocale)
#include "test_startup_locale.moc"
