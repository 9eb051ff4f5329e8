#include "Jpeg.h"

#include <QFile>
#include <csetjmp>
#include <cstdio>
#include <jpeglib.h>

namespace vxt {

namespace {

struct ErrorManager {
    jpeg_error_mgr pub;
    jmp_buf jump;
};

void OnError(j_common_ptr info)
{
    auto *err = reinterpret_cast<ErrorManager *>(info->err);
    longjmp(err->jump, 1);
}

void OnMessage(j_common_ptr) {}

// The program shows small pictures; a header claiming more is refused before anything is allocated.
constexpr JDIMENSION kMaxSide = 8192;
constexpr unsigned long long kMaxPixels = 16ULL << 20;

bool Acceptable(const jpeg_decompress_struct &info)
{
    return info.image_width <= kMaxSide && info.image_height <= kMaxSide &&
           (unsigned long long)info.image_width * info.image_height <= kMaxPixels;
}

}  // namespace

QImage DecodeJpeg(const QByteArray &data)
{
    if (data.isEmpty()) return QImage();
    jpeg_decompress_struct info;
    ErrorManager err;
    info.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = OnError;
    err.pub.output_message = OnMessage;
    // Everything touched after setjmp lives outside this frame's registers.
    QImage *volatile image = new QImage();
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&info);
        delete image;
        return QImage();
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char *>(data.constData()), static_cast<unsigned long>(data.size()));
    jpeg_read_header(&info, TRUE);
    if (!Acceptable(info)) longjmp(err.jump, 1);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    *image = QImage(int(info.output_width), int(info.output_height), QImage::Format_RGB888);
    if (image->isNull()) longjmp(err.jump, 1);   // no memory for the picture
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = image->scanLine(int(info.output_scanline));
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    QImage result = *image;
    delete image;
    return result;
}

QImage LoadJpegResource(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return QImage();
    return DecodeJpeg(f.readAll());
}

}  // namespace vxt
