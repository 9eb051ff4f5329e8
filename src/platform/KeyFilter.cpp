#include "KeyFilter.h"

#include <QLineEdit>
#include <QPointer>
#include <QValidator>

namespace vxt {

namespace {

// Every change of a line edit's text passes its validator; an invalid one that the user made is
// undone by the edit itself, whichever way it came (keys, paste, drop, input method).
class TKeyFilterValidator : public QValidator {
public:
    TKeyFilterValidator(QLineEdit *edit, std::function<bool(QChar)> allowed, int maxLength)
        : QValidator(edit), Allowed(std::move(allowed)), MaxLength(maxLength), edit_(edit), shown_(edit->text())
    {
        connect(edit, &QLineEdit::textChanged, this, [this](const QString &text) { shown_ = text; });
    }

    State validate(QString &input, int &) const override
    {
        // setText clears the edit's modified state: what code puts into the box is taken whole.
        if (!edit_ || !edit_->isModified()) return Acceptable;
        // Only what this change brings in is judged, so a value set from code can still be edited.
        qsizetype prefix = 0;
        while (prefix < input.size() && prefix < shown_.size() && input[prefix] == shown_[prefix]) ++prefix;
        qsizetype suffix = 0;
        while (suffix < input.size() - prefix && suffix < shown_.size() - prefix &&
               input[input.size() - 1 - suffix] == shown_[shown_.size() - 1 - suffix])
            ++suffix;
        if (Allowed)
            for (qsizetype i = prefix; i < input.size() - suffix; ++i)
                if (input[i].isPrint() && !Allowed(input[i])) return Invalid;
        if (MaxLength > 0 && input.size() > MaxLength && input.size() > shown_.size()) return Invalid;
        return Acceptable;
    }

    const std::function<bool(QChar)> Allowed;
    const int MaxLength;

private:
    QPointer<QLineEdit> edit_;
    QString shown_;
};

}  // namespace

void SetKeyFilter(QLineEdit *edit, std::function<bool(QChar)> allowed, int maxLength)
{
    edit->setValidator(new TKeyFilterValidator(edit, std::move(allowed), maxLength));
}

int TypingLimit(const QLineEdit *edit)
{
    const auto *rule = dynamic_cast<const TKeyFilterValidator *>(edit->validator());
    return rule ? rule->MaxLength : 0;
}

}  // namespace vxt
