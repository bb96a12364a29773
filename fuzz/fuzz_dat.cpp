// Fuzz target: the sheet pile file reader must survive any bytes.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "model/sheet_pile_import.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    static auto model = std::make_unique<keltora::SlopeModel>();
    keltora::resetModel(*model);
    keltora::parseSheetPile(*model, bytes, "fuzz.DAT");
    if (model->sheetPile.passiveCount < 0 || model->sheetPile.passiveCount > keltora::kMaxPassiveRows)
        __builtin_trap();
    return 0;
}
