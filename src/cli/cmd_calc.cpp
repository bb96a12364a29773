// `keltora calc`: runs the calculation of a section's method, shows progress on stderr,
// stops cleanly on Ctrl+C, prints the critical result and the verdict.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>

#include "analysis/calculation.h"
#include "cli/commands.h"
#include "model/c_format.h"
#include "model/safe_file.h"
#include "model/sdw_file.h"
#include "model/value_checks.h"
#include "output/batch_summary.h"
#include "output/report_summary.h"

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

// The grid level of the critical result in the words of the summary page (the level it
// was first found in, and that finer levels found no lower factor of safety), for
// straight slips, whose grids are called levels.
std::string levelWords(const CalculationResults& r)
{
    std::string s = gridLevelWords(r).english;
    for (std::size_t p = s.find("grid"); p != std::string::npos; p = s.find("grid", p))
        s.replace(p, 4, "level");
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
    std::printf("%s", cformat("  (%s)\n"
                              "  resisting  mrf = %.3f  mrc = %.3f  mr = %.3f kN/m\n"
                              "  driving    mdw = %.3f  mdh = %.3f  mdk = %.3f  md = %.3f kN/m\n",
                              levelWords(r).c_str(), c.mrf, c.mrc, c.mr, c.mdw, c.mdh, c.mdk, c.md)
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
    std::printf("%s", cformat("critical circle: F = %.3f  centre (%.3f, %.3f)  R = %.3f  (%s)\n"
                              "  resisting  mrf = %.3f  mrc = %.3f  mry = %.3f  mr = %.3f kNm/m\n"
                              "  driving    mdw = %.3f  mdh = %.3f  mdk = %.3f  md = %.3f kNm/m\n",
                              c.f, c.cx, c.cy, c.rr, gridLevelWords(r).english.c_str(), c.mrf,
                              c.mrc, c.mry, c.mr, c.mdw, c.mdh, c.mdk, c.md)
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

struct CalcSettings {
    std::optional<int> threads;
    bool quiet = false;
    bool accept = false;
};

// One section file: read, calculate, print the result. The row records what the batch
// summary shows of it; row.exitCode is the exit code of `keltora calc` on this file alone.
// Returns false when the run was interrupted (the batch stops there).
bool calculateFile(const std::string& file, const std::filesystem::path& workDir,
                   const CalcSettings& settings, BatchRow& row)
{
    row.file = fullPath(file);
    row.exitCode = 2;
    LoadedSection loaded = loadSection(file, "calc", Damaged::Refuse, settings.accept);
    for (const FileWarning& w : loaded.read.fileWarnings)
        row.warnings.push_back(w.line > 0 ? cformat("%d: ", w.line) + w.text : w.text);
    if (!loaded.model) {
        if (loaded.read.error)
            row.error = loaded.read.error->text;
        else
            row.error = "the file did not read cleanly (values are missing or unreadable); "
                        "--accept-warnings goes on with the values as read";
        return true;
    }
    SlopeModel* model = loaded.model.get();
    warnAboutValues(*model);
    for (const ValueFinding& f : checkPhysicalValues(*model))
        row.warnings.push_back(f.text);
    const int method = model->conditions.method;
    row.method = method;
    row.allowable = model->conditions.allowableSafetyFactor;

    if (!prepareWorkDir(workDir, "calc")) {
        row.error = fullPath(workDir) + " is not a folder";
        return true;
    }
    if (!outputsSpareInputs("calc", {}, {file}, workDir)) {
        row.error = "the section lies in its work folder under the name of a file the run writes";
        return true;
    }

    CalcOptions options;
    options.workDir = workDir;
    options.threads = settings.threads.value_or(0);
    auto results = std::make_unique<CalculationResults>();
    ProgressObserver progress(settings.quiet);
    CalcOutcome outcome;
    const auto started = std::chrono::steady_clock::now();
    {
        InterruptGuard guard;
        outcome = runCalculation(*model, *results, options, &progress);
        progress.endLine();
        if (interrupted) std::fprintf(stderr, "keltora calc: interrupted\n");
    }
    row.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    const bool stopped = interrupted != 0;

    if (outcome.status != 0) {
        for (const Message& m : outcome.messages) {
            printMessage(m, method);
            row.error += (row.error.empty() ? "" : " / ") + trimNewlines(m.text);
        }
        return !stopped;
    }
    // An interrupted search reports nothing but the message: its tables are incomplete.
    if (results->validFlag != kResultsAborted) {
        if (method == kMethodLineByAngle || method == kMethodLineBySegments)
            printLineResults(*results, method == kMethodLineBySegments);
        else
            printResults(*results);
    }
    for (std::size_t i = 0; i + 1 < outcome.messages.size(); ++i) {
        printMessage(outcome.messages[i], method);
        row.warnings.push_back(trimNewlines(outcome.messages[i].text));
    }
    if (!outcome.messages.empty()) {
        const Message& verdict = outcome.messages.back();
        std::printf("[%s] %s\n", verdict.caption.c_str(), trimNewlines(verdict.text).c_str());
    }
    const int code = exitCodeOf(outcome);
    if (code == 2 && outcome.verdict != Verdict::None)
        std::fprintf(stderr, "keltora calc: exit 2: files of the run could not be written (see "
                             "the messages above)\n");
    fillBatchResult(row, method, model->conditions.allowableSafetyFactor,
                    model->draw.decimals[kDecSafetyFactor], *results);
    if (stopped) {
        row.hasResult = false;
        row.verdict.clear();
        row.error = "interrupted";
    } else if (!row.hasResult) {
        row.error =
            outcome.messages.empty() ? "no result" : trimNewlines(outcome.messages.back().text);
    }
    row.exitCode = code;
    return !stopped;
}

// The work folder of each file of a batch: WORKDIR/STEM, or STEM beside the file; a stem
// met before gets "_2", "_3", ... so that no two files share a folder.
std::vector<std::filesystem::path> batchWorkDirs(const std::vector<std::string>& files,
                                                 const std::string& workDir)
{
    namespace fs = std::filesystem;
    std::vector<fs::path> out;
    std::vector<fs::path> taken;
    for (const std::string& f : files) {
        std::error_code ec;
        const fs::path abs = fs::absolute(f, ec).lexically_normal();
        const fs::path base = workDir.empty() ? abs.parent_path() : fs::path(workDir);
        const std::string stem = abs.stem().string().empty() ? "section" : abs.stem().string();
        fs::path dir = base / stem;
        for (int n = 2; std::find(taken.begin(), taken.end(), fs::absolute(dir, ec)) != taken.end();
             ++n)
            dir = base / (stem + cformat("_%d", n));
        taken.push_back(fs::absolute(dir, ec));
        out.push_back(dir);
    }
    return out;
}

int runCalc(const Args& argsIn)
{
    Options o(argsIn, "calc");
    std::string workDir;
    std::string summary;
    o.value("--workdir", workDir);
    o.value("--summary", summary);
    CalcSettings settings;
    settings.threads = o.integer("--threads", 1, 256);
    settings.quiet = o.flag("--quiet");
    settings.accept = o.flag("--accept-warnings");
    std::optional<BatchFormat> format;
    if (!summary.empty()) {
        format = batchFormatOf(summary);
        if (!format) o.fail("--summary takes a file name ending in .csv or .json");
    }
    if (!o.finish(1, 100000)) return 2;
    const std::vector<std::string> files = o.files();
    namespace fs = std::filesystem;
    if (!summary.empty()) {
        std::vector<fs::path> inputs(files.begin(), files.end());
        if (!outputPathUsable("calc", summary)) return 2;
        if (!outputsSpareInputs("calc", {summary}, inputs)) return 2;
    }

    // One file keeps the work folder of a single calculation (DIR or the current folder);
    // several files each get their own.
    const bool batch = files.size() > 1;
    const std::vector<fs::path> dirs =
        batch ? batchWorkDirs(files, workDir)
              : std::vector<fs::path>{workDir.empty() ? fs::path(".") : fs::path(workDir)};
    std::vector<BatchRow> rows(files.size());
    int worst = 0;
    std::size_t done = 0;
    for (; done < files.size(); ++done) {
        if (batch)
            std::printf("== %s (work folder %s)\n", fullPath(files[done]).c_str(),
                        fullPath(dirs[done]).c_str());
        const bool goOn = calculateFile(files[done], dirs[done], settings, rows[done]);
        worst = std::max(worst, rows[done].exitCode);
        if (batch) std::fflush(stdout);
        if (!goOn) {
            ++done;
            break;
        }
    }
    for (std::size_t i = done; i < files.size(); ++i) {
        rows[i].file = fullPath(files[i]);
        rows[i].error = "not calculated: the batch was interrupted";
        worst = 2;
    }
    if (batch) {
        std::printf("== %zu files:", files.size());
        for (const BatchRow& r : rows)
            std::printf(" %s", r.verdict.empty() ? "-" : r.verdict.c_str());
        std::printf(" (exit %d)\n", worst);
    }
    if (!summary.empty()) {
        const std::string bytes = *format == BatchFormat::Csv ? batchCsv(rows) : batchJson(rows);
        if (auto error = writeFileAtomically(summary, bytes)) {
            std::fprintf(stderr, "keltora calc: the summary %s could not be written: %s\n",
                         fullPath(summary).c_str(), error->c_str());
            return 2;
        }
        std::printf("summary: %s\n", fullPath(summary).c_str());
    }
    return worst;
}

const CommandRegistrar calc{
    {"calc",
     "calc FILE.SDW [FILE.SDW ...] [--workdir DIR] [--summary OUT.csv|OUT.json] [--threads N] "
     "[--quiet] [--accept-warnings]",
     "run the calculation (dumps into DIR, default the current folder; several files: each in "
     "its own folder); exit 0 OK, 1 OUT, 2 no result or error",
     runCalc,
     "  --workdir DIR      folder for the dump files answer1.dmp .. answer4.dmp (and bishop.dmp,\n"
     "                     test_dmp.txt for the Bishop methods); created when missing;\n"
     "                     default: the current folder. With several files each file gets\n"
     "                     the folder DIR/STEM (default: STEM beside the file)\n"
     "  --summary OUT      one row per file (file, method, F, verdict, critical circle or\n"
     "                     line, grid level, time, warnings, error) as CSV (.csv, UTF-8) or\n"
     "                     JSON (.json); a file that cannot be read is a row with its error\n"
     "  --threads N        centres evaluated in parallel, 1..256 (default: all cores); the\n"
     "                     results are the same bit for bit\n"
     "  --quiet            no progress bar on stderr\n" +
         std::string(kAcceptWarningsHelp) +
         "\nPhysically meaningless values (negative unit weights or cohesion, friction angles\n"
         "outside 0..90 degrees, lines pointing at missing points) are printed as warnings\n"
         "before the result. Ctrl+C stops the search at the next centre (no result).\n\n"
         "Exit codes: 0 OK (factor of safety >= allowable), 1 OUT, 2 no result, a refused\n"
         "file or setting, or a dump file that could not be written; with several files the\n"
         "worst of them. Ctrl+C in a batch also leaves the files after it uncalculated.\n"}};

} // namespace
} // namespace keltora::cli
