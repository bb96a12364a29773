// Fuzz target: the DXF reader and the import of what it read must survive any bytes.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "model/dxf_import.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    keltora::DxfReadResult r = keltora::parseDxf(bytes, "fuzz.DXF");
    if (r.status != 0) return 0;
    static auto model = std::make_unique<keltora::SlopeModel>();
    keltora::resetModel(*model);
    keltora::DxfTransform t;
    if (size > 0) t.scale = 0.5 + (data[0] % 8); // a few scales, always valid
    keltora::importDxf(*model, r.drawing, t);
    if (model->pointCount > keltora::kMaxPoints || model->lineCount > keltora::kMaxLines)
        __builtin_trap();
    return 0;
}
