#include "EMail.h"
#include "DialogButtons.h"

#include "Command.h"
#include "KeyFilter.h"
#include "MsgBox.h"
#include "QtStr.h"
#include "StrUtils.h"
#include "Utiles.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace vxt {

TfrmEmail *frmEmail = nullptr;

TfrmEmail::TfrmEmail(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmEmail"));
    setWindowTitle(QStringLiteral("E-Mail Address"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);

    txtEMail = new QLineEdit(this);
    txtEMail->setObjectName(QStringLiteral("txtEMail"));
    SetTypingLimit(txtEMail, 50);
    txtEMail->setMinimumWidth(300);
    lblEMail = new QLabel(QStringLiteral("E-Mail"), this);
    lblEMail->setObjectName(QStringLiteral("lblEMail"));
    lblEMail->setBuddy(txtEMail);

    QHBoxLayout *buttons = MakeButtonRow(this, &btnOk, &btnCancel);

    auto *main = new QVBoxLayout(this);
    main->setSizeConstraint(QLayout::SetFixedSize);
    main->addWidget(lblEMail);
    main->addWidget(txtEMail);
    main->addSpacing(6);
    main->addLayout(buttons);

    ConnectCommand(btnOk, &QPushButton::clicked, this, &TfrmEmail::btnOkClick);
    ConnectCommand(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TfrmEmail::FormShow()
{
    if (EditMode != 0) txtEMail->setText(QStr(Address));
    else txtEMail->clear();
    txtEMail->setFocus();
}

void TfrmEmail::btnOkClick()
{
    std::string text;
    if (TryStdStr(txtEMail->text(), text) && IsValidEMail(text)) {
        // The blanks the check ignores go too: the file would not keep them.
        Address = Trim(text);
        accept();
        return;
    }
    ShowError("The E-mail Address is not valid.");
    txtEMail->setFocus();
}

void TfrmEmail::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    FormShow();
}

}  // namespace vxt
