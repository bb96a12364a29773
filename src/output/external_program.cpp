// Starting an external program with posix_spawn and polling for its end.
#include "output/external_program.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

extern char** environ;

namespace keltora {

std::filesystem::path executableDirectory()
{
    std::error_code ec;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return {};
    return exe.parent_path();
}

HelperCommand helperProgramCommand(const char* envOverride, const std::string& defaultName)
{
    if (envOverride) {
        const char* value = std::getenv(envOverride);
        if (value && *value) return {value, true};
    }
    const std::filesystem::path dir = executableDirectory();
    return {dir.empty() ? defaultName : (dir / defaultName).string(), false};
}

ProgramOutcome startAndWait(const HelperCommand& command, const std::vector<std::string>& args,
                            const std::filesystem::path& workingDirectory,
                            const std::function<void()>& idle)
{
    if (!command.shell) return startAndWait(command.command, args, workingDirectory, idle);
    std::vector<std::string> shellArgs{"-c", command.command + " \"$@\"", "sh"};
    shellArgs.insert(shellArgs.end(), args.begin(), args.end());
    ProgramOutcome out = startAndWait("/bin/sh", shellArgs, workingDirectory, idle);
    // The shell reports a command it cannot find or run with 127 or 126.
    if (out.started && (out.exitCode == 127 || out.exitCode == 126)) {
        out.started = false;
        out.error = command.command + ": cannot be started";
    }
    return out;
}

ProgramOutcome startAndWait(const std::string& command, const std::vector<std::string>& args,
                            const std::filesystem::path& workingDirectory,
                            const std::function<void()>& idle)
{
    ProgramOutcome out;
    std::vector<std::string> argvStrings;
    argvStrings.push_back(command);
    argvStrings.insert(argvStrings.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& s : argvStrings)
        argv.push_back(s.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!workingDirectory.empty())
        posix_spawn_file_actions_addchdir_np(&actions, workingDirectory.c_str());
    pid_t pid = 0;
    const int rc = posix_spawnp(&pid, command.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        out.error = command + ": " + std::strerror(rc);
        return out;
    }
    out.started = true;
    for (;;) {
        int status = 0;
        const pid_t r = waitpid(pid, &status, WNOHANG);
        if (r == pid) {
            // A program that could not be executed after the fork ends with 127.
            out.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            return out;
        }
        if (r < 0 && errno != EINTR) {
            out.error = std::strerror(errno);
            return out;
        }
        if (idle) idle();
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
    }
}

} // namespace keltora
