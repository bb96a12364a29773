// Fuzz target: the SDW reader and its partial loads must survive any bytes.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "model/sdw_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    static auto model = std::make_unique<keltora::SlopeModel>();
    // The last byte picks the load; the reading itself is the same for all of them.
    const auto part = static_cast<keltora::SdwPart>(size ? data[size - 1] % 4 : 0);
    {
        keltora::resetModel(*model);
        keltora::parseDataFile(bytes, *model, part, "fuzz.SDW");
        if (model->pointCount > keltora::kMaxPoints || model->lineCount > keltora::kMaxLines ||
            model->blockCount > keltora::kMaxBlocks || model->referenceLine.count > 64 ||
            model->sheetPile.passiveCount > 64)
            __builtin_trap();
        // Whatever was read must write out again.
        (void)keltora::formatDataFile(*model, "fuzz");
    }
    return 0;
}
