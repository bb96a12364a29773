// `keltora calc`: runs the calculation of a section's method, shows progress on stderr,
// stops cleanly on Ctrl+C, prints the critical result and the verdict.
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>

#include "analysis/calculation.h"
#include "cli/commands.h"
#include "model/c_format.h"
#include "model/sdw_file.h"

namespace keltora::cli {
namespace {

// Set by the SIGINT handler. A signal handler can only reach static storage, so this is
// the one flag of the program that is not passed around.
volatile std::sig_atomic_t interrupted = 0;

extern "C" void onInterrupt(int)
{
    interrupted = 1;
}

// Installs the Ctrl+C handler for the lifetime of the object, then restores the old one.
class InterruptGuard {
  public:
    InterruptGuard()
    {
        interrupted = 0;
        struct sigaction sa {};
        sa.sa_handler = onInterrupt;
        sigemptyset(&sa.sa_mask);
        sigaction(SIGINT, &sa, &previous_);
    }
    ~InterruptGuard() { sigaction(SIGINT, &previous_, nullptr); }
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;

  private:
    struct sigaction previous_ {};
};

// Progress on stderr: a bar redrawn in place on a terminal, one line per grid otherwise.
class ProgressObserver : public CalculationObserver {
  public:
    explicit ProgressObserver(bool quiet) : quiet_(quiet), terminal_(::isatty(2) != 0) {}

    void gridStarted(int grid, int grids, long long centres) override
    {
        endLine();
        grid_ = grid;
        grids_ = grids;
        total_ = centres;
        start_ = Clock::now();
        lastDraw_ = start_ - std::chrono::seconds(1);
        open_ = true;
        if (centres == 0) draw(0);
    }

    void centreDone(long long done, long long total) override
    {
        total_ = total;
        const auto now = Clock::now();
        if (done == total || now - lastDraw_ >= std::chrono::milliseconds(100)) {
            lastDraw_ = now;
            if (terminal_ || done == total) draw(done);
        }
    }

    bool abortRequested() override { return interrupted != 0; }

    void endLine()
    {
        if (open_ && terminal_ && !quiet_) std::fputc('\n', stderr);
        open_ = false;
    }

  private:
    using Clock = std::chrono::steady_clock;

    void draw(long long done)
    {
        if (quiet_) return;
        constexpr int kWidth = 30;
        const int filled = total_ > 0 ? static_cast<int>(done * kWidth / total_) : kWidth;
        std::string bar(static_cast<std::size_t>(filled), '#');
        bar.append(static_cast<std::size_t>(kWidth - filled), '.');
        const double seconds = std::chrono::duration<double>(Clock::now() - start_).count();
        const std::string text = cformat("grid %d/%d [%s] %lld/%lld centres %6.2f s", grid_ + 1,
                                         grids_, bar.c_str(), done, total_, seconds);
        if (terminal_) {
            std::fprintf(stderr, "\r%s", text.c_str());
        } else {
            std::fprintf(stderr, "%s\n", text.c_str());
            open_ = false;
        }
        std::fflush(stderr);
    }

    bool quiet_;
    bool terminal_;
    bool open_ = false;
    int grid_ = 0, grids_ = 0;
    long long total_ = 0;
    Clock::time_point start_{}, lastDraw_{};
};

std::string trimNewlines(std::string s)
{
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r'))
        s.pop_back();
    return s;
}

// Straight slip lines: levels of angles or segment pairs, start point, angle and forces.
void printLineResults(const CalculationResults& r, bool segments)
{
    for (int g = 0; g < r.gridsRun; ++g) {
        const auto gi = static_cast<std::size_t>(g);
        if (r.tables[gi].empty()) {
            std::printf("level %d: no mass\n", g + 1);
            continue;
        }
        const GridMinimum& m = r.minima[gi];
        std::printf("%s", cformat("level %d: %zu masses, minimum F = %.3f from (%.3f, %.3f) at "
                                  "%.3f degrees\n",
                                  g + 1, r.tables[gi].size(), m.f, m.cx, m.cy, m.rr)
                              .c_str());
    }
    if (!r.hasCritical) return;
    const SlipResult& c = r.critical;
    std::printf("%s", cformat("critical line: F = %.3f  start (%.3f, %.3f)  angle %.3f", c.f, c.cx,
                              c.cy, c.rr)
                          .c_str());
    if (segments) std::printf("%s", cformat("  end (%.3f, %.3f)", c.dx, c.dy).c_str());
    std::printf("%s", cformat("  (level %d)\n"
                              "  resisting  mrf = %.3f  mrc = %.3f  mr = %.3f kN/m\n"
                              "  driving    mdw = %.3f  mdh = %.3f  mdk = %.3f  md = %.3f kN/m\n",
                              c.grid, c.mrf, c.mrc, c.mr, c.mdw, c.mdh, c.mdk, c.md)
                          .c_str());
}

void printResults(const CalculationResults& r)
{
    for (int g = 0; g < r.gridsRun; ++g) {
        const auto gi = static_cast<std::size_t>(g);
        const SearchGrid& grid = r.grids[gi];
        std::printf("%s",
                    cformat("grid %d: X %.3f .. %.3f step %.3f, Y %.3f .. %.3f step %.3f: ", g + 1,
                            grid.xmin, grid.xmax, grid.dx, grid.ymin, grid.ymax, grid.dy)
                        .c_str());
        if (r.tables[gi].empty()) {
            std::printf("no mass\ngrid %d found no sliding mass\n", g + 1);
            continue;
        }
        const GridMinimum& m = r.minima[gi];
        std::printf("%s", cformat("%zu masses, minimum F = %.3f at (%.3f, %.3f) R = %.3f\n",
                                  r.tables[gi].size(), m.f, m.cx, m.cy, m.rr)
                              .c_str());
    }
    if (!r.hasCritical) return;
    const SlipResult& c = r.critical;
    std::printf("%s",
                cformat("critical circle: F = %.3f  centre (%.3f, %.3f)  R = %.3f  (grid %d)\n"
                        "  resisting  mrf = %.3f  mrc = %.3f  mry = %.3f  mr = %.3f kNm/m\n"
                        "  driving    mdw = %.3f  mdh = %.3f  mdk = %.3f  md = %.3f kNm/m\n",
                        c.f, c.cx, c.cy, c.rr, c.grid, c.mrf, c.mrc, c.mry, c.mr, c.mdw, c.mdh,
                        c.mdk, c.md)
                    .c_str());
}

} // namespace

int exitCodeOf(const CalcOutcome& outcome)
{
    if (outcome.status != 0) return 2;
    // A dump the engineer relies on is missing: the run did not do all it should.
    for (const Message& m : outcome.messages)
        if (m.caption == "ERROR") return 2;
    switch (outcome.verdict) {
    case Verdict::Ok: return 0;
    case Verdict::Out: return 1;
    default: return 2;
    }
}

namespace {

int runCalc(const Args& argsIn)
{
    Options o(argsIn, "calc");
    std::string workDir = ".";
    o.value("--workdir", workDir);
    const std::optional<int> threads = o.integer("--threads", 1, 256);
    const bool quiet = o.flag("--quiet");
    const bool accept = o.flag("--accept-warnings");
    if (!o.finish(1, 1)) return 2;
    const std::string file = o.files()[0];

    LoadedSection loaded = loadSection(file, "calc", Damaged::Refuse, accept);
    if (!loaded.model) return 2;
    SlopeModel* model = loaded.model.get();
    warnAboutValues(*model);

    if (!prepareWorkDir(workDir, "calc")) return 2;
    if (!outputsSpareInputs("calc", {}, {file}, std::filesystem::path(workDir))) return 2;

    CalcOptions options;
    options.workDir = workDir;
    options.threads = threads.value_or(0);
    auto results = std::make_unique<CalculationResults>();
    ProgressObserver progress(quiet);
    CalcOutcome outcome;
    {
        InterruptGuard guard;
        outcome = runCalculation(*model, *results, options, &progress);
        progress.endLine();
        if (interrupted) std::fprintf(stderr, "keltora calc: interrupted\n");
    }

    const int method = model->conditions.method;
    if (outcome.status != 0) {
        for (const Message& m : outcome.messages)
            printMessage(m, method);
        return 2;
    }
    // An interrupted search reports nothing but the message: its tables are incomplete.
    if (results->validFlag != kResultsAborted) {
        if (method == kMethodLineByAngle || method == kMethodLineBySegments)
            printLineResults(*results, method == kMethodLineBySegments);
        else
            printResults(*results);
    }
    for (std::size_t i = 0; i + 1 < outcome.messages.size(); ++i)
        printMessage(outcome.messages[i], method);
    if (!outcome.messages.empty()) {
        const Message& verdict = outcome.messages.back();
        std::printf("[%s] %s\n", verdict.caption.c_str(), trimNewlines(verdict.text).c_str());
    }
    const int code = exitCodeOf(outcome);
    if (code == 2 && outcome.verdict != Verdict::None)
        std::fprintf(stderr, "keltora calc: exit 2: files of the run could not be written (see "
                             "the messages above)\n");
    return code;
}

const CommandRegistrar calc{
    {"calc", "calc FILE.SDW [--workdir DIR] [--threads N] [--quiet] [--accept-warnings]",
     "run the calculation (dumps into DIR, default the current folder); exit 0 OK, 1 OUT, 2 no "
     "result or error",
     runCalc,
     "  --workdir DIR      folder for the dump files answer1.dmp .. answer4.dmp (and bishop.dmp,\n"
     "                     test_dmp.txt for the Bishop methods); created when missing;\n"
     "                     default: the current folder\n"
     "  --threads N        centres evaluated in parallel, 1..256 (default: all cores); the\n"
     "                     results are the same bit for bit\n"
     "  --quiet            no progress bar on stderr\n" +
         std::string(kAcceptWarningsHelp) +
         "\nPhysically meaningless values (negative unit weights or cohesion, friction angles\n"
         "outside 0..90 degrees, lines pointing at missing points) are printed as warnings\n"
         "before the result. Ctrl+C stops the search at the next centre (no result).\n\n"
         "Exit codes: 0 OK (factor of safety >= allowable), 1 OUT, 2 no result, a refused\n"
         "file or setting, or a dump file that could not be written.\n"}};

} // namespace
} // namespace keltora::cli
