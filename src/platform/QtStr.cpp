#include "QtStr.h"

#include "KeyFilter.h"

#include <QStringDecoder>
#include <QStringView>

namespace vxt {

namespace {

constexpr char16_t kEscapeBase = 0xDC00;   // a byte b >= 0x80 that is no UTF-8 reads as U+DC00 + b

// The length of the well-formed UTF-8 character at `i` (no overlong form, no surrogate, nothing past
// U+10FFFF), 0 when none starts there.
size_t Utf8CharLength(const std::string &s, size_t i)
{
    const auto at = [&](size_t k) { return i + k < s.size() ? uint8_t(s[i + k]) : uint8_t(0); };
    const uint8_t c = at(0);
    if (c < 0x80) return 1;
    size_t len = 0;
    uint8_t lo = 0x80, hi = 0xBF;
    if (c >= 0xC2 && c <= 0xDF) {
        len = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        len = 3;
        if (c == 0xE0) lo = 0xA0;
        if (c == 0xED) hi = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        len = 4;
        if (c == 0xF0) lo = 0x90;
        if (c == 0xF4) hi = 0x8F;
    } else {
        return 0;
    }
    if (at(1) < lo || at(1) > hi) return 0;
    for (size_t k = 2; k < len; ++k)
        if (at(k) < 0x80 || at(k) > 0xBF) return 0;
    return len;
}

}  // namespace

bool TryStrToInt(const QString &s, int32_t &value)
{
    QString digits = s;
    for (QChar &c : digits)
        if (const QChar d = LatinDigit(c); !d.isNull()) c = d;
    std::string t;
    return TryStdStr(digits, t) && TryStrToInt(t, value);
}

QString QPath(const std::string &path)
{
    QString out;
    size_t run = 0, i = 0;
    // A BOM is a character of the name wherever it stands; the default decoder drops one that starts a run.
    const auto flush = [&]() {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
        out += utf8(QByteArrayView(path.data() + run, qsizetype(i - run)));
    };
    while (i < path.size()) {
        const size_t len = Utf8CharLength(path, i);
        if (len > 0) {
            i += len;
            continue;
        }
        flush();
        out += QChar(char16_t(kEscapeBase + uint8_t(path[i])));
        run = ++i;
    }
    flush();
    return out;
}

std::string StdPath(const QString &path)
{
    std::string out;
    qsizetype run = 0;
    const auto flush = [&](qsizetype end) {
        const QByteArray b = QStringView(path).mid(run, end - run).toUtf8();
        out.append(b.constData(), size_t(b.size()));
    };
    for (qsizetype i = 0; i < path.size(); ++i) {
        const char16_t u = path[i].unicode();
        // The low half of a pair is a character of its own, not an escaped byte.
        const bool escaped = u >= kEscapeBase + 0x80 && u <= kEscapeBase + 0xFF &&
                             (i == 0 || !QChar::isHighSurrogate(path[i - 1].unicode()));
        if (!escaped) continue;
        flush(i);
        out += char(u - kEscapeBase);
        run = i + 1;
    }
    flush(path.size());
    return out;
}

}  // namespace vxt
