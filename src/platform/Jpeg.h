// Decodes a JPEG picture with libjpeg into an image the windows can show.
#pragma once

#include <QImage>
#include <QByteArray>
#include <QString>

namespace vxt {

QImage DecodeJpeg(const QByteArray &data);          // a null image when the data is no JPEG
QImage LoadJpegResource(const QString &path);       // from a file or a ":/..." resource

}  // namespace vxt
