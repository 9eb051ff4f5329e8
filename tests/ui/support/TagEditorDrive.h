// Driving the tag editors as a user does: typing through the key filters, picking from lists,
// ticking boxes, each on the page that holds the control.
#pragma once

#include "MsgBox.h"
#include "UiTestSupport.h"
#include "VXTTypes.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QStringList>
#include <QTabWidget>
#include <QTest>
#include <functional>
#include <string>

namespace vxt::test {

// Brings the page that holds `w` to the front.
inline void Reveal(QWidget *w)
{
    auto *tabs = w->window()->findChild<QTabWidget *>(QStringLiteral("pgeTags"));
    for (int i = 0; i < tabs->count(); ++i)
        if (tabs->widget(i)->isAncestorOf(w)) tabs->setCurrentIndex(i);
}

// Replaces an edit's text by typing, through its key filter.
inline void Type(QLineEdit *e, const QString &text)
{
    Reveal(e);
    e->setFocus();
    e->selectAll();
    QTest::keyClick(e, Qt::Key_Delete);
    QTest::keyClicks(e, text);
}

// A pick from the list, as the user's choice arrives.
inline void Pick(QComboBox *c, int index)
{
    Reveal(c);
    if (!c->isEnabled()) QFAIL("picking from a disabled list");
    c->setCurrentIndex(index);
    emit c->activated(index);
}

inline void Tick(QAbstractButton *b, bool on)
{
    Reveal(b);
    if (b->isChecked() != on) QTest::mouseClick(b, Qt::LeftButton, Qt::NoModifier, QPoint(6, b->height() / 2));
}

// A value alarm with the given bounds.
template <typename Editor>
void ValueAlarm(Editor &d, const char *low, const char *high)
{
    Tick(d.chkAlarmEnable, true);
    Tick(d.chkAlarmValue, true);
    Type(d.txtLowestAlarm, QString::fromLatin1(low));
    Type(d.txtHighestAlarm, QString::fromLatin1(high));
}

template <typename Editor>
void Limits(Editor &d, const char *low, const char *high)
{
    Tick(d.chkWriteLimits, true);
    Type(d.txtMinWrite, QString::fromLatin1(low));
    Type(d.txtMaxWrite, QString::fromLatin1(high));
}

template <typename Editor>
void Scaled(Editor &d, const char *a, const char *b)
{
    Pick(d.cboScale, 1);
    Type(d.txtFactorA, QString::fromLatin1(a));
    Type(d.txtFactorB, QString::fromLatin1(b));
}

template <typename Editor>
void Source(Editor &d, int source, const char *bit)
{
    Pick(d.cboSource, source);
    Type(d.txtBitPosition, QString::fromLatin1(bit));
}

inline QStringList Texts(const MessageBoxRecorder &r)
{
    QStringList l;
    for (const std::string &t : r.Texts()) l << QString::fromStdString(t);
    return l;
}

// Shows the editor modally as a document does; `f` runs once it is up. A dialog still open
// afterwards is cancelled.
template <typename Editor>
int RunEditor(Editor *dlg, const std::function<void()> &f, uint8_t mode = 0)
{
    dlg->EditMode = mode;
    WhenModalOf<Editor>([dlg, f](Editor *) {
        if (QTest::qWaitForWindowActive(dlg))
            f();
        else
            QTest::qFail("the editor never became active", __FILE__, __LINE__);
        if (dlg->isVisible()) dlg->reject();
    });
    return dlg->exec();
}

// Presses OK and expects exactly the error `text`, the dialog still open on the same page and the
// tag untouched (named "UNTOUCHED" before the test).
template <typename Editor>
void ExpectEditorRefused(Editor *dlg, MessageBoxRecorder &boxes, const std::string &text)
{
    const int page = dlg->pgeTags->currentIndex();
    boxes.Clear();
    QTest::mouseClick(dlg->btnOk, Qt::LeftButton);
    QCOMPARE(Texts(boxes), QStringList{QString::fromStdString(text)});
    QCOMPARE(boxes.Shown().front().Kind, MsgKind::Error);
    QCOMPARE(boxes.Shown().front().Buttons, int(mbOK));
    QVERIFY(dlg->isVisible());
    QCOMPARE(dlg->pgeTags->currentIndex(), page);
    QCOMPARE(dlg->Tag.Name, std::string("UNTOUCHED"));
}

// Presses OK and expects the editor to close without a word.
template <typename Editor>
void ExpectEditorAccepts(Editor *dlg, MessageBoxRecorder &boxes)
{
    boxes.Clear();
    QTest::mouseClick(dlg->btnOk, Qt::LeftButton);
    QCOMPARE(Texts(boxes), QStringList{});
    QVERIFY(!dlg->isVisible());
}

// A name that would reach the device changed ("/" has no code in a message, a character outside
// Latin-1 no byte) is refused at OK naming the field and the character, on the first page with the
// name focused; the tag stays untouched.
template <typename Editor>
void ExpectUncarriedNamesRefused(Editor *dlg, MessageBoxRecorder &boxes)
{
    const std::pair<const char *, const char *> cases[] = {{"A/B1", "\"/\" (U+002F)"},
                                                           {"tank\u20AC", "\"\u20AC\" (U+20AC)"},
                                                           {"\u914D", "\"\u914D\" (U+914D)"},
                                                           {"T\U0001F600", "\"\U0001F600\" (U+1F600)"}};
    for (const auto &[name, character] : cases) {
        dlg->txtTagName->setText(QString::fromUtf8(name));
        dlg->pgeTags->setCurrentIndex(dlg->pgeTags->count() - 1);
        boxes.Clear();
        QTest::mouseClick(dlg->btnOk, Qt::LeftButton);
        QCOMPARE(boxes.Texts(), std::vector<std::string>{"The Tag Name cannot contain " + std::string(character) + "."});
        QCOMPARE(boxes.Shown().front().Kind, MsgKind::Error);
        QVERIFY(dlg->isVisible());
        QCOMPARE(dlg->pgeTags->currentIndex(), 0);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(dlg->txtTagName));
        QCOMPARE(dlg->Tag.Name, std::string("UNTOUCHED"));
    }
}

// The file drops the blanks at the ends of a name, so OK drops them too: the device gets the name a
// reopened file holds, and a name of blanks alone is no name. `fill` makes the rest of the tag valid.
template <typename Editor>
void ExpectNameKeptAsTheFileKeepsIt(Editor *dlg, MessageBoxRecorder &boxes, const std::function<void()> &fill)
{
    const std::pair<const char *, const char *> cases[] = {
        {" LEAD", "LEAD"}, {"TRAIL ", "TRAIL"}, {"  BOTH  ", "BOTH"}, {"IN SIDE", "IN SIDE"}, {"   ", nullptr}};
    for (const auto &[typed, kept] : cases) {
        dlg->Tag.Name = "UNTOUCHED";
        RunEditor(dlg, [&] {
            fill();
            dlg->txtTagName->setText(QString::fromLatin1(typed));
            if (kept)
                ExpectEditorAccepts(dlg, boxes);
            else
                ExpectEditorRefused(dlg, boxes, "Tag must have a name.");
        });
        QCOMPARE(dlg->Tag.Name, std::string(kept ? kept : "UNTOUCHED"));
    }
}

inline void CompareValue(const TTagValue &a, const TTagValue &b)
{
    QCOMPARE(a.AsFloat, b.AsFloat);
    QCOMPARE(a.AsInteger, b.AsInteger);
    QCOMPARE(a.AsBoolean, b.AsBoolean);
}

}  // namespace vxt::test
