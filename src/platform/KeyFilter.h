// The key filters of the number boxes and the typing limits of the text boxes. A rule judges what
// the user brings into a box, typed, pasted or dropped alike: an edit that brings in a character
// the box does not take, or grows the text past its limit, is refused whole. A text set from code
// (a value read from a file or a device) is shown whole: the rule stops typing, it does not cut values.
#pragma once

#include <QChar>
#include <functional>

class QLineEdit;

namespace vxt {

// `allowed` judges each printable character brought in (empty: any); `maxLength` 0 sets no limit.
void SetKeyFilter(QLineEdit *edit, std::function<bool(QChar)> allowed, int maxLength = 0);
// A limit on what the user types, with no filter on the characters.
inline void SetTypingLimit(QLineEdit *edit, int maxLength) { SetKeyFilter(edit, {}, maxLength); }
// The limit a rule set on `edit`; 0 when it has none.
int TypingLimit(const QLineEdit *edit);

}  // namespace vxt
