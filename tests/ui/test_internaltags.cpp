// The internal tags picker on its own and opened from each tag editor's "..." button.
#include "DF1Tags.h"
#include "HostlinkTags.h"
#include "InternalTags.h"
#include "ModbusTags.h"
#include "UiTestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QTest>
#include <memory>

using namespace vxt;
using namespace vxt::test;

namespace {

const char *kCommError = "The Value of the Tag \"_COMMERROR\" becomes 1 when a Serial Communication error is detected.";
const char *kAlarm = "The Value of the Tag \"_ALARM\" becomes 1 when any other Tag (except Internal Tags) are in "
                     "Alarm State, acknowledged or not.";
const char *kAlarmNak = "The Value of the Tag \"_ALARMNAK\" becomes 1 when any other Tag (except Internal Tags) are "
                        "in Not Acknowledged Alarm State.";

void ClickRow(TfrmInternalTags *p, int row, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QTableWidget *l = p->lstInternalTags;
    QTest::mouseClick(l->viewport(), Qt::LeftButton, mods, l->visualItemRect(l->item(row, 1)).center());
}

int SelectedRow(TfrmInternalTags *p)
{
    const QList<QTableWidgetItem *> s = p->lstInternalTags->selectedItems();
    return s.isEmpty() ? -1 : s.first()->row();
}

}  // namespace

class TestInternalTags : public QObject {
    Q_OBJECT

    std::unique_ptr<MessageBoxRecorder> boxes;

    // Shows the picker modally; `f` runs once it is up. A picker still open afterwards is cancelled.
    int Run(TfrmInternalTags *p, const std::function<void()> &f)
    {
        WhenModalOf<TfrmInternalTags>([p, f](TfrmInternalTags *) {
            if (QTest::qWaitForWindowActive(p))
                f();
            else
                QTest::qFail("the picker never became active", __FILE__, __LINE__);
            if (p->isVisible()) p->reject();
        });
        return p->exec();
    }

    // Opens `editor` on the internal source, picks `row` (or cancels the picker when `ok` is false)
    // and returns the name in the editor's edit; `accepted` tells whether the editor took the tag.
    template <typename Editor>
    QString PickFromEditor(Editor &editor, int row, bool ok, bool &accepted)
    {
        QString name;
        editor.EditMode = 0;
        WhenModalOf<Editor>([&](Editor *) {
            QVERIFY(QTest::qWaitForWindowActive(&editor));
            editor.cboSource->setCurrentIndex(3);
            emit editor.cboSource->activated(3);
            editor.txtTagName->setText(QStringLiteral("BEFORE"));
            WhenModalOf<TfrmInternalTags>([&](TfrmInternalTags *p) {
                ClickRow(p, row);
                QTest::mouseClick(ok ? p->btnOk : p->btnCancel, Qt::LeftButton);
            });
            QTest::mouseClick(editor.btnInternal, Qt::LeftButton);
            name = editor.txtTagName->text();
            editor.chkReadOnly->setChecked(true);
            QTest::mouseClick(editor.btnOk, Qt::LeftButton);
            if (editor.isVisible()) editor.reject();
        });
        accepted = editor.exec() == QDialog::Accepted;
        return name;
    }

private slots:
    void init()
    {
        boxes = std::make_unique<MessageBoxRecorder>();
        frmInternalTags = new TfrmInternalTags;
    }

    void cleanup()
    {
        boxes.reset();
        delete frmInternalTags;
        frmInternalTags = nullptr;
    }

    void layout()
    {
        TfrmInternalTags *p = frmInternalTags;
        QCOMPARE(p->windowTitle(), QStringLiteral("Select Internal Tag"));
        QCOMPARE(p->grpInternalTags->title(), QStringLiteral("Available Internal Tags"));
        QCOMPARE(p->grpDescription->title(), QStringLiteral("Description"));
        QTableWidget *l = p->lstInternalTags;
        QCOMPARE(l->columnCount(), 2);
        QCOMPARE(l->horizontalHeaderItem(0)->text(), QStringLiteral("Tag Name"));
        QCOMPARE(l->horizontalHeaderItem(1)->text(), QStringLiteral("Type"));
        QCOMPARE(l->columnWidth(0), 190);
        QCOMPARE(l->columnWidth(1), 100);
        QCOMPARE(l->rowCount(), 3);
        const QStringList names{"_COMMERROR", "_ALARM", "_ALARMNAK"};
        for (int r = 0; r < 3; ++r) {
            QCOMPARE(l->item(r, 0)->text(), names[r]);
            QCOMPARE(l->item(r, 1)->text(), QStringLiteral("Digital"));
        }
        QVERIFY(l->showGrid());
        QCOMPARE(l->selectionBehavior(), QAbstractItemView::SelectRows);
        QCOMPARE(l->selectionMode(), QAbstractItemView::SingleSelection);
        QCOMPARE(l->editTriggers(), QAbstractItemView::NoEditTriggers);
        // The selection is drawn the same when the list has lost the focus.
        QCOMPARE(l->palette().color(QPalette::Inactive, QPalette::Highlight),
                 l->palette().color(QPalette::Active, QPalette::Highlight));
        QVERIFY(p->lblDescription->wordWrap());
        QCOMPARE(p->lblDescription->minimumSize(), p->lblDescription->maximumSize());
        QCOMPARE(p->btnOk->text(), QStringLiteral("OK"));
        QVERIFY(p->btnOk->isDefault());
        QCOMPARE(p->btnCancel->text(), QStringLiteral("Cancel"));
        QCOMPARE(p->SelectedTag, std::string());
        Run(p, [p] {
            QCOMPARE(p->minimumSize(), p->maximumSize());
            const QPoint off = p->frameGeometry().center() - p->screen()->availableGeometry().center();
            QVERIFY(off.manhattanLength() <= 2);
        });
    }

    void okWithoutASelectionStaysOpen()
    {
        TfrmInternalTags *p = frmInternalTags;
        const int r = Run(p, [p] {
            QCOMPARE(SelectedRow(p), -1);
            QTest::mouseClick(p->btnOk, Qt::LeftButton);
            QVERIFY(p->isVisible());
            QTest::keyClick(p, Qt::Key_Return);
            QVERIFY(p->isVisible());
        });
        QCOMPARE(r, int(QDialog::Rejected));
        QCOMPARE(p->SelectedTag, std::string());
    }

    void selectionShowsTheDescription()
    {
        TfrmInternalTags *p = frmInternalTags;
        Run(p, [p] {
            ClickRow(p, 2);
            QCOMPARE(p->lblDescription->text(), QString::fromLatin1(kAlarmNak));
            QVERIFY(p->btnOk->isEnabled());
            ClickRow(p, 0);
            QCOMPARE(p->lblDescription->text(), QString::fromLatin1(kCommError));
            ClickRow(p, 1);
            QCOMPARE(p->lblDescription->text(), QString::fromLatin1(kAlarm));
            // Deselecting disables OK and leaves the description.
            ClickRow(p, 1, Qt::ControlModifier);
            QCOMPARE(SelectedRow(p), -1);
            QVERIFY(!p->btnOk->isEnabled());
            QCOMPARE(p->lblDescription->text(), QString::fromLatin1(kAlarm));
            ClickRow(p, 1);
            QVERIFY(p->btnOk->isEnabled());
        });
    }

    void pickKeepsItsStateBetweenShowings()
    {
        TfrmInternalTags *p = frmInternalTags;
        int r = Run(p, [p] {
            ClickRow(p, 1);
            QTest::mouseClick(p->btnOk, Qt::LeftButton);
        });
        QCOMPARE(r, int(QDialog::Accepted));
        QCOMPARE(p->SelectedTag, std::string("_ALARM"));
        r = Run(p, [p] {
            QCOMPARE(SelectedRow(p), 1);
            QCOMPARE(p->lblDescription->text(), QString::fromLatin1(kAlarm));
            ClickRow(p, 2);
            QTest::mouseClick(p->btnCancel, Qt::LeftButton);
        });
        QCOMPARE(r, int(QDialog::Rejected));
        QCOMPARE(p->SelectedTag, std::string("_ALARM"));
        r = Run(p, [p] {
            QCOMPARE(SelectedRow(p), 2);   // the selection stays as it was left
            p->lstInternalTags->setFocus();
            QTest::keyClick(p->lstInternalTags, Qt::Key_Return);
        });
        QCOMPARE(r, int(QDialog::Accepted));
        QCOMPARE(p->SelectedTag, std::string("_ALARMNAK"));
    }

    void modbusEditorTakesThePick()
    {
        TfrmModbusTags editor;
        bool accepted = false;
        QCOMPARE(PickFromEditor(editor, 1, true, accepted), QStringLiteral("_ALARM"));
        QVERIFY(accepted);
        QCOMPARE(boxes->Texts(), std::vector<std::string>{});
        QCOMPARE(editor.Tag.Name, std::string("_ALARM"));
        QCOMPARE(editor.Tag.Source, uint8_t(3));

        QCOMPARE(PickFromEditor(editor, 2, false, accepted), QStringLiteral("BEFORE"));
        QVERIFY(!accepted);
        QCOMPARE(boxes->Texts(), std::vector<std::string>{"Unrecognized Internal Tag Name."});
        QCOMPARE(editor.Tag.Name, std::string("_ALARM"));
    }

    void hostlinkEditorTakesThePick()
    {
        TfrmHostlinkTags editor;
        bool accepted = false;
        QCOMPARE(PickFromEditor(editor, 0, true, accepted), QStringLiteral("_COMMERROR"));
        QVERIFY(accepted);
        QCOMPARE(editor.Tag.Name, std::string("_COMMERROR"));
        QCOMPARE(PickFromEditor(editor, 1, false, accepted), QStringLiteral("BEFORE"));
        QVERIFY(!accepted);
    }

    void df1EditorTakesThePick()
    {
        TfrmDF1Tags editor;
        bool accepted = false;
        QCOMPARE(PickFromEditor(editor, 2, true, accepted), QStringLiteral("_ALARMNAK"));
        QVERIFY(accepted);
        QCOMPARE(editor.Tag.Name, std::string("_ALARMNAK"));
        QCOMPARE(editor.Tag.Kind, TTagKind(KindDigital));
    }
};

QTEST_MAIN(TestInternalTags)
#include "test_internaltags.moc"
