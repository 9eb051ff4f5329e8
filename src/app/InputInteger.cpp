#include "InputInteger.h"

#include "Command.h"
#include "DialogButtons.h"
#include "KeyFilter.h"
#include "MsgBox.h"
#include "NumFormat.h"
#include "QtStr.h"
#include "StrUtils.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace vxt {

TfrmInputInteger *frmInputInteger = nullptr;

TfrmInputInteger::TfrmInputInteger(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmInputInteger"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);

    grpValue = new QGroupBox(QStringLiteral("Enter Value"), this);
    grpValue->setObjectName(QStringLiteral("grpValue"));
    txtValue = new QLineEdit(grpValue);
    txtValue->setObjectName(QStringLiteral("txtValue"));
    SetKeyFilter(txtValue, &TfrmInputInteger::txtValueKeyPress, 8);
    lblValue = new QLabel(grpValue);
    lblValue->setObjectName(QStringLiteral("lblValue"));
    lblValue->setBuddy(txtValue);
    auto *group = new QVBoxLayout(grpValue);
    group->addWidget(lblValue);
    group->addWidget(txtValue);
    grpValue->setMinimumWidth(240);

    QHBoxLayout *buttons = MakeButtonRow(this, &btnOk, &btnCancel);

    auto *main = new QVBoxLayout(this);
    main->setSizeConstraint(QLayout::SetFixedSize);
    main->addWidget(grpValue);
    main->addLayout(buttons);

    ConnectCommand(btnOk, &QPushButton::clicked, this, &TfrmInputInteger::btnOkClick);
    ConnectCommand(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TfrmInputInteger::FormShow()
{
    setWindowTitle(QStr(Title));
    lblValue->setText(QStr(Title));
    txtValue->setText(QString::number(Value));
    txtValue->setFocus();
}

void TfrmInputInteger::btnOkClick()
{
    const QString text = txtValue->text();
    if (!text.isEmpty()) {
        int32_t v = 0;
        // Typing is filtered, so only a pasted text can fail here; the conversion error is shown
        // as the general error report shows it and the dialog stays open.
        if (!RunCommand([&] { v = StrToInt(StdStr(text)); })) return;
        if (MinValue <= v && v <= MaxValue) {
            Value = v;
            accept();
            return;
        }
    }
    ShowError(Format("Not a valid value.\r\nPlease enter a value between %d and %d.", MinValue, MaxValue));
}

bool TfrmInputInteger::txtValueKeyPress(QChar key)
{
    return (key >= QLatin1Char('0') && key <= QLatin1Char('9')) || key == QChar(8);
}

void TfrmInputInteger::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    FormShow();
    layout()->activate();   // the new title may change the size before it is centred
    if (QScreen *s = screen()) move(pos() + s->availableGeometry().center() - frameGeometry().center());
}

}  // namespace vxt
