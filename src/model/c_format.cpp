// Locale-independent printf/scanf: switches the calling thread to the "C" locale for the
// duration of one call (uselocale is per thread and cheap).
#include "model/c_format.h"

#include <clocale>
#include <cstdarg>
#include <cstdio>
#include <locale.h>

namespace keltora {
namespace {

locale_t cLocale()
{
    static locale_t loc = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return loc;
}

class CLocaleScope {
public:
    CLocaleScope() : previous_(uselocale(cLocale())) {}
    ~CLocaleScope() { uselocale(previous_); }
    CLocaleScope(const CLocaleScope&) = delete;
    CLocaleScope& operator=(const CLocaleScope&) = delete;

private:
    locale_t previous_;
};

} // namespace

std::string cformat(const char* fmt, ...)
{
    CLocaleScope scope;
    char small[256];
    va_list ap;
    va_start(ap, fmt);
    int n = std::vsnprintf(small, sizeof small, fmt, ap);
    va_end(ap);
    if (n < 0) return {};
    if (static_cast<size_t>(n) < sizeof small) return std::string(small, static_cast<size_t>(n));
    std::string out(static_cast<size_t>(n) + 1, '\0');
    va_start(ap, fmt);
    std::vsnprintf(out.data(), out.size(), fmt, ap);
    va_end(ap);
    out.resize(static_cast<size_t>(n));
    return out;
}

int cscan(const char* text, const char* fmt, ...)
{
    CLocaleScope scope;
    va_list ap;
    va_start(ap, fmt);
    int n = std::vsscanf(text, fmt, ap);
    va_end(ap);
    return n;
}

} // namespace keltora
