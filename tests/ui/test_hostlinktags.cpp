// The Hostlink tag editor driven as its callers drive it: the controls and their rules, the two
// kinds of alarm, every refusal in order, the tags built for each source and their kind, edit
// round trips, the key filters and the text/value operations.
#include "HostlinkTags.h"
#include "KeyFilter.h"
#include "NumFormat.h"
#include "PasteDrive.h"
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

void CompareTags(const THostlinkTagConfig &a, const THostlinkTagConfig &b)
{
    QCOMPARE(a.Name, b.Name);
    QCOMPARE(a.Source, b.Source);
    QCOMPARE(a.UnitID, b.UnitID);
    QCOMPARE(a.Type, b.Type);
    QCOMPARE(a.RegTable, b.RegTable);
    QCOMPARE(a.Address, b.Address);
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

void FillSerial(TfrmHostlinkTags &d)
{
    Type(d.txtTagName, QStringLiteral("TEMP"));
    Type(d.txtUnitID, QStringLiteral("1"));
    Type(d.txtAddress, QStringLiteral("100"));
}

struct Refusal {
    const char *name;
    std::function<void(TfrmHostlinkTags &)> setup;
    std::string message;
};

const std::vector<Refusal> &Refusals()
{
    using D = TfrmHostlinkTags;
    static const std::vector<Refusal> cases = {
        {"no name", [](D &d) { Type(d.txtTagName, QString()); }, "Tag must have a name."},
        {"unit empty", [](D &d) { Type(d.txtUnitID, QString()); }, "Unit ID must be provided."},
        {"unit 100",
         [](D &d) {
             // Two characters keep it out of the user's reach; a value loaded from a tag still comes whole.
             d.txtUnitID->setText(QStringLiteral("100"));
         },
         "Unit ID must be between 0 and 99."},
        {"single bit", [](D &d) { Pick(d.cboType, tSingleBit); },
         "Hostlink Serial Tags cannot be of type \"Single Bit\"."},
        {"address empty", [](D &d) { Type(d.txtAddress, QString()); }, "Register Address must be provided."},
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
             Type(d.txtBitPosition, QStringLiteral("15"));
             Limits(d, "1", "2");
         },
         "Digital Tags cannot have writting limits."},
        {"word bit with value alarm",
         [](D &d) {
             Pick(d.cboType, tWordBit);
             Type(d.txtBitPosition, QStringLiteral("0"));
             ValueAlarm(d, "1", "2");
         },
         "Digital Tags cannot have alarm by a range of values."},
        {"unsigned with edge alarm",
         [](D &d) {
             Tick(d.chkAlarmEnable, true);
             Tick(d.chkAlarmEdge, true);
         },
         "Only Digital Tags can have edge-triggered alarm."},
        {"limits equal", [](D &d) { Limits(d, "5", "5"); }, "Writing Limits are not valid"},
        {"limit not a number", [](D &d) { Limits(d, "1", "-"); }, "Writing Limits are not valid"},
        {"alarm of no kind", [](D &d) { Tick(d.chkAlarmEnable, true); },
         "Select either Out of Range Value Alarm or Edge triggered Alarm."},
        {"alarm reversed", [](D &d) { ValueAlarm(d, "10", "5"); }, "Alarm Range is not valid"},
        {"word bit scaled",
         [](D &d) {
             Pick(d.cboType, tWordBit);
             Type(d.txtBitPosition, QStringLiteral("1"));
             Scaled(d, "1", "0");
         },
         "Digital Tags cannot be scalable"},
        {"factor missing", [](D &d) { Scaled(d, "", "0"); }, "Scale Factors are not valid"},
        {"limits not integer", [](D &d) { Limits(d, "1", "2.5"); }, "Write Limits must be Integer for this type of Tag."},
        {"alarm not integer", [](D &d) { ValueAlarm(d, "0.5", "2"); },
         "Alarm range values must be Integer for this type of Tag."},
        {"signed limits out of bounds",
         [](D &d) {
             Pick(d.cboType, tSigned);
             Limits(d, "-40000", "10");
         },
         "Write Limits must be between -32768 and 32767 for the selected type."},
        {"unsigned alarm out of bounds", [](D &d) { ValueAlarm(d, "-1", "10"); },
         "Alarm Range Values must be between 0 and 65535 for the selected type."},
        {"bcd alarm out of bounds",
         [](D &d) {
             Pick(d.cboType, tBCD);
             ValueAlarm(d, "1", "70000");
         },
         "Alarm Range Values must be between 0 and 65535 for the selected type."},
    };
    return cases;
}

}  // namespace

class TestHostlinkTags : public QObject {
    Q_OBJECT

    std::unique_ptr<TfrmHostlinkTags> dlg;
    std::unique_ptr<MessageBoxRecorder> boxes;

    int Run(const std::function<void()> &f, uint8_t mode = 0) { return RunEditor(dlg.get(), f, mode); }

    void ExpectRefused(const std::string &text) { ExpectEditorRefused(dlg.get(), *boxes, text); }

    void Accept() { ExpectEditorAccepts(dlg.get(), *boxes); }

private slots:
    void init()
    {
        SetDecimalSeparator('.');
        dlg = std::make_unique<TfrmHostlinkTags>();
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
        QCOMPARE(frmHostlinkTags, nullptr);
        QCOMPARE(dlg->pgeTags->count(), 4);
        QCOMPARE(dlg->pgeTags->tabText(2), QStringLiteral("Alarm"));
        QCOMPARE(dlg->grpTagAlarm->title(), QStringLiteral("Tag Alarm"));
        QCOMPARE(dlg->lblUnitID->text(), QStringLiteral("Hostlink Unit ID (Slave)"));
        QCOMPARE(dlg->lblHostlinkFunction->text(), QStringLiteral("Register Table"));
        QCOMPARE(dlg->lblAddress->text(), QStringLiteral("Register Address"));
        QCOMPARE(dlg->lblBitPosition->text(), QStringLiteral("Position (Bit)"));
        QCOMPARE(TypingLimit(dlg->txtUnitID), 2);
        QCOMPARE(TypingLimit(dlg->txtAddress), 4);
        QVERIFY(dlg->txtAddress->inputMask().isEmpty());
        QCOMPARE(TypingLimit(dlg->txtTagName), 15);
        QCOMPARE(dlg->chkAlarmEnable->text(), QStringLiteral("Alarm Enable"));
        QCOMPARE(dlg->chkSendEMail->text(), QStringLiteral("Send E-Mail on Alarm"));
        QCOMPARE(dlg->chkAlarmValue->text(), QStringLiteral("Alarm by Value (Integer and Floats)"));
        QCOMPARE(dlg->lblLowestAlarm->text(), QStringLiteral("Lowest Value"));
        QCOMPARE(dlg->lblHighestAlarm->text(), QStringLiteral("Highest Value"));
        QCOMPARE(dlg->chkAlarmEdge->text(), QStringLiteral("Alarm by edge (Digital)"));
        QCOMPARE(dlg->rdoPositive->text(), QStringLiteral("Alarm on Positive edge (0 -> 1)"));
        QCOMPARE(dlg->rdoNegative->text(), QStringLiteral("Alarm on Negative edge (1 -> 0)"));
        QVERIFY(!dlg->imgPositive->pixmap().isNull());
        QVERIFY(dlg->findChild<QCheckBox *>(QStringLiteral("chkSendTrap")) == nullptr);
        QVERIFY(dlg->findChild<QCheckBox *>(QStringLiteral("chk32Bit")) == nullptr);
        QStringList sources, types, tables;
        for (int i = 0; i < dlg->cboSource->count(); ++i) sources << dlg->cboSource->itemText(i);
        for (int i = 0; i < dlg->cboType->count(); ++i) types << dlg->cboType->itemText(i);
        for (int i = 0; i < dlg->cboHostlinkFunction->count(); ++i) tables << dlg->cboHostlinkFunction->itemText(i);
        QCOMPARE(sources, (QStringList{"Hostlink Serial", "Velto Input", "Velto Output", "Internal", "Velto Ainput"}));
        QCOMPARE(types, (QStringList{"Unsigned int", "Signed int", "Long", "Float", "BCD", "Word bit", "Single bit"}));
        QCOMPARE(tables, (QStringList{"IR", "SR", "LR", "HR", "TCPV", "DM"}));
    }

    void textAndValueOperations()
    {
        QCOMPARE(TfrmHostlinkTags::GetHostlinkFunctionValue("DM"), uint8_t(5));
        QCOMPARE(TfrmHostlinkTags::GetHostlinkFunctionValue("dm"), uint8_t(0));
        QCOMPARE(TfrmHostlinkTags::GetHostlinkFunctionValue("XX"), uint8_t(0));
        QCOMPARE(TfrmHostlinkTags::GetHostlinkFunctionText(4), std::string("TCPV"));
        QCOMPARE(TfrmHostlinkTags::GetSourceValue(""), uint8_t(0));
        QCOMPARE(TfrmHostlinkTags::GetSourceValue("Velto Ainput"), uint8_t(4));
        QCOMPARE(TfrmHostlinkTags::GetSourceText(0), std::string("Hostlink Serial"));
        QCOMPARE(TfrmHostlinkTags::GetTypeText(3), std::string("Float"));
        QCOMPARE(TfrmHostlinkTags::GetTypeValue("Single bit"), uint8_t(6));
        QCOMPARE(TfrmHostlinkTags::GetTypeValue("Long Inverted"), uint8_t(0));
        QCOMPARE(TfrmHostlinkTags::GetScaleText(0), std::string("None"));
        QCOMPARE(TfrmHostlinkTags::GetScaleValue("Linear (Ax+B)"), uint8_t(1));
    }

    void addModeStartsCleared()
    {
        dlg->Tag.Source = srcAnalog;
        dlg->Tag.Alarm = true;
        dlg->Tag.Kind = KindInteger;
        dlg->Tag.Scale = 1;
        Run([] {}, 1);
        Run([this] {
            QCOMPARE(dlg->windowTitle(), QStringLiteral("Add Hostlink Tag"));
            QCOMPARE(dlg->pgeTags->currentIndex(), 0);
            QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(dlg->cboSource));
            QCOMPARE(dlg->minimumSize(), dlg->maximumSize());
            const QPoint off = dlg->frameGeometry().center() - dlg->screen()->availableGeometry().center();
            QVERIFY(off.manhattanLength() <= 2);
            QVERIFY(dlg->txtTagName->text().isEmpty() && dlg->txtUnitID->text().isEmpty());
            QVERIFY(dlg->txtAddress->text().isEmpty() && dlg->txtBitPosition->text().isEmpty());
            QCOMPARE(dlg->cboSource->currentIndex(), 0);
            QCOMPARE(dlg->cboType->currentIndex(), 0);
            QCOMPARE(dlg->cboHostlinkFunction->currentIndex(), 0);
            QVERIFY(dlg->cboType->isEnabled() && dlg->cboHostlinkFunction->isEnabled());
            QVERIFY(!dlg->txtBitPosition->isEnabled() && !dlg->btnInternal->isEnabled());
            QVERIFY(!dlg->chkReadOnly->isChecked() && dlg->chkReadOnly->isEnabled());
            QVERIFY(!dlg->chkWriteLimits->isChecked() && dlg->chkWriteLimits->isEnabled());
            QVERIFY(!dlg->txtMinWrite->isEnabled());
            QVERIFY(!dlg->chkAlarmEnable->isChecked());
            for (QWidget *w : {static_cast<QWidget *>(dlg->chkSendEMail), static_cast<QWidget *>(dlg->chkAlarmValue),
                               static_cast<QWidget *>(dlg->chkAlarmEdge), static_cast<QWidget *>(dlg->txtLowestAlarm),
                               static_cast<QWidget *>(dlg->rdoNegative)})
                QVERIFY(!w->isEnabled());
            QVERIFY(!dlg->chkAlarmValue->isChecked() && !dlg->chkAlarmEdge->isChecked());
            QVERIFY(dlg->rdoPositive->isChecked());
            QCOMPARE(dlg->cboScale->currentIndex(), 0);
            QVERIFY(!dlg->txtFactorA->isEnabled());
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

    void checksRunInOrder()
    {
        Run([this] {
            Type(dlg->txtTagName, QStringLiteral("T"));
            Pick(dlg->cboType, tSingleBit);
            ExpectRefused("Unit ID must be provided.");
            Type(dlg->txtUnitID, QStringLiteral("5"));
            ExpectRefused("Hostlink Serial Tags cannot be of type \"Single Bit\".");
            Pick(dlg->cboType, tFloat);
            Limits(*dlg, "2", "1");
            Tick(dlg->chkAlarmEnable, true);
            Tick(dlg->chkAlarmEdge, true);
            ExpectRefused("Register Address must be provided.");
            Type(dlg->txtAddress, QStringLiteral("9999"));
            ExpectRefused("Only Digital Tags can have edge-triggered alarm.");
            Tick(dlg->chkAlarmEdge, false);
            ExpectRefused("Writing Limits are not valid");
            Limits(*dlg, "1", "2");
            ExpectRefused("Select either Out of Range Value Alarm or Edge triggered Alarm.");
        });
    }

    void unitIdBounds()
    {
        for (const char *unit : {"0", "99"}) {
            const int r = Run([&] {
                FillSerial(*dlg);
                Type(dlg->txtUnitID, QString::fromLatin1(unit));
                Accept();
            });
            QCOMPARE(r, int(QDialog::Accepted));
            QCOMPARE(dlg->Tag.UnitID, std::stoi(unit));
        }
        Run([this] {
            Type(dlg->txtUnitID, QStringLiteral("123"));
            QCOMPARE(dlg->txtUnitID->text(), QStringLiteral("12"));
        });
    }

    void alarmKindsExcludeEachOther()
    {
        Run([this] {
            Tick(dlg->chkAlarmEnable, true);
            for (QWidget *w : {static_cast<QWidget *>(dlg->chkSendEMail), static_cast<QWidget *>(dlg->chkAlarmValue),
                               static_cast<QWidget *>(dlg->chkAlarmEdge), static_cast<QWidget *>(dlg->txtLowestAlarm),
                               static_cast<QWidget *>(dlg->txtHighestAlarm), static_cast<QWidget *>(dlg->rdoPositive),
                               static_cast<QWidget *>(dlg->rdoNegative)})
                QVERIFY(w->isEnabled());
            Tick(dlg->chkAlarmEdge, true);
            QVERIFY(!dlg->chkAlarmValue->isChecked());
            Tick(dlg->chkAlarmValue, true);
            QVERIFY(!dlg->chkAlarmEdge->isChecked());
            Tick(dlg->chkAlarmEdge, true);
            QVERIFY(!dlg->chkAlarmValue->isChecked());
            Tick(dlg->chkSendEMail, true);
            Tick(dlg->chkAlarmEnable, false);
            QVERIFY(!dlg->chkSendEMail->isChecked() && !dlg->chkAlarmEdge->isChecked());
            for (QWidget *w : {static_cast<QWidget *>(dlg->chkSendEMail), static_cast<QWidget *>(dlg->chkAlarmValue),
                               static_cast<QWidget *>(dlg->chkAlarmEdge), static_cast<QWidget *>(dlg->txtLowestAlarm),
                               static_cast<QWidget *>(dlg->txtHighestAlarm), static_cast<QWidget *>(dlg->rdoPositive),
                               static_cast<QWidget *>(dlg->rdoNegative)})
                QVERIFY(!w->isEnabled());
            // Every alarm control stays on show; nothing switches layouts.
            for (QWidget *w : {static_cast<QWidget *>(dlg->txtLowestAlarm), static_cast<QWidget *>(dlg->rdoPositive),
                               static_cast<QWidget *>(dlg->imgNegative)})
                QVERIFY(w->isVisible());
        });
    }

    void sourceRules()
    {
        Run([this] {
            for (int source : {srcInput, srcOutput, srcAnalog}) {
                Pick(dlg->cboSource, source);
                QVERIFY(!dlg->btnInternal->isEnabled());
                QVERIFY(!dlg->txtUnitID->isEnabled() && !dlg->txtAddress->isEnabled());
                QVERIFY(!dlg->cboType->isEnabled() && !dlg->lblType->isEnabled());
                QVERIFY(!dlg->cboHostlinkFunction->isEnabled() && !dlg->lblHostlinkFunction->isEnabled());
                QVERIFY(dlg->txtBitPosition->isEnabled());
                QCOMPARE(dlg->cboType->currentText(),
                         source == srcAnalog ? QStringLiteral("Signed int") : QStringLiteral("Single bit"));
                // No forcing of read access, limits or scale from the source.
                QVERIFY(dlg->chkReadOnly->isEnabled() && !dlg->chkReadOnly->isChecked());
                QVERIFY(dlg->chkWriteLimits->isEnabled());
                QVERIFY(dlg->cboScale->isEnabled());
            }
            Pick(dlg->cboSource, srcInternal);
            QVERIFY(dlg->btnInternal->isEnabled());
            QVERIFY(!dlg->txtBitPosition->isEnabled());
            QCOMPARE(dlg->cboType->currentText(), QStringLiteral("Single bit"));
            QVERIFY(dlg->chkReadOnly->isEnabled());
            Pick(dlg->cboSource, srcSerial);
            QVERIFY(!dlg->btnInternal->isEnabled());
            QVERIFY(dlg->txtUnitID->isEnabled() && dlg->txtAddress->isEnabled());
            QVERIFY(dlg->cboType->isEnabled() && dlg->lblType->isEnabled());
            QVERIFY(dlg->cboHostlinkFunction->isEnabled() && dlg->lblHostlinkFunction->isEnabled());
            QVERIFY(!dlg->txtBitPosition->isEnabled());
            Pick(dlg->cboType, tWordBit);
            QVERIFY(dlg->txtBitPosition->isEnabled());
            Pick(dlg->cboSource, srcOutput);
            Pick(dlg->cboSource, srcSerial);
            QVERIFY(!dlg->txtBitPosition->isEnabled());   // the output left "Single bit"
            Pick(dlg->cboType, tFloat);
            QVERIFY(!dlg->txtBitPosition->isEnabled());
            // The register table has no rule of its own.
            Pick(dlg->cboHostlinkFunction, 5);
            QVERIFY(dlg->cboType->isEnabled());
            QCOMPARE(dlg->cboType->currentIndex(), int(tFloat));
        });
    }

    void valuePageRules()
    {
        Run([this] {
            Pick(dlg->cboType, tWordBit);
            QVERIFY(dlg->chkWriteLimits->isEnabled());   // no digital forcing here
            Tick(dlg->chkWriteLimits, true);
            QVERIFY(dlg->txtMinWrite->isEnabled() && dlg->txtMaxWrite->isEnabled());
            Tick(dlg->chkReadOnly, true);
            QVERIFY(!dlg->chkWriteLimits->isChecked() && !dlg->chkWriteLimits->isEnabled());
            QVERIFY(!dlg->txtMinWrite->isEnabled());
            Tick(dlg->chkReadOnly, false);
            QVERIFY(dlg->chkWriteLimits->isEnabled() && !dlg->chkWriteLimits->isChecked());
            Pick(dlg->cboScale, 1);
            QVERIFY(dlg->txtFactorA->isEnabled() && dlg->txtFactorB->isEnabled());
            Pick(dlg->cboScale, 0);
            QVERIFY(!dlg->txtFactorA->isEnabled());
        });
    }

    void veltoInputMustBeReadOnly()
    {
        const int r = Run([this] {
            Type(dlg->txtTagName, QStringLiteral("in3"));
            Source(*dlg, srcInput, "3");
            ExpectRefused("Tag must be Read Only.");
            QVERIFY(dlg->chkReadOnly->isEnabled());
            Tick(dlg->chkReadOnly, true);
            Tick(dlg->chkAlarmEnable, true);
            Tick(dlg->chkAlarmEdge, true);
            Tick(dlg->rdoNegative, true);
            Accept();
        });
        QCOMPARE(r, int(QDialog::Accepted));
        THostlinkTagConfig e;
        e.Name = "IN3";
        e.Source = srcInput;
        e.Type = tSingleBit;
        e.BitPos = 3;
        e.ReadOnly = true;
        e.Alarm = true;
        e.AlMax.AsBoolean = true;
        e.Kind = KindDigital;
        CompareTags(dlg->Tag, e);
        QCOMPARE(HostlinkTagKind(dlg->Tag), dlg->Tag.Kind);
    }

    void veltoAinputIntegerAndFloat()
    {
        int r = Run([this] {
            Type(dlg->txtTagName, QStringLiteral("LEVEL"));
            Source(*dlg, srcAnalog, "2");
            Tick(dlg->chkReadOnly, true);
            ValueAlarm(*dlg, "0", "100");
            Tick(dlg->chkSendEMail, true);
            Accept();
        });
        QCOMPARE(r, int(QDialog::Accepted));
        THostlinkTagConfig e;
        e.Name = "LEVEL";
        e.Source = srcAnalog;
        e.Type = tSigned;
        e.BitPos = 2;
        e.ReadOnly = true;
        e.Alarm = true;
        e.EMail = true;
        e.AlMin.AsInteger = 0;
        e.AlMax.AsInteger = 100;
        e.Kind = KindInteger;
        CompareTags(dlg->Tag, e);
        QCOMPARE(HostlinkTagKind(dlg->Tag), dlg->Tag.Kind);

        r = Run([this] {
            QVERIFY(dlg->chkAlarmValue->isChecked());
            QCOMPARE(dlg->txtHighestAlarm->text(), QStringLiteral("100"));
            Scaled(*dlg, "0.5", "1");
            Type(dlg->txtLowestAlarm, QStringLiteral("-0.5"));
            Accept();
        }, 1);
        QCOMPARE(r, int(QDialog::Accepted));
        QCOMPARE(dlg->Tag.Kind, TTagKind(KindFloat));
        QCOMPARE(dlg->Tag.AlMin.AsFloat, -0.5f);
        QCOMPARE(dlg->Tag.AlMax.AsFloat, 100.0f);
        QCOMPARE(dlg->Tag.FactorA, 0.5f);
        QCOMPARE(dlg->Tag.FactorB, 1.0f);
        QCOMPARE(HostlinkTagKind(dlg->Tag), dlg->Tag.Kind);
    }

    void veltoOutputKeepsTheReadOnlyChoice()
    {
        for (bool readOnly : {true, false}) {
            Run([&] {
                Type(dlg->txtTagName, QStringLiteral("OUT"));
                Type(dlg->txtUnitID, QStringLiteral("4"));
                Pick(dlg->cboHostlinkFunction, 3);
                Source(*dlg, srcOutput, "6");
                Tick(dlg->chkReadOnly, readOnly);
                Accept();
            });
            THostlinkTagConfig e;
            e.Name = "OUT";
            e.Source = srcOutput;
            e.Type = tSingleBit;
            e.BitPos = 6;
            e.ReadOnly = readOnly;
            e.Kind = KindDigital;
            CompareTags(dlg->Tag, e);   // register table 0 ("IR"), unit ID 0
        }
    }

    void internalTag()
    {
        Run([this] {
            Pick(dlg->cboSource, srcInternal);
            Type(dlg->txtTagName, QStringLiteral("_commerror"));
            Tick(dlg->chkReadOnly, true);
            Tick(dlg->chkAlarmEnable, true);
            Tick(dlg->chkAlarmEdge, true);
            Accept();
        });
        THostlinkTagConfig e;
        e.Name = "_COMMERROR";
        e.Source = srcInternal;
        e.Type = tSingleBit;
        e.ReadOnly = true;
        e.Alarm = true;
        e.AlMin.AsBoolean = true;
        e.Kind = KindDigital;
        CompareTags(dlg->Tag, e);
    }

    void serialTagsBuilt()
    {
        Run([this] {
            FillSerial(*dlg);
            Type(dlg->txtUnitID, QStringLiteral("31"));
            Pick(dlg->cboType, tFloat);
            Pick(dlg->cboHostlinkFunction, 5);
            Type(dlg->txtAddress, QStringLiteral("9999"));
            Type(dlg->txtBitPosition, QStringLiteral("4"));   // not a word bit: not kept
            Limits(*dlg, "-0.5", "1.25");
            ValueAlarm(*dlg, "0", "0.75");
            Scaled(*dlg, "10", "-2");
            Accept();
        });
        THostlinkTagConfig e;
        e.Name = "TEMP";
        e.UnitID = 31;
        e.Type = tFloat;
        e.RegTable = 5;
        e.Address = 9999;
        e.Limits = true;
        e.WrMin.AsFloat = -0.5f;
        e.WrMax.AsFloat = 1.25f;
        e.Alarm = true;
        e.AlMax.AsFloat = 0.75f;
        e.Scale = 1;
        e.FactorA = 10.0f;
        e.FactorB = -2.0f;
        e.Kind = KindFloat;
        CompareTags(dlg->Tag, e);

        Run([this] {
            FillSerial(*dlg);
            Pick(dlg->cboType, tLong);
            Limits(*dlg, "-2147483648", "2147483647");
            ValueAlarm(*dlg, "-7", "7");
            Accept();
        });
        QCOMPARE(dlg->Tag.Kind, TTagKind(KindInteger));
        QCOMPARE(dlg->Tag.WrMin.AsInteger, -2147483647 - 1);
        QCOMPARE(dlg->Tag.WrMax.AsInteger, 2147483647);
        QCOMPARE(dlg->Tag.WrMin.AsFloat, 0.0f);
        QCOMPARE(dlg->Tag.AlMin.AsInteger, -7);
        QCOMPARE(dlg->Tag.AlMax.AsInteger, 7);

        Run([this] {
            FillSerial(*dlg);
            Pick(dlg->cboType, tWordBit);
            Type(dlg->txtBitPosition, QStringLiteral("12"));
            Tick(dlg->chkAlarmEnable, true);
            Tick(dlg->chkAlarmEdge, true);
            Accept();
        });
        e = THostlinkTagConfig{};
        e.Name = "TEMP";
        e.UnitID = 1;
        e.Type = tWordBit;
        e.Address = 100;
        e.BitPos = 12;
        e.Alarm = true;
        e.AlMin.AsBoolean = true;
        e.Kind = KindDigital;
        CompareTags(dlg->Tag, e);
    }

    void roundTrips_data()
    {
        QTest::addColumn<QString>("shape");
        for (const char *n : {"unsigned limits alarm", "float scaled", "word bit negative", "input", "output",
                              "internal", "analog integer", "analog float", "bcd"})
            QTest::newRow(n) << QString::fromLatin1(n);
    }

    void roundTrips()
    {
        QFETCH(QString, shape);
        THostlinkTagConfig t;
        t.Name = "TAG";
        if (shape == "unsigned limits alarm") {
            t.UnitID = 0;
            t.RegTable = 2;
            t.Address = 0;
            t.Limits = true;
            t.WrMin.AsInteger = 0;
            t.WrMax.AsInteger = 500;
            t.Alarm = true;
            t.EMail = true;
            t.AlMin.AsInteger = 10;
            t.AlMax.AsInteger = 20;
            t.Kind = KindInteger;
        } else if (shape == "float scaled") {
            t.UnitID = 99;
            t.Type = tFloat;
            t.RegTable = 4;
            t.Address = 1234;
            t.ReadOnly = true;
            t.Alarm = true;
            t.AlMin.AsFloat = 0.1f;
            t.AlMax.AsFloat = 0.2f;
            t.Scale = 1;
            t.FactorA = 0.001f;
            t.FactorB = 273.15f;
            t.Kind = KindFloat;
        } else if (shape == "word bit negative") {
            t.UnitID = 7;
            t.Type = tWordBit;
            t.Address = 5;
            t.BitPos = 15;
            t.Alarm = true;
            t.AlMax.AsBoolean = true;
            t.Kind = KindDigital;
        } else if (shape == "input") {
            t.Source = srcInput;
            t.Type = tSingleBit;
            t.BitPos = 7;
            t.ReadOnly = true;
            t.Kind = KindDigital;
        } else if (shape == "output") {
            t.Source = srcOutput;
            t.Type = tSingleBit;
            t.BitPos = 0;
            t.Alarm = true;
            t.EMail = true;
            t.AlMin.AsBoolean = true;
            t.Kind = KindDigital;
        } else if (shape == "internal") {
            t.Name = "_ALARM";
            t.Source = srcInternal;
            t.Type = tSingleBit;
            t.ReadOnly = true;
            t.Kind = KindDigital;
        } else if (shape == "analog integer") {
            t.Source = srcAnalog;
            t.Type = tSigned;
            t.BitPos = 1;
            t.ReadOnly = true;
            t.Alarm = true;
            t.AlMin.AsInteger = -100;
            t.AlMax.AsInteger = 100;
            t.Kind = KindInteger;
        } else if (shape == "analog float") {
            t.Source = srcAnalog;
            t.Type = tSigned;
            t.BitPos = 4;
            t.ReadOnly = true;
            t.Scale = 1;
            t.FactorA = 2.5f;
            t.FactorB = 0.1f;
            t.Kind = KindFloat;
        } else {
            t.UnitID = 50;
            t.Type = tBCD;
            t.RegTable = 1;
            t.Address = 9999;
            t.Limits = true;
            t.WrMin.AsInteger = 1;
            t.WrMax.AsInteger = 9999;
            t.Kind = KindInteger;
        }
        QCOMPARE(HostlinkTagKind(t), t.Kind);
        dlg->Tag = t;
        const int r = Run([this] {
            QCOMPARE(dlg->windowTitle(), QStringLiteral("Edit Hostlink Tag"));
            Accept();
        }, 1);
        QCOMPARE(r, int(QDialog::Accepted));
        CompareTags(dlg->Tag, t);
    }

    void editLoadsTheAlarmKind()
    {
        THostlinkTagConfig t;
        t.Name = "W";
        t.UnitID = 1;
        t.Type = tWordBit;
        t.BitPos = 3;
        t.Alarm = true;
        t.AlMax.AsBoolean = true;
        t.Kind = KindDigital;
        dlg->Tag = t;
        Run([this] {
            QVERIFY(dlg->chkAlarmEdge->isChecked() && !dlg->chkAlarmValue->isChecked());
            QVERIFY(dlg->rdoNegative->isChecked());
            QVERIFY(dlg->txtLowestAlarm->text().isEmpty());
            QVERIFY(dlg->txtBitPosition->isEnabled());
        }, 1);
        t.Type = tUnsigned;
        t.Kind = KindInteger;
        t.AlMin.AsInteger = -3;
        t.AlMax.AsInteger = 4;
        t.Limits = true;
        t.WrMin.AsInteger = 1;
        t.WrMax.AsInteger = 2;
        dlg->Tag = t;
        Run([this] {
            QVERIFY(!dlg->chkAlarmEdge->isChecked() && dlg->chkAlarmValue->isChecked());
            QCOMPARE(dlg->txtLowestAlarm->text(), QStringLiteral("-3"));
            QCOMPARE(dlg->txtHighestAlarm->text(), QStringLiteral("4"));
            QVERIFY(dlg->rdoPositive->isChecked());
            QVERIFY(dlg->chkWriteLimits->isChecked() && dlg->txtMinWrite->isEnabled());
            QCOMPARE(dlg->txtMaxWrite->text(), QStringLiteral("2"));
            QVERIFY(!dlg->txtBitPosition->isEnabled());
        }, 1);
        t.Alarm = false;
        t.ReadOnly = true;
        dlg->Tag = t;
        Run([this] {
            QVERIFY(!dlg->chkAlarmEdge->isChecked() && !dlg->chkAlarmValue->isChecked());
            QVERIFY(dlg->txtLowestAlarm->text().isEmpty() && !dlg->txtLowestAlarm->isEnabled());
            QVERIFY(dlg->chkReadOnly->isChecked() && dlg->chkReadOnly->isEnabled());
            QVERIFY(!dlg->chkWriteLimits->isChecked() && !dlg->chkWriteLimits->isEnabled());
        }, 1);
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

    void keyFilters()
    {
        Run([this] {
            Type(dlg->txtAddress, QStringLiteral("1-2x34567"));
            QCOMPARE(dlg->txtAddress->text(), QStringLiteral("1234"));
            Type(dlg->txtUnitID, QStringLiteral("+5"));
            QCOMPARE(dlg->txtUnitID->text(), QStringLiteral("5"));
            Pick(dlg->cboType, tWordBit);
            Type(dlg->txtBitPosition, QStringLiteral("-15"));
            QCOMPARE(dlg->txtBitPosition->text(), QStringLiteral("15"));
            Type(dlg->txtTagName, QStringLiteral("valve_2b"));
            QCOMPARE(dlg->txtTagName->text(), QStringLiteral("VALVE_2B"));
            Tick(dlg->chkWriteLimits, true);
            SetDecimalSeparator(',');
            Type(dlg->txtMinWrite, QStringLiteral("-1,5;"));
            QCOMPARE(dlg->txtMinWrite->text(), QStringLiteral("-1,5"));
            SetDecimalSeparator('.');
            Type(dlg->txtMaxWrite, QStringLiteral("-1,5;"));
            QCOMPARE(dlg->txtMaxWrite->text(), QStringLiteral("-15"));
        });
    }

    // Pasted and dropped text obeys the filter the keys obey: a text with a character the box does
    // not take is refused whole, so "-1" never becomes an address.
    void keyFiltersHoldForPasteAndDrop()
    {
        const int r = Run([this] {
            FillSerial(*dlg);
            Type(dlg->txtAddress, QString());
            PasteInto(dlg->txtAddress, QStringLiteral("-1"));
            QCOMPARE(dlg->txtAddress->text(), QString());
            DropInto(dlg->txtAddress, QStringLiteral("1e3"));
            QCOMPARE(dlg->txtAddress->text(), QString());
            PasteInto(dlg->txtAddress, QStringLiteral("12"));
            QCOMPARE(dlg->txtAddress->text(), QStringLiteral("12"));
            PasteInto(dlg->txtAddress, QStringLiteral("345"));   // past the four digits
            QCOMPARE(dlg->txtAddress->text(), QStringLiteral("12"));
            Type(dlg->txtUnitID, QStringLiteral("5"));
            PasteInto(dlg->txtUnitID, QStringLiteral("+"));
            QCOMPARE(dlg->txtUnitID->text(), QStringLiteral("5"));
            Pick(dlg->cboType, tFloat);
            Scaled(*dlg, "", "");
            PasteInto(dlg->txtFactorA, QStringLiteral("1.5E3"));
            QCOMPARE(dlg->txtFactorA->text(), QString());
            PasteInto(dlg->txtFactorA, QStringLiteral("-2.5"));
            QCOMPARE(dlg->txtFactorA->text(), QStringLiteral("-2.5"));
            DropInto(dlg->txtFactorB, QStringLiteral("0x10"));
            QCOMPARE(dlg->txtFactorB->text(), QString());
            DropInto(dlg->txtFactorB, QStringLiteral("4"));
            QCOMPARE(dlg->txtFactorB->text(), QStringLiteral("4"));
            QTest::mouseClick(dlg->btnOk, Qt::LeftButton);
        });
        QCOMPARE(r, int(QDialog::Accepted));
        QCOMPARE(dlg->Tag.Address, 12);
        QCOMPARE(dlg->Tag.FactorA, -2.5f);
        QCOMPARE(dlg->Tag.FactorB, 4.0f);
    }

    // A tag loaded for editing shows its values whole, past the typing limits, so the checks see
    // what the tag holds rather than a cut value that would pass.
    void loadedValuesStayWhole()
    {
        THostlinkTagConfig t;
        t.Name = "UNTOUCHED";
        t.UnitID = 100;
        t.Address = 12345;
        dlg->Tag = t;
        Run([this] {
            QCOMPARE(dlg->txtUnitID->text(), QStringLiteral("100"));
            QCOMPARE(dlg->txtAddress->text(), QStringLiteral("12345"));
            ExpectRefused("Unit ID must be between 0 and 99.");
        }, 1);
    }

    void nameIsSentAsTheFileKeepsIt() { ExpectNameKeptAsTheFileKeepsIt(dlg.get(), *boxes, [this] { FillSerial(*dlg); }); }

    void nameTheDeviceCannotCarryIsRefused()
    {
        const int r = Run([this] {
            FillSerial(*dlg);
            ExpectUncarriedNamesRefused(dlg.get(), *boxes);
            Type(dlg->txtTagName, QStringLiteral("A-B1"));
            Accept();
        });
        QCOMPARE(r, int(QDialog::Accepted));
        QCOMPARE(dlg->Tag.Name, std::string("A-B1"));
    }
};

QTEST_MAIN(TestHostlinkTags)
#include "test_hostlinktags.moc"
