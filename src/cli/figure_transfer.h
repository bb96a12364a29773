// A composed figure handed from keltora to keltora-render through a scratch file: every
// value as its exact bits, so that the renderer draws what the command line composed.
// Only the two programs of one build read and write it.
#pragma once

#include <bit>
#include <cstdint>
#include <optional>
#include <string>

#include "output/figure.h"

namespace keltora::cli {

inline constexpr const char* kFigureTransferMagic = "KELTORA-FIGURE-1\n";

namespace transfer_detail {

inline void put(std::string& out, std::uint64_t v)
{
    for (int i = 0; i < 8; ++i, v >>= 8)
        out += static_cast<char>(v & 0xffu);
}
inline void put(std::string& out, double v)
{
    put(out, std::bit_cast<std::uint64_t>(v));
}
inline void put(std::string& out, Point2 p)
{
    put(out, p.x);
    put(out, p.y);
}

struct Reader {
    const std::string& in;
    std::size_t at = 0;
    bool ok = true;
    std::uint64_t u64()
    {
        if (in.size() - at < 8) {
            ok = false;
            return 0;
        }
        std::uint64_t v = 0;
        for (int i = 7; i >= 0; --i)
            v = (v << 8) | static_cast<unsigned char>(in[at + static_cast<std::size_t>(i)]);
        at += 8;
        return v;
    }
    double real() { return std::bit_cast<double>(u64()); }
    Point2 point()
    {
        const double x = real();
        return {x, real()};
    }
    // A count that the rest of the input can hold (each element at least `size` bytes).
    std::size_t count(std::size_t size)
    {
        const std::uint64_t n = u64();
        if (!ok || n > (in.size() - at) / size) {
            ok = false;
            return 0;
        }
        return static_cast<std::size_t>(n);
    }
};

} // namespace transfer_detail

inline std::string figureBytes(const Figure& figure)
{
    using transfer_detail::put;
    std::string out = kFigureTransferMagic;
    put(out, figure.halfWidth);
    put(out, figure.halfHeight);
    put(out, static_cast<std::uint64_t>(figure.items.size()));
    for (const FigureItem& it : figure.items) {
        put(out, static_cast<std::uint64_t>(it.kind));
        put(out, static_cast<std::uint64_t>(static_cast<std::int64_t>(it.layer)));
        put(out, it.p1);
        put(out, it.p2);
        put(out, it.centre);
        put(out, it.size);
        put(out, it.size2);
        put(out, static_cast<std::uint64_t>(static_cast<std::int64_t>(it.style)));
        put(out, static_cast<std::uint64_t>(it.fill));
        put(out, static_cast<std::uint64_t>(it.text.size()));
        out += it.text;
        put(out, static_cast<std::uint64_t>(it.points.size()));
        for (Point2 p : it.points)
            put(out, p);
    }
    return out;
}

// The figure of figureBytes; nothing for bytes that are not one.
inline std::optional<Figure> figureFromBytes(const std::string& bytes)
{
    const std::string magic = kFigureTransferMagic;
    if (bytes.compare(0, magic.size(), magic) != 0) return std::nullopt;
    transfer_detail::Reader r{bytes, magic.size()};
    Figure f;
    f.halfWidth = r.real();
    f.halfHeight = r.real();
    const std::size_t n = r.count(15 * 8); // an item takes at least 15 values
    f.items.resize(n);
    for (FigureItem& it : f.items) {
        const std::uint64_t kind = r.u64();
        if (kind > static_cast<std::uint64_t>(FigureItemKind::Polygon)) return std::nullopt;
        it.kind = static_cast<FigureItemKind>(kind);
        it.layer = static_cast<int>(static_cast<std::int64_t>(r.u64()));
        it.p1 = r.point();
        it.p2 = r.point();
        it.centre = r.point();
        it.size = r.real();
        it.size2 = r.real();
        it.style = static_cast<int>(static_cast<std::int64_t>(r.u64()));
        it.fill = static_cast<unsigned>(r.u64());
        const std::size_t text = r.count(1);
        if (!r.ok) return std::nullopt;
        it.text = bytes.substr(r.at, text);
        r.at += text;
        const std::size_t points = r.count(16);
        it.points.resize(points);
        for (Point2& p : it.points)
            p = r.point();
        if (!r.ok) return std::nullopt;
    }
    if (!r.ok || r.at != bytes.size()) return std::nullopt;
    return f;
}

} // namespace keltora::cli
