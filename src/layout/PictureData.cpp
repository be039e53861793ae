#include "layout/PictureData.h"

#include <QBuffer>
#include <QImageReader>
#include <QImageWriter>

#include <cstdint>

namespace PictureData {

namespace {

const QByteArray JpegClass = QByteArrayLiteral("TJPEGImage");
const QByteArray PngClass = QByteArrayLiteral("TPngImage");

bool isJpeg(QByteArrayView data)
{
    return data.size() >= 3 && std::uint8_t(data[0]) == 0xFF && std::uint8_t(data[1]) == 0xD8 &&
           std::uint8_t(data[2]) == 0xFF;
}

QByteArray shortString(const QByteArray& text)
{
    return char(text.size()) + text;
}

// The graphic's data without a leading 32-bit length equal to the rest.
QByteArrayView withoutLength(QByteArrayView data)
{
    if (data.size() < 4)
        return data;
    const std::uint32_t n = std::uint8_t(data[0]) | std::uint8_t(data[1]) << 8 |
                            std::uint8_t(data[2]) << 16 |
                            std::uint32_t(std::uint8_t(data[3])) << 24;
    if (n == std::uint32_t(data.size() - 4))
        return data.sliced(4);
    return data;
}

} // namespace

QByteArray encode(const QImage& image, QByteArrayView original)
{
    if (isJpeg(original))
        return shortString(JpegClass) + original.toByteArray();
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    writer.write(image);
    return shortString(PngClass) + png;
}

bool decode(QByteArrayView data, Decoded* out)
{
    if (data.isEmpty())
        return false;
    const qsizetype nameLength = std::uint8_t(data[0]);
    if (data.size() < 1 + nameLength)
        return false;
    const QByteArrayView className = data.sliced(1, nameLength);
    const QByteArrayView graphic = withoutLength(data.sliced(1 + nameLength));

    const char* format = nullptr;
    if (className == JpegClass)
        format = "jpeg";
    else if (className == PngClass || className == "TPNGObject")
        format = "png";
    else if (className == "TBitmap")
        format = "bmp";
    else
        return false;

    QByteArray bytes = graphic.toByteArray();
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    reader.setDecideFormatFromContent(false);
    QImage image;
    if (!reader.read(&image) || image.isNull())
        return false;
    out->image = image;
    out->original = qstrcmp(format, "jpeg") == 0 ? bytes : QByteArray();
    return true;
}

} // namespace PictureData
