// The hand-off file and the start of the report viewer (fork/exec, polled wait).
#include "output/report_handoff.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

namespace keltora {

bool writeHandOffFile(const std::filesystem::path& dir, bool namesCheckList, ReportFileLog& log)
{
    ReportText t;
    std::string path = std::filesystem::absolute(dir).lexically_normal().string();
    if (path.empty() || path.back() != '/') path.push_back('/');
    t.line(path);
    if (namesCheckList) {
        t.line("SB_CHECK.PDT");
        t.line(kHandOffEndMarker);
    }
    return writeReportFile(dir, kHandOffFileName, t.bytes(), log);
}

std::string reportViewerCommand()
{
    if (const char* env = std::getenv("KELTORA_REPORT_VIEWER"); env != nullptr && *env != '\0')
        return env;
    std::error_code ec;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return "keltora-report-viewer";
    return (self.parent_path() / "keltora-report-viewer").string();
}

int runProgramAndWait(const std::string& command, bool shell, const std::vector<std::string>& args,
                      const std::filesystem::path& workDir, const std::function<void()>& idle)
{
    std::vector<std::string> argv;
    if (shell) {
        argv = {"/bin/sh", "-c", command + " \"$@\"", "sh"};
    } else {
        argv = {command};
    }
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> cargv;
    for (auto& a : argv)
        cargv.push_back(a.data());
    cargv.push_back(nullptr);
    const std::string dir = workDir.string();

    // Report a failed exec through a pipe closed on a successful exec.
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return 2;
    const pid_t pid = ::fork();
    if (pid < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        return 2;
    }
    if (pid == 0) {
        ::close(fds[0]);
        if (!dir.empty() && ::chdir(dir.c_str()) != 0) {
            const char c = 1;
            [[maybe_unused]] auto n = ::write(fds[1], &c, 1);
            ::_exit(127);
        }
        ::execv(cargv[0], cargv.data());
        const char c = 1;
        [[maybe_unused]] auto n = ::write(fds[1], &c, 1);
        ::_exit(127);
    }
    ::close(fds[1]);
    char c;
    ssize_t got;
    do {
        got = ::read(fds[0], &c, 1);
    } while (got < 0 && errno == EINTR);
    ::close(fds[0]);
    if (got == 1) {
        ::waitpid(pid, nullptr, 0);
        return 2;
    }
    for (;;) {
        int status = 0;
        const pid_t r = ::waitpid(pid, &status, WNOHANG);
        if (r == pid) return 0;
        if (r < 0 && errno != EINTR) return 1;
        if (idle) idle();
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
    }
}

int startReportViewer(const std::string& command, const std::filesystem::path& workDir,
                      const std::function<void()>& idle)
{
    const bool fromEnvironment = std::getenv("KELTORA_REPORT_VIEWER") != nullptr &&
                                 command == std::getenv("KELTORA_REPORT_VIEWER");
    return runProgramAndWait(command, fromEnvironment, {"/PDTOPEN"}, workDir, idle);
}

} // namespace keltora

#include "output/report_check_list.h"
#include "output/report_summary.h"

namespace keltora {

ReportCommandOutcome runReportCommand(const ReportInput& input, const std::filesystem::path& dir,
                                      bool startViewer, const std::function<void()>& idle)
{
    ReportCommandOutcome out;
    ReportOutcome data = writeReportData(input, dir);
    out.reportStatus = data.status;
    out.log = std::move(data.log);
    if (input.model != nullptr)
        writeCheckList(*input.model, input.dataPathWithoutExtension, dir, out.log);
    // Our summary pages beside the report data; without results an earlier summary goes.
    const CalculationResults none;
    if (input.model != nullptr)
        writeReportSummary(
            *input.model, input.results != nullptr && out.reportStatus == 0 ? *input.results : none,
            input.dataPathWithoutExtension, dir, out.log);
    writeHandOffFile(dir, out.reportStatus != 0, out.log);
    if (startViewer) out.viewerStatus = startReportViewer(reportViewerCommand(), dir, idle);
    return out;
}

} // namespace keltora
