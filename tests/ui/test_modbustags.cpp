// The Modbus tag editor driven as its callers drive it: the controls and their rules, every refusal
// in order, the address formats with their warning, the tags built for each source and their kind,
// edit round trips, the key filters and the text/value operations.
#include "InternalTags.h"
#include "KeyFilter.h"
#include "ModbusTags.h"
#include "ModbusTagsAddress.h"
#include "NumFormat.h"
#include "PasteDrive.h"
#include "TagEditorDrive.h"
#include "UiTestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <memory>

using namespace vxt;
using namespace vxt::test;

namespace {

enum { HR = 0, IR = 1, IS = 2, CS = 3 };
enum { tUnsigned, tSigned, tLong, tLongInv, tFloat, tFloatInv, tBCD, tWordBit, tSingleBit };

void CompareTags(const TModbusTagConfig &a, const TModbusTagConfig &b)
{
    QCOMPARE(a.Name, b.Name);
    QCOMPARE(a.Source, b.Source);
    QCOMPARE(a.UnitID, b.UnitID);
    QCOMPARE(a.Type, b.Type);
    QCOMPARE(a.RegTable, b.RegTable);
    QCOMPARE(a.Address, b.Address);
    QCOMPARE(a.BitPos, b.BitPos);
    QCOMPARE(a.Reg32, b.Reg32);
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
    QCOMPARE(a.Trap, b.Trap);
}

TModbusTagConfig Sentinel()
{
    TModbusTagConfig t;
    t.Name = "UNTOUCHED";
    t.UnitID = 77;
    return t;
}

// A valid holding-register tag, in four-digit address form (no warning).
void FillSerial(TfrmModbusTags &d)
{
    Type(d.txtTagName, QStringLiteral("TEMP"));
    Type(d.txtUnitID, QStringLiteral("1"));
    Type(d.txtAddress, QStringLiteral("1000"));
}

struct Refusal {
    const char *name;
    std::function<void(TfrmModbusTags &)> setup;
    std::string message;
};

const std::vector<Refusal> &Refusals()
{
    static const std::vector<Refusal> cases = {
        {"no name", [](TfrmModbusTags &d) { Type(d.txtTagName, QString()); }, "Tag must have a name."},
        {"unit empty", [](TfrmModbusTags &d) { Type(d.txtUnitID, QString()); }, "Modbus Unit ID must be provided."},
        {"unit 0", [](TfrmModbusTags &d) { Type(d.txtUnitID, QStringLiteral("0")); }, "Unit ID must be between 1 and 255."},
        {"unit 256", [](TfrmModbusTags &d) { Type(d.txtUnitID, QStringLiteral("256")); },
         "Unit ID must be between 1 and 255."},
        {"single bit in holding", [](TfrmModbusTags &d) { Pick(d.cboType, tSingleBit); },
         "\"Inputs Register\" and \"Holding Registers\" cannot be of type \"Single Bit\"."},
        {"single bit in input register",
         [](TfrmModbusTags &d) {
             Pick(d.cboModbusFunction, IR);
             Pick(d.cboType, tSingleBit);
         },
         "\"Inputs Register\" and \"Holding Registers\" cannot be of type \"Single Bit\"."},
        {"address empty", [](TfrmModbusTags &d) { Type(d.txtAddress, QString()); }, "Register Address must be provided."},
        {"address two digits", [](TfrmModbusTags &d) { Type(d.txtAddress, QStringLiteral("12")); },
         "Register Address must be complete."},
        // A blank between digits is kept: no number, whatever follows it.
        {"address 1 2", [](TfrmModbusTags &d) { Type(d.txtAddress, QStringLiteral("1 2")); },
         "Register Address must be provided."},
        {"address 1 234", [](TfrmModbusTags &d) { Type(d.txtAddress, QStringLiteral("1 234")); },
         "Register Address must be provided."},
        {"address 000", [](TfrmModbusTags &d) { Type(d.txtAddress, QStringLiteral("000")); },
         "In 4 digit format, Address must be between 001 and 999."},
        {"address -12", [](TfrmModbusTags &d) { Type(d.txtAddress, QStringLiteral("-12")); },
         "In 4 digit format, Address must be between 001 and 999."},
        {"address 0000", [](TfrmModbusTags &d) { Type(d.txtAddress, QStringLiteral("0000")); },
         "In 5 digit format, Address must be between 0001 and 9999."},
        {"address 65537", [](TfrmModbusTags &d) { Type(d.txtAddress, QStringLiteral("65537")); },
         "In 6 digit format, Address must be between 00001 and 65536."},
        {"address 00000", [](TfrmModbusTags &d) { Type(d.txtAddress, QStringLiteral("00000")); },
         "In 6 digit format, Address must be between 00001 and 65536."},
        {"word bit without bit", [](TfrmModbusTags &d) { Pick(d.cboType, tWordBit); },
         "Bit Position must be provided for this type."},
        {"word bit 16",
         [](TfrmModbusTags &d) {
             Pick(d.cboType, tWordBit);
             Type(d.txtBitPosition, QStringLiteral("16"));
         },
         "Bit Position must be between 0 and 15."},
        {"input register not read only",
         [](TfrmModbusTags &d) {
             Pick(d.cboModbusFunction, IR);
             d.chkReadOnly->setChecked(false);   // the rules keep it ticked; the check still guards
         },
         "Tag must be Read Only."},
        {"word bit with limits",
         [](TfrmModbusTags &d) {
             Pick(d.cboType, tWordBit);
             Type(d.txtBitPosition, QStringLiteral("3"));
             d.chkWriteLimits->setChecked(true);
         },
         "Digital Tags cannot have writting limits."},
        {"signed limits equal",
         [](TfrmModbusTags &d) {
             Pick(d.cboType, tSigned);
             Tick(d.chkWriteLimits, true);
             Type(d.txtMinWrite, QStringLiteral("5"));
             Type(d.txtMaxWrite, QStringLiteral("5"));
         },
         "Writing Limits are not valid"},
        {"limit not a number",
         [](TfrmModbusTags &d) {
             Tick(d.chkWriteLimits, true);
             Type(d.txtMinWrite, QStringLiteral("-"));
             Type(d.txtMaxWrite, QStringLiteral("5"));
         },
         "Writing Limits are not valid"},
        {"alarm reversed",
         [](TfrmModbusTags &d) {
             Tick(d.chkAlarmEnable, true);
             Type(d.txtLowestAlarm, QStringLiteral("10"));
             Type(d.txtHighestAlarm, QStringLiteral("5"));
         },
         "Alarm Range is not valid"},
        {"alarm bound empty",
         [](TfrmModbusTags &d) {
             Pick(d.cboType, tFloat);
             Tick(d.chkAlarmEnable, true);
             Type(d.txtLowestAlarm, QStringLiteral("1.5"));
         },
         "Alarm Range is not valid"},
        {"coil scaled",
         [](TfrmModbusTags &d) {
             Pick(d.cboModbusFunction, CS);
             Reveal(d.cboScale);
             d.cboScale->setCurrentIndex(1);   // the rules keep a digital tag unscaled; the check still guards
         },
         "Digital Tags cannot be scalable"},
        {"factor missing",
         [](TfrmModbusTags &d) {
             Pick(d.cboScale, 1);
             Type(d.txtFactorA, QStringLiteral("2"));
         },
         "Scale Factors are not valid"},
        // Numbers beyond what a tag holds would be written and sent as "INF".
        {"float alarm beyond a tag's range",
         [](TfrmModbusTags &d) {
             Pick(d.cboType, tFloat);
             Tick(d.chkAlarmEnable, true);
             Type(d.txtLowestAlarm, QStringLiteral("0"));
             Type(d.txtHighestAlarm, QString(40, QLatin1Char('9')));
         },
         "Alarm Range is not valid"},
        {"factor beyond a tag's range",
         [](TfrmModbusTags &d) {
             Pick(d.cboScale, 1);
             Type(d.txtFactorA, QString(40, QLatin1Char('9')));
             Type(d.txtFactorB, QStringLiteral("1"));
         },
         "Scale Factors are not valid"},
        {"limits not integer",
         [](TfrmModbusTags &d) {
             Pick(d.cboType, tSigned);
             Tick(d.chkWriteLimits, true);
             Type(d.txtMinWrite, QStringLiteral("1.5"));
             Type(d.txtMaxWrite, QStringLiteral("10"));
         },
         "Write Limits must be Integer for this type of Tag."},
        {"alarm not integer",
         [](TfrmModbusTags &d) {
             Tick(d.chkAlarmEnable, true);
             Type(d.txtLowestAlarm, QStringLiteral("1"));
             Type(d.txtHighestAlarm, QStringLiteral("1.5"));
         },
         "Alarm range values must be Integer for this type of Tag."},
        {"signed limits out of bounds",
         [](TfrmModbusTags &d) {
             Pick(d.cboType, tSigned);
             Tick(d.chkWriteLimits, true);
             Type(d.txtMinWrite, QStringLiteral("-40000"));
             Type(d.txtMaxWrite, QStringLiteral("10"));
         },
         "Write Limits must be between -32768 and 32767 for the selected type."},
        {"unsigned alarm out of bounds",
         [](TfrmModbusTags &d) {
             Tick(d.chkAlarmEnable, true);
             Type(d.txtLowestAlarm, QStringLiteral("-1"));
             Type(d.txtHighestAlarm, QStringLiteral("10"));
         },
         "Alarm Range Values must be between 0 and 65535 for the selected type."},
        {"bcd alarm above bounds",
         [](TfrmModbusTags &d) {
             Pick(d.cboType, tBCD);
             Tick(d.chkAlarmEnable, true);
             Type(d.txtLowestAlarm, QStringLiteral("0"));
             Type(d.txtHighestAlarm, QStringLiteral("65536"));
         },
         "Alarm Range Values must be between 0 and 65535 for the selected type."},
    };
    return cases;
}

}  // namespace

class TestModbusTags : public QObject {
    Q_OBJECT

    std::unique_ptr<TfrmModbusTags> dlg;
    std::unique_ptr<MessageBoxRecorder> boxes;

    int Run(const std::function<void()> &f, uint8_t mode = 0) { return RunEditor(dlg.get(), f, mode); }

    void ExpectRefused(const std::string &text) { ExpectEditorRefused(dlg.get(), *boxes, text); }

    // Opens the tag in edit mode, presses OK at once and returns what the editor stored.
    TModbusTagConfig RoundTrip(const TModbusTagConfig &in)
    {
        dlg->Tag = in;
        const int r = Run([this] { QTest::mouseClick(dlg->btnOk, Qt::LeftButton); }, 1);
        if (r != QDialog::Accepted) qWarning("the editor refused the tag");
        return dlg->Tag;
    }

private slots:
    void initTestCase() { QCOMPARE(TfrmModbusTags::AlarmMode, 0); }

    void init()
    {
        SetDecimalSeparator('.');
        dlg = std::make_unique<TfrmModbusTags>();
        dlg->Tag = Sentinel();
        boxes = std::make_unique<MessageBoxRecorder>();
    }

    void cleanup()
    {
        boxes.reset();
        dlg.reset();
        delete frmInternalTags;
        frmInternalTags = nullptr;
    }

    void layoutAndCaptions()
    {
        QCOMPARE(frmModbusTags, nullptr);   // the program entry creates the one instance
        QCOMPARE(dlg->pgeTags->count(), 4);
        QCOMPARE(dlg->pgeTags->tabText(0), QStringLiteral("Tag Configuration"));
        QCOMPARE(dlg->pgeTags->tabText(1), QStringLiteral("Tag Value"));
        QCOMPARE(dlg->pgeTags->tabText(2), QStringLiteral("Alarm"));
        QCOMPARE(dlg->pgeTags->tabText(3), QStringLiteral("Scale"));
        QCOMPARE(dlg->grpTagConfig->title(), QStringLiteral("Tag Configuration"));
        QCOMPARE(dlg->grpTagValue->title(), QStringLiteral("Tag Value"));
        QCOMPARE(dlg->grpTagAlarm->title(), QStringLiteral("Tag Alarm"));
        QCOMPARE(dlg->grpTagScale->title(), QStringLiteral("Tag Scale"));
        QCOMPARE(dlg->lblSource->text(), QStringLiteral("Source"));
        QCOMPARE(dlg->lblTagName->text(), QStringLiteral("Tag Name"));
        QCOMPARE(dlg->btnInternal->text(), QStringLiteral("..."));
        QCOMPARE(dlg->lblUnitID->text(), QStringLiteral("Modbus Unit ID (Slave)"));
        QCOMPARE(dlg->lblType->text(), QStringLiteral("Tag Type"));
        QCOMPARE(dlg->lblModbusFunction->text(), QStringLiteral("Register Table"));
        QCOMPARE(dlg->lblAddress->text(), QStringLiteral("Register Address"));
        QCOMPARE(dlg->lblBitPosition->text(), QStringLiteral("Position (Bit)"));
        QCOMPARE(dlg->chk32Bit->text(), QStringLiteral("32-Bit Register (Enron)"));
        QCOMPARE(dlg->chkReadOnly->text(), QStringLiteral("Tag is Read Only"));
        QCOMPARE(dlg->chkWriteLimits->text(), QStringLiteral("Tag has writing limits"));
        QCOMPARE(dlg->lblMinWrite->text(), QStringLiteral("Minimum write value"));
        QCOMPARE(dlg->lblMaxWrite->text(), QStringLiteral("Maximum write value"));
        QCOMPARE(dlg->chkAlarmEnable->text(), QStringLiteral("Alarm Enable"));
        QCOMPARE(dlg->rdoPositive->text(), QStringLiteral("Positive edge (0 -> 1)"));
        QCOMPARE(dlg->rdoNegative->text(), QStringLiteral("Negative edge (1 -> 0)"));
        QVERIFY(!dlg->imgPositive->pixmap().isNull());
        QVERIFY(!dlg->imgNegative->pixmap().isNull());
        QCOMPARE(dlg->lblLowestAlarm->text(), QStringLiteral("Lower Limit"));
        QCOMPARE(dlg->lblHighestAlarm->text(), QStringLiteral("Upper Limit"));
        QCOMPARE(dlg->grpAction->title(), QStringLiteral("Action"));
        QVERIFY(dlg->grpAction->isAncestorOf(dlg->chkSendEMail) && dlg->grpAction->isAncestorOf(dlg->chkSendTrap));
        QCOMPARE(dlg->chkSendEMail->text(), QStringLiteral("Send an e-mail"));
        QCOMPARE(dlg->chkSendTrap->text(), QStringLiteral("Send a trap"));
        QCOMPARE(dlg->lblScale->text(), QStringLiteral("Scale function"));
        QCOMPARE(dlg->lblFactorA->text(), QStringLiteral("A"));
        QCOMPARE(dlg->lblFactorB->text(), QStringLiteral("B"));
        QCOMPARE(dlg->btnOk->text(), QStringLiteral("OK"));
        QVERIFY(dlg->btnOk->isDefault());
        QCOMPARE(dlg->btnCancel->text(), QStringLiteral("Cancel"));
        QCOMPARE(TypingLimit(dlg->txtTagName), 15);
        QCOMPARE(TypingLimit(dlg->txtUnitID), 3);
        QCOMPARE(TypingLimit(dlg->txtBitPosition), 2);
        QCOMPARE(dlg->cboType->maxVisibleItems(), 9);
        for (QWidget *w : {static_cast<QWidget *>(dlg->cboSource), static_cast<QWidget *>(dlg->txtTagName),
                           static_cast<QWidget *>(dlg->txtAddress), static_cast<QWidget *>(dlg->chk32Bit),
                           static_cast<QWidget *>(dlg->txtLowestAlarm), static_cast<QWidget *>(dlg->cboScale)})
            QCOMPARE(dlg->findChild<QWidget *>(w->objectName()), w);
    }

    void listsHoldTheTables()
    {
        QStringList sources, types, tables, scales;
        for (int i = 0; i < dlg->cboSource->count(); ++i) sources << dlg->cboSource->itemText(i);
        for (int i = 0; i < dlg->cboType->count(); ++i) types << dlg->cboType->itemText(i);
        for (int i = 0; i < dlg->cboModbusFunction->count(); ++i) tables << dlg->cboModbusFunction->itemText(i);
        for (int i = 0; i < dlg->cboScale->count(); ++i) scales << dlg->cboScale->itemText(i);
        QCOMPARE(sources, (QStringList{"Modbus Serial", "Velto Input", "Velto Output", "Internal", ""}));
        QCOMPARE(types, (QStringList{"Unsigned int", "Signed int", "Long", "Long Inverted", "Float", "Float Inverted",
                                     "BCD", "Word bit", "Single bit"}));
        QCOMPARE(tables, (QStringList{"Holding Register", "Input Register", "Input Status", "Coil Status"}));
        QCOMPARE(scales, (QStringList{"None", "Linear (Ax+B)"}));
    }

    void textAndValueOperations()
    {
        QCOMPARE(TfrmModbusTags::GetSourceText(0), std::string("Modbus Serial"));
        QCOMPARE(TfrmModbusTags::GetSourceText(4), std::string());
        QCOMPARE(TfrmModbusTags::GetSourceValue("Velto Output"), uint8_t(2));
        QCOMPARE(TfrmModbusTags::GetSourceValue(""), uint8_t(4));
        QCOMPARE(TfrmModbusTags::GetSourceValue("velto output"), uint8_t(0));
        QCOMPARE(TfrmModbusTags::GetTypeText(7), std::string("Word bit"));
        QCOMPARE(TfrmModbusTags::GetTypeText(3), std::string("Long Inverted"));
        QCOMPARE(TfrmModbusTags::GetTypeValue("Float Inverted"), uint8_t(5));
        QCOMPARE(TfrmModbusTags::GetTypeValue("Double"), uint8_t(0));
        QCOMPARE(TfrmModbusTags::GetScaleText(1), std::string("Linear (Ax+B)"));
        QCOMPARE(TfrmModbusTags::GetScaleValue("Linear (Ax+B)"), uint8_t(1));
        QCOMPARE(TfrmModbusTags::GetScaleValue("Linear"), uint8_t(0));
    }

    void addModeStartsCleared()
    {
        // Leave a used state behind; the next add showing starts from scratch.
        dlg->Tag = TModbusTagConfig{};
        dlg->Tag.Name = "OLD";
        dlg->Tag.Source = 4;
        dlg->Tag.Alarm = true;
        dlg->Tag.Kind = KindInteger;
        dlg->Tag.AlMin.AsInteger = 3;
        dlg->Tag.AlMax.AsInteger = 9;
        Run([] {}, 1);
        Run([this] {
            QCOMPARE(dlg->windowTitle(), QStringLiteral("Add Modbus Tag"));
            QCOMPARE(dlg->pgeTags->currentIndex(), 0);
            QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(dlg->cboSource));
            QCOMPARE(dlg->minimumSize(), dlg->maximumSize());
            const QPoint off = dlg->frameGeometry().center() - dlg->screen()->availableGeometry().center();
            QVERIFY(off.manhattanLength() <= 2);
            QCOMPARE(dlg->txtTagName->text(), QString());
            QCOMPARE(dlg->cboSource->currentIndex(), 0);
            QCOMPARE(dlg->txtUnitID->text(), QString());
            QCOMPARE(dlg->cboType->currentIndex(), int(tUnsigned));
            QVERIFY(dlg->cboType->isEnabled());
            QCOMPARE(dlg->cboModbusFunction->currentIndex(), int(HR));
            QCOMPARE(dlg->txtAddress->Typed(), std::string());
            QCOMPARE(dlg->txtAddress->displayText(), QStringLiteral("4     "));
            QCOMPARE(dlg->txtBitPosition->text(), QString());
            QVERIFY(!dlg->txtBitPosition->isEnabled());
            QVERIFY(!dlg->chk32Bit->isChecked() && !dlg->chk32Bit->isEnabled());
            QVERIFY(!dlg->btnInternal->isEnabled());
            QVERIFY(!dlg->chkReadOnly->isChecked() && dlg->chkReadOnly->isEnabled());
            QVERIFY(!dlg->chkWriteLimits->isChecked() && dlg->chkWriteLimits->isEnabled());
            QVERIFY(!dlg->txtMinWrite->isEnabled() && !dlg->txtMaxWrite->isEnabled());
            QVERIFY(dlg->txtMinWrite->text().isEmpty() && dlg->txtMaxWrite->text().isEmpty());
            QVERIFY(!dlg->chkAlarmEnable->isChecked());
            QVERIFY(!dlg->chkSendEMail->isEnabled() && !dlg->chkSendTrap->isEnabled());
            QVERIFY(dlg->txtLowestAlarm->text().isEmpty() && !dlg->txtLowestAlarm->isEnabled());
            QVERIFY(dlg->rdoPositive->isChecked());
            QCOMPARE(TfrmModbusTags::AlarmMode, 2);
            QCOMPARE(dlg->cboScale->currentIndex(), 0);
            QVERIFY(dlg->cboScale->isEnabled());
            QVERIFY(!dlg->txtFactorA->isEnabled() && !dlg->txtFactorB->isEnabled());
            QVERIFY(dlg->txtFactorA->text().isEmpty());
        });
    }

    void cancelLeavesTag()
    {
        const int r = Run([this] {
            FillSerial(*dlg);
            QTest::mouseClick(dlg->btnCancel, Qt::LeftButton);
        });
        QCOMPARE(r, int(QDialog::Rejected));
        QCOMPARE(dlg->Tag.Name, std::string("UNTOUCHED"));
        QCOMPARE(dlg->Tag.UnitID, 77);
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
            // Unit ID before address, address before bit, limits before alarm before scale.
            Type(dlg->txtTagName, QStringLiteral("X"));
            Type(dlg->txtUnitID, QStringLiteral("300"));
            Pick(dlg->cboType, tWordBit);
            ExpectRefused("Unit ID must be between 1 and 255.");
            Type(dlg->txtUnitID, QStringLiteral("3"));
            ExpectRefused("Register Address must be provided.");
            Type(dlg->txtAddress, QStringLiteral("2000"));
            ExpectRefused("Bit Position must be provided for this type.");
            Pick(dlg->cboType, tFloat);
            Tick(dlg->chkWriteLimits, true);
            Tick(dlg->chkAlarmEnable, true);
            Pick(dlg->cboScale, 1);
            ExpectRefused("Writing Limits are not valid");
            Type(dlg->txtMinWrite, QStringLiteral("1"));
            Type(dlg->txtMaxWrite, QStringLiteral("2"));
            ExpectRefused("Alarm Range is not valid");
            Type(dlg->txtLowestAlarm, QStringLiteral("1"));
            Type(dlg->txtHighestAlarm, QStringLiteral("2"));
            ExpectRefused("Scale Factors are not valid");
        });
    }

    void bitTableWithRegisterTypeFromAFile()
    {
        // A coil stored with a register type (a hand-edited file) is refused until fixed; the
        // serial source leaves the type list open for that.
        TModbusTagConfig t;
        t.Name = "COIL";
        t.UnitID = 1;
        t.RegTable = CS;
        t.Type = tUnsigned;
        t.Address = 20;
        dlg->Tag = t;
        const int r = Run([this] {
            QVERIFY(dlg->cboType->isEnabled());
            dlg->Tag.Name = "UNTOUCHED";
            ExpectRefused("\"Coils\" and \"Input Status\" must be of type \"Single Bit\".");
            Pick(dlg->cboType, tSingleBit);
            QTest::mouseClick(dlg->btnOk, Qt::LeftButton);
        }, 1);
        QCOMPARE(r, int(QDialog::Accepted));
        QCOMPARE(dlg->Tag.Type, uint8_t(tSingleBit));
        QCOMPARE(dlg->Tag.RegTable, uint8_t(CS));
        QCOMPARE(dlg->Tag.Address, 20);
    }

    void inputRegisterNotReadOnlyFromAFile()
    {
        TModbusTagConfig t;
        t.Name = "IN";
        t.UnitID = 1;
        t.RegTable = IR;
        t.Address = 20;
        t.Kind = KindInteger;
        dlg->Tag = t;
        Run([this] {
            QVERIFY(!dlg->chkReadOnly->isChecked());
            QVERIFY(!dlg->chkReadOnly->isEnabled());
            dlg->Tag.Name = "UNTOUCHED";
            ExpectRefused("Tag must be Read Only.");
        }, 1);
    }

    void addressFormats_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("address");
        QTest::addColumn<bool>("warned");
        QTest::newRow("001") << "001" << 1 << true;
        QTest::newRow("999") << "999" << 999 << true;
        QTest::newRow("1000") << "1000" << 1000 << false;
        QTest::newRow("0001") << "0001" << 1 << false;
        QTest::newRow("00100") << "00100" << 100 << true;
        QTest::newRow("10000") << "10000" << 10000 << false;
        QTest::newRow("65536") << "65536" << 65536 << false;
    }

    void addressFormats()
    {
        QFETCH(QString, typed);
        QFETCH(int, address);
        QFETCH(bool, warned);
        const int r = Run([&] {
            FillSerial(*dlg);
            Type(dlg->txtAddress, typed);
            QTest::mouseClick(dlg->btnOk, Qt::LeftButton);
        });
        QCOMPARE(r, int(QDialog::Accepted));
        QCOMPARE(dlg->Tag.Address, address);
        const QStringList expected = warned ? QStringList{QStringLiteral(
                                                  "The entered Address will be converted in its equivalent value "
                                                  "expressed in the 5 digits Format.")}
                                            : QStringList{};
        QCOMPARE(Texts(*boxes), expected);
        if (warned) QCOMPARE(boxes->Shown().front().Kind, MsgKind::Warning);
    }

    void addressReloadsInFiveDigitForm()
    {
        Run([this] {
            FillSerial(*dlg);
            Type(dlg->txtAddress, QStringLiteral("001"));
            QTest::mouseClick(dlg->btnOk, Qt::LeftButton);
        });
        QCOMPARE(dlg->Tag.Address, 1);
        Run([this] {
            QCOMPARE(dlg->txtAddress->Typed(), std::string("0001"));
            QCOMPARE(dlg->txtAddress->displayText(), QStringLiteral("40001 "));
        }, 1);
        dlg->Tag.Address = 12345;
        dlg->Tag.RegTable = IR;
        Run([this] {
            QCOMPARE(dlg->txtAddress->Typed(), std::string("12345"));
            QCOMPARE(dlg->txtAddress->displayText(), QStringLiteral("312345"));
        }, 1);
    }

    void warningComesAgainBeforeALaterRefusal()
    {
        Run([this] {
            FillSerial(*dlg);
            Type(dlg->txtAddress, QStringLiteral("001"));
            Pick(dlg->cboType, tWordBit);
            const QString warning = QStringLiteral(
                "The entered Address will be converted in its equivalent value expressed in the 5 digits Format.");
            for (int i = 0; i < 2; ++i) {
                boxes->Clear();
                QTest::mouseClick(dlg->btnOk, Qt::LeftButton);
                QCOMPARE(Texts(*boxes), (QStringList{warning, QStringLiteral("Bit Position must be provided for this type.")}));
                QVERIFY(dlg->isVisible());
            }
        });
    }

    void addressEditKeepsDigitsBehindThePrefix()
    {
        Run([this] {
            Type(dlg->txtAddress, QStringLiteral("12a-"));
            QCOMPARE(dlg->txtAddress->Typed(), std::string("12-"));
            Type(dlg->txtAddress, QStringLiteral("1234567"));
            QCOMPARE(dlg->txtAddress->Typed(), std::string("12345"));
            Pick(dlg->cboModbusFunction, IR);
            QCOMPARE(dlg->txtAddress->displayText(), QStringLiteral("312345"));
            Pick(dlg->cboModbusFunction, IS);
            QCOMPARE(dlg->txtAddress->displayText(), QStringLiteral("112345"));
            Pick(dlg->cboModbusFunction, CS);
            QCOMPARE(dlg->txtAddress->displayText(), QStringLiteral("012345"));
            QCOMPARE(dlg->txtAddress->Typed(), std::string("12345"));
            // A first digit equal to the prefix is a digit, not the prefix.
            Type(dlg->txtAddress, QStringLiteral("0012"));
            QCOMPARE(dlg->txtAddress->Typed(), std::string("0012"));
            Pick(dlg->cboModbusFunction, HR);
            Type(dlg->txtAddress, QStringLiteral("4444"));
            QCOMPARE(dlg->txtAddress->Typed(), std::string("4444"));
            // Only trailing blanks are dropped; a blank between digits stays, also across a table change.
            Type(dlg->txtAddress, QStringLiteral("1 2"));
            QCOMPARE(dlg->txtAddress->Typed(), std::string("1 2"));
            Pick(dlg->cboModbusFunction, IR);
            QCOMPARE(dlg->txtAddress->displayText(), QStringLiteral("31 2  "));
            QCOMPARE(dlg->txtAddress->Typed(), std::string("1 2"));
        });
    }

    // Typed, pasted or dropped, text reaches the address by one rule. Brought onto the table digit
    // (over the whole box selected, or dropped on the digit), a text is the whole address: it
    // replaces all behind the digit, and one that begins with the digit is the address as shown.
    // Behind the digit, a text is digits in the positions it lands on. A paste or drop is taken whole
    // or not at all, keys one by one; the digits of Arabic and Persian keyboards are the ASCII ones.
    void addressTakesEveryWayInAlike_data()
    {
        QTest::addColumn<int>("table");         // the register table, whose digit is the prefix
        QTest::addColumn<QString>("before");    // typed first
        QTest::addColumn<int>("at");            // the caret, or a drop's point; 0: onto the digit
        QTest::addColumn<QString>("brought");   // '\b': Backspace
        QTest::addColumn<QString>("typed");     // what the box shows once typed; empty: no key brings it
        QTest::addColumn<QString>("taken");     // once pasted or dropped; empty: not a text
        const auto row = [](const char *name, int table, const QString &before, int at, const QString &brought,
                            const QString &typed, const QString &taken) {
            QTest::newRow(name) << table << before << at << brought << typed << taken;
        };
        // Ordinary typing, and what pastes and drops keep of it.
        row("over the whole box", HR, u"12345"_qs, 0, u"1000"_qs, u"41000 "_qs, u"41000 "_qs);
        row("behind the digits", HR, u"12"_qs, 3, u"345"_qs, u"412345"_qs, u"412345"_qs);
        row("into an empty box", HR, u""_qs, 1, u"12345"_qs, u"412345"_qs, u"412345"_qs);
        row("Backspace", HR, u"12345"_qs, 6, u"\b"_qs, u"41234 "_qs, u""_qs);
        row("Backspace over the whole box", HR, u"12345"_qs, 0, u"\b"_qs, u"4     "_qs, u""_qs);
        row("closing line end", HR, u""_qs, 1, u"123\r\n"_qs, u""_qs, u"4123  "_qs);
        row("Arabic-Indic digits", HR, u""_qs, 1, u"\u0661\u0662\u0663"_qs, u"4123  "_qs, u"4123  "_qs);
        row("Persian digits", HR, u"1"_qs, 2, u"\u06F2\u06F3\u06F4"_qs, u"41234 "_qs, u"41234 "_qs);
        // A key the box does not take is refused alone; a text holding one, whole.
        row("point", HR, u""_qs, 1, u"12.5"_qs, u"4125  "_qs, u"4     "_qs);
        row("group separator", HR, u""_qs, 1, u"1,234"_qs, u"41234 "_qs, u"4     "_qs);
        row("Arabic comma", HR, u""_qs, 1, u"1\u060C234"_qs, u"41234 "_qs, u"4     "_qs);
        row("letter", HR, u""_qs, 1, u"12a3"_qs, u"4123  "_qs, u"4     "_qs);
        row("no-break space", HR, u""_qs, 1, u"12\u00A03"_qs, u"4123  "_qs, u"4     "_qs);
        row("too long", HR, u""_qs, 1, u"1234567"_qs, u"412345"_qs, u"4     "_qs);
        row("no room behind the digits", HR, u"12"_qs, 3, u"3456"_qs, u"412345"_qs, u"412   "_qs);
        row("too long, onto the digit", HR, u"777"_qs, 0, u"123456"_qs, u"412345"_qs, u"4777  "_qs);
        row("too long behind the digit, onto it", HR, u"777"_qs, 0, u"4123456"_qs, u"412345"_qs, u"4777  "_qs);
        // Behind the digit, the table's digit is a digit.
        row("table digit behind the digit", HR, u""_qs, 1, u"40200"_qs, u"440200"_qs, u"440200"_qs);
        // Onto the digit: the address as shown, whatever the box held.
        row("address onto an empty box", HR, u""_qs, 0, u"40200"_qs, u"40200 "_qs, u"40200 "_qs);
        row("address onto a shorter box", HR, u"777"_qs, 0, u"40200"_qs, u"40200 "_qs, u"40200 "_qs);
        row("address onto as full a box", HR, u"7777"_qs, 0, u"40200"_qs, u"40200 "_qs, u"40200 "_qs);
        row("address onto a full box", HR, u"10001"_qs, 0, u"40200"_qs, u"40200 "_qs, u"40200 "_qs);
        row("copied box onto a full box", HR, u"10001"_qs, 0, u"40200 "_qs, u"40200 "_qs, u"40200 "_qs);
        row("short address onto a full box", HR, u"12345"_qs, 0, u"477"_qs, u"477   "_qs, u"477   "_qs);
        row("Arabic-Indic address", HR, u"10001"_qs, 0, u"\u0664\u0660\u0662\u0660\u0660"_qs, u"40200 "_qs,
            u"40200 "_qs);
        row("Persian address", HR, u"10001"_qs, 0, u"\u06F4\u06F0\u06F2\u06F0\u06F0"_qs, u"40200 "_qs, u"40200 "_qs);
        row("address with a blank inside", HR, u"777"_qs, 0, u"40 2 "_qs, u"40 2  "_qs, u"40 2  "_qs);
        row("input register address", IR, u"777"_qs, 0, u"30200 "_qs, u"30200 "_qs, u"30200 "_qs);
        row("coil address", CS, u"777"_qs, 0, u"012345"_qs, u"012345"_qs, u"012345"_qs);
        // Onto the digit, a text that begins otherwise is the digits behind it.
        row("other table's address", HR, u"12345"_qs, 0, u"30200"_qs, u"430200"_qs, u"430200"_qs);
    }

    void addressTakesEveryWayInAlike()
    {
        QFETCH(int, table);
        QFETCH(QString, before);
        QFETCH(int, at);
        QFETCH(QString, brought);
        QFETCH(QString, typed);
        QFETCH(QString, taken);
        QStringList wrong;
        Run([&] {
            Pick(dlg->cboModbusFunction, table);
            TMaskedAddressEdit *e = dlg->txtAddress;
            for (const char *way : {"typed", "input method", "pasted", "dropped"}) {
                const QString &expected = way[0] == 't' || way[0] == 'i' ? typed : taken;
                if (expected.isEmpty()) continue;
                Type(e, before);
                if (at == 0) e->selectAll();
                else e->setCursorPosition(at);
                if (way[0] == 't' || way[0] == 'i') {
                    for (QChar c : brought) {
                        QInputMethodEvent commit;
                        commit.setCommitString(QString(c));
                        if (c == QLatin1Char('\b')) QTest::keyClick(e, Qt::Key_Backspace);
                        else if (way[0] == 'i') QApplication::sendEvent(e, &commit);
                        else QTest::sendKeyEvent(QTest::Click, e, Qt::Key(c.unicode()), QString(c), Qt::NoModifier);
                    }
                } else if (way[0] == 'p') {
                    PasteInto(e, brought, false);
                } else {
                    // The middle of the stretch where a drop lands at that position.
                    const int y = e->height() / 2;
                    int first = -1, last = -1;
                    for (int x = 0; x < e->width(); ++x)
                        if (e->cursorPositionAt(QPoint(x, y)) == at) (first < 0 ? first : last) = x;
                    DropInto(e, brought, QPoint((first + std::max(first, last)) / 2, y));
                }
                if (e->displayText() != expected) wrong << QStringLiteral("%1 \"%2\"").arg(QLatin1String(way), e->displayText());
            }
        });
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(u", "_qs)));
    }

    // An address pasted as the box shows it is the address typed behind the prefix.
    void addressPastedWholeIsTheTypedAddress()
    {
        std::vector<int> addresses;
        for (bool pasted : {false, true}) {
            const int r = Run([&] {
                FillSerial(*dlg);
                if (pasted) {
                    dlg->txtAddress->selectAll();
                    PasteInto(dlg->txtAddress, u"40200 "_qs, false);
                } else {
                    Type(dlg->txtAddress, u"0200"_qs);
                }
                QCOMPARE(dlg->txtAddress->text(), u"40200"_qs);
                QTest::mouseClick(dlg->btnOk, Qt::LeftButton);
            });
            QCOMPARE(r, int(QDialog::Accepted));
            QCOMPARE(dlg->Tag.RegTable, uint8_t(HR));
            addresses.push_back(dlg->Tag.Address);
        }
        QCOMPARE(addresses, (std::vector<int>{200, 200}));
    }

    void veltoInput()
    {
        const int r = Run([this] {
            Type(dlg->txtTagName, QStringLiteral("door"));
            Pick(dlg->cboSource, 1);
            QCOMPARE(dlg->cboType->currentText(), QStringLiteral("Single bit"));
            QVERIFY(!dlg->cboType->isEnabled() && !dlg->lblType->isEnabled());
            QVERIFY(!dlg->txtUnitID->isEnabled() && !dlg->lblUnitID->isEnabled());
            QVERIFY(!dlg->txtAddress->isEnabled() && !dlg->cboModbusFunction->isEnabled());
            QVERIFY(dlg->txtBitPosition->isEnabled());
            QVERIFY(!dlg->btnInternal->isEnabled());
            QVERIFY(dlg->chkReadOnly->isChecked() && !dlg->chkReadOnly->isEnabled());
            QVERIFY(!dlg->chkWriteLimits->isChecked() && !dlg->chkWriteLimits->isEnabled());
            QCOMPARE(TfrmModbusTags::AlarmMode, 1);
            QVERIFY(!dlg->cboScale->isEnabled());
            Reveal(dlg->chkAlarmEnable);
            QVERIFY(dlg->rdoPositive->isVisible() && dlg->imgNegative->isVisible());
            QVERIFY(!dlg->txtLowestAlarm->isVisible() && !dlg->lblHighestAlarm->isVisible());
            QVERIFY(dlg->chkSendTrap->isVisible());
            Type(dlg->txtBitPosition, QStringLiteral("8"));
            ExpectRefused("Bit Position must be between 0 and 7.");
            Type(dlg->txtBitPosition, QStringLiteral("5"));
            Tick(dlg->chkAlarmEnable, true);
            QVERIFY(dlg->rdoNegative->isEnabled());
            Tick(dlg->rdoNegative, true);
            Tick(dlg->chkSendEMail, true);
            Tick(dlg->chkSendTrap, true);
            QTest::mouseClick(dlg->btnOk, Qt::LeftButton);
        });
        QCOMPARE(r, int(QDialog::Accepted));
        TModbusTagConfig e;
        e.Name = "DOOR";
        e.Source = 1;
        e.Type = tSingleBit;
        e.RegTable = IS;
        e.BitPos = 5;
        e.ReadOnly = true;
        e.Alarm = true;
        e.EMail = true;
        e.AlMin.AsBoolean = false;
        e.AlMax.AsBoolean = true;
        e.Kind = KindDigital;
        e.Trap = true;
        CompareTags(dlg->Tag, e);
        QCOMPARE(ModbusTagKind(dlg->Tag), dlg->Tag.Kind);
    }

    void veltoOutputKeepsTheReadOnlyChoice()
    {
        Run([this] {
            Type(dlg->txtTagName, QStringLiteral("VALVE"));
            Pick(dlg->cboSource, 2);
            QVERIFY(!dlg->chkReadOnly->isChecked() && dlg->chkReadOnly->isEnabled());
            QVERIFY(!dlg->chkWriteLimits->isEnabled());   // digital
            Type(dlg->txtBitPosition, QStringLiteral("7"));
            Tick(dlg->chkReadOnly, true);
            QTest::mouseClick(dlg->btnOk, Qt::LeftButton);
        });
        QCOMPARE(dlg->Tag.Source, uint8_t(2));
        QCOMPARE(dlg->Tag.RegTable, uint8_t(CS));
        QCOMPARE(dlg->Tag.Type, uint8_t(tSingleBit));
        QCOMPARE(dlg->Tag.BitPos, 7);
        QVERIFY(dlg->Tag.ReadOnly);
        QVERIFY(!dlg->Tag.Limits);
        QCOMPARE(dlg->Tag.Kind, TTagKind(KindDigital));
        Run([this] {
            Pick(dlg->cboSource, 2);
            Type(dlg->txtBitPosition, QStringLiteral("0"));
            QTest::mouseClick(dlg->btnOk, Qt::LeftButton);
        }, 1);
        QVERIFY(!dlg->Tag.ReadOnly);
    }

    void internalThroughThePicker()
    {
        frmInternalTags = new TfrmInternalTags;
        const int r = Run([this] {
            Pick(dlg->cboSource, 3);
            QVERIFY(dlg->btnInternal->isEnabled());
            QVERIFY(!dlg->txtBitPosition->isEnabled());
            QCOMPARE(dlg->cboType->currentText(), QStringLiteral("Single bit"));
            WhenModalOf<TfrmInternalTags>([](TfrmInternalTags *p) {
                QTableWidget *l = p->lstInternalTags;
                QTest::mouseClick(l->viewport(), Qt::LeftButton, Qt::NoModifier, l->visualItemRect(l->item(1, 0)).center());
                QTest::mouseClick(p->btnOk, Qt::LeftButton);
            });
            QTest::mouseClick(dlg->btnInternal, Qt::LeftButton);
            QCOMPARE(dlg->txtTagName->text(), QStringLiteral("_ALARM"));
            QCOMPARE(dlg->cboSource->currentIndex(), 3);
            QTest::mouseClick(dlg->btnOk, Qt::LeftButton);
        });
        QCOMPARE(r, int(QDialog::Accepted));
        TModbusTagConfig e;
        e.Name = "_ALARM";
        e.Source = 3;
        e.Type = tSingleBit;
        e.RegTable = IS;
        e.ReadOnly = true;
        e.Kind = KindDigital;
        CompareTags(dlg->Tag, e);
    }

    void fifthSource()
    {
        const int r = Run([this] {
            Type(dlg->txtTagName, QStringLiteral("LEVEL"));
            Pick(dlg->cboSource, 4);
            QCOMPARE(dlg->cboType->currentText(), QStringLiteral("Signed int"));
            QVERIFY(dlg->chkReadOnly->isChecked() && !dlg->chkReadOnly->isEnabled());
            QCOMPARE(TfrmModbusTags::AlarmMode, 2);
            Reveal(dlg->chkAlarmEnable);
            QVERIFY(dlg->txtLowestAlarm->isVisible() && !dlg->rdoPositive->isVisible());
            Type(dlg->txtBitPosition, QStringLiteral("2"));
            Tick(dlg->chkAlarmEnable, true);
            Type(dlg->txtLowestAlarm, QStringLiteral("0"));
            Type(dlg->txtHighestAlarm, QStringLiteral("100"));
            Reveal(dlg->cboScale);
            QVERIFY(dlg->cboScale->isEnabled());
            QTest::mouseClick(dlg->btnOk, Qt::LeftButton);
        });
        QCOMPARE(r, int(QDialog::Accepted));
        TModbusTagConfig e;
        e.Name = "LEVEL";
        e.Source = 4;
        e.Type = tSigned;
        e.RegTable = IR;
        e.BitPos = 2;
        e.ReadOnly = true;
        e.Alarm = true;
        e.AlMin.AsInteger = 0;
        e.AlMax.AsInteger = 100;
        e.Kind = KindInteger;
        CompareTags(dlg->Tag, e);

        Run([this] {
            Pick(dlg->cboScale, 1);
            Type(dlg->txtFactorA, QStringLiteral("0.5"));
            Type(dlg->txtFactorB, QStringLiteral("-3"));
            Type(dlg->txtLowestAlarm, QStringLiteral("0.25"));
            QTest::mouseClick(dlg->btnOk, Qt::LeftButton);
        }, 1);
        QCOMPARE(dlg->Tag.Kind, TTagKind(KindFloat));
        QCOMPARE(dlg->Tag.Scale, uint8_t(1));
        QCOMPARE(dlg->Tag.FactorA, 0.5f);
        QCOMPARE(dlg->Tag.FactorB, -3.0f);
        QCOMPARE(dlg->Tag.AlMin.AsFloat, 0.25f);
        QCOMPARE(dlg->Tag.AlMax.AsFloat, 100.0f);
        QCOMPARE(dlg->Tag.AlMin.AsInteger, 0);
        QCOMPARE(ModbusTagKind(dlg->Tag), dlg->Tag.Kind);
    }

    void serialTagsBuilt()
    {
        // A scaled float tag with limits and a value alarm.
        int r = Run([this] {
            Type(dlg->txtTagName, QStringLiteral("flow"));
            Type(dlg->txtUnitID, QStringLiteral("255"));
            Pick(dlg->cboType, tFloat);
            Tick(dlg->chk32Bit, true);
            Type(dlg->txtAddress, QStringLiteral("65536"));
            Tick(dlg->chkWriteLimits, true);
            Type(dlg->txtMinWrite, QStringLiteral("-1.5"));
            Type(dlg->txtMaxWrite, QStringLiteral("2000"));
            Tick(dlg->chkAlarmEnable, true);
            Tick(dlg->chkSendTrap, true);
            Type(dlg->txtLowestAlarm, QStringLiteral("0.1"));
            Type(dlg->txtHighestAlarm, QStringLiteral("99"));
            Pick(dlg->cboScale, 1);
            Type(dlg->txtFactorA, QStringLiteral("2"));
            Type(dlg->txtFactorB, QStringLiteral("0.5"));
            QTest::mouseClick(dlg->btnOk, Qt::LeftButton);
        });
        QCOMPARE(r, int(QDialog::Accepted));
        TModbusTagConfig e;
        e.Name = "FLOW";
        e.UnitID = 255;
        e.Type = tFloat;
        e.Address = 65536;
        e.Reg32 = true;
        e.Limits = true;
        e.WrMin.AsFloat = -1.5f;
        e.WrMax.AsFloat = 2000.0f;
        e.Alarm = true;
        e.Trap = true;
        e.AlMin.AsFloat = 0.1f;
        e.AlMax.AsFloat = 99.0f;
        e.Scale = 1;
        e.FactorA = 2.0f;
        e.FactorB = 0.5f;
        e.Kind = KindFloat;
        CompareTags(dlg->Tag, e);

        // An integer tag stores its limits and bounds as integers.
        r = Run([this] {
            FillSerial(*dlg);
            Pick(dlg->cboType, tSigned);
            Tick(dlg->chkWriteLimits, true);
            Type(dlg->txtMinWrite, QStringLiteral("-32768"));
            Type(dlg->txtMaxWrite, QStringLiteral("32767"));
            Tick(dlg->chkAlarmEnable, true);
            Tick(dlg->chkSendEMail, true);
            Type(dlg->txtLowestAlarm, QStringLiteral("-5"));
            Type(dlg->txtHighestAlarm, QStringLiteral("5"));
            QTest::mouseClick(dlg->btnOk, Qt::LeftButton);
        });
        QCOMPARE(r, int(QDialog::Accepted));
        e = TModbusTagConfig{};
        e.Name = "TEMP";
        e.UnitID = 1;
        e.Type = tSigned;
        e.Address = 1000;
        e.Limits = true;
        e.WrMin.AsInteger = -32768;
        e.WrMax.AsInteger = 32767;
        e.Alarm = true;
        e.EMail = true;
        e.AlMin.AsInteger = -5;
        e.AlMax.AsInteger = 5;
        e.Kind = KindInteger;
        CompareTags(dlg->Tag, e);

        // A word bit is digital: its alarm is an edge and its bit position is kept.
        r = Run([this] {
            FillSerial(*dlg);
            Pick(dlg->cboType, tWordBit);
            Type(dlg->txtBitPosition, QStringLiteral("15"));
            Tick(dlg->chkAlarmEnable, true);
            QTest::mouseClick(dlg->btnOk, Qt::LeftButton);
        });
        QCOMPARE(r, int(QDialog::Accepted));
        e = TModbusTagConfig{};
        e.Name = "TEMP";
        e.UnitID = 1;
        e.Type = tWordBit;
        e.Address = 1000;
        e.BitPos = 15;
        e.Alarm = true;
        e.AlMin.AsBoolean = true;
        e.Kind = KindDigital;
        CompareTags(dlg->Tag, e);

        // Input status: single bit, read only, digital; a bit position typed earlier is not kept.
        r = Run([this] {
            FillSerial(*dlg);
            Pick(dlg->cboModbusFunction, IS);
            QCOMPARE(dlg->cboType->currentText(), QStringLiteral("Single bit"));
            QTest::mouseClick(dlg->btnOk, Qt::LeftButton);
        });
        QCOMPARE(r, int(QDialog::Accepted));
        QCOMPARE(dlg->Tag.RegTable, uint8_t(IS));
        QCOMPARE(dlg->Tag.Type, uint8_t(tSingleBit));
        QVERIFY(dlg->Tag.ReadOnly);
        QCOMPARE(dlg->Tag.Kind, TTagKind(KindDigital));
        QCOMPARE(ModbusTagKind(dlg->Tag), dlg->Tag.Kind);
    }

    void roundTrips_data()
    {
        QTest::addColumn<QString>("shape");
        for (const char *n : {"float scaled", "unsigned limits", "word bit negative edge", "coil", "input",
                              "output", "internal", "fifth source float", "long enron", "six-digit address"})
            QTest::newRow(n) << QString::fromLatin1(n);
    }

    void roundTrips()
    {
        QFETCH(QString, shape);
        TModbusTagConfig t;
        t.Name = "TAG";
        if (shape == "float scaled") {
            t.UnitID = 12;
            t.Type = tFloatInv;
            t.RegTable = IR;
            t.Address = 4321;
            t.ReadOnly = true;
            t.Alarm = true;
            t.EMail = true;
            t.AlMin.AsFloat = 0.1f;
            t.AlMax.AsFloat = 1e6f;
            t.Scale = 1;
            t.FactorA = 0.3f;
            t.FactorB = -7.25f;
            t.Kind = KindFloat;
        } else if (shape == "unsigned limits") {
            t.UnitID = 1;
            t.Address = 10;
            t.Limits = true;
            t.WrMin.AsInteger = 10;
            t.WrMax.AsInteger = 65535;
            t.Kind = KindInteger;
        } else if (shape == "word bit negative edge") {
            t.UnitID = 2;
            t.Type = tWordBit;
            t.Address = 40000;
            t.BitPos = 9;
            t.Alarm = true;
            t.Trap = true;
            t.AlMax.AsBoolean = true;
            t.Kind = KindDigital;
        } else if (shape == "coil") {
            t.UnitID = 3;
            t.Type = tSingleBit;
            t.RegTable = CS;
            t.Address = 1;
            t.Kind = KindDigital;
        } else if (shape == "input") {
            t.Source = 1;
            t.Type = tSingleBit;
            t.RegTable = IS;
            t.BitPos = 6;
            t.ReadOnly = true;
            t.Alarm = true;
            t.AlMin.AsBoolean = true;
            t.Kind = KindDigital;
        } else if (shape == "output") {
            t.Source = 2;
            t.Type = tSingleBit;
            t.RegTable = CS;
            t.BitPos = 1;
            t.Kind = KindDigital;
        } else if (shape == "internal") {
            t.Name = "_ALARMNAK";
            t.Source = 3;
            t.Type = tSingleBit;
            t.RegTable = IS;
            t.ReadOnly = true;
            t.Kind = KindDigital;
        } else if (shape == "fifth source float") {
            t.Source = 4;
            t.Type = tSigned;
            t.RegTable = IR;
            t.BitPos = 3;
            t.ReadOnly = true;
            t.Alarm = true;
            t.AlMin.AsFloat = -2.5f;
            t.AlMax.AsFloat = 2.5f;
            t.Scale = 1;
            t.FactorA = 1.5f;
            t.Kind = KindFloat;
        } else if (shape == "six-digit address") {
            // A device's address past the five positions shows whole and goes back unchanged.
            t.UnitID = 1;
            t.Address = 123456;
            t.Kind = KindInteger;
        } else {
            t.UnitID = 200;
            t.Type = tLong;
            t.Address = 65535;
            t.Reg32 = true;
            t.Limits = true;
            t.WrMin.AsInteger = -2147483647 - 1;
            t.WrMax.AsInteger = 2147483647;
            t.Kind = KindInteger;
        }
        QCOMPARE(ModbusTagKind(t), t.Kind);
        const TModbusTagConfig out = RoundTrip(t);
        QCOMPARE(Texts(*boxes), QStringList{});
        CompareTags(out, t);
    }

    void negativeEdgeReloads()
    {
        TModbusTagConfig t;
        t.Name = "SW";
        t.Source = 1;
        t.Type = tSingleBit;
        t.RegTable = IS;
        t.ReadOnly = true;
        t.Alarm = true;
        t.AlMax.AsBoolean = true;
        t.Kind = KindDigital;
        dlg->Tag = t;
        Run([this] {
            QCOMPARE(dlg->windowTitle(), QStringLiteral("Edit Modbus Tag"));
            QVERIFY(dlg->rdoNegative->isChecked());
            QVERIFY(dlg->rdoNegative->isEnabled());
            QCOMPARE(TfrmModbusTags::AlarmMode, 1);
        }, 1);
        dlg->Tag.AlMax.AsBoolean = false;   // neither flag: the positive edge
        Run([this] { QVERIFY(dlg->rdoPositive->isChecked()); }, 1);
    }

    void floatTextsUseTheDecimalSeparator()
    {
        SetDecimalSeparator(',');
        TModbusTagConfig t;
        t.Name = "F";
        t.UnitID = 1;
        t.Type = tFloat;
        t.Address = 100;
        t.Limits = true;
        t.WrMin.AsFloat = 0.1f;
        t.WrMax.AsFloat = 1.5f;
        t.Kind = KindFloat;
        dlg->Tag = t;
        const int r = Run([this] {
            QCOMPARE(dlg->txtMinWrite->text(), QStringLiteral("0,100000001490116"));
            QCOMPARE(dlg->txtMaxWrite->text(), QStringLiteral("1,5"));
            Type(dlg->txtMaxWrite, QStringLiteral("2,25"));
            QTest::mouseClick(dlg->btnOk, Qt::LeftButton);
        }, 1);
        QCOMPARE(r, int(QDialog::Accepted));
        QCOMPARE(dlg->Tag.WrMin.AsFloat, 0.1f);
        QCOMPARE(dlg->Tag.WrMax.AsFloat, 2.25f);
        SetDecimalSeparator('.');
    }

    void sourceRules()
    {
        Run([this] {
            Pick(dlg->cboSource, 2);
            QVERIFY(!dlg->chkReadOnly->isChecked() && dlg->chkReadOnly->isEnabled());
            QVERIFY(!dlg->chkWriteLimits->isEnabled());
            QVERIFY(dlg->txtBitPosition->isEnabled());
            QCOMPARE(TfrmModbusTags::AlarmMode, 1);
            Pick(dlg->cboSource, 3);
            QVERIFY(dlg->btnInternal->isEnabled());
            QVERIFY(!dlg->txtBitPosition->isEnabled());
            QVERIFY(dlg->chkReadOnly->isChecked() && !dlg->chkReadOnly->isEnabled());
            Pick(dlg->cboSource, 0);
            QVERIFY(!dlg->btnInternal->isEnabled());
            QVERIFY(dlg->txtUnitID->isEnabled() && dlg->lblUnitID->isEnabled());
            QVERIFY(dlg->txtAddress->isEnabled() && dlg->lblAddress->isEnabled());
            QVERIFY(dlg->cboType->isEnabled() && dlg->cboModbusFunction->isEnabled());
            QVERIFY(dlg->lblModbusFunction->isEnabled());
            QVERIFY(!dlg->chkReadOnly->isChecked() && dlg->chkReadOnly->isEnabled());
            QVERIFY(!dlg->txtBitPosition->isEnabled());   // single bit left by the internal source
            QCOMPARE(TfrmModbusTags::AlarmMode, 2);
            QVERIFY(dlg->cboScale->isEnabled());
        });
    }

    void sourceChangeLeavesEnronBoxAndTypeListToTheirRules()
    {
        Run([this] {
            Pick(dlg->cboType, tLong);
            Tick(dlg->chk32Bit, true);
            Pick(dlg->cboSource, 4);
            // The source does not touch the Enron box; a tag of this source is stored without it.
            QVERIFY(dlg->chk32Bit->isChecked() && dlg->chk32Bit->isEnabled());
            QCOMPARE(dlg->cboType->currentText(), QStringLiteral("Signed int"));
            Pick(dlg->cboSource, 0);   // back with "Signed int" shown, the box as it was
            QCOMPARE(dlg->cboType->currentText(), QStringLiteral("Signed int"));
            QVERIFY(dlg->chk32Bit->isChecked() && dlg->chk32Bit->isEnabled());
            QVERIFY(!dlg->txtBitPosition->isEnabled());
            Pick(dlg->cboType, tUnsigned);   // the type's own rule decides the box
            QVERIFY(!dlg->chk32Bit->isEnabled() && !dlg->chk32Bit->isChecked());
            Pick(dlg->cboType, tFloat);
            QVERIFY(dlg->chk32Bit->isEnabled() && !dlg->chk32Bit->isChecked());
            // Back on the serial source the type list is enabled, whatever the table.
            Pick(dlg->cboModbusFunction, CS);
            QVERIFY(!dlg->cboType->isEnabled());
            Pick(dlg->cboSource, 2);
            Pick(dlg->cboSource, 0);
            QVERIFY(dlg->cboType->isEnabled() && dlg->lblType->isEnabled());
            QCOMPARE(dlg->cboType->currentText(), QStringLiteral("Single bit"));
            QVERIFY(dlg->cboModbusFunction->isEnabled());
            Pick(dlg->cboType, tWordBit);
            Pick(dlg->cboSource, 3);
            Pick(dlg->cboSource, 0);   // "Single bit" shown again: no bit position
            QVERIFY(!dlg->txtBitPosition->isEnabled());
        });
        // Ticked on a serial Long, then the fifth source: stored without the 32-bit mode.
        Run([this] {
            Pick(dlg->cboType, tLong);
            Tick(dlg->chk32Bit, true);
            Pick(dlg->cboSource, 4);
            Type(dlg->txtTagName, QStringLiteral("AIN"));
            Type(dlg->txtBitPosition, QStringLiteral("3"));
            QTest::mouseClick(dlg->btnOk, Qt::LeftButton);
        });
        QCOMPARE(dlg->Tag.Source, uint8_t(4));
        QVERIFY(!dlg->Tag.Reg32);
    }

    void typeRules()
    {
        Run([this] {
            Pick(dlg->cboType, tLong);
            QVERIFY(dlg->chk32Bit->isEnabled());
            Tick(dlg->chk32Bit, true);
            Pick(dlg->cboType, tFloat);
            QVERIFY(dlg->chk32Bit->isEnabled() && dlg->chk32Bit->isChecked());
            Pick(dlg->cboType, tWordBit);
            QVERIFY(dlg->txtBitPosition->isEnabled());
            QVERIFY(dlg->chk32Bit->isEnabled() && dlg->chk32Bit->isChecked());
            QCOMPARE(TfrmModbusTags::AlarmMode, 1);
            QVERIFY(!dlg->chkWriteLimits->isEnabled());
            QVERIFY(!dlg->cboScale->isEnabled());
            Pick(dlg->cboType, tLongInv);
            QVERIFY(!dlg->txtBitPosition->isEnabled());
            QVERIFY(!dlg->chk32Bit->isEnabled() && !dlg->chk32Bit->isChecked());
            QCOMPARE(TfrmModbusTags::AlarmMode, 2);
            QVERIFY(dlg->chkWriteLimits->isEnabled() && dlg->cboScale->isEnabled());
        });
    }

    void registerTableRules()
    {
        Run([this] {
            Pick(dlg->cboType, tFloat);
            Tick(dlg->chk32Bit, true);
            Pick(dlg->cboModbusFunction, CS);
            QCOMPARE(dlg->cboType->currentText(), QStringLiteral("Single bit"));
            QVERIFY(!dlg->cboType->isEnabled());
            QVERIFY(!dlg->chk32Bit->isChecked() && !dlg->chk32Bit->isEnabled());   // a coil has no 32-bit mode
            QVERIFY(!dlg->chkReadOnly->isChecked() && dlg->chkReadOnly->isEnabled());
            QVERIFY(!dlg->chkWriteLimits->isEnabled());
            QCOMPARE(TfrmModbusTags::AlarmMode, 1);
            Pick(dlg->cboModbusFunction, IS);
            QVERIFY(dlg->chkReadOnly->isChecked() && !dlg->chkReadOnly->isEnabled());
            Pick(dlg->cboModbusFunction, HR);
            QCOMPARE(dlg->cboType->currentText(), QStringLiteral("Unsigned int"));
            QVERIFY(dlg->cboType->isEnabled());
            QVERIFY(!dlg->chkReadOnly->isChecked() && dlg->chkReadOnly->isEnabled());
            QCOMPARE(TfrmModbusTags::AlarmMode, 2);
            Pick(dlg->cboType, tWordBit);
            QCOMPARE(TfrmModbusTags::AlarmMode, 1);
            Pick(dlg->cboModbusFunction, IR);
            // The table set Unsigned int: no bit position, and the pages follow the new type.
            QVERIFY(!dlg->txtBitPosition->isEnabled());
            QVERIFY(dlg->chkReadOnly->isChecked() && !dlg->chkReadOnly->isEnabled());
            QCOMPARE(TfrmModbusTags::AlarmMode, 2);
            QVERIFY(dlg->cboScale->isEnabled());
        });
    }

    void valuePageRules()
    {
        Run([this] {
            Tick(dlg->chkWriteLimits, true);
            QVERIFY(dlg->txtMinWrite->isEnabled() && dlg->txtMaxWrite->isEnabled());
            Tick(dlg->chkReadOnly, true);
            QVERIFY(!dlg->chkWriteLimits->isChecked() && !dlg->chkWriteLimits->isEnabled());
            QVERIFY(!dlg->txtMinWrite->isEnabled());
            // A read-only tag keeps its write-limit box off when the type changes.
            Pick(dlg->cboType, tFloat);
            QVERIFY(!dlg->chkWriteLimits->isEnabled());
            Tick(dlg->chkReadOnly, false);
            QVERIFY(dlg->chkWriteLimits->isEnabled());
        });
    }

    void alarmPageRules()
    {
        Run([this] {
            Tick(dlg->chkAlarmEnable, true);
            QVERIFY(dlg->chkSendEMail->isEnabled() && dlg->chkSendTrap->isEnabled());
            QVERIFY(dlg->txtLowestAlarm->isEnabled() && dlg->txtHighestAlarm->isEnabled());
            QVERIFY(dlg->txtLowestAlarm->isVisible() && !dlg->imgPositive->isVisible());
            Tick(dlg->chkSendEMail, true);
            Tick(dlg->chkSendTrap, true);
            Tick(dlg->chkAlarmEnable, false);
            QVERIFY(!dlg->chkSendEMail->isChecked() && !dlg->chkSendEMail->isEnabled());
            QVERIFY(!dlg->chkSendTrap->isChecked() && !dlg->chkSendTrap->isEnabled());
            QVERIFY(!dlg->txtLowestAlarm->isEnabled());
            Pick(dlg->cboModbusFunction, CS);
            Reveal(dlg->chkAlarmEnable);
            QVERIFY(dlg->rdoPositive->isVisible() && dlg->imgPositive->isVisible());
            QVERIFY(!dlg->txtLowestAlarm->isVisible() && !dlg->lblLowestAlarm->isVisible());
            QVERIFY(!dlg->rdoPositive->isEnabled());
            Tick(dlg->chkAlarmEnable, true);
            QVERIFY(dlg->rdoPositive->isEnabled() && dlg->rdoNegative->isEnabled());
        });
    }

    void scalePageFollowsAlarmMode()
    {
        Run([this] {
            Pick(dlg->cboScale, 1);
            QVERIFY(dlg->txtFactorA->isEnabled() && dlg->txtFactorB->isEnabled());
            Reveal(dlg->txtTagName);
            TfrmModbusTags::AlarmMode = 1;
            Reveal(dlg->cboScale);
            QCOMPARE(dlg->cboScale->currentIndex(), 0);
            QVERIFY(!dlg->cboScale->isEnabled() && !dlg->txtFactorA->isEnabled());
            Reveal(dlg->txtTagName);
            TfrmModbusTags::AlarmMode = 2;
            Reveal(dlg->cboScale);
            QVERIFY(dlg->cboScale->isEnabled());
            // Showing the alarm page lays it out by the same mode.
            TfrmModbusTags::AlarmMode = 1;
            Reveal(dlg->chkAlarmEnable);
            QVERIFY(dlg->rdoPositive->isVisible() && !dlg->txtLowestAlarm->isVisible());
        });
    }

    void keyFilters()
    {
        QVERIFY(TfrmModbusTags::OnIntegerKeyPressGeneral(QLatin1Char('7')));
        QVERIFY(TfrmModbusTags::OnIntegerKeyPressGeneral(QChar(8)));
        QVERIFY(!TfrmModbusTags::OnIntegerKeyPressGeneral(QLatin1Char('-')));
        QVERIFY(!TfrmModbusTags::OnIntegerKeyPressGeneral(QLatin1Char('a')));
        QVERIFY(TfrmModbusTags::OnFloatKeyPressGeneral(QLatin1Char('-')));
        QVERIFY(TfrmModbusTags::OnFloatKeyPressGeneral(QLatin1Char('.')));
        QVERIFY(!TfrmModbusTags::OnFloatKeyPressGeneral(QLatin1Char(',')));
        QVERIFY(!TfrmModbusTags::OnFloatKeyPressGeneral(QLatin1Char('e')));
        SetDecimalSeparator(',');
        QVERIFY(TfrmModbusTags::OnFloatKeyPressGeneral(QLatin1Char(',')));
        QVERIFY(TfrmModbusTags::OnFloatKeyPressGeneral(QLatin1Char('.')));
        SetDecimalSeparator('.');
        Run([this] {
            Type(dlg->txtUnitID, QStringLiteral("1a-2"));
            QCOMPARE(dlg->txtUnitID->text(), QStringLiteral("12"));
            Type(dlg->txtUnitID, QStringLiteral("12345"));
            QCOMPARE(dlg->txtUnitID->text(), QStringLiteral("123"));
            Pick(dlg->cboType, tWordBit);
            Type(dlg->txtBitPosition, QStringLiteral("x1.5"));
            QCOMPARE(dlg->txtBitPosition->text(), QStringLiteral("15"));
            Tick(dlg->chkWriteLimits, false);
            Pick(dlg->cboType, tFloat);
            Tick(dlg->chkWriteLimits, true);
            Type(dlg->txtMinWrite, QStringLiteral("-1,5.e2x"));
            QCOMPARE(dlg->txtMinWrite->text(), QStringLiteral("-15.2"));
            for (QLineEdit *e : {dlg->txtMaxWrite, dlg->txtLowestAlarm, dlg->txtHighestAlarm, dlg->txtFactorA,
                                 dlg->txtFactorB}) {
                e->setEnabled(true);
                Type(e, QStringLiteral("a-1.2+"));
                QCOMPARE(e->text(), QStringLiteral("-1.2"));
            }
        });
    }

    void nameIsUpperCase()
    {
        const int r = Run([this] {
            FillSerial(*dlg);
            Type(dlg->txtTagName, QStringLiteral("tank_level_no_12345"));
            QCOMPARE(dlg->txtTagName->text(), QStringLiteral("TANK_LEVEL_NO_1"));
            QTest::mouseClick(dlg->btnOk, Qt::LeftButton);
        });
        QCOMPARE(r, int(QDialog::Accepted));
        QCOMPARE(dlg->Tag.Name, std::string("TANK_LEVEL_NO_1"));
        dlg->Tag.Name = "mixed";
        Run([this] { QCOMPARE(dlg->txtTagName->text(), QStringLiteral("MIXED")); }, 1);
    }

    void nameIsSentAsTheFileKeepsIt() { ExpectNameKeptAsTheFileKeepsIt(dlg.get(), *boxes, [this] { FillSerial(*dlg); }); }

    void nameTheDeviceCannotCarryIsRefused()
    {
        const int r = Run([this] {
            FillSerial(*dlg);
            ExpectUncarriedNamesRefused(dlg.get(), *boxes);
            Type(dlg->txtTagName, QStringLiteral("AB1"));
            QTest::mouseClick(dlg->btnOk, Qt::LeftButton);
        });
        QCOMPARE(r, int(QDialog::Accepted));
        QCOMPARE(dlg->Tag.Name, std::string("AB1"));
    }

    void enterPressesOkAndKeepsTheFocus()
    {
        Run([this] {
            FillSerial(*dlg);
            Type(dlg->txtUnitID, QString());
            QTest::keyClick(dlg->txtUnitID, Qt::Key_Return);
            QCOMPARE(Texts(*boxes), QStringList{QStringLiteral("Modbus Unit ID must be provided.")});
            QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(dlg->txtUnitID));
            QCOMPARE(dlg->pgeTags->currentIndex(), 0);
            Type(dlg->txtUnitID, QStringLiteral("9"));
            QTest::keyClick(dlg->txtUnitID, Qt::Key_Return);
        });
        QCOMPARE(dlg->Tag.UnitID, 9);
    }
};

QTEST_MAIN(TestModbusTags)
#include "test_modbustags.moc"
