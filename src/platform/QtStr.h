// The device and its files speak 8-bit text; the windows speak QString. Latin-1 maps one to the other.
// File names are another matter: they are bytes in the file system's own encoding (UTF-8 on Linux),
// and cross between the windows and the rest only through QPath and StdPath.
#pragma once

#include "KProt.h"
#include "NumFormat.h"
#include "StrUtils.h"

#include <QString>
#include <QStringDecoder>
#include <stdexcept>
#include <string>

namespace vxt {

inline QString QStr(const std::string &s) { return QString::fromLatin1(s.data(), qsizetype(s.size())); }

// The first character of `s` that Latin-1 has no byte for (a surrogate pair whole), or an empty text.
inline QString NotLatin1(const QString &s)
{
    for (qsizetype i = 0; i < s.size(); ++i)
        if (s.at(i).unicode() > 0xFF)
            return s.mid(i, s.at(i).isHighSurrogate() && i + 1 < s.size() ? 2 : 1);
    return QString();
}
inline bool IsLatin1(const QString &s) { return NotLatin1(s).isEmpty(); }

// What a text the user gives needs to arrive whole: Latin-1 without control characters for the
// settings file and the device's discovery packets, and no "/" either where it travels in a KProt
// message.
enum class TextGoal { Latin1, KProt };

// Empty when `text` arrives whole; otherwise the refusal that names `field` and the first
// character that cannot go: The Tag Name cannot contain "€" (U+20AC).
inline std::string TextRefusal(const QString &text, const std::string &field, TextGoal goal = TextGoal::KProt)
{
    const QString bad = NotLatin1(text);
    if (!bad.isEmpty()) return KProtRefusal(field, bad.toStdString());
    const QByteArray b = text.toLatin1();
    const std::string bytes(b.constData(), size_t(b.size()));
    if (goal == TextGoal::KProt) {
        const std::string c = KProtUncarried(bytes);
        return c.empty() ? std::string() : KProtRefusal(field, c);
    }
    const size_t at = FindControlChar(bytes);
    return at == std::string::npos ? std::string() : KProtRefusal(field, bytes.substr(at, 1));
}

// Raised by StdStr for a character outside Latin-1, which no 8-bit text can hold.
class ENotLatin1 : public std::runtime_error {
public:
    explicit ENotLatin1(const QString &text) : std::runtime_error(TextRefusal(text, "text", TextGoal::Latin1)) {}
};

// The bytes of `s` when Latin-1 holds it whole; false, and `out` untouched, otherwise.
inline bool TryStdStr(const QString &s, std::string &out)
{
    if (!IsLatin1(s)) return false;
    const QByteArray b = s.toLatin1();
    out.assign(b.constData(), size_t(b.size()));
    return true;
}
// The integer a box holds, the digits of Arabic and Persian keyboards read as the ASCII ones; any
// other character outside Latin-1 is no digit.
bool TryStrToInt(const QString &s, int32_t &value);

// Never replaces a character: one outside Latin-1 raises ENotLatin1, so a caller that has not
// refused it with its field's message still changes nothing.
inline std::string StdStr(const QString &s)
{
    std::string out;
    if (!TryStdStr(s, out)) throw ENotLatin1(s);
    return out;
}

// A file name as the user sees and types it, and back: StdPath(QPath(b)) == b for any bytes b. A
// byte that is no UTF-8 (a name written by another system) becomes the lone surrogate U+DC00 + byte,
// which no UTF-8 text holds, so that Save As onto such a file writes that file and no other.
QString QPath(const std::string &path);
// The bytes that name the file the user chose.
std::string StdPath(const QString &path);

// A text for the screen (a caption, a message) that may quote a file name, a system error or a
// device text. Texts that are no valid UTF-8 (device texts with letters beyond ASCII, names written
// by another system) keep their Latin-1 reading.
inline QString QShown(const std::string &text)
{
    QStringDecoder decode(QStringDecoder::System, QStringDecoder::Flag::Stateless);
    QString s = decode(QByteArrayView(text.data(), qsizetype(text.size())));
    return decode.hasError() ? QStr(text) : s;
}

}  // namespace vxt
