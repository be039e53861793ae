// The layout-file reader over any bytes: the stream parser, applying it to a face, the load's
// conversions and every picture in it. What a face holds after a load writes out as a stream
// that parses again.
#include "layout/LayoutFile.h"
#include "layout/LayoutTable.h"
#include "layout/PictureData.h"
#include "layout/PlainFace.h"
#include "layout/TObjStreamV.h"

#include <QGuiApplication>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

void decodePictures(const StreamObject& object)
{
    for (const StreamProperty& p : object.properties) {
        if (p.value.tag == StreamTag::Binary) {
            PictureData::Decoded decoded;
            PictureData::decode(p.value.bytes, &decoded);
        }
    }
    for (const StreamObject& child : object.children)
        decodePictures(child);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    if (const std::optional<StreamObject> records = TObjStreamV::parse(bytes))
        decodePictures(*records);

    static const LayoutTable table;
    PlainFace face(table, LayoutKind::TT, 90.0, 96.0);
    LayoutFile::Loaded loaded;
    QString error;
    if (LayoutFile::load(bytes, &face, 96.0, &loaded, &error)) {
        if (!TObjStreamV::parse(TObjStreamV::write(&face)))
            std::abort();
    } else if (error.isEmpty()) {
        std::abort();
    }
    return 0;
}
