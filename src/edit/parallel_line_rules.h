// The offset dialog of the parallel line construction: the distance shown with "%7.3f".
#pragma once

#include <string>

namespace keltora {

std::string showParallelOffset(double distance);

// The typed distance; unreadable text reads as 0.
double readParallelOffset(const std::string& text);

} // namespace keltora
