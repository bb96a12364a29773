// CP932 <-> UTF-8 through POSIX iconv.
#include "model/text_encoding.h"

#include <iconv.h>

#include <cerrno>
#include <stdexcept>

namespace keltora {
namespace {

class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from))
    {
        if (cd_ == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error(std::string("iconv cannot convert ") + from + " to " + to);
    }
    ~Converter() { iconv_close(cd_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts, replacing every unconvertible or invalid input sequence by '?'.
    std::string convert(std::string_view in, bool* lossless, bool inputIsUtf8)
    {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        std::string out;
        out.reserve(in.size() * 2 + 4);
        char* src = const_cast<char*>(in.data());
        size_t srcLeft = in.size();
        bool clean = true;
        char buf[256];
        while (srcLeft > 0) {
            char* dst = buf;
            size_t dstLeft = sizeof buf;
            size_t r = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
            out.append(buf, static_cast<size_t>(dst - buf));
            if (r != static_cast<size_t>(-1)) continue;
            if (errno == E2BIG) continue;
            // EILSEQ or EINVAL: skip one input character and put '?'.
            clean = false;
            out.push_back('?');
            size_t skip = 1;
            if (inputIsUtf8) {
                auto c = static_cast<unsigned char>(*src);
                if (c >= 0xF0) skip = 4;
                else if (c >= 0xE0) skip = 3;
                else if (c >= 0xC0) skip = 2;
                // only skip over continuation bytes that are really there
                size_t k = 1;
                while (k < skip && k < srcLeft &&
                       (static_cast<unsigned char>(src[k]) & 0xC0) == 0x80)
                    ++k;
                skip = k;
            }
            if (skip > srcLeft) skip = srcLeft;
            src += skip;
            srcLeft -= skip;
            iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        }
        if (lossless) *lossless = clean;
        return out;
    }

private:
    iconv_t cd_;
};

Converter& toCp932()
{
    thread_local Converter c("CP932", "UTF-8");
    return c;
}

Converter& fromCp932()
{
    thread_local Converter c("UTF-8", "CP932");
    return c;
}

} // namespace

std::string utf8ToCp932(std::string_view utf8, bool* lossless)
{
    return toCp932().convert(utf8, lossless, true);
}

std::string cp932ToUtf8(std::string_view cp932, bool* lossless)
{
    return fromCp932().convert(cp932, lossless, false);
}

std::size_t cp932Length(std::string_view utf8) { return utf8ToCp932(utf8).size(); }

std::string truncateToCp932Bytes(std::string_view utf8, std::size_t maxBytes)
{
    if (cp932Length(utf8) <= maxBytes) return std::string(utf8);
    // Walk UTF-8 characters, adding each one's CP932 size.
    std::string out;
    std::size_t used = 0;
    std::size_t i = 0;
    while (i < utf8.size()) {
        auto c = static_cast<unsigned char>(utf8[i]);
        std::size_t len = c < 0x80 ? 1 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        if (i + len > utf8.size()) len = utf8.size() - i;
        std::string_view ch = utf8.substr(i, len);
        std::size_t w = utf8ToCp932(ch).size();
        if (used + w > maxBytes) break;
        out.append(ch);
        used += w;
        i += len;
    }
    return out;
}

} // namespace keltora
