#include "InfoMsg.h"

#include "QtStr.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

namespace vxt {

TInfoMessage::TInfoMessage(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("InfoMessage"));
    setWindowTitle(QStringLiteral("Information"));
    // A title bar without any button, always on top.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint);
    setFixedSize(320, 50);

    lblInfo = new QLabel(this);
    lblInfo->setObjectName(QStringLiteral("lblInfo"));
    lblInfo->setAlignment(Qt::AlignCenter);
    lblInfo->setWordWrap(true);
    auto *main = new QVBoxLayout(this);
    main->setContentsMargins(8, 4, 8, 4);
    main->addWidget(lblInfo);
}

void TInfoMessage::FormActivate()
{
    lblInfo->setText(QStr(Msg));
    repaint();
}

void TInfoMessage::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (QScreen *s = screen()) move(pos() + s->availableGeometry().center() - frameGeometry().center());
    FormActivate();
}

bool TInfoMessage::event(QEvent *event)
{
    const bool r = QDialog::event(event);
    if (event->type() == QEvent::WindowActivate) FormActivate();
    return r;
}

void TInfoMessage::keyPressEvent(QKeyEvent *event)
{
    // Escape would close a dialog; the banner stays until its caller closes it.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TInfoMessage::closeEvent(QCloseEvent *event)
{
    // The window manager's close request (Alt+F4) is refused; the caller's close() goes through.
    if (event->spontaneous()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

}  // namespace vxt
