// Fuzz target: the plot file reader of the plotter must survive any bytes.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "render/plot_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    keltora::PlotDocument doc = keltora::parsePlotFile(bytes);
    if (doc.malformed < 0 || doc.records < 0) __builtin_trap();
    return 0;
}
