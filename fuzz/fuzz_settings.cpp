// Fuzz target: the settings file reader must survive any bytes.
#include <cstddef>
#include <cstdint>
#include <string>

#include "model/settings_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    keltora::Settings s = keltora::parseSettings(bytes, "/start/");
    keltora::addRecentFile(s, "/x.SDW");
    (void)keltora::formatSettings(s);
    return 0;
}
