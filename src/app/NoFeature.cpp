#include "NoFeature.h"
#include "DialogButtons.h"

#include "Command.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace vxt {

TfrmNoFeature *frmNoFeature = nullptr;

TfrmNoFeature::TfrmNoFeature(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmNoFeature"));
    setWindowTitle(QStringLiteral("Unsupported feature"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);

    lblNote = new QLabel(QStringLiteral("The Velto connected to VXT could not support one feature provided by "
                                        "this application, though it will configured appropriately. The "
                                        "non-supported feature is the following "),
                         this);
    lblNote->setObjectName(QStringLiteral("lblNote"));
    lblNote->setWordWrap(true);
    lblNote->setFixedWidth(320);
    txtUnsupported = new QLabel(this);
    txtUnsupported->setObjectName(QStringLiteral("txtUnsupported"));
    QFont bold = txtUnsupported->font();
    bold.setBold(true);
    txtUnsupported->setFont(bold);
    txtUnsupported->setAlignment(Qt::AlignCenter);

    QHBoxLayout *buttons = MakeButtonRow(this, &btnOk, nullptr, QStringLiteral("Close"));

    auto *main = new QVBoxLayout(this);
    main->setSizeConstraint(QLayout::SetFixedSize);
    main->addWidget(lblNote);
    main->addWidget(txtUnsupported);
    main->addSpacing(6);
    main->addLayout(buttons);

    ConnectCommand(btnOk, &QPushButton::clicked, this, &TfrmNoFeature::btnOkClick);
}

void TfrmNoFeature::btnOkClick() { accept(); }

}  // namespace vxt
