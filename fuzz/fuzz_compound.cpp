// The compound-document reader over any bytes, then the workbook reader over the stream it
// finds. Besides the sanitizers' findings, a stream handed out in place that is not inside the
// input, or one longer than the input, is a fault.
#include "addresslist/CompoundDocument.h"
#include "addresslist/TXBiff.h"
#include "addresslist/XBiffError.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArrayView input(reinterpret_cast<const char*>(data), qsizetype(size));
    CompoundDocument document(input);
    qsizetype seen = 0;
    for (const QString& name : document.entryNames())
        seen += name.size();
    const std::optional<CompoundDocument::Stream> stream = document.workbookStream();
    if (!stream)
        return 0;
    if (stream->bytes.size() > input.size())
        __builtin_trap();
    if (stream->inPlace && (stream->bytes.data() < input.data() ||
                            stream->bytes.data() + stream->bytes.size() > input.data() + size))
        __builtin_trap();
    TXBiff reader;
    reader.OnReadCell = [&](int, int row, int col, int, const QString& text, bool&) {
        seen += row + col + text.size();
    };
    reader.OnWantCell = [](int, int row, int) { return row < 500; };
    try {
        reader.LoadFromBytes(stream->bytes);
    } catch (const XBiffError&) {
    }
    return seen == -1;
}
