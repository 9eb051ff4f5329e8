// Driving the tag editors as a user does: typing through the key filters, picking from lists,
// ticking boxes, each on the page that holds the control.
#pragma once

#include "UiTestSupport.h"
#include "VXTTypes.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QStringList>
#include <QTabWidget>
#include <QTest>

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

inline QStringList Texts(const MessageBoxRecorder &r)
{
    QStringList l;
    for (const std::string &t : r.Texts()) l << QString::fromStdString(t);
    return l;
}

inline void CompareValue(const TTagValue &a, const TTagValue &b)
{
    QCOMPARE(a.AsFloat, b.AsFloat);
    QCOMPARE(a.AsInteger, b.AsInteger);
    QCOMPARE(a.AsBoolean, b.AsBoolean);
}

}  // namespace vxt::test
