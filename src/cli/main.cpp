// Entry point of the `keltora` command line: dispatches to the registered commands, and
// the helpers they share.
#include <algorithm>
#include <cctype>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <iostream>

#include "cli/commands.h"
#include "model/c_format.h"
#include "model/sdw_file.h"
#include "model/value_checks.h"

#ifndef KELTORA_VERSION
#define KELTORA_VERSION "unknown"
#endif

namespace keltora::cli {

namespace fs = std::filesystem;

const char* const kAcceptWarningsHelp =
    "  --accept-warnings  go on with a file that read with warnings of missing or unreadable\n"
    "                     data (values as read, defaults for what is missing)\n";

std::vector<Command>& registry()
{
    static std::vector<Command> commands;
    return commands;
}

void printMessage(const Message& m, int method)
{
    std::string text = m.text;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    std::fprintf(stderr, "[%s] %s\n", m.caption.c_str(), explainMethodGuard(text, method).c_str());
}

namespace {

const Command* findCommand(const std::string& name)
{
    for (const auto& c : registry())
        if (c.name == name) return &c;
    return nullptr;
}

void printUsageHint(const std::string& command)
{
    if (const Command* c = findCommand(command))
        std::fprintf(stderr, "usage: keltora %s\n(keltora %s --help for the options)\n",
                     c->usage.c_str(), command.c_str());
}

bool isFinite(double v)
{
    return std::isfinite(v);
}

} // namespace

Options::Options(const Args& args, std::string command) : args_(args), command_(std::move(command))
{
}

void Options::fail(const std::string& message)
{
    if (error_.empty()) error_ = message;
}

bool Options::value(const std::string& name, std::string& out)
{
    for (size_t i = 0; i < args_.size(); ++i) {
        if (args_[i] == name) {
            if (i + 1 >= args_.size()) {
                fail(name + " needs a value");
                args_.erase(args_.begin() + static_cast<long>(i));
                return false;
            }
            out = args_[i + 1];
            args_.erase(args_.begin() + static_cast<long>(i),
                        args_.begin() + static_cast<long>(i) + 2);
            return true;
        }
        if (args_[i].rfind(name + "=", 0) == 0) {
            out = args_[i].substr(name.size() + 1);
            args_.erase(args_.begin() + static_cast<long>(i));
            return true;
        }
    }
    return false;
}

bool Options::flag(const std::string& name)
{
    auto it = std::find(args_.begin(), args_.end(), name);
    if (it == args_.end()) return false;
    args_.erase(it);
    return true;
}

std::optional<int> Options::integer(const std::string& name, int lo, int hi)
{
    std::string text;
    if (!value(name, text)) return std::nullopt;
    int v = 0;
    char tail = 0;
    if (cscan(text.c_str(), "%d%c", &v, &tail) != 1 || v < lo || v > hi) {
        fail(cformat("%s must be %d..%d (not '%s')", name.c_str(), lo, hi, text.c_str()));
        return std::nullopt;
    }
    return v;
}

std::optional<double> Options::real(const std::string& name)
{
    std::string text;
    if (!value(name, text)) return std::nullopt;
    double v = 0;
    char tail = 0;
    if (cscan(text.c_str(), "%lf%c", &v, &tail) != 1 || !isFinite(v)) {
        fail(cformat("%s expects a number (not '%s')", name.c_str(), text.c_str()));
        return std::nullopt;
    }
    return v;
}

bool Options::pair(const std::string& name, double& x, double& y)
{
    std::string text;
    if (!value(name, text)) return false;
    if (!parsePair(text, x, y) || !isFinite(x) || !isFinite(y)) {
        fail(cformat("%s expects X,Y: two numbers separated by a comma, for example %s 10,-5 "
                     "(not '%s')",
                     name.c_str(), name.c_str(), text.c_str()));
        return false;
    }
    return true;
}

bool Options::finish(std::size_t minFiles, std::size_t maxFiles)
{
    if (error_.empty())
        for (const std::string& a : args_)
            if (a.size() > 1 && a[0] == '-' && !std::isdigit(static_cast<unsigned char>(a[1])) &&
                a[1] != '.') {
                fail("unknown option " + a);
                break;
            }
    if (error_.empty() && (args_.size() < minFiles || args_.size() > maxFiles)) {
        if (args_.size() < minFiles)
            fail(minFiles == 1 ? "a section file is needed"
                               : cformat("%zu files are needed", minFiles));
        else
            fail("too many arguments: " + args_[maxFiles]);
    }
    if (error_.empty()) return true;
    std::fprintf(stderr, "keltora %s: %s\n", command_.c_str(), error_.c_str());
    printUsageHint(command_);
    return false;
}

std::string fullPath(const fs::path& p)
{
    std::error_code ec;
    fs::path a = fs::absolute(p, ec);
    return (ec ? p : a.lexically_normal()).string();
}

LoadedSection loadSection(const std::string& path, const char* command, Damaged damaged,
                          bool accept)
{
    LoadedSection out;
    auto model = std::make_unique<SlopeModel>();
    resetModel(*model);
    out.read = readDataFile(*model, path);
    const ReadResult& r = out.read;
    if (r.status != 0) {
        printMessage(*r.error);
        return out;
    }
    const std::string shown = fullPath(path);
    for (const FileWarning& w : r.fileWarnings) {
        if (w.line > 0)
            std::fprintf(stderr, "[メッセージ] %s:%d: %s\n", shown.c_str(), w.line, w.text.c_str());
        else
            std::fprintf(stderr, "[メッセージ] %s: %s\n", shown.c_str(), w.text.c_str());
    }
    if (r.dataLoss() && damaged == Damaged::Refuse) {
        if (!accept) {
            std::fprintf(stderr,
                         "keltora %s: %s did not read cleanly: values are missing or could not "
                         "be read (see the lines above), so it gives no result. Mend the file, "
                         "or run again with --accept-warnings to go on with the values as read.\n",
                         command, shown.c_str());
            return out;
        }
        std::fprintf(stderr, "keltora %s: going on with the values as read (--accept-warnings)\n",
                     command);
    }
    out.model = std::move(model);
    return out;
}

int writeSectionFile(SlopeModel& model, const std::string& out)
{
    WriteResult w = writeDataFile(model, out);
    if (!w.ok) {
        printMessage(*w.error);
        return 2;
    }
    for (const Message& m : w.warnings)
        printMessage(m);
    std::printf("saved %s\n", fullPath(out).c_str());
    return 0;
}

int warnAboutValues(const SlopeModel& model)
{
    const auto findings = checkPhysicalValues(model);
    for (const ValueFinding& f : findings)
        std::fprintf(stderr, "[警告] %s\n", f.text.c_str());
    return static_cast<int>(findings.size());
}

bool prepareWorkDir(const fs::path& dir, const char* command)
{
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (fs::is_directory(dir, ec)) return true;
    std::fprintf(stderr, "keltora %s: %s is not a folder\n", command, fullPath(dir).c_str());
    return false;
}

namespace {

std::string lower(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// Names of the files a calculation, a report or a plot writes into the working folder.
bool isWorkFolderOutput(const std::string& fileName)
{
    const std::string n = lower(fileName);
    static const char* const exact[] = {"answer1.dmp",  "answer2.dmp",    "answer3.dmp",
                                        "answer4.dmp",  "bishop.dmp",     "test_dmp.txt",
                                        "sbplot01.vov", "dirpath.inf",    "dirpath2.inf",
                                        "report.pdf",   "sb_summary.vov", "sb_summary_map.vov"};
    for (const char* e : exact)
        if (n == e) return true;
    auto ends = [&n](const char* ext) {
        const std::string e(ext);
        return n.size() >= e.size() && n.compare(n.size() - e.size(), e.size(), e) == 0;
    };
    return ends(".pdt") || ends(".pfm") || ends(".pzk");
}

} // namespace

bool outputsSpareInputs(const char* command, const std::vector<fs::path>& outputs,
                        const std::vector<fs::path>& inputs, const std::optional<fs::path>& workDir)
{
    for (const fs::path& in : inputs) {
        std::error_code ec;
        for (const fs::path& out : outputs) {
            if (out.empty()) continue;
            if (fs::equivalent(in, out, ec)) {
                std::fprintf(stderr,
                             "keltora %s: the output %s is the input file %s; choose another "
                             "output (nothing was written)\n",
                             command, fullPath(out).c_str(), fullPath(in).c_str());
                return false;
            }
        }
        if (!workDir) continue;
        // The input itself, and the file it stands for when it is a link.
        for (const fs::path& p : {in, fs::canonical(in, ec)}) {
            if (p.empty()) continue;
            std::error_code ec2;
            const fs::path folder = p.has_parent_path() ? p.parent_path() : fs::path(".");
            if (fs::equivalent(folder, *workDir, ec2) &&
                isWorkFolderOutput(p.filename().string())) {
                std::fprintf(stderr,
                             "keltora %s: the input %s lies in the working folder %s under the "
                             "name of a file the run writes there; move it or choose another "
                             "--workdir (nothing was written)\n",
                             command, fullPath(in).c_str(), fullPath(*workDir).c_str());
                return false;
            }
        }
    }
    return true;
}

bool outputPathUsable(const char* command, const fs::path& output)
{
    if (output.empty()) return true;
    std::error_code ec;
    const fs::path folder = output.has_parent_path() ? output.parent_path() : fs::path(".");
    if (!fs::is_directory(folder, ec)) {
        std::fprintf(stderr, "keltora %s: the folder %s of the output does not exist\n", command,
                     fullPath(folder).c_str());
        return false;
    }
    if (fs::is_directory(output, ec)) {
        std::fprintf(stderr, "keltora %s: the output %s is a folder\n", command,
                     fullPath(output).c_str());
        return false;
    }
    return true;
}

bool parsePair(const std::string& text, double& x, double& y)
{
    char tail = 0;
    return cscan(text.c_str(), "%lf,%lf%c", &x, &y, &tail) == 2;
}

} // namespace keltora::cli

namespace {

void usage(std::FILE* to)
{
    std::fprintf(to,
                 "KELTORA slope stability analysis %s\n\nusage: keltora COMMAND [ARGS]\n"
                 "       keltora COMMAND --help\n       keltora --version\n\ncommands:\n",
                 KELTORA_VERSION);
    auto cmds = keltora::cli::registry();
    std::sort(cmds.begin(), cmds.end(), [](auto& a, auto& b) { return a.name < b.name; });
    for (const auto& c : cmds)
        std::fprintf(to, "  %-44s %s\n", c.usage.c_str(), c.summary.c_str());
    std::fprintf(to, "\nExit codes: 0 success (calc, plot, report: factor of safety >= allowable),"
                     "\n1 OUT (below the allowable factor; check: findings), 2 no result or an "
                     "error.\n");
}

void commandHelp(const keltora::cli::Command& c)
{
    std::printf("usage: keltora %s\n\n%s\n", c.usage.c_str(), c.summary.c_str());
    if (!c.help.empty()) std::printf("\n%s", c.help.c_str());
}

} // namespace

int main(int argc, char** argv)
{
    std::setlocale(LC_ALL, "");
    if (argc < 2) {
        usage(stderr);
        return 2;
    }
    const std::string name = argv[1];
    if (name == "--help" || name == "-h" || name == "help") {
        if (name == "help" && argc > 2)
            for (const auto& c : keltora::cli::registry())
                if (c.name == argv[2]) {
                    commandHelp(c);
                    return 0;
                }
        usage(stdout);
        return 0;
    }
    if (name == "--version" || name == "-V") {
        std::printf("keltora %s\n", KELTORA_VERSION);
        return 0;
    }
    keltora::cli::Args args(argv + 2, argv + argc);
    for (const auto& c : keltora::cli::registry())
        if (c.name == name) {
            if (std::find(args.begin(), args.end(), "--help") != args.end() ||
                std::find(args.begin(), args.end(), "-h") != args.end()) {
                commandHelp(c);
                return 0;
            }
            try {
                return c.run(args);
            } catch (const std::exception& e) {
                std::fprintf(stderr, "[error] %s\n", e.what());
                return 2;
            }
        }
    std::fprintf(stderr, "keltora: unknown command '%s'\n\n", name.c_str());
    usage(stderr);
    return 2;
}
