#include "layout/PictureData.h"

#include <QBuffer>
#include <QImageReader>
#include <QImageWriter>

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace PictureData {

namespace {

const QByteArray JpegClass = QByteArrayLiteral("TJPEGImage");
const QByteArray PngClass = QByteArrayLiteral("TPngImage");

// 2000 x 2000: more than a face shows at the largest zoom (1512 x 2236 at 400 %).
constexpr double MaxPixels = 4.0e6;
// What a picture that cannot be decoded smaller may take while it is decoded.
constexpr int MaxOtherAllocationMb = 48;

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

std::uint32_t bigEndian(QByteArrayView d, qsizetype at)
{
    return std::uint32_t(std::uint8_t(d[at])) << 24 | std::uint8_t(d[at + 1]) << 16 |
           std::uint8_t(d[at + 2]) << 8 | std::uint8_t(d[at + 3]);
}

std::uint32_t littleEndian(QByteArrayView d, qsizetype at)
{
    return std::uint8_t(d[at]) | std::uint8_t(d[at + 1]) << 8 | std::uint8_t(d[at + 2]) << 16 |
           std::uint32_t(std::uint8_t(d[at + 3])) << 24;
}

// The image decoders fill what a cut file lacks with grey and call it a picture; these walks
// tell a whole file: every segment, scan and chunk present up to the end marker.
bool isWholeJpeg(QByteArrayView d)
{
    if (!isJpeg(d))
        return false;
    qsizetype pos = 2;
    while (pos < d.size()) {
        if (std::uint8_t(d[pos]) != 0xFF)
            return false;
        while (pos < d.size() && std::uint8_t(d[pos]) == 0xFF) // fill bytes
            ++pos;
        if (pos >= d.size())
            return false;
        const std::uint8_t marker = std::uint8_t(d[pos++]);
        if (marker == 0xD9) // end of image
            return true;
        if ((marker >= 0xD0 && marker <= 0xD7) || marker == 0x01)
            continue;
        if (pos + 2 > d.size())
            return false;
        const qsizetype length = std::uint8_t(d[pos]) << 8 | std::uint8_t(d[pos + 1]);
        if (length < 2 || pos + length > d.size())
            return false;
        pos += length;
        if (marker != 0xDA) // start of scan: entropy-coded data up to the next marker
            continue;
        while (pos + 1 < d.size()) {
            const std::uint8_t next = std::uint8_t(d[pos + 1]);
            if (std::uint8_t(d[pos]) == 0xFF && next != 0x00 && !(next >= 0xD0 && next <= 0xD7))
                break;
            pos += std::uint8_t(d[pos]) == 0xFF ? 2 : 1;
        }
        if (pos + 1 >= d.size())
            return false;
    }
    return false;
}

bool isWholePng(QByteArrayView d)
{
    if (!d.startsWith("\x89PNG\r\n\x1a\n"))
        return false;
    qsizetype pos = 8;
    while (pos + 12 <= d.size()) {
        const std::uint64_t length = bigEndian(d, pos);
        const QByteArrayView type = d.sliced(pos + 4, 4);
        if (length > std::uint64_t(d.size() - pos - 12))
            return false;
        if (type == "IEND")
            return true;
        pos += 12 + qsizetype(length);
    }
    return false;
}

// An uncompressed bitmap holds all its rows; a compressed one is left to its decoder.
bool isWholeBmp(QByteArrayView d)
{
    if (d.size() < 54 || !d.startsWith("BM"))
        return false;
    const std::uint64_t offset = littleEndian(d, 10);
    if (littleEndian(d, 14) < 40 || littleEndian(d, 30) != 0)
        return offset < std::uint64_t(d.size());
    const std::int64_t width = std::int32_t(littleEndian(d, 18));
    const std::int64_t height = std::int32_t(littleEndian(d, 22));
    const std::uint64_t bits = std::uint8_t(d[28]) | std::uint8_t(d[29]) << 8;
    const std::uint64_t row = (std::uint64_t(std::abs(width)) * bits + 31) / 32 * 4;
    return offset + row * std::uint64_t(std::abs(height)) <= std::uint64_t(d.size());
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
    if (className == JpegClass && isWholeJpeg(graphic))
        format = "jpeg";
    else if ((className == PngClass || className == "TPNGObject") && isWholePng(graphic))
        format = "png";
    else if (className == "TBitmap" && isWholeBmp(graphic))
        format = "bmp";
    else
        return false;

    QByteArray bytes = graphic.toByteArray();
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    reader.setDecideFormatFromContent(false);
    const QSize size = reader.size();
    if (size.isEmpty())
        return false;
    // A face is never shown larger than MaxPixels: a bigger picture is decoded smaller
    // (a JPEG by its decoder's own scaling), so a small file cannot take gigabytes.
    const double pixels = double(size.width()) * size.height();
    QSize shown = size;
    if (pixels > MaxPixels) {
        const double f = std::sqrt(MaxPixels / pixels);
        shown = QSize(std::max(1, int(size.width() * f)), std::max(1, int(size.height() * f)));
        if (qstrcmp(format, "jpeg") == 0)
            reader.setScaledSize(shown);
        else
            reader.setAllocationLimit(MaxOtherAllocationMb);
    }
    QImage image;
    if (!reader.read(&image) || image.isNull())
        return false;
    if (image.size() != shown)
        image = image.scaled(shown, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    out->image = image;
    out->original = qstrcmp(format, "jpeg") == 0 ? bytes : QByteArray();
    return true;
}

} // namespace PictureData
