// Bringing text into an edit the other ways a user does: Ctrl+V from the clipboard and a drop.
#pragma once

#include <QApplication>
#include <QClipboard>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QTest>

namespace vxt::test {

// Ctrl+V of `text` at the end of what the edit holds (before the blanks of a masked edit), or at
// its caret.
inline void PasteInto(QLineEdit *e, const QString &text, bool atEnd = true)
{
    e->setFocus();
    if (atEnd) e->setCursorPosition(int(e->text().size()));
    QApplication::clipboard()->setText(text);
    QTest::keySequence(e, QKeySequence::Paste);
}

// `text` dragged from another program and dropped onto the edit, at its right end or at `at`.
inline void DropInto(QLineEdit *e, const QString &text, QPoint at = QPoint(-1, -1))
{
    QMimeData mime;
    mime.setText(text);
    if (at == QPoint(-1, -1)) at = QPoint(e->width() - 2, e->height() / 2);
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(e, &enter);
    QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(e, &drop);
}

}  // namespace vxt::test
