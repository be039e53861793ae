// The .ods reader over any bytes (a zip container or not), with every event assigned.
#include "ReaderFuzz.h"
#include "addresslist/OdsReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return FuzzReader<OdsReader>(data, size);
}
