#include "KeyFilter.h"

#include "Command.h"
#include "NumFormat.h"

#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPointer>
#include <QValidator>
#include <algorithm>
#include <optional>
#include <vector>

namespace vxt {

namespace {

bool IsLineEnd(QChar c) { return c == QLatin1Char('\n') || c == QLatin1Char('\r'); }

// What a number box takes for a character of an Arabic or Persian keyboard: the ASCII digit, and the
// program's own decimal separator for the Arabic one. Any other character stays as it is.
QChar NumberKey(QChar c)
{
    const QChar digit = LatinDigit(c);
    if (!digit.isNull()) return digit;
    return c == QChar(0x066B) ? QChar(QLatin1Char(DecimalSeparator())) : c;
}

// Every change of a line edit's text passes its validator; an invalid one that the user made is
// undone by the edit itself, whichever way it came (keys, paste, drop, input method). A valid one
// the validator rewrote is shown as rewritten.
class TKeyFilterValidator : public QValidator {
public:
    TKeyFilterValidator(QLineEdit *edit, std::function<bool(QChar)> allowed, int maxLength)
        : QValidator(edit), Allowed(std::move(allowed)), MaxLength(maxLength), edit_(edit), shown_(edit->text())
    {
        connect(edit, &QLineEdit::textChanged, this, [this](const QString &text) { shown_ = text; });
    }

    State validate(QString &input, int &pos) const override
    {
        if (UpperCase) input = UpperCaseLatin1(input);
        // setText clears the edit's modified state: what code puts into the box is taken whole.
        if (!edit_ || !edit_->isModified()) return Acceptable;
        // Only what this change brings in is judged, so a value set from code can still be edited.
        // The caret stands behind what came in; what follows it is kept text when the shown text
        // ends the same way. Otherwise (the caret moved by other means) the longest common ends count.
        qsizetype suffix = input.size() - pos;
        if (pos < 0 || suffix > shown_.size() || !input.endsWith(QStringView(shown_).right(suffix))) suffix = -1;
        const qsizetype prefixMax = std::min(input.size(), shown_.size() - std::max<qsizetype>(suffix, 0));
        qsizetype prefix = 0;
        while (prefix < prefixMax && (suffix < 0 || prefix < pos) && input[prefix] == shown_[prefix]) ++prefix;
        if (suffix < 0) {
            suffix = 0;
            while (suffix < input.size() - prefix && suffix < shown_.size() - prefix &&
                   input[input.size() - 1 - suffix] == shown_[shown_.size() - 1 - suffix])
                ++suffix;
        }
        const QString original = input.mid(prefix, input.size() - prefix - suffix);
        QString brought = original;
        if (!TakeLineInput(brought)) return Invalid;
        if (Allowed)
            for (QChar &c : brought) {
                if (!Allowed(c)) c = NumberKey(c);
                if (!Allowed(c)) return Invalid;
            }
        if (brought != original) {
            const qsizetype before = original.size(), end = prefix + before;
            input.replace(prefix, before, brought);
            if (pos >= end) pos -= int(before - brought.size());
            else if (pos > prefix + brought.size()) pos = int(prefix + brought.size());
        }
        // A longer value from a file or a device may be shortened; whatever comes in must fit.
        if (MaxLength > 0 && input.size() > MaxLength && !brought.isEmpty()) return Invalid;
        return Acceptable;
    }

    const std::function<bool(QChar)> Allowed;
    const int MaxLength;
    bool UpperCase = false;

private:
    QPointer<QLineEdit> edit_;
    QString shown_;
};

TKeyFilterValidator *RuleOf(const QLineEdit *edit)
{
    return const_cast<TKeyFilterValidator *>(dynamic_cast<const TKeyFilterValidator *>(edit->validator()));
}

// Which positions of an input mask hold a fixed character (the blank character follows ';').
std::vector<bool> MaskLiterals(const QString &inputMask)
{
    static const QString kInputChars = QStringLiteral("AaNnXx90DdHhBb#");
    const QStringView mask = QStringView(inputMask).left(inputMask.indexOf(QLatin1Char(';')));
    std::vector<bool> literal;
    for (qsizetype i = 0; i < mask.size(); ++i) {
        if (mask[i] == QLatin1Char('\\') && i + 1 < mask.size()) {
            literal.push_back(true);
            ++i;
        } else if (mask[i] != QLatin1Char('<') && mask[i] != QLatin1Char('>') && mask[i] != QLatin1Char('!')) {
            literal.push_back(!kInputChars.contains(mask[i]));
        }
    }
    return literal;
}

// The character an input mask shows in a position not yet filled (given after a closing ';').
QChar MaskBlank(const QString &inputMask)
{
    const qsizetype n = inputMask.size();
    return n >= 2 && inputMask[n - 2] == QLatin1Char(';') ? inputMask[n - 1] : QChar(QLatin1Char(' '));
}

// The keys an edit takes as text (Ctrl and Ctrl+Shift make shortcuts; AltGr types).
bool TypesText(const QKeyEvent *key)
{
    const Qt::KeyboardModifiers m = key->modifiers() & ~Qt::KeypadModifier;
    return !key->text().isEmpty() && key->text().front().isPrint() && m != Qt::ControlModifier &&
           m != (Qt::ControlModifier | Qt::ShiftModifier);
}

// An input mask fits what comes in to its positions before any validator sees it: it drops what
// does not fit, and a keyboard's own digit is no match for a fixed digit. A masked box judges what
// is typed, pasted or dropped itself, by one rule, before the mask sees it.
class TMaskedInputGuard : public QObject {
public:
    explicit TMaskedInputGuard(QLineEdit *edit) : QObject(edit), edit_(edit) { edit->installEventFilter(this); }

    bool eventFilter(QObject *, QEvent *event) override
    {
        if (edit_->inputMask().isEmpty() || edit_->isReadOnly() || forwarding_) return false;
        switch (event->type()) {
        case QEvent::KeyPress:
            if (static_cast<QKeyEvent *>(event)->matches(QKeySequence::Paste)) {
                Paste(QClipboard::Clipboard);
                return true;
            }
            return TypesText(static_cast<QKeyEvent *>(event)) && Type(static_cast<QKeyEvent *>(event));
        case QEvent::InputMethod:
            return Commit(static_cast<QInputMethodEvent *>(event));
        case QEvent::MouseButtonRelease:
            if (static_cast<QMouseEvent *>(event)->button() != Qt::MiddleButton ||
                !QApplication::clipboard()->supportsSelection())
                return false;
            Paste(QClipboard::Selection);
            return true;
        case QEvent::Drop:
            // A drag within the box moves its own text: the edit does that itself.
            if (static_cast<QDropEvent *>(event)->source() == edit_) return false;
            Drop(static_cast<QDropEvent *>(event));
            return true;
        case QEvent::ContextMenu:
            ContextMenu(static_cast<QContextMenuEvent *>(event));
            return true;
        default:
            return false;
        }
    }

private:
    // What the edit inserts at its caret (over the selection) for a text brought in, and where the
    // caret goes then (-1: where the insert leaves it).
    struct TTaken {
        QString text;
        int caret = -1;
    };

    // The one rule for what the user brings in: keys, an input method's commits, pastes, drops. The
    // mask must hold the text whole, every character taken as the keys take it, in the positions that
    // follow the caret. `from` is where the user put it (the drop point), when the caret may have
    // moved off it since.
    std::optional<TTaken> Take(QString text, int from = -1) const
    {
        if (!TakeLineInput(text)) return std::nullopt;
        if (const TKeyFilterValidator *rule = RuleOf(edit_); rule && rule->Allowed)
            for (QChar &c : text) {
                if (!rule->Allowed(c)) c = NumberKey(c);
                if (!rule->Allowed(c)) return std::nullopt;
            }
        const QString shown = edit_->displayText();
        const int start = edit_->hasSelectedText() ? edit_->selectionStart() : edit_->cursorPosition();
        const std::vector<bool> literal = MaskLiterals(edit_->inputMask());
        const auto fixedFrom = [&](int pos) {
            while (pos < int(literal.size()) && literal[size_t(pos)]) ++pos;
            return pos;
        };
        if (from < 0) from = start;
        const int at = fixedFrom(start);
        // Brought onto fixed characters, the text is all that follows them: the blanks behind it
        // clear what it does not cover. One that begins with them holds them: the box copied whole,
        // blanks included, is taken as it was shown.
        const QString over = shown.mid(from, fixedFrom(from) - from);
        if (!over.isEmpty() && text.startsWith(over)) {
            text.remove(0, over.size());
            while (text.endsWith(MaskBlank(edit_->inputMask()))) text.chop(1);
        }
        // Fixed characters at the caret are given with the text, so that none of it is taken for them.
        TTaken taken{shown.mid(start, at - start) + text};
        if (!over.isEmpty()) {
            taken.text += QString(std::max<qsizetype>(shown.size() - at - text.size(), 0), MaskBlank(edit_->inputMask()));
            taken.caret = at + int(text.size());
        }
        QLineEdit trial;
        trial.setInputMask(edit_->inputMask());
        trial.setText(shown);
        if (edit_->hasSelectedText()) trial.setSelection(start, edit_->selectionLength());
        else trial.setCursorPosition(start);
        trial.insert(taken.text);
        if (trial.displayText().mid(at, text.size()) != text) return std::nullopt;
        return taken;
    }

    // The edit takes `event`, made to bring what was taken (or nothing), as its own.
    void Give(QEvent *event, const std::optional<TTaken> &taken)
    {
        forwarding_ = true;
        QApplication::sendEvent(edit_, event);
        forwarding_ = false;
        if (taken && taken->caret >= 0) edit_->setCursorPosition(taken->caret);
    }

    // True when the key is done with here: refused, or given to the edit with the text taken.
    bool Type(QKeyEvent *key)
    {
        const std::optional<TTaken> taken = Take(key->text());
        if (!taken) return true;
        if (taken->text == key->text() && taken->caret < 0) return false;
        QKeyEvent typed(key->type(), key->key(), key->modifiers(), key->nativeScanCode(), key->nativeVirtualKey(),
                        key->nativeModifiers(), taken->text, key->isAutoRepeat(), ushort(key->count()));
        Give(&typed, taken);
        key->setAccepted(typed.isAccepted());
        return true;
    }

    // An input method's commit is typed text; what it composes is not in the box yet.
    bool Commit(QInputMethodEvent *im)
    {
        const QString text = im->commitString();
        if (text.isEmpty() || im->replacementLength() != 0 || !im->preeditString().isEmpty()) return false;
        const std::optional<TTaken> taken = Take(text);
        if (taken && taken->text == text && taken->caret < 0) return false;
        QInputMethodEvent committed(QString(), im->attributes());
        if (taken) committed.setCommitString(taken->text);
        Give(&committed, taken);
        return true;
    }

    void Paste(QClipboard::Mode mode)
    {
        if (const std::optional<TTaken> taken = Take(QApplication::clipboard()->text(mode))) {
            edit_->insert(taken->text);
            if (taken->caret >= 0) edit_->setCursorPosition(taken->caret);
        }
    }

    void Drop(QDropEvent *event)
    {
        // The edit drops the taken text itself (caret and drag state included), or nothing; it
        // moves the caret to the drop point first, as done here to judge the text there.
        const int at = edit_->cursorPositionAt(event->position().toPoint());
        edit_->setCursorPosition(at);
        const std::optional<TTaken> taken = Take(event->mimeData() ? event->mimeData()->text() : QString(), at);
        QMimeData mime;
        if (taken) mime.setText(taken->text);
        QDropEvent drop(event->position(), event->possibleActions(), &mime, event->buttons(), event->modifiers());
        Give(&drop, taken);
        event->setAccepted(drop.isAccepted());
        if (drop.isAccepted()) event->setDropAction(drop.dropAction());
    }

    void ContextMenu(QContextMenuEvent *event)
    {
        QMenu *menu = edit_->createStandardContextMenu();
        // The menu's Paste is the action wired to the edit's own paste.
        for (QAction *action : menu->actions())
            if (disconnect(action, SIGNAL(triggered()), edit_, SLOT(paste())) ||
                disconnect(action, &QAction::triggered, edit_, &QLineEdit::paste))
                ConnectCommand(action, &QAction::triggered, this, [this]() { Paste(QClipboard::Clipboard); });
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(event->globalPos());
    }

    QLineEdit *edit_;
    bool forwarding_ = false;
};

void Install(QLineEdit *edit, std::function<bool(QChar)> allowed, int maxLength)
{
    const TKeyFilterValidator *old = RuleOf(edit);
    const bool upper = old && old->UpperCase;
    auto *rule = new TKeyFilterValidator(edit, std::move(allowed), maxLength);
    rule->UpperCase = upper;
    edit->setValidator(rule);
    delete old;
    const QObjectList &children = edit->children();
    if (std::none_of(children.begin(), children.end(), [](QObject *o) { return dynamic_cast<TMaskedInputGuard *>(o); }))
        new TMaskedInputGuard(edit);
}

}  // namespace

bool TakeLineInput(QString &brought)
{
    if (brought.endsWith(QLatin1String("\r\n"))) brought.chop(2);
    else if (!brought.isEmpty() && IsLineEnd(brought.back())) brought.chop(1);
    for (QChar c : brought) {
        switch (c.category()) {
        case QChar::Other_Control:   // Cc: line ends, tab, escape...
        case QChar::Other_Format:    // Cf: zero-width space, BOM, soft hyphen, direction marks...
        case QChar::Other_Surrogate: // outside the Basic Multilingual Plane: emoji and the like
        case QChar::Separator_Line:
        case QChar::Separator_Paragraph:
            return false;
        default:
            break;
        }
    }
    return true;
}

void SetKeyFilter(QLineEdit *edit, std::function<bool(QChar)> allowed, int maxLength)
{
    Install(edit, std::move(allowed), maxLength);
}

void SetUpperCase(QLineEdit *edit)
{
    if (!RuleOf(edit)) Install(edit, {}, 0);
    RuleOf(edit)->UpperCase = true;
    const QString text = UpperCaseLatin1(edit->text());
    if (text != edit->text()) edit->setText(text);
}

QString UpperCaseLatin1(QString text)
{
    for (QChar &c : text) {
        const QChar u = c.toUpper();
        if (u.unicode() <= 0xFF) c = u;
    }
    return text;
}

QChar LatinDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= 0x0660 && u <= 0x0669) return QLatin1Char(char('0' + (u - 0x0660)));
    if (u >= 0x06F0 && u <= 0x06F9) return QLatin1Char(char('0' + (u - 0x06F0)));
    return QChar();
}

int TypingLimit(const QLineEdit *edit)
{
    const TKeyFilterValidator *rule = RuleOf(edit);
    return rule ? rule->MaxLength : 0;
}

void GuardLineEdits(QWidget *root)
{
    for (QLineEdit *edit : root->findChildren<QLineEdit *>()) {
        QWidget *owner = edit->parentWidget();
        if (qobject_cast<QAbstractSpinBox *>(owner) || qobject_cast<QComboBox *>(owner)) continue;
        // A validator of another kind is left alone, so that a box built otherwise shows in the tests.
        if (!edit->validator()) Install(edit, {}, 0);
    }
}

}  // namespace vxt
