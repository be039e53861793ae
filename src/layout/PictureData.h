#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// The data of a "Picture.Data" record: the graphic's class name as a short string, then the
// graphic's own data. A JPEG file travels as it came ("TJPEGImage"); any other picture is
// written as PNG ("TPngImage"), which keeps every pixel.
namespace PictureData {

// `original` is the picture's file as it was read, when known: a JPEG file is kept byte for
// byte instead of being encoded again.
QByteArray encode(const QImage& image, QByteArrayView original = {});

struct Decoded
{
    QImage image;
    QByteArray original; // the JPEG file of a "TJPEGImage", else empty
};

// Reads "TJPEGImage", "TPngImage" (also under its older name "TPNGObject") and "TBitmap",
// with or without the 32-bit length that some writers put before the graphic's data. False
// when the class is another or the data does not decode whole (a file cut short). A picture
// of more than 4 million pixels is decoded smaller, keeping its proportions.
bool decode(QByteArrayView data, Decoded* out);

} // namespace PictureData
