#include "DialogButtons.h"

#include <QHBoxLayout>
#include <QPushButton>

namespace vxt {

QHBoxLayout *MakeButtonRow(QWidget *parent, QPushButton **ok, QPushButton **cancel, const QString &okText)
{
    *ok = new QPushButton(okText, parent);
    (*ok)->setObjectName(QStringLiteral("btnOk"));
    (*ok)->setDefault(true);
    auto *row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(*ok);
    if (cancel) {
        *cancel = new QPushButton(QStringLiteral("Cancel"), parent);
        (*cancel)->setObjectName(QStringLiteral("btnCancel"));
        row->addWidget(*cancel);
    } else {
        row->addStretch();
    }
    return row;
}

}  // namespace vxt
