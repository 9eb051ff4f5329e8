#include "MsgBox.h"

#include "Blocking.h"
#include "QtStr.h"

#include <QApplication>
#include <QMessageBox>

namespace vxt {

namespace {

MessageBoxHandler &Handler()
{
    static MessageBoxHandler h;
    return h;
}

MsgResult ShowReal(const std::string &text, MsgKind kind, int buttons)
{
    QMessageBox box(QApplication::activeWindow());
    QString shown = QShown(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    box.setText(shown);
    switch (kind) {
    case MsgKind::Error:
        box.setIcon(QMessageBox::Critical);
        box.setWindowTitle(QStringLiteral("Error"));
        break;
    case MsgKind::Warning:
        box.setIcon(QMessageBox::Warning);
        box.setWindowTitle(QStringLiteral("Warning"));
        break;
    case MsgKind::Confirmation:
        box.setIcon(QMessageBox::Question);
        box.setWindowTitle(QStringLiteral("Confirm"));
        break;
    case MsgKind::Information:
        box.setIcon(QMessageBox::Information);
        box.setWindowTitle(QStringLiteral("Information"));
        break;
    }
    QMessageBox::StandardButtons b;
    if (buttons & mbYes) b |= QMessageBox::Yes;
    if (buttons & mbNo) b |= QMessageBox::No;
    if (buttons & mbOK) b |= QMessageBox::Ok;
    if (buttons & mbCancel) b |= QMessageBox::Cancel;
    if (!b) b = QMessageBox::Ok;
    box.setStandardButtons(b);
    switch (box.exec()) {
    case QMessageBox::Yes:
        return MsgResult::Yes;
    case QMessageBox::No:
        return MsgResult::No;
    case QMessageBox::Ok:
        return MsgResult::OK;
    default:
        return MsgResult::Cancel;
    }
}

}  // namespace

MsgResult MessageDlg(const std::string &text, MsgKind kind, int buttons)
{
    // A program that is ending shows nothing more: the answer is the one that does the least.
    if (ProgramEnding()) {
        if (buttons & mbCancel) return MsgResult::Cancel;
        return (buttons & mbNo) ? MsgResult::No : MsgResult::OK;
    }
    if (Handler()) return Handler()(text, kind, buttons);
    return ShowReal(text, kind, buttons);
}

void SetMessageBoxHandler(MessageBoxHandler handler) { Handler() = std::move(handler); }

}  // namespace vxt
