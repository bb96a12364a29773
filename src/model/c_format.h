// printf/scanf with the "C" locale whatever the environment says, so numbers in files
// always use a dot ("%lf" means 12.500000 everywhere).
#pragma once

#include <string>

namespace keltora {

// printf into a std::string, formatted in the "C" locale.
std::string cformat(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

// sscanf in the "C" locale; returns the number of fields assigned (EOF as -1).
int cscan(const char* text, const char* fmt, ...) __attribute__((format(scanf, 2, 3)));

} // namespace keltora
