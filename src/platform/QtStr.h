// The device and its files speak 8-bit text; the windows speak QString. Latin-1 maps one to the other.
// File names are another matter: they are bytes in the file system's own encoding (UTF-8 on Linux),
// and cross between the windows and the rest only through QPath and StdPath.
#pragma once

#include <QFile>
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

// A file name as the user sees and types it. Bytes that are no text in the file-name encoding (a
// name written by another system) are read as Latin-1 rather than lost.
inline QString QPath(const std::string &path)
{
    QStringDecoder decode(QStringDecoder::System, QStringDecoder::Flag::Stateless);
    QString s = decode(QByteArrayView(path.data(), qsizetype(path.size())));
    return decode.hasError() ? QStr(path) : s;
}
// The bytes that name the file the user chose.
inline std::string StdPath(const QString &path)
{
    const QByteArray b = QFile::encodeName(path);
    return std::string(b.constData(), size_t(b.size()));
}

// A text for the screen (a caption, a message) that may quote a file name, a system error or a
// device text. Device texts with letters beyond ASCII are no valid file-name text, so they keep
// their Latin-1 reading.
inline QString QShown(const std::string &text) { return QPath(text); }

}  // namespace vxt
