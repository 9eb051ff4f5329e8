// The rules of the program's one-line boxes. A rule judges what the user brings into a box, typed,
// pasted or dropped alike: an edit that brings in a character the box does not take, or leaves the
// text past its limit, is refused whole. A text set from code (a value read from a file or a device)
// is shown whole and may be shortened: the rule stops typing, it does not cut values.
//
// A box that takes ASCII digits takes the digits of Arabic and Persian keyboards as the ASCII ones,
// and the Arabic decimal separator as the program's own where it takes that: the box shows them so.
//
// Every box also takes the line rule: a single line end at the end of what is brought in (a copied
// cell or line) is dropped; anything holding another line break, a control or format character, or
// a character outside the Basic Multilingual Plane is refused whole.
#pragma once

#include <QChar>
#include <QString>
#include <QValidator>
#include <functional>

class QLineEdit;
class QWidget;

namespace vxt {

// `allowed` judges each character brought in (empty: any); `maxLength` 0 sets no limit.
void SetKeyFilter(QLineEdit *edit, std::function<bool(QChar)> allowed, int maxLength = 0);
// A limit on what the user types, with no filter on the characters.
inline void SetTypingLimit(QLineEdit *edit, int maxLength) { SetKeyFilter(edit, {}, maxLength); }
// The box shows and keeps its text in upper case (letters whose capital is Latin-1), set from code too.
void SetUpperCase(QLineEdit *edit);
// `text` with each letter in upper case where its capital is still Latin-1, so it survives 8-bit text.
QString UpperCaseLatin1(QString text);
// The ASCII digit that a digit of an Arabic or Persian keyboard (U+0660 to U+0669, U+06F0 to U+06F9)
// stands for; the null character for any other.
QChar LatinDigit(QChar c);
// A date or time editor (a QDateTimeEdit) showing ASCII digits, that takes the digits of Arabic and
// Persian keyboards as the ASCII ones, however they come in.
template <class Edit>
class TLatinDigitsEdit : public Edit {
public:
    using Edit::Edit;

protected:
    QValidator::State validate(QString &input, int &pos) const override
    {
        for (QChar &c : input)
            if (const QChar digit = LatinDigit(c); !digit.isNull()) c = digit;
        return Edit::validate(input, pos);
    }
};

// The limit a rule set on `edit`; 0 when it has none.
int TypingLimit(const QLineEdit *edit);

// Gives every one-line box under `root` that has no rule yet the line rule alone. Boxes inside spin
// boxes and combo boxes keep Qt's own. Every window of the program passes through it once built.
void GuardLineEdits(QWidget *root);

// The line rule on a text brought in: false when refused; otherwise `brought` loses its one
// trailing line end, if any.
bool TakeLineInput(QString &brought);

}  // namespace vxt
