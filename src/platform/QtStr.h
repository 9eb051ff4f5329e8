// The device and its files speak 8-bit text; the windows speak QString. Latin-1 maps one to the other.
// File names are another matter: they are bytes in the file system's own encoding (UTF-8 on Linux),
// and cross between the windows and the rest only through QPath and StdPath.
#pragma once

#include <QString>
#include <QStringDecoder>
#include <string>

namespace vxt {

inline QString QStr(const std::string &s) { return QString::fromLatin1(s.data(), qsizetype(s.size())); }
inline std::string StdStr(const QString &s)
{
    const QByteArray b = s.toLatin1();
    return std::string(b.constData(), size_t(b.size()));
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
