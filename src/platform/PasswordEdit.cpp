#include "PasswordEdit.h"

#include <QLineEdit>

namespace vxt {

void MaskPassword(QLineEdit *edit)
{
    edit->setEchoMode(QLineEdit::Password);
    // The style's own mask character differs between styles; "*" is the one users know here.
    edit->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
}

}  // namespace vxt
