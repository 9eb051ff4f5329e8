// The device and its files speak 8-bit text; the windows speak QString. Latin-1 maps one to the other.
#pragma once

#include <QString>
#include <string>

namespace vxt {

inline QString QStr(const std::string &s) { return QString::fromLatin1(s.data(), qsizetype(s.size())); }
inline std::string StdStr(const QString &s)
{
    const QByteArray b = s.toLatin1();
    return std::string(b.constData(), size_t(b.size()));
}

}  // namespace vxt
