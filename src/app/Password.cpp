#include "Password.h"
#include "DialogButtons.h"

#include "Command.h"
#include "KeyFilter.h"
#include "MsgBox.h"
#include "PasswordEdit.h"
#include "QtStr.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

namespace vxt {

TfrmPassword *frmPassword = nullptr;

TfrmPassword::TfrmPassword(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmPassword"));
    setWindowTitle(QStringLiteral("Device Current Password"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);

    grpPassword = new QGroupBox(QStringLiteral("Password"), this);
    grpPassword->setObjectName(QStringLiteral("grpPassword"));
    imgPassword = new QLabel(grpPassword);
    imgPassword->setObjectName(QStringLiteral("imgPassword"));
    imgPassword->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32, 32));
    imgPassword->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    lblNote = new QLabel(QStringLiteral("Device password required for this operation to be performed. "
                                        "Please enter current Administrator Password."),
                         grpPassword);
    lblNote->setObjectName(QStringLiteral("lblNote"));
    lblNote->setWordWrap(true);
    lblNote->setFixedWidth(260);
    txtPassword = new QLineEdit(grpPassword);
    txtPassword->setObjectName(QStringLiteral("txtPassword"));
    SetTypingLimit(txtPassword, 20);
    MaskPassword(txtPassword);
    lblPassword = new QLabel(QStringLiteral("Password"), grpPassword);
    lblPassword->setObjectName(QStringLiteral("lblPassword"));
    lblPassword->setBuddy(txtPassword);

    auto *fields = new QVBoxLayout;
    fields->addWidget(lblNote);
    fields->addSpacing(6);
    fields->addWidget(lblPassword);
    fields->addWidget(txtPassword);
    auto *group = new QHBoxLayout(grpPassword);
    group->addWidget(imgPassword, 0, Qt::AlignTop);
    group->addLayout(fields);

    QHBoxLayout *buttons = MakeButtonRow(this, &btnOk, &btnCancel);

    auto *main = new QVBoxLayout(this);
    main->setSizeConstraint(QLayout::SetFixedSize);
    main->addWidget(grpPassword);
    main->addLayout(buttons);

    ConnectCommand(btnOk, &QPushButton::clicked, this, &TfrmPassword::btnOkClick);
    ConnectCommand(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TfrmPassword::FormShow()
{
    txtPassword->clear();
    txtPassword->setFocus();
}

void TfrmPassword::btnOkClick()
{
    // The password goes to the device as 8-bit text, in a KProt message or a discovery datagram.
    const std::string refusal = TextRefusal(txtPassword->text(), "Password", TextGoal::Latin1);
    if (!refusal.empty()) {
        ShowError(refusal);
        txtPassword->setFocus();
        return;
    }
    Password = StdStr(txtPassword->text());
    accept();
}

void TfrmPassword::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (QScreen *s = screen()) move(pos() + s->availableGeometry().center() - frameGeometry().center());
    FormShow();
}

}  // namespace vxt
