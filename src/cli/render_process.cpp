// Running keltora-render for `plot -o` and `report`: found beside this program or in its
// installed libexec folder, started with posix_spawn and waited for.
#include "cli/render_process.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "cli/commands.h"
#include "cli/figure_transfer.h"

extern char** environ;

namespace keltora::cli {

namespace fs = std::filesystem;

namespace {

fs::path ownFolder()
{
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::path() : self.parent_path();
}

bool executable(const fs::path& p)
{
    return ::access(p.c_str(), X_OK) == 0 && !fs::is_directory(p);
}

} // namespace

fs::path rendererPath()
{
    const fs::path dir = ownFolder();
    if (dir.empty()) return {};
    const fs::path beside = dir / "keltora-render";
    if (executable(beside)) return beside;
#ifdef KELTORA_RENDERER_FROM_BINDIR
    const fs::path installed = (dir / KELTORA_RENDERER_FROM_BINDIR).lexically_normal();
    if (executable(installed)) return installed;
#endif
    return {};
}

int runRenderer(const char* command, const std::vector<std::string>& args)
{
    const fs::path program = rendererPath();
    if (program.empty()) {
        std::fprintf(stderr,
                     "keltora %s: the rendering program keltora-render is not installed beside "
                     "keltora\n",
                     command);
        return 2;
    }
    std::vector<std::string> all{program.string()};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : all)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    // What this process printed comes before what the renderer prints.
    std::fflush(stdout);
    std::fflush(stderr);
    pid_t pid = 0;
    const int err = ::posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ);
    if (err != 0) {
        std::fprintf(stderr, "keltora %s: cannot start %s: %s\n", command, program.c_str(),
                     std::strerror(err));
        return 2;
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            std::fprintf(stderr, "keltora %s: lost the rendering program: %s\n", command,
                         std::strerror(errno));
            return 2;
        }
    }
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    std::fprintf(stderr, "keltora %s: the rendering program ended by signal %d\n", command,
                 WIFSIGNALED(status) ? WTERMSIG(status) : 0);
    return 2;
}

bool renderFigure(const fs::path& plotFile, const std::string& out)
{
    return runRenderer("plot", {"figure", plotFile.string(), out}) == 0;
}

bool renderComposedFigure(const Figure& figure, const std::string& name, const std::string& out)
{
    std::error_code ec;
    std::string scratch = (fs::temp_directory_path(ec) / "keltora-figure-XXXXXX").string();
    const int fd = ::mkstemp(scratch.data());
    if (fd < 0) {
        std::fprintf(stderr, "keltora plot: cannot create a scratch file for the renderer: %s\n",
                     std::strerror(errno));
        return false;
    }
    const std::string bytes = figureBytes(figure);
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        written += static_cast<std::size_t>(n);
    }
    const bool complete = ::close(fd) == 0 && written == bytes.size();
    bool ok = false;
    if (!complete)
        std::fprintf(stderr, "keltora plot: cannot write the scratch file %s\n", scratch.c_str());
    else
        ok = runRenderer("plot", {"composed", scratch, name, out}) == 0;
    fs::remove(scratch, ec);
    return ok;
}

bool renderReport(const fs::path& workDir, const std::vector<std::string>& files,
                  const fs::path& pdf)
{
    std::vector<std::string> args{"report", workDir.string(), fullPath(pdf), ownFolder().string()};
    args.insert(args.end(), files.begin(), files.end());
    return runRenderer("report", args) == 0;
}

} // namespace keltora::cli
