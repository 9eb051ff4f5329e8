// Password boxes: every character shown as "*", the same in every window.
#pragma once

class QLineEdit;

namespace vxt {

void MaskPassword(QLineEdit *edit);

}  // namespace vxt
