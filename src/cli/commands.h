// The command registry of the `keltora` command line: each cmd_*.cpp registers one or
// more commands with a static CommandRegistrar. Also the helpers every command shares:
// option parsing with named errors, reading a section with its warnings, and the guards
// that keep outputs from overwriting inputs.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "model/message.h"
#include "model/model.h"
#include "model/sdw_file.h"

namespace keltora {
struct CalcOutcome;
}

namespace keltora::cli {

using Args = std::vector<std::string>;

struct Command {
    std::string name;
    std::string usage;                   // one line: "info FILE.SDW"
    std::string summary;                 // what it does
    std::function<int(const Args&)> run; // args after the command name; returns exit code
    std::string help;                    // options and exit codes, shown by `keltora NAME --help`
};

std::vector<Command>& registry();

struct CommandRegistrar {
    explicit CommandRegistrar(Command c) { registry().push_back(std::move(c)); }
};

// Prints a message of the core to stderr as "[caption] text". A method guard of the
// calculation ("cm.kt != 0,1") is explained in words.
void printMessage(const Message& m, int method = -1);

// Options of one command. Errors name the option and what it takes; the first error is
// kept and printed by finish().
class Options {
  public:
    Options(const Args& args, std::string command);

    // "--name VALUE" or "--name=VALUE"; false when absent (or given without a value,
    // which is an error).
    bool value(const std::string& name, std::string& out);
    bool flag(const std::string& name);
    // An integer option within lo..hi ("--threads must be 1..256").
    std::optional<int> integer(const std::string& name, int lo, int hi);
    // A finite real number option.
    std::optional<double> real(const std::string& name);
    // A pair "X,Y" of finite numbers.
    bool pair(const std::string& name, double& x, double& y);

    void fail(const std::string& message);
    bool failed() const { return !error_.empty(); }

    // After all options: refuses an unknown option and a wrong number of file arguments
    // (min..max). Prints the first error with the usage line and returns false then.
    bool finish(std::size_t minFiles, std::size_t maxFiles);
    const Args& files() const { return args_; }

  private:
    Args args_;
    std::string command_;
    std::string error_;
};

// How a section read with warnings of missing or unreadable data may be used.
enum class Damaged {
    Allow,  // info, check: the warnings are shown (check reports them as findings)
    Refuse, // calc, plot, report, circle, line, and writing back over the file: exit 2
            // unless --accept-warnings was given
};

struct LoadedSection {
    std::unique_ptr<SlopeModel> model; // null when the file could not be used
    ReadResult read;
};

// Reads a section file and prints its warnings as "FILE:LINE: text". A file that read with
// warnings of missing or unreadable data is refused (printed, model null) when `damaged`
// is Refuse and `accept` is false; the message says how to go on anyway.
LoadedSection loadSection(const std::string& path, const char* command,
                          Damaged damaged = Damaged::Refuse, bool accept = false);

// Writes a section file and prints "saved PATH" and the writer's warnings; returns 0, or
// 2 after printing why nothing was written.
int writeSectionFile(SlopeModel& model, const std::string& out);

// Prints the physically meaningless values of a section as warnings ("[警告] ...").
// Returns how many there were.
int warnAboutValues(const SlopeModel& model);

// The exit code of a calculation, shared by calc, plot and report: 0 OK, 1 OUT, 2 no
// result, a refused run or a file of the run (a dump) that could not be written.
int exitCodeOf(const CalcOutcome& outcome);

// Creates the working folder if needed; prints "keltora COMMAND: DIR is not a folder" and
// returns false when it cannot be used.
bool prepareWorkDir(const std::filesystem::path& dir, const char* command);

// Refuses (prints, returns false) when an output is the same file as an input, or when
// an input lies in the working folder under the name of a file the run writes there
// (dumps, report data and forms, plot files). Checked before anything is written.
bool outputsSpareInputs(const char* command, const std::vector<std::filesystem::path>& outputs,
                        const std::vector<std::filesystem::path>& inputs,
                        const std::optional<std::filesystem::path>& workDir = std::nullopt);

// Refuses (prints, returns false) an output whose folder does not exist or is no folder,
// or that is itself a folder: checked before a calculation, not after it.
bool outputPathUsable(const char* command, const std::filesystem::path& output);

// The absolute form of a path for messages.
std::string fullPath(const std::filesystem::path& p);

// Parses "X,Y" into two doubles.
bool parsePair(const std::string& text, double& x, double& y);

// The text shown with --accept-warnings in every help.
extern const char* const kAcceptWarningsHelp;

} // namespace keltora::cli
