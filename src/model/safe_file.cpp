// Atomic file replacement with POSIX calls (mkstemp, fsync, rename).
#include "model/safe_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>

namespace keltora {

namespace fs = std::filesystem;

std::optional<std::string> writeFileAtomically(const fs::path& pathIn, const std::string& bytes)
{
    // A symbolic link stays a link: the file it points to is replaced (a link to nowhere
    // creates its target).
    fs::path path = pathIn;
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code ec;
        if (!fs::is_symlink(path, ec)) break;
        const fs::path target = fs::read_symlink(path, ec);
        if (ec) return std::string(std::strerror(ELOOP));
        path = target.is_absolute() ? target : path.parent_path() / target;
    }
    struct stat st {};
    const bool exists = ::stat(path.c_str(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode)) return std::string("フォルダと同じ名前です");
    if (exists && !S_ISREG(st.st_mode))
        return std::string("通常のファイルではありません(デバイス、FIFOなど)");
    if (exists && (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        return std::string("ファイルが書き込み禁止です");

    fs::path dir = path.parent_path();
    if (dir.empty()) dir = ".";
    // Built by appending to one string: GCC 12 at -O3 warns (-Wrestrict, a false positive)
    // about the operator+ chain on a temporary.
    std::string hidden(".");
    hidden.append(path.filename().string());
    hidden.append(".XXXXXX");
    std::string tmpl = (dir / hidden).string();
    int fd = ::mkstemp(tmpl.data());
    if (fd < 0) return std::string(std::strerror(errno));

    auto fail = [&](int err) {
        ::close(fd);
        ::unlink(tmpl.c_str());
        return std::optional<std::string>(std::strerror(err));
    };
    const char* p = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            return fail(errno);
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
    if (::fsync(fd) != 0) return fail(errno);
    // Keep the permissions of the file being replaced; new files get 0644 less the umask.
    mode_t mode = exists ? (st.st_mode & 07777) : 0666;
    if (!exists) {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode &= ~mask;
    }
    ::fchmod(fd, mode);
    if (::close(fd) != 0) {
        int err = errno;
        ::unlink(tmpl.c_str());
        return std::string(std::strerror(err));
    }
    if (::rename(tmpl.c_str(), path.c_str()) != 0) {
        int err = errno;
        ::unlink(tmpl.c_str());
        return std::string(std::strerror(err));
    }
    return std::nullopt;
}

std::optional<std::string> readWholeFile(const fs::path& path, std::string* error,
                                         std::size_t maxBytes)
{
    std::error_code ec;
    if (fs::is_directory(path, ec)) {
        if (error) *error = "フォルダです";
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        if (error) *error = std::strerror(errno);
        return std::nullopt;
    }
    std::string data;
    char buf[65536];
    while (in.read(buf, sizeof buf) || in.gcount() > 0) {
        data.append(buf, static_cast<size_t>(in.gcount()));
        if (data.size() > maxBytes) {
            if (error) *error = "ファイルが大きすぎます";
            return std::nullopt;
        }
    }
    if (in.bad()) {
        if (error) *error = "読み込みに失敗しました";
        return std::nullopt;
    }
    return data;
}

} // namespace keltora
