#include "ModbusTagsAddress.h"

#include "KeyFilter.h"
#include "QtStr.h"

#include <algorithm>

namespace vxt {

namespace {

// The prefix and five positions; more when a value set from code needs them, so it shows whole.
QString MaskOf(char prefix, size_t positions = 5)
{
    // '0' is a mask character of its own; the other prefix digits are plain literals.
    QString literal = prefix == '0' ? QStringLiteral("\\0") : QString(QLatin1Char(prefix));
    return literal + QString(qsizetype(std::max<size_t>(positions, 5)), QLatin1Char('#')) + QStringLiteral("; ");
}

}  // namespace

TMaskedAddressEdit::TMaskedAddressEdit(QWidget *parent) : QLineEdit(parent)
{
    setInputMask(MaskOf(prefix_));
    // The mask's "#" also takes digits of other scripts; the keys give ASCII digits and signs only.
    SetKeyFilter(this, [](QChar c) {
        return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('+') || c == QLatin1Char('-') ||
               c == QLatin1Char(' ');
    });
    // The cursor never rests on the prefix: a typed digit equal to it would be taken for it.
    connect(this, &QLineEdit::cursorPositionChanged, this, [this](int, int now) {
        if (now < 1 && !hasSelectedText()) setCursorPosition(1);
    });
}

void TMaskedAddressEdit::SetPrefix(char prefix)
{
    const std::string typed = Typed();
    prefix_ = prefix;
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
    setInputMask(MaskOf(prefix_, digits.size()));
    // Given with its literal, the text cannot lose a first digit equal to the prefix.
    setText(QLatin1Char(prefix_) + QStr(digits));
    setCursorPosition(1 + int(Typed().size()));
}

}  // namespace vxt
