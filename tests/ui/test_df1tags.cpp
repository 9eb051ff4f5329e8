// The DF1 tag editor driven as its callers drive it: file type, file and word numbers of a serial
// tag, the rules it shares with the Hostlink editor, every refusal in order, the tags built for
// each source and their kind, edit round trips and the text/value operations.
#include "DF1Tags.h"
#include "KeyFilter.h"
#include "NumFormat.h"
#include "TagEditorDrive.h"
#include "UiTestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTabWidget>
#include <QTest>
#include <memory>

using namespace vxt;
using namespace vxt::test;

namespace {

enum { tUnsigned, tSigned, tLong, tFloat, tBCD, tWordBit, tSingleBit };
enum { srcSerial, srcInput, srcOutput, srcInternal, srcAnalog };
enum { ftInput, ftOutput, ftStatus, ftBinary, ftInteger, ftFloat };

void CompareTags(const TDF1TagConfig &a, const TDF1TagConfig &b)
{
    QCOMPARE(a.Name, b.Name);
    QCOMPARE(a.Source, b.Source);
    QCOMPARE(a.Type, b.Type);
    QCOMPARE(a.FileType, b.FileType);
    QCOMPARE(a.FileNumber, b.FileNumber);
    QCOMPARE(a.WordNumber, b.WordNumber);
    QCOMPARE(a.BitPos, b.BitPos);
    QCOMPARE(a.ReadOnly, b.ReadOnly);
    QCOMPARE(a.Limits, b.Limits);
    CompareValue(a.WrMin, b.WrMin);
    CompareValue(a.WrMax, b.WrMax);
    QCOMPARE(a.Alarm, b.Alarm);
    QCOMPARE(a.EMail, b.EMail);
    CompareValue(a.AlMin, b.AlMin);
    CompareValue(a.AlMax, b.AlMax);
    QCOMPARE(a.Scale, b.Scale);
    QCOMPARE(a.FactorA, b.FactorA);
    QCOMPARE(a.FactorB, b.FactorB);
    QCOMPARE(a.Kind, b.Kind);
}

// A valid integer-file tag.
void FillSerial(TfrmDF1Tags &d)
{
    Type(d.txtTagName, QStringLiteral("N7_0"));
    Pick(d.cboFileType, ftInteger);
    Type(d.txtFileNumber, QStringLiteral("7"));
    Type(d.txtWordNumber, QStringLiteral("0"));
}

void File(TfrmDF1Tags &d, int fileType, const char *number)
{
    Pick(d.cboFileType, fileType);
    Type(d.txtFileNumber, QString::fromLatin1(number));
}

struct Refusal {
    const char *name;
    std::function<void(TfrmDF1Tags &)> setup;
    std::string message;
};

const std::vector<Refusal> &Refusals()
{
    using D = TfrmDF1Tags;
    static const std::vector<Refusal> cases = {
        {"no name", [](D &d) { Type(d.txtTagName, QString()); }, "Tag must have a name."},
        {"single bit before the file number",
         [](D &d) {
             Type(d.txtFileNumber, QString());
             Pick(d.cboType, tSingleBit);
         },
         "DF1 Serial Tags cannot be of type \"Single Bit\"."},
        {"file number empty", [](D &d) { Type(d.txtFileNumber, QString()); }, "Enter a valid File Number."},
        {"file number 65536", [](D &d) { Type(d.txtFileNumber, QStringLiteral("65536")); },
         "File Number must be between 0 and 65535."},
        {"input file 2", [](D &d) { File(d, ftInput, "2"); },
         "File Number for Tags of File Type \"Input (I)\" must be \"1\""},
        {"output file 1", [](D &d) { File(d, ftOutput, "1"); },
         "File Number for Tags of File Type \"Output (O)\" must be \"0\""},
        {"status file 3", [](D &d) { File(d, ftStatus, "3"); },
         "File Number for Tags of File Type \"Status (S)\" must be \"2\""},
        {"binary file 4", [](D &d) { File(d, ftBinary, "4"); },
         "File Number for Tags of File Type \"Binary (B)\" must be 3 or greater than 8."},
        {"integer file 8", [](D &d) { File(d, ftInteger, "8"); },
         "File Number for Tags of File Type \"Integer (N)\" must be 7 or greater than 8."},
        {"float file 7", [](D &d) { File(d, ftFloat, "7"); },
         "File Number for Tags of File Type \"Float (F)\" must be 8 or greater than 8."},
        {"word number empty", [](D &d) { Type(d.txtWordNumber, QString()); }, "Enter a valid Word number."},
        {"word number 70000", [](D &d) { Type(d.txtWordNumber, QStringLiteral("70000")); },
         "Word Number must be between 0 and 65535."},
        {"word bit without bit", [](D &d) { Pick(d.cboType, tWordBit); }, "Bit Position must be provided for this type."},
        {"word bit 16",
         [](D &d) {
             Pick(d.cboType, tWordBit);
             Type(d.txtBitPosition, QStringLiteral("16"));
         },
         "Bit Position must be between 0 and 15."},
        {"word bit with limits",
         [](D &d) {
             Pick(d.cboType, tWordBit);
             Type(d.txtBitPosition, QStringLiteral("2"));
             Limits(d, "0", "1");
         },
         "Digital Tags cannot have writting limits."},
        {"word bit with value alarm",
         [](D &d) {
             Pick(d.cboType, tWordBit);
             Type(d.txtBitPosition, QStringLiteral("2"));
             ValueAlarm(d, "0", "1");
         },
         "Digital Tags cannot have alarm by a range of values."},
        {"long with edge alarm",
         [](D &d) {
             Pick(d.cboType, tLong);
             Tick(d.chkAlarmEnable, true);
             Tick(d.chkAlarmEdge, true);
         },
         "Only Digital Tags can have edge-triggered alarm."},
        {"limits reversed", [](D &d) { Limits(d, "9", "1"); }, "Writing Limits are not valid"},
        {"alarm of no kind", [](D &d) { Tick(d.chkAlarmEnable, true); },
         "Select either Out of Range Value Alarm or Edge triggered Alarm."},
        {"alarm bound missing", [](D &d) { ValueAlarm(d, "1", ""); }, "Alarm Range is not valid"},
        {"word bit scaled",
         [](D &d) {
             Pick(d.cboType, tWordBit);
             Type(d.txtBitPosition, QStringLiteral("2"));
             Scaled(d, "1", "1");
         },
         "Digital Tags cannot be scalable"},
        {"factor not a number", [](D &d) { Scaled(d, "-", "1"); }, "Scale Factors are not valid"},
        {"limits not integer", [](D &d) { Limits(d, "0.5", "1"); }, "Write Limits must be Integer for this type of Tag."},
        {"alarm not integer", [](D &d) { ValueAlarm(d, "0", "0.5"); },
         "Alarm range values must be Integer for this type of Tag."},
        {"signed limits out of bounds",
         [](D &d) {
             Pick(d.cboType, tSigned);
             Limits(d, "0", "32768");
         },
         "Write Limits must be between -32768 and 32767 for the selected type."},
        {"unsigned alarm out of bounds", [](D &d) { ValueAlarm(d, "-5", "5"); },
         "Alarm Range Values must be between 0 and 65535 for the selected type."},
    };
    return cases;
}

}  // namespace

class TestDF1Tags : public QObject {
    Q_OBJECT

    std::unique_ptr<TfrmDF1Tags> dlg;
    std::unique_ptr<MessageBoxRecorder> boxes;

    int Run(const std::function<void()> &f, uint8_t mode = 0) { return RunEditor(dlg.get(), f, mode); }

    void ExpectRefused(const std::string &text) { ExpectEditorRefused(dlg.get(), *boxes, text); }

    void Accept() { ExpectEditorAccepts(dlg.get(), *boxes); }

private slots:
    void init()
    {
        SetDecimalSeparator('.');
        dlg = std::make_unique<TfrmDF1Tags>();
        dlg->Tag.Name = "UNTOUCHED";
        boxes = std::make_unique<MessageBoxRecorder>();
    }

    void cleanup()
    {
        boxes.reset();
        dlg.reset();
    }

    void layoutAndCaptions()
    {
        QCOMPARE(frmDF1Tags, nullptr);
        QCOMPARE(dlg->pgeTags->count(), 4);
        QCOMPARE(dlg->lblFileType->text(), QStringLiteral("File Type"));
        QCOMPARE(dlg->lblFileNumber->text(), QStringLiteral("File Number"));
        QCOMPARE(dlg->lblWordNumber->text(), QStringLiteral("Word Number"));
        QCOMPARE(dlg->lblBitPosition->text(), QStringLiteral("Position (bit)"));
        QCOMPARE(TypingLimit(dlg->txtFileNumber), 5);
        QCOMPARE(TypingLimit(dlg->txtWordNumber), 5);
        QCOMPARE(TypingLimit(dlg->txtBitPosition), 2);
        QCOMPARE(TypingLimit(dlg->txtTagName), 15);
        QCOMPARE(dlg->chkAlarmValue->text(), QStringLiteral("Alarm by Value (Integer and Floats)"));
        QCOMPARE(dlg->chkAlarmEdge->text(), QStringLiteral("Alarm by edge (Digital)"));
        QCOMPARE(dlg->chkSendEMail->text(), QStringLiteral("Send E-Mail on Alarm"));
        for (const char *gone : {"txtUnitID", "txtAddress", "cboHostlinkFunction", "cboModbusFunction"})
            QVERIFY(dlg->findChild<QWidget *>(QString::fromLatin1(gone)) == nullptr);
        QStringList sources, types, files;
        for (int i = 0; i < dlg->cboSource->count(); ++i) sources << dlg->cboSource->itemText(i);
        for (int i = 0; i < dlg->cboType->count(); ++i) types << dlg->cboType->itemText(i);
        for (int i = 0; i < dlg->cboFileType->count(); ++i) files << dlg->cboFileType->itemText(i);
        QCOMPARE(sources, (QStringList{"DF1 Serial", "Velto Input", "Velto Output", "Internal", "Velto Ainput"}));
        QCOMPARE(types, (QStringList{"Unsigned int", "Signed int", "Long", "Float", "BCD", "Word bit", "Single bit"}));
        QCOMPARE(files, (QStringList{"Input (I)", "Output (O)", "Status (S)", "Binary (B)", "Integer (N)", "Float (F)"}));
    }

    void textAndValueOperations()
    {
        QCOMPARE(TfrmDF1Tags::GetDF1FileTypeText(4), std::string("Integer (N)"));
        QCOMPARE(TfrmDF1Tags::GetDF1FileTypeText(6), std::string());
        QCOMPARE(TfrmDF1Tags::GetDF1FileTypeValue("Float (F)"), uint8_t(5));
        QCOMPARE(TfrmDF1Tags::GetDF1FileTypeValue("Float"), uint8_t(0));
        QCOMPARE(TfrmDF1Tags::GetSourceText(0), std::string("DF1 Serial"));
        QCOMPARE(TfrmDF1Tags::GetSourceValue("Velto Output"), uint8_t(2));
        QCOMPARE(TfrmDF1Tags::GetSourceValue("Hostlink Serial"), uint8_t(0));
        QCOMPARE(TfrmDF1Tags::GetTypeText(5), std::string("Word bit"));
        QCOMPARE(TfrmDF1Tags::GetTypeValue("BCD"), uint8_t(4));
        QCOMPARE(TfrmDF1Tags::GetScaleText(1), std::string("Linear (Ax+B)"));
        QCOMPARE(TfrmDF1Tags::GetScaleValue("none"), uint8_t(0));
    }

    void addModeStartsCleared()
    {
        dlg->Tag.Source = srcInternal;
        dlg->Tag.FileType = ftFloat;
        dlg->Tag.FileNumber = 8;
        Run([] {}, 1);
        Run([this] {
            QCOMPARE(dlg->windowTitle(), QStringLiteral("Add DF1 Tag"));
            QCOMPARE(dlg->pgeTags->currentIndex(), 0);
            QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(dlg->cboSource));
            QCOMPARE(dlg->minimumSize(), dlg->maximumSize());
            const QPoint off = dlg->frameGeometry().center() - dlg->screen()->availableGeometry().center();
            QVERIFY(off.manhattanLength() <= 2);
            QCOMPARE(dlg->cboSource->currentIndex(), 0);
            QCOMPARE(dlg->cboFileType->currentIndex(), int(ftInput));
            QCOMPARE(dlg->cboType->currentIndex(), int(tUnsigned));
            QVERIFY(dlg->txtFileNumber->text().isEmpty() && dlg->txtWordNumber->text().isEmpty());
            QVERIFY(dlg->txtBitPosition->text().isEmpty() && !dlg->txtBitPosition->isEnabled());
            QVERIFY(dlg->cboFileType->isEnabled() && dlg->txtFileNumber->isEnabled() && dlg->txtWordNumber->isEnabled());
            QVERIFY(!dlg->btnInternal->isEnabled());
            QVERIFY(!dlg->chkAlarmEnable->isChecked() && !dlg->chkAlarmValue->isEnabled());
            QCOMPARE(dlg->cboScale->currentIndex(), 0);
        });
    }

    void refusals_data()
    {
        QTest::addColumn<int>("index");
        for (size_t i = 0; i < Refusals().size(); ++i) QTest::newRow(Refusals()[i].name) << int(i);
    }

    void refusals()
    {
        QFETCH(int, index);
        const Refusal &c = Refusals()[size_t(index)];
        Run([&] {
            FillSerial(*dlg);
            c.setup(*dlg);
            ExpectRefused(c.message);
        });
    }

    void fileNumbers_data()
    {
        QTest::addColumn<int>("fileType");
        QTest::addColumn<int>("number");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("digit");
        QTest::newRow("I 1") << int(ftInput) << 1 << true << "1";
        QTest::newRow("I 0") << int(ftInput) << 0 << false << "1";
        QTest::newRow("O 0") << int(ftOutput) << 0 << true << "0";
        QTest::newRow("O 2") << int(ftOutput) << 2 << false << "0";
        QTest::newRow("S 2") << int(ftStatus) << 2 << true << "2";
        QTest::newRow("S 1") << int(ftStatus) << 1 << false << "2";
        QTest::newRow("B 3") << int(ftBinary) << 3 << true << "3";
        QTest::newRow("B 9") << int(ftBinary) << 9 << true << "3";
        for (int n = 4; n <= 8; ++n) QTest::addRow("B %d", n) << int(ftBinary) << n << false << "3";
        QTest::newRow("B 2") << int(ftBinary) << 2 << false << "3";
        QTest::newRow("N 7") << int(ftInteger) << 7 << true << "7";
        QTest::newRow("N 9") << int(ftInteger) << 9 << true << "7";
        QTest::newRow("N 8") << int(ftInteger) << 8 << false << "7";
        QTest::newRow("N 65535") << int(ftInteger) << 65535 << true << "7";
        QTest::newRow("F 8") << int(ftFloat) << 8 << true << "8";
        QTest::newRow("F 12345") << int(ftFloat) << 12345 << true << "8";
        QTest::newRow("F 3") << int(ftFloat) << 3 << false << "8";
    }

    void fileNumbers()
    {
        QFETCH(int, fileType);
        QFETCH(int, number);
        QFETCH(bool, accepted);
        QFETCH(QString, digit);
        const QString typeText = QString::fromStdString(TfrmDF1Tags::GetDF1FileTypeText(uint8_t(fileType)));
        const bool exactly = fileType <= ftStatus;
        const QString message = exactly ? QStringLiteral("File Number for Tags of File Type \"%1\" must be \"%2\"").arg(typeText, digit)
                                        : QStringLiteral("File Number for Tags of File Type \"%1\" must be %2 or greater than 8.")
                                              .arg(typeText, digit);
        const int r = Run([&] {
            FillSerial(*dlg);
            File(*dlg, fileType, QByteArray::number(number).constData());
            if (accepted) {
                Accept();
            } else {
                ExpectRefused(message.toStdString());
            }
        });
        QCOMPARE(r, int(accepted ? QDialog::Accepted : QDialog::Rejected));
        if (accepted) {
            QCOMPARE(int(dlg->Tag.FileType), fileType);
            QCOMPARE(dlg->Tag.FileNumber, number);
        }
    }

    void wordNumberBounds()
    {
        const int r = Run([this] {
            FillSerial(*dlg);
            Type(dlg->txtWordNumber, QStringLiteral("65535"));
            Accept();
        });
        QCOMPARE(r, int(QDialog::Accepted));
        QCOMPARE(dlg->Tag.WordNumber, 65535);
        Run([this] {
            Type(dlg->txtWordNumber, QStringLiteral("1234567"));
            QCOMPARE(dlg->txtWordNumber->text(), QStringLiteral("12345"));
            Type(dlg->txtFileNumber, QStringLiteral("9-a9"));
            QCOMPARE(dlg->txtFileNumber->text(), QStringLiteral("99"));
        });
    }

    void sourceRules()
    {
        Run([this] {
            for (int source : {srcInput, srcOutput, srcAnalog}) {
                Pick(dlg->cboSource, source);
                QVERIFY(!dlg->btnInternal->isEnabled());
                QVERIFY(!dlg->cboFileType->isEnabled() && !dlg->lblFileType->isEnabled());
                QVERIFY(!dlg->cboType->isEnabled() && !dlg->lblType->isEnabled());
                QVERIFY(!dlg->txtFileNumber->isEnabled() && !dlg->txtWordNumber->isEnabled());
                QVERIFY(dlg->txtBitPosition->isEnabled());
                QCOMPARE(dlg->cboType->currentText(),
                         source == srcAnalog ? QStringLiteral("Signed int") : QStringLiteral("Single bit"));
                QVERIFY(dlg->chkReadOnly->isEnabled());
            }
            Pick(dlg->cboSource, srcInternal);
            QVERIFY(dlg->btnInternal->isEnabled() && !dlg->txtBitPosition->isEnabled());
            Pick(dlg->cboSource, srcSerial);
            QVERIFY(dlg->cboFileType->isEnabled() && dlg->lblFileType->isEnabled());
            QVERIFY(dlg->cboType->isEnabled() && dlg->lblType->isEnabled());
            QVERIFY(dlg->txtFileNumber->isEnabled() && dlg->txtWordNumber->isEnabled());
            QVERIFY(!dlg->txtBitPosition->isEnabled());
            Pick(dlg->cboType, tWordBit);
            QVERIFY(dlg->txtBitPosition->isEnabled());
            // The file type takes part in no rule.
            Pick(dlg->cboFileType, ftFloat);
            QCOMPARE(dlg->cboType->currentIndex(), int(tWordBit));
            QVERIFY(dlg->txtBitPosition->isEnabled());
        });
    }

    void nonSerialSourcesBuilt()
    {
        struct Want {
            int source;
            int fileType;
            int type;
            int bit;
        };
        for (const Want &w : {Want{srcInput, ftInput, tSingleBit, 5}, Want{srcOutput, ftOutput, tSingleBit, 2},
                              Want{srcInternal, ftInput, tSingleBit, 0}, Want{srcAnalog, ftInput, tSigned, 3}}) {
            const int r = Run([&] {
                FillSerial(*dlg);   // file and word numbers are left behind, not stored
                Pick(dlg->cboFileType, ftFloat);
                Type(dlg->txtFileNumber, QStringLiteral("44"));
                Pick(dlg->cboSource, w.source);
                if (w.source == srcInternal)
                    Type(dlg->txtTagName, QStringLiteral("_ALARMNAK"));
                else
                    Type(dlg->txtBitPosition, QString::number(w.bit));
                if (w.source != srcOutput) Tick(dlg->chkReadOnly, true);
                Accept();
            });
            QCOMPARE(r, int(QDialog::Accepted));
            QCOMPARE(int(dlg->Tag.Source), w.source);
            QCOMPARE(int(dlg->Tag.FileType), w.fileType);
            QCOMPARE(int(dlg->Tag.Type), w.type);
            QCOMPARE(dlg->Tag.FileNumber, 0);
            QCOMPARE(dlg->Tag.WordNumber, 0);
            QCOMPARE(dlg->Tag.BitPos, w.bit);
            QCOMPARE(dlg->Tag.ReadOnly, w.source != srcOutput);
            QCOMPARE(dlg->Tag.Kind, TTagKind(w.source == srcAnalog ? KindInteger : KindDigital));
            QCOMPARE(DF1TagKind(dlg->Tag), dlg->Tag.Kind);
        }
    }

    void analogInputKinds()
    {
        Run([this] {
            Type(dlg->txtTagName, QStringLiteral("AI"));
            Source(*dlg, srcAnalog, "1");
            Tick(dlg->chkReadOnly, true);
            ValueAlarm(*dlg, "-10", "10");
            Accept();
        });
        QCOMPARE(dlg->Tag.Kind, TTagKind(KindInteger));
        QCOMPARE(dlg->Tag.AlMin.AsInteger, -10);
        QCOMPARE(dlg->Tag.AlMax.AsInteger, 10);
        Run([this] {
            Scaled(*dlg, "0.25", "0");
            Accept();
        }, 1);
        QCOMPARE(dlg->Tag.Kind, TTagKind(KindFloat));
        QCOMPARE(dlg->Tag.AlMin.AsFloat, -10.0f);
        QCOMPARE(dlg->Tag.AlMin.AsInteger, 0);
        QCOMPARE(dlg->Tag.FactorA, 0.25f);
        QCOMPARE(DF1TagKind(dlg->Tag), dlg->Tag.Kind);
    }

    void serialTagBuilt()
    {
        const int r = Run([this] {
            Type(dlg->txtTagName, QStringLiteral("f8_3"));
            File(*dlg, ftFloat, "8");
            Type(dlg->txtWordNumber, QStringLiteral("3"));
            Pick(dlg->cboType, tFloat);
            Limits(*dlg, "-1", "1");
            ValueAlarm(*dlg, "-0.5", "0.5");
            Tick(dlg->chkSendEMail, true);
            Scaled(*dlg, "3", "4");
            Accept();
        });
        QCOMPARE(r, int(QDialog::Accepted));
        TDF1TagConfig e;
        e.Name = "F8_3";
        e.Type = tFloat;
        e.FileType = ftFloat;
        e.FileNumber = 8;
        e.WordNumber = 3;
        e.Limits = true;
        e.WrMin.AsFloat = -1.0f;
        e.WrMax.AsFloat = 1.0f;
        e.Alarm = true;
        e.EMail = true;
        e.AlMin.AsFloat = -0.5f;
        e.AlMax.AsFloat = 0.5f;
        e.Scale = 1;
        e.FactorA = 3.0f;
        e.FactorB = 4.0f;
        e.Kind = KindFloat;
        CompareTags(dlg->Tag, e);
    }

    void roundTrips_data()
    {
        QTest::addColumn<QString>("shape");
        for (const char *n : {"integer file", "binary word bit", "status float", "output", "internal", "analog"})
            QTest::newRow(n) << QString::fromLatin1(n);
    }

    void roundTrips()
    {
        QFETCH(QString, shape);
        TDF1TagConfig t;
        t.Name = "TAG";
        if (shape == "integer file") {
            t.FileType = ftInteger;
            t.FileNumber = 7;
            t.WordNumber = 12;
            t.Type = tSigned;
            t.Limits = true;
            t.WrMin.AsInteger = -32768;
            t.WrMax.AsInteger = 0;
            t.Alarm = true;
            t.AlMin.AsInteger = -1;
            t.AlMax.AsInteger = 1;
            t.Kind = KindInteger;
        } else if (shape == "binary word bit") {
            t.FileType = ftBinary;
            t.FileNumber = 65535;
            t.WordNumber = 65535;
            t.Type = tWordBit;
            t.BitPos = 0;
            t.Alarm = true;
            t.EMail = true;
            t.AlMax.AsBoolean = true;
            t.Kind = KindDigital;
        } else if (shape == "status float") {
            t.FileType = ftStatus;
            t.FileNumber = 2;
            t.Type = tFloat;
            t.ReadOnly = true;
            t.Scale = 1;
            t.FactorA = -0.1f;
            t.FactorB = 1e-7f;
            t.Kind = KindFloat;
        } else if (shape == "output") {
            t.Source = srcOutput;
            t.FileType = ftOutput;
            t.Type = tSingleBit;
            t.BitPos = 7;
            t.Kind = KindDigital;
        } else if (shape == "internal") {
            t.Name = "_COMMERROR";
            t.Source = srcInternal;
            t.Type = tSingleBit;
            t.ReadOnly = true;
            t.Alarm = true;
            t.AlMin.AsBoolean = true;
            t.Kind = KindDigital;
        } else {
            t.Source = srcAnalog;
            t.Type = tSigned;
            t.BitPos = 7;
            t.ReadOnly = true;
            t.Alarm = true;
            t.AlMin.AsFloat = 1.5f;
            t.AlMax.AsFloat = 2.5f;
            t.Scale = 1;
            t.FactorA = 1.0f;
            t.FactorB = 0.0f;
            t.Kind = KindFloat;
        }
        QCOMPARE(DF1TagKind(t), t.Kind);
        dlg->Tag = t;
        const int r = Run([this] {
            QCOMPARE(dlg->windowTitle(), QStringLiteral("Edit DF1 Tag"));
            Accept();
        }, 1);
        QCOMPARE(r, int(QDialog::Accepted));
        CompareTags(dlg->Tag, t);
    }

    void nameIsSentAsTheFileKeepsIt() { ExpectNameKeptAsTheFileKeepsIt(dlg.get(), *boxes, [this] { FillSerial(*dlg); }); }

    void nameTheDeviceCannotCarryIsRefused()
    {
        const int r = Run([this] {
            FillSerial(*dlg);
            ExpectUncarriedNamesRefused(dlg.get(), *boxes);
            Type(dlg->txtTagName, QStringLiteral("N7_0"));
            Accept();
        });
        QCOMPARE(r, int(QDialog::Accepted));
        QCOMPARE(dlg->Tag.Name, std::string("N7_0"));
    }

    void cancelLeavesTag()
    {
        const int r = Run([this] {
            FillSerial(*dlg);
            QTest::mouseClick(dlg->btnCancel, Qt::LeftButton);
        });
        QCOMPARE(r, int(QDialog::Rejected));
        QCOMPARE(dlg->Tag.Name, std::string("UNTOUCHED"));
    }
};

QTEST_MAIN(TestDF1Tags)
#include "test_df1tags.moc"
