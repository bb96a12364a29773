// The dump files of the searches: names, removal of old ones, CR LF lines, the writer.
#include "analysis/dump_file.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "analysis/results.h"
#include "model/c_format.h"

namespace keltora {

namespace {

// Small enough to come from the heap, not fresh pages of its own, and to leave a short
// last write when a grid's dump is closed (the closing is work that no other thread can
// share).
constexpr std::size_t kDumpBuffer = 1 << 16;

} // namespace

// Exact: v * 1000 is formed as an integer times a power of two and rounded to nearest,
// ties to even, as the C library does. The digits are built from the right in a local
// buffer and copied out at once.
int writeFixed3(char* to, double v, int width)
{
    if (!(std::fabs(v) < 1e12)) return -1;
    // |v| = mantissa * 2^(biased - 1075) for a normal number, mantissa * 2^-1074 for a
    // subnormal one; |v| * 1000 = mantissa * 1000 / 2^shift stays below 2^63, and
    // shift >= 13 because |v| < 2^40.
    const std::uint64_t bits = std::bit_cast<std::uint64_t>(v);
    const bool negative = (bits >> 63) != 0;
    const int biased = static_cast<int>((bits >> 52) & 0x7ffu);
    std::uint64_t mantissa = bits & ((std::uint64_t{1} << 52) - 1);
    if (biased != 0) mantissa |= std::uint64_t{1} << 52;
    const int shift = biased != 0 ? 1075 - biased : 1074;
    std::uint64_t n = 0;
    if (shift < 64) {
        const std::uint64_t scaled = mantissa * 1000u;
        n = scaled >> shift;
        const std::uint64_t rest = scaled & ((std::uint64_t{1} << shift) - 1);
        const std::uint64_t half = std::uint64_t{1} << (shift - 1);
        if (rest > half || (rest == half && (n & 1u))) ++n;
    }
    // Right-aligned in a field of at least `width` characters, built from the right in a
    // buffer of blanks; two digits at a time from a table.
    static constexpr char kPairs[] = "00010203040506070809101112131415161718192021222324"
                                     "25262728293031323334353637383940414243444546474849"
                                     "50515253545556575859606162636465666768697071727374"
                                     "75767778798081828384858687888990919293949596979899";
    char field[2 * kFixed3Chars];
    std::memset(field, ' ', sizeof field);
    char* const end = field + kFixed3Chars;
    char* p = end;
    const auto frac = static_cast<unsigned>(n % 1000u);
    p -= 2;
    std::memcpy(p, kPairs + 2 * (frac % 100), 2);
    *--p = static_cast<char>('0' + frac / 100);
    *--p = '.';
    std::uint64_t w = n / 1000u;
    while (w >= 100) {
        p -= 2;
        std::memcpy(p, kPairs + 2 * (w % 100), 2);
        w /= 100;
    }
    if (w >= 10) {
        p -= 2;
        std::memcpy(p, kPairs + 2 * w, 2);
    } else {
        *--p = static_cast<char>('0' + w);
    }
    if (negative) *--p = '-';
    const int width0 = std::min(width, kFixed3Chars);
    const int count = std::max(width0, static_cast<int>(end - p));
    // A whole field's worth is copied (the blanks before the number and whatever follows
    // it are written too), which takes a fixed-size copy instead of a call.
    std::memcpy(to, end - count, kFixed3Chars);
    return count;
}

std::string dumpFileName(int grid)
{
    return cformat("answer%d.dmp", grid + 1);
}

void removeOldDumps(const std::filesystem::path& dir, MessageList& messages)
{
    for (int g = 0; g < kMaxGrids; ++g) {
        for (const std::string& name :
             {cformat("ANSWER%d.DMP", g + 1), cformat("answer%d.dmp", g + 1)}) {
            std::error_code ec;
            std::filesystem::remove(dir / name, ec);
            if (ec)
                messages.push_back(
                    {"古いダンプファイル " + name + " を削除できませんでした。", "ERROR"});
        }
    }
}

void appendCrLf(std::string& out, const std::string& text)
{
    std::size_t pos = 0;
    for (std::size_t nl; (nl = text.find('\n', pos)) != std::string::npos; pos = nl + 1) {
        out.append(text, pos, nl - pos);
        out += "\r\n";
    }
    out.append(text, pos, std::string::npos);
}

DumpFile::DumpFile(const std::filesystem::path& dir, int grid, MessageList& messages)
    : name_(dumpFileName(grid)), messages_(messages)
{
    file_ = std::fopen((dir / name_).c_str(), "wb");
    if (!file_) {
        fail();
        return;
    }
    buffer_ = std::make_unique_for_overwrite<char[]>(kDumpBuffer);
    std::setvbuf(file_, buffer_.get(), _IOFBF, kDumpBuffer);
}

DumpFile::~DumpFile()
{
    close();
}

void DumpFile::write(const std::string& bytes)
{
    if (!file_ || bytes.empty()) return;
    if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) fail();
}

void DumpFile::close()
{
    if (!file_) return;
    const bool ok = std::fclose(file_) == 0;
    file_ = nullptr;
    if (!ok) fail();
}

void DumpFile::fail()
{
    if (failed_) return;
    failed_ = true;
    const Message m{"ダンプファイル " + name_ + " を書き込めませんでした。", "ERROR"};
    for (const Message& old : messages_)
        if (old.text == m.text) return;
    messages_.push_back(m);
}

} // namespace keltora
