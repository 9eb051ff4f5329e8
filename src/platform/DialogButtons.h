// The row of buttons under a dialog: the default button `btnOk` and, when wanted, `btnCancel`.
#pragma once

#include <QString>

class QHBoxLayout;
class QPushButton;
class QWidget;

namespace vxt {

// Right-aligned OK and Cancel; with `cancel` null only the default button, centred.
QHBoxLayout *MakeButtonRow(QWidget *parent, QPushButton **ok, QPushButton **cancel,
                           const QString &okText = QStringLiteral("OK"));

}  // namespace vxt
