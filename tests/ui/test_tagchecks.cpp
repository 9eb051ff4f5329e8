// The checks the three tag editors run alike, driven in each editor: the Velto input, output and
// analog input, the internal tags, and the analog input's alarm stored as the range typed.
#include "DF1Tags.h"
#include "HostlinkTags.h"
#include "ModbusTags.h"
#include "NumFormat.h"
#include "TagEditorDrive.h"
#include "UiTestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <memory>

using namespace vxt;
using namespace vxt::test;

namespace {

enum { srcSerial, srcInput, srcOutput, srcInternal, srcAnalog };

// One editor as these tests drive it, whatever its family.
struct Editor {
    std::unique_ptr<TTagEditorBase> dlg;
    std::function<TTagEditFields()> stored;   // the value, alarm and scale fields of the tag OK built
    std::function<int()> storedSource;
    std::function<std::string()> storedName;
    // The alarm kind boxes of the Hostlink and DF1 editors; the Modbus editor has none.
    QCheckBox *byValue = nullptr;
    QCheckBox *byEdge = nullptr;
};

template <typename D>
Editor Make()
{
    auto d = std::make_unique<D>();
    D *p = d.get();
    p->Tag.Name = "UNTOUCHED";
    Editor e;
    e.stored = [p] { return EditFieldsOf(p->Tag); };
    e.storedSource = [p] { return int(p->Tag.Source); };
    e.storedName = [p] { return p->Tag.Name; };
    e.byValue = p->template findChild<QCheckBox *>(QStringLiteral("chkAlarmValue"));
    e.byEdge = p->template findChild<QCheckBox *>(QStringLiteral("chkAlarmEdge"));
    e.dlg = std::move(d);
    return e;
}

const char *const kFamilies[] = {"Modbus", "Hostlink", "DF1"};

Editor MakeEditor(const QByteArray &family)
{
    if (family == "Modbus") return Make<TfrmModbusTags>();
    if (family == "Hostlink") return Make<TfrmHostlinkTags>();
    return Make<TfrmDF1Tags>();
}

// An alarm by value with these bounds (the editors without kind boxes alarm by value on a non-digital tag).
void RangeAlarm(Editor &e, const char *low, const char *high)
{
    Tick(e.dlg->chkAlarmEnable, true);
    if (e.byValue) Tick(e.byValue, true);
    Type(e.dlg->txtLowestAlarm, QString::fromLatin1(low));
    Type(e.dlg->txtHighestAlarm, QString::fromLatin1(high));
}

void Internal(Editor &e, const char *name)
{
    Pick(e.dlg->cboSource, srcInternal);
    Type(e.dlg->txtTagName, QString::fromLatin1(name));
}

// A read-only analog input on input 1.
void Analog(Editor &e)
{
    Source(*e.dlg, srcAnalog, "1");
    Tick(e.dlg->chkReadOnly, true);
}

struct Refusal {
    const char *name;
    bool kindBoxes;   // needs the alarm kind boxes
    std::function<void(Editor &)> setup;
    std::string message;
};

const std::vector<Refusal> &Refusals()
{
    using E = Editor;
    static const std::vector<Refusal> cases = {
        {"input without bit", false, [](E &e) { Pick(e.dlg->cboSource, srcInput); },
         "Bit Position must be provided for this type."},
        {"input bit 8", false, [](E &e) { Source(*e.dlg, srcInput, "8"); }, "Bit Position must be between 0 and 7."},
        {"output bit 9", false, [](E &e) { Source(*e.dlg, srcOutput, "9"); }, "Bit Position must be between 0 and 7."},
        // Where the rules keep the box ticked, the check still guards.
        {"input not read only", false,
         [](E &e) {
             Source(*e.dlg, srcInput, "0");
             e.dlg->chkReadOnly->setChecked(false);
         },
         "Tag must be Read Only."},
        {"analog not read only", false,
         [](E &e) {
             Source(*e.dlg, srcAnalog, "1");
             e.dlg->chkReadOnly->setChecked(false);
         },
         "Tag must be Read Only."},
        {"output value alarm", true,
         [](E &e) {
             Source(*e.dlg, srcOutput, "7");
             RangeAlarm(e, "0", "1");
         },
         "Digital Tags cannot have alarm by a range of values."},
        {"output scaled", true,
         [](E &e) {
             Source(*e.dlg, srcOutput, "7");
             Scaled(*e.dlg, "1", "1");
         },
         "Digital Tags cannot be scalable"},
        {"input scaled", true,
         [](E &e) {
             Source(*e.dlg, srcInput, "1");
             Tick(e.dlg->chkReadOnly, true);
             Scaled(*e.dlg, "1", "1");
         },
         "Digital Tags cannot be scalable"},
        // An analog input's alarm is a range whichever kind is ticked: bounds that do not convert
        // are refused, not the kind.
        {"analog edge alarm without bounds", true,
         [](E &e) {
             Analog(e);
             Tick(e.dlg->chkAlarmEnable, true);
             Tick(e.byEdge, true);
         },
         "Alarm Range is not valid"},
        {"analog alarm of no kind without bounds", false,
         [](E &e) {
             Analog(e);
             Tick(e.dlg->chkAlarmEnable, true);
         },
         "Alarm Range is not valid"},
        {"analog alarm empty", false,
         [](E &e) {
             Analog(e);
             RangeAlarm(e, "", "");
         },
         "Alarm Range is not valid"},
        {"analog alarm reversed", false,
         [](E &e) {
             Analog(e);
             RangeAlarm(e, "5", "-5");
         },
         "Alarm Range is not valid"},
        {"analog factor a not a number", false,
         [](E &e) {
             Analog(e);
             Scaled(*e.dlg, "-", "1");
         },
         "Scale Factors are not valid"},
        {"analog factor b not a number", false,
         [](E &e) {
             Analog(e);
             Scaled(*e.dlg, "1", ".");
         },
         "Scale Factors are not valid"},
        {"analog factors empty", false,
         [](E &e) {
             Analog(e);
             Scaled(*e.dlg, "", "");
         },
         "Scale Factors are not valid"},
        {"analog low bound not integer", false,
         [](E &e) {
             Analog(e);
             RangeAlarm(e, "0.5", "100");
         },
         "Alarm range values must be Integer for this type of Tag."},
        {"analog high bound not integer", false,
         [](E &e) {
             Analog(e);
             RangeAlarm(e, "0", "99.5");
         },
         "Alarm range values must be Integer for this type of Tag."},
        {"internal name ALARM", false, [](E &e) { Internal(e, "ALARM"); }, "Unrecognized Internal Tag Name."},
        {"internal name _ALARMS", false, [](E &e) { Internal(e, "_ALARMS"); }, "Unrecognized Internal Tag Name."},
        {"internal name COMMERROR", false, [](E &e) { Internal(e, "COMMERROR"); }, "Unrecognized Internal Tag Name."},
        {"internal not read only", false,
         [](E &e) {
             Internal(e, "_commerror");
             e.dlg->chkReadOnly->setChecked(false);
         },
         "Tag must be Read Only."},
        {"internal value alarm", true,
         [](E &e) {
             Internal(e, "_ALARMNAK");
             Tick(e.dlg->chkReadOnly, true);
             RangeAlarm(e, "0", "1");
         },
         "Digital Tags cannot have alarm by a range of values."},
        // The Modbus rules keep a digital tag unscaled; the check still guards.
        {"internal scaled", false,
         [](E &e) {
             Internal(e, "_ALARM");
             Tick(e.dlg->chkReadOnly, true);
             Reveal(e.dlg->cboScale);
             e.dlg->cboScale->setCurrentIndex(1);
         },
         "Digital Tags cannot be scalable"},
    };
    return cases;
}

}  // namespace

class TestTagChecks : public QObject {
    Q_OBJECT

    std::unique_ptr<MessageBoxRecorder> boxes;

    int Run(Editor &e, const std::function<void()> &f, uint8_t mode = 0) { return RunEditor(e.dlg.get(), f, mode); }

    void Accept(Editor &e)
    {
        boxes->Clear();
        QTest::mouseClick(e.dlg->btnOk, Qt::LeftButton);
        QCOMPARE(Texts(*boxes), QStringList{});
        QVERIFY(!e.dlg->isVisible());
    }

private slots:
    void init()
    {
        SetDecimalSeparator('.');
        boxes = std::make_unique<MessageBoxRecorder>();
    }

    void cleanup() { boxes.reset(); }

    void refusals_data()
    {
        QTest::addColumn<QByteArray>("family");
        QTest::addColumn<int>("index");
        for (const char *family : kFamilies)
            for (size_t i = 0; i < Refusals().size(); ++i)
                if (!Refusals()[i].kindBoxes || QByteArray(family) != "Modbus")
                    QTest::addRow("%s: %s", family, Refusals()[i].name) << QByteArray(family) << int(i);
    }

    // OK shows exactly the one error, and the dialog stays open on its page with the tag untouched.
    void refusals()
    {
        QFETCH(QByteArray, family);
        QFETCH(int, index);
        const Refusal &c = Refusals()[size_t(index)];
        Editor e = MakeEditor(family);
        Run(e, [&] {
            Type(e.dlg->txtTagName, QStringLiteral("TEMP"));
            c.setup(e);
            const int page = e.dlg->pgeTags->currentIndex();
            boxes->Clear();
            QTest::mouseClick(e.dlg->btnOk, Qt::LeftButton);
            QCOMPARE(Texts(*boxes), QStringList{QString::fromStdString(c.message)});
            QCOMPARE(boxes->Shown().front().Kind, MsgKind::Error);
            QCOMPARE(boxes->Shown().front().Buttons, int(mbOK));
            QVERIFY(e.dlg->isVisible());
            QCOMPARE(e.dlg->pgeTags->currentIndex(), page);
        });
        QCOMPARE(e.storedName(), std::string("UNTOUCHED"));
    }

    void analogAlarmIsTheRangeTyped_data()
    {
        QTest::addColumn<QByteArray>("family");
        for (const char *family : kFamilies) QTest::newRow(family) << QByteArray(family);
    }

    // Whichever kind box is ticked, on the first edit and on a later one.
    void analogAlarmIsTheRangeTyped()
    {
        QFETCH(QByteArray, family);
        Editor e = MakeEditor(family);
        Run(e, [&] {
            Type(e.dlg->txtTagName, QStringLiteral("AI"));
            Source(*e.dlg, srcAnalog, "2");
            Tick(e.dlg->chkReadOnly, true);
            Tick(e.dlg->chkAlarmEnable, true);
            Type(e.dlg->txtLowestAlarm, QStringLiteral("0"));
            Type(e.dlg->txtHighestAlarm, QStringLiteral("100"));
            if (e.byEdge) Tick(e.byEdge, true);
            Accept(e);
        });
        QCOMPARE(e.storedSource(), int(srcAnalog));
        TTagEditFields f = e.stored();
        QVERIFY(f.Alarm);
        QCOMPARE(f.Kind, TTagKind(KindInteger));
        QCOMPARE(f.AlMin.AsInteger, 0);
        QCOMPARE(f.AlMax.AsInteger, 100);
        Run(e, [&] {
            if (e.byValue) {
                QVERIFY(e.byValue->isChecked() && !e.byEdge->isChecked());
                Tick(e.byValue, false);
            }
            Type(e.dlg->txtLowestAlarm, QStringLiteral("-5"));
            Accept(e);
        }, 1);
        f = e.stored();
        QVERIFY(f.Alarm);
        QCOMPARE(f.AlMin.AsInteger, -5);
        QCOMPARE(f.AlMax.AsInteger, 100);
    }
};

QTEST_MAIN(TestTagChecks)
#include "test_tagchecks.moc"
