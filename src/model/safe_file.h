// Reading and writing whole files safely: a write goes to a temporary file in the same
// folder and is renamed over the target, so a failed write never destroys the old file.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace keltora {

// Writes bytes to path atomically. Returns an error description (UTF-8) on failure; the
// previous file, if any, is then unchanged. A file without any write permission bit is
// treated as write-protected and not replaced. A symbolic link is kept: the file it points
// to is replaced. Anything but a regular file (folder, device, FIFO, socket) is refused.
std::optional<std::string> writeFileAtomically(const std::filesystem::path& path,
                                               const std::string& bytes);

// Reads a whole file. Returns nothing when it cannot be opened; *error says why.
// Files larger than maxBytes are refused.
std::optional<std::string> readWholeFile(const std::filesystem::path& path, std::string* error,
                                         std::size_t maxBytes = 256u << 20);

// Splits text into lines at LF, dropping a CR before the LF (CR LF and LF files read alike).
template <typename Fn> void forEachLine(const std::string& text, Fn&& fn);

} // namespace keltora

#include <string_view>

template <typename Fn> void keltora::forEachLine(const std::string& text, Fn&& fn)
{
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t nl = text.find('\n', pos);
        std::size_t end = nl == std::string::npos ? text.size() : nl;
        std::size_t stop = end;
        if (stop > pos && text[stop - 1] == '\r') --stop;
        fn(std::string_view(text).substr(pos, stop - pos));
        if (nl == std::string::npos) break;
        pos = nl + 1;
    }
}
