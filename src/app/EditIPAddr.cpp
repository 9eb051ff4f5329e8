#include "EditIPAddr.h"

#include "KeyFilter.h"
#include "NumFormat.h"
#include "QtStr.h"
#include "StrUtils.h"

#include <QApplication>
#include <QFocusEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>

namespace vxt {

// ---- Address text routines ----------------------------------------------------------------

std::string GetToken(const std::string &s, int index, char delimiter)
{
    if (index < 1) return std::string();
    size_t start = 0;
    for (int i = 1; i < index; ++i) {
        const size_t next = s.find(delimiter, start);
        if (next == std::string::npos) return std::string();
        start = next + 1;
    }
    const size_t end = s.find(delimiter, start);
    return s.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

int CountChar(const std::string &s, char c)
{
    int n = 0;
    for (char x : s)
        if (x == c) ++n;
    return n;
}

std::string StripChars(const std::string &s, const std::string &set)
{
    std::string r;
    for (char c : s)
        if (set.find(c) == std::string::npos) r += c;
    return r;
}

std::string IPToTriplets(const std::string &s)
{
    if (s.size() > 15)
        throw EIPAddressError(Format("Illegal length for IPString![%s(%d)]", s.c_str(), int(s.size())));
    if (CountChar(s, '.') != 3) throw EIPAddressError(Format("Must include exactly 3 dots! [%s]", s.c_str()));
    std::string r;
    for (int i = 1; i <= 4; ++i) {
        const std::string piece = GetToken(s, i, '.');
        if (piece.empty() || piece.size() > 3)
            throw EIPAddressError(
                Format("IPAddress must include 4 pieces of length 1..3. IPAddressString[%s]", s.c_str()));
        if (piece.size() > 1 && piece[0] == '0')
            throw EIPAddressError(Format("Leading zero not allowed. IPAddressString[%s]", s.c_str()));
        r += std::string(3 - piece.size(), '0') + piece;
    }
    return r;
}

bool IsAllDigits(const std::string &s)
{
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

void CheckTriplets(const std::string &triplets, const std::string &s)
{
    if (triplets.size() != 12)
        throw EIPAddressError(Format("Illegal length for IPString![%s (Length:%d) ]", s.c_str(),
                                          int(triplets.size())));
    for (size_t i = 0; i < 12; i += 3)
        if (!IsAllDigits(triplets.substr(i, 3)))
            throw EIPAddressError(
                Format("%s. IPAddressString[%s]", "IP Address contains illegal symbols", s.c_str()));
    for (size_t i = 0; i < 12; i += 3)
        if (StrToInt(triplets.substr(i, 3)) > 255)
            throw EIPAddressError(Format("Triplets must be of range 0..255  IPAddressString[%s]", s.c_str()));
}

void ValidateIPAddress(const std::string &s) { CheckTriplets(IPToTriplets(s), s); }

uint8_t GetOctet(const std::string &s, int n)
{
    ValidateIPAddress(s);
    if (n < 1 || n > 4) return 0;
    return uint8_t(StrToInt(IPToTriplets(s).substr(size_t(n - 1) * 3, 3)));
}

// ---- The control ---------------------------------------------------------------------------

namespace {

constexpr int kBoxX[4] = {1, 25, 49, 73};
constexpr int kDotX[3] = {22, 46, 70};
constexpr int kBoxWidth = 21;
constexpr int kDotWidth = 3;

// The largest font, not above the control's own, whose three digits fit a box without scrolling.
QFont BoxFont(const QFont &base, int boxHeight)
{
    QFont f = base;
    int px = QFontInfo(base).pixelSize();
    f.setPixelSize(px);
    while (px > 6) {
        QFontMetrics fm(f);
        // The line edit keeps 2 pixels on each side and needs one more for its caret.
        if (fm.horizontalAdvance(QStringLiteral("888")) + 5 <= kBoxWidth && fm.height() <= boxHeight) break;
        f.setPixelSize(--px);
    }
    return f;
}

// A box shows its selection only while it has the focus, as the edit fields of the platform do
// (the control keeps box 0's text selected while the focus is elsewhere).
QPalette UnfocusedPalette(QPalette p)
{
    for (auto group : {QPalette::Active, QPalette::Inactive}) {
        p.setColor(group, QPalette::Highlight, p.color(group, QPalette::Base));
        p.setColor(group, QPalette::HighlightedText, p.color(group, QPalette::Text));
    }
    return p;
}

}  // namespace

TEditIPAddr::TEditIPAddr(QWidget *parent) : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    resize(100, 21);

    panel_ = new QFrame(this);
    panel_->setObjectName(QStringLiteral("Panel"));
    panel_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel_->setLineWidth(1);
    panel_->setBackgroundRole(QPalette::Base);
    panel_->setAutoFillBackground(true);
    panel_->setCursor(Qt::IBeamCursor);
    panel_->setGeometry(rect());
    panel_->installEventFilter(this);

    const int boxHeight = height() - 2;
    const QFont font = BoxFont(this->font(), boxHeight);
    for (int i = 0; i < 4; ++i) {
        QLineEdit *box = new QLineEdit(panel_);
        box->setObjectName(QStringLiteral("Box%1").arg(i));
        box->setProperty("tag", i);
        box->setFrame(false);
        box->setAlignment(Qt::AlignCenter);
        SetKeyFilter(box, [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }, 3);
        box->setFont(font);
        box->setTextMargins(0, 0, 0, 0);
        box->setGeometry(kBoxX[i], 1, kBoxWidth, boxHeight);
        box->setFocusPolicy(i == 0 ? Qt::StrongFocus : Qt::ClickFocus);   // only box 0 is a tab stop
        box->setPalette(UnfocusedPalette(box->palette()));
        box->installEventFilter(this);
        connect(box, &QLineEdit::textEdited, this, [this, i]() { BoxChange(i); });
        boxes_[i] = box;
    }
    for (int i = 0; i < 3; ++i) {
        QLabel *dot = new QLabel(QStringLiteral("."), panel_);
        dot->setObjectName(QStringLiteral("Dot%1").arg(i));
        dot->setProperty("tag", i);   // the box to its left
        dot->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
        dot->setGeometry(kDotX[i], 1, kDotWidth, boxHeight - 3);
        dot->installEventFilter(this);
        dots_[i] = dot;
    }

    setFocusPolicy(Qt::StrongFocus);
    setFocusProxy(boxes_[0]);
    connect(qApp, &QApplication::focusChanged, this, &TEditIPAddr::FocusLeft);
}

std::string TEditIPAddr::Text()
{
    bool allEmpty = true;
    for (QLineEdit *b : boxes_) allEmpty = allEmpty && b->text().isEmpty();
    if (allEmpty) return std::string();
    std::string r;
    for (int i = 0; i < 4; ++i) {
        QLineEdit *b = boxes_[i];
        if (b->text().isEmpty()) b->setText(QStringLiteral("0"));
        if (!acceptOctal_) b->setText(QString::number(StrToInt(StdStr(b->text()))));
        if (i > 0) r += '.';
        r += StdStr(b->text());
    }
    return r;
}

void TEditIPAddr::SetText(const std::string &text)
{
    if (text.empty()) {
        for (QLineEdit *b : boxes_) b->clear();
        return;
    }
    try {
        ValidateIPAddress(text);
    } catch (const std::exception &) {
        throw EIPAddressError("Bad IP address string given to component");
    }
    for (int i = 0; i < 4; ++i) boxes_[i]->setText(QString::number(GetOctet(text, i + 1)));
    boxes_[0]->selectAll();
}

bool TEditIPAddr::IsValidHost()
{
    const std::string t = Text();
    const uint8_t first = GetOctet(t, 1);
    const uint8_t last = GetOctet(t, 4);
    if (first == 0 || first == 127 || first == 240 || first == 255) return false;
    return last != 0 && last != 255;
}

int TEditIPAddr::BoxIndex(QObject *o) const
{
    for (int i = 0; i < 4; ++i)
        if (boxes_[i] == o) return i;
    return -1;
}

void TEditIPAddr::FocusBox(int index, int caret)
{
    QLineEdit *b = boxes_[index];
    moving_ = true;
    b->setFocus(Qt::OtherFocusReason);
    moving_ = false;
    if (caret == 0) b->setCursorPosition(0);
    else if (caret == -1) b->setCursorPosition(int(b->text().size()));
    else b->selectAll();
}

bool TEditIPAddr::BoxKeyDown(int index, QKeyEvent *event)
{
    QLineEdit *box = boxes_[index];
    const int key = event->key();
    const Qt::KeyboardModifiers mods = event->modifiers();
    if (key == Qt::Key_Shift || key == Qt::Key_Control) return false;

    // Keypad digits arrive as the main digits; the keypad's decimal key counts as ".".
    const bool keypad = mods & Qt::KeypadModifier;
    const bool isDot = key == Qt::Key_Period || (keypad && key == Qt::Key_Comma);
    // A digit of an Arabic or Persian keyboard is the digit it stands for; the box shows it so.
    const bool isDigit = (key >= Qt::Key_0 && key <= Qt::Key_9) ||
                         (event->text().size() == 1 && !LatinDigit(event->text().front()).isNull());
    const bool atStart = box->cursorPosition() == 0 && !box->hasSelectedText();
    const bool atEnd = box->cursorPosition() == box->text().size() && !box->hasSelectedText();

    if (key == Qt::Key_Right && index < 3 && atEnd) {
        FocusBox(index + 1, 0);
        return true;
    }
    if (key == Qt::Key_Left && index > 0 && atStart) {
        FocusBox(index - 1, -1);
        return true;
    }
    if (key == Qt::Key_Backspace && index > 0 && atStart) {
        QLineEdit *prev = boxes_[index - 1];
        FocusBox(index - 1, -1);
        if (!prev->text().isEmpty()) {
            prev->setText(prev->text().chopped(1));
            prev->setCursorPosition(int(prev->text().size()));
        }
        return true;
    }
    if ((isDot || key == Qt::Key_Space) && index < 3 && !box->text().isEmpty()) {
        FocusBox(index + 1, -2);
        return true;
    }
    // Anything but a digit, backspace or Delete typed plainly leaves the text alone: the box is
    // read-only for this key press (so arrows still move the caret, but Ctrl+V pastes nothing).
    const bool plain = !(mods & (Qt::ShiftModifier | Qt::AltModifier | Qt::ControlModifier | Qt::MetaModifier)) &&
                       QApplication::mouseButtons() == Qt::NoButton;
    const bool editing = isDigit || key == Qt::Key_Backspace || key == Qt::Key_Delete;
    if (!(editing && plain)) box->setReadOnly(true);
    return false;
}

void TEditIPAddr::BoxChange(int index)
{
    QLineEdit *box = boxes_[index];
    const QString t = box->text();
    if (t.toInt() > 255) {
        box->setText(QStringLiteral("255"));
        box->selectAll();
        return;
    }
    if (index < 3 && t.size() == 3 && box->cursorPosition() == 3) FocusBox(index + 1, 0);
}

void TEditIPAddr::FocusLeft(QWidget *old, QWidget *now)
{
    // When the focus leaves the control, box 0's text is selected (after the box lost its own
    // selection on the way out).
    if (old && isAncestorOf(old) && !(now && isAncestorOf(now))) boxes_[0]->selectAll();
}

bool TEditIPAddr::eventFilter(QObject *watched, QEvent *event)
{
    const int index = BoxIndex(watched);
    if (index >= 0) {
        switch (event->type()) {
        case QEvent::KeyPress:
            return BoxKeyDown(index, static_cast<QKeyEvent *>(event));
        case QEvent::KeyRelease:
            for (QLineEdit *b : boxes_) b->setReadOnly(false);
            break;
        case QEvent::FocusOut:
            boxes_[index]->setReadOnly(false);
            boxes_[index]->setPalette(UnfocusedPalette(palette()));
            break;
        case QEvent::FocusIn: {
            // The control itself receives the focus (a tab, or the caller's setFocus): box 0
            // takes it with its text selected. A click keeps its caret.
            const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
            boxes_[index]->setPalette(palette());
            if (index == 0 && !moving_ && reason != Qt::MouseFocusReason && reason != Qt::ActiveWindowFocusReason &&
                reason != Qt::PopupFocusReason)
                boxes_[0]->selectAll();
            break;
        }
        default:
            break;
        }
        return QWidget::eventFilter(watched, event);
    }
    if (event->type() == QEvent::MouseButtonPress) {
        if (watched == panel_) {
            FocusBox(3, -1);
            return true;
        }
        for (int i = 0; i < 3; ++i) {
            if (watched == dots_[i]) {
                FocusBox(i, -1);
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TEditIPAddr::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    panel_->setGeometry(rect());
}

}  // namespace vxt
