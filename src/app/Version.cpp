#include "Version.h"
#include "DialogButtons.h"

#include "Command.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace vxt {

TfrmVersion *frmVersion = nullptr;

TfrmVersion::TfrmVersion(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmVersion"));
    setWindowTitle(QStringLiteral("Non-compatible version"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);

    txtVersion = new QLabel(this);
    txtVersion->setObjectName(QStringLiteral("txtVersion"));
    txtVersion->setAlignment(Qt::AlignCenter);
    txtVersion->setWordWrap(true);
    txtVersion->setFixedWidth(320);
    // Room for about four lines of the reason.
    txtVersion->setMinimumHeight(txtVersion->fontMetrics().lineSpacing() * 4 + 4);
    txtVeltoVersion = new QLabel(this);
    txtVeltoVersion->setObjectName(QStringLiteral("txtVeltoVersion"));
    txtVeltoVersion->setAlignment(Qt::AlignCenter);

    QHBoxLayout *buttons = MakeButtonRow(this, &btnOk, nullptr, QStringLiteral("Close"));

    auto *main = new QVBoxLayout(this);
    main->setSizeConstraint(QLayout::SetFixedSize);
    main->addWidget(txtVersion);
    main->addWidget(txtVeltoVersion);
    main->addSpacing(6);
    main->addLayout(buttons);

    ConnectCommand(btnOk, &QPushButton::clicked, this, &TfrmVersion::btnOkClick);
}

void TfrmVersion::btnOkClick() { accept(); }

}  // namespace vxt
