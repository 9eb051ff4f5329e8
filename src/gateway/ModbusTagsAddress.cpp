#include "ModbusTagsAddress.h"

#include "QtStr.h"

namespace vxt {

namespace {

QString MaskOf(char prefix)
{
    // '0' is a mask character of its own; the other prefix digits are plain literals.
    QString literal = prefix == '0' ? QStringLiteral("\\0") : QString(QLatin1Char(prefix));
    return literal + QStringLiteral("#####; ");
}

}  // namespace

TMaskedAddressEdit::TMaskedAddressEdit(QWidget *parent) : QLineEdit(parent)
{
    setInputMask(MaskOf(prefix_));
    // The cursor never rests on the prefix: a typed digit equal to it would be taken for it.
    connect(this, &QLineEdit::cursorPositionChanged, this, [this](int, int now) {
        if (now < 1 && !hasSelectedText()) setCursorPosition(1);
    });
}

void TMaskedAddressEdit::SetPrefix(char prefix)
{
    const std::string typed = Typed();
    prefix_ = prefix;
    setInputMask(MaskOf(prefix));
    SetTyped(typed);
}

std::string TMaskedAddressEdit::Typed() const
{
    // The shown text holds the literal first. Only trailing blanks go: a blank between digits
    // stays, so "1 2" is no number rather than 12.
    // A digit of another script is no number here; its UTF-8 bytes make that plain.
    const QString shown = displayText();
    std::string t = IsLatin1(shown) ? StdStr(shown) : shown.toStdString();
    t = t.empty() ? t : t.substr(1);
    while (!t.empty() && t.back() == ' ') t.pop_back();
    return t;
}

void TMaskedAddressEdit::SetTyped(const std::string &digits)
{
    // Given with its literal, the text cannot lose a first digit equal to the prefix.
    setText(QLatin1Char(prefix_) + QStr(digits));
    setCursorPosition(1 + int(Typed().size()));
}

}  // namespace vxt
