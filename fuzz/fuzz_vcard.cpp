// The vCard reader over any bytes, with every event assigned.
#include "ReaderFuzz.h"
#include "addresslist/VCardReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return FuzzReader<VCardReader>(data, size);
}
