#include "WriteValue.h"

#include "Blocking.h"
#include "Command.h"
#include "KeyFilter.h"
#include "DialogButtons.h"
#include "MonitorLogic.h"
#include "MsgBox.h"
#include "NumFormat.h"
#include "QtStr.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShowEvent>
#include <QVBoxLayout>

namespace vxt {

TfrmWriteValue *frmWriteValue = nullptr;

TfrmWriteValue::TfrmWriteValue(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmWriteValue"));
    setWindowTitle(QStringLiteral("Write new Value"));
    // The monitor's next tick may wait for its device while the value is typed; the value only
    // goes out with a later step.
    KeepWindowLiveDuringWait(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);

    grpWriteValue = new QGroupBox(QStringLiteral("Write Value"), this);
    grpWriteValue->setObjectName(QStringLiteral("grpWriteValue"));
    lblValue = new QLabel(QStringLiteral("New Tag Value"), grpWriteValue);
    lblValue->setObjectName(QStringLiteral("lblValue"));
    txtValue = new QLineEdit(grpWriteValue);
    txtValue->setObjectName(QStringLiteral("txtValue"));
    SetKeyFilter(txtValue, [this](QChar c) { return txtValueKeyPress(c); }, 12);
    lblValue->setBuddy(txtValue);
    rdoOn = new QRadioButton(QStringLiteral("ON"), grpWriteValue);
    rdoOn->setObjectName(QStringLiteral("rdoOn"));
    rdoOff = new QRadioButton(QStringLiteral("OFF"), grpWriteValue);
    rdoOff->setObjectName(QStringLiteral("rdoOff"));
    auto *group = new QVBoxLayout(grpWriteValue);
    group->addWidget(lblValue);
    group->addWidget(txtValue);
    auto *radios = new QHBoxLayout;
    radios->addWidget(rdoOn);
    radios->addWidget(rdoOff);
    radios->addStretch();
    group->addLayout(radios);
    grpWriteValue->setMinimumWidth(240);

    QHBoxLayout *buttons = MakeButtonRow(this, &btnOk, &btnCancel);

    auto *main = new QVBoxLayout(this);
    main->setSizeConstraint(QLayout::SetFixedSize);
    main->addWidget(grpWriteValue);
    main->addLayout(buttons);

    ConnectCommand(btnOk, &QPushButton::clicked, this, &TfrmWriteValue::btnOkClick);
    ConnectCommand(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TfrmWriteValue::FormShow()
{
    const bool digital = Kind == KindDigital;
    lblValue->setVisible(!digital);
    txtValue->setVisible(!digital);
    rdoOn->setVisible(digital);
    rdoOff->setVisible(digital);
    if (digital) {
        rdoOn->setChecked(BoolValue);
        rdoOff->setChecked(!BoolValue);
    } else if (Kind == KindInteger) {
        txtValue->setText(QString::number(IntValue));
    } else {
        txtValue->setText(QStr(FloatToStr(FloatValue)));
    }
    grpWriteValue->setTitle(QStr(TagName));
    if (!digital) {
        txtValue->setFocus();
        txtValue->selectAll();
    }
}

void TfrmWriteValue::btnOkClick()
{
    // A character outside Latin-1 leaves no number to read: the value's own message says so.
    std::string text;
    TryStdStr(txtValue->text(), text);
    if (Kind == KindDigital) {
        BoolValue = rdoOn->isChecked();
    } else if (Kind == KindInteger) {
        int32_t v = 0;
        if (!ParseWriteInteger(text, v)) {
            ShowError("Not a valid value.\r\nPlease enter an integer number between -2147483648 and 2147483647.");
            txtValue->setFocus();
            return;
        }
        IntValue = v;
    } else {
        double v = 0;
        if (!ParseWriteFloat(text, v)) {
            ShowError("Not a valid value.\r\nPlease enter a number.");
            txtValue->setFocus();
            return;
        }
        FloatValue = v;
    }
    accept();
}

bool TfrmWriteValue::txtValueKeyPress(QChar key) const
{
    if (key.unicode() > 0xFF) return Kind == KindDigital;
    return WriteValueKeyAllowed(Kind, char(key.unicode()));
}

void TfrmWriteValue::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (event->spontaneous()) return;
    FormShow();
    layout()->activate();
    if (QScreen *s = screen()) move(pos() + s->availableGeometry().center() - frameGeometry().center());
}

}  // namespace vxt
